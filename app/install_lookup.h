// Where the game is installed.
#pragma once

// Reads the installation folder from the registry into InstallPath. Returns
// false, leaving InstallPath empty, when the game's key cannot be opened or
// its "Installed Path" is missing, empty, not a string, or too long for the
// paths built from it.
bool LookUpInstallation();
