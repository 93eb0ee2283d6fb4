#include "raw_floor.h"

#include "platform/platform.h"

// Reading and replacing go through the program's own file functions, so the
// floor pays exactly what the program pays for them.
std::string FloorReadFile(const std::string& path) {
    return ReadWholeFile(path).bytes;
}

bool FloorReplaceFile(const std::string& path, std::string_view bytes) {
    return ReplaceFileContents(path, bytes) == 0;
}
