// What replacing a file decides from what Windows reports about it: which
// access list the new file is created with, and which final paths the wide
// file functions may be given. Functions of their input only, so that tests
// can give them the cases a test machine does not have.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

// The security descriptor (self-relative, holding a DACL only) that a new
// file replacing one whose descriptor is old is created with, so that it
// keeps the rights the old file carried without taking over any others;
// empty when the new file is to be created without one.
//
// On Windows, only what was set on the file itself is kept: a protected
// list as it is, otherwise the file's own entries, unprotected, to which the
// system adds the folder's inheritable ones when it creates the file. A file
// whose entries all come from its folder (or that has no list) keeps
// nothing, and gets its rights from its folder again.
//
// Where the rights are a Unix mode (Wine), the list Wine shows has entries
// for the owner and for everyone and none for the group, and it grants
// execute wherever it grants read; Wine makes a list it is given into a mode
// that gives the group what it gives the owner. So there the list only
// grants everyone the reading and writing the old list grants everyone
// (never execute), which Wine makes the mode of everyone, the group and the
// owner alike (within the umask); the owner gets reading and writing back
// when the file's attributes are set.
std::vector<unsigned char> AccessListToKeep(PSECURITY_DESCRIPTOR old, bool rightsAreUnixMode);

// The path that the wide file functions are given for a file whose final
// path (GetFinalPathNameByHandleW with VOLUME_NAME_DOS) is finalPath: the
// final path itself when it names a drive ("\\?\C:\...") or a network share
// ("\\?\UNC\server\share\..."); nothing for anything else (a volume GUID
// path, Wine's "\\?\unix\..." for a file outside every drive), which no cut
// may turn into a relative path.
std::optional<std::wstring> UsableFinalPath(std::wstring_view finalPath);
