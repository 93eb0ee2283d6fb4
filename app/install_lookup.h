// Which installation of the game the run works on.
#pragma once

#include <string>

enum class LookupStatus {
    Found,              // InstallPath is set
    NoInstallation,     // neither the program's folder nor the registry names one
    FolderMissing,      // the folder asked for does not exist
    NotAnInstallation,  // it holds neither morrowind.ini nor Data Files
    FolderUnusable,     // the ANSI code page cannot spell its path, or the path is too long
};

// The installation the program is started in, else the one the registry
// names: the folder of the executable when it holds Morrowind.exe and a Data
// Files folder, and the ANSI code page spells its path exactly and the paths
// built from it fit; otherwise the registry's. Sets InstallPath when found.
LookupStatus LookUpInstallation();

// The installation in the folder given (relative to the current folder, or
// whole), whichever the program's folder and the registry say. The folder
// must exist and hold morrowind.ini or Data Files (in any case of letters),
// so that a mistyped folder never gets a morrowind.ini of its own. Sets
// InstallPath to its whole path when found.
LookupStatus LookUpInstallationIn(const std::wstring& folder);

// Reads the installation folder from the registry into InstallPath. Returns
// false, leaving InstallPath empty, when the game's key cannot be opened or
// its "Installed Path" is missing, empty, not a string, or too long for the
// paths built from it.
bool LookUpRegisteredInstallation();
