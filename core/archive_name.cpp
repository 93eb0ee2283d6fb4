#include "core/archive_name.h"

#include "core/ascii.h"

bool ArchiveNameEquals(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase(a, b);
}

bool HasArchiveExtension(std::string_view name) {
    constexpr std::string_view extension = ".bsa";
    return name.size() >= extension.size() &&
           ArchiveNameEquals(name.substr(name.size() - extension.size()), extension);
}
