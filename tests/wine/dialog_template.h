// Reads an extended dialog template (DLGTEMPLATEEX) as the dialog manager
// does, so that tests can compare what the executable carries with what the
// dialogs should be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ambrel_test {

// A class or menu reference: either an ordinal (an atom such as 0x0080 for
// "Button") or a name; both empty when the template leaves it out.
struct NameOrOrdinal {
    std::uint16_t ordinal = 0;
    std::wstring name;
};

struct DialogItem {
    std::uint32_t help_id;
    std::uint32_t ex_style;
    std::uint32_t style;
    std::int16_t x, y, cx, cy;
    std::int32_t id;
    NameOrOrdinal window_class;
    NameOrOrdinal text;  // a resource ordinal for icons, else the text
    std::uint16_t extra_bytes;
};

struct DialogTemplate {
    std::uint32_t help_id;
    std::uint32_t ex_style;
    std::uint32_t style;
    std::int16_t x, y, cx, cy;
    NameOrOrdinal menu;
    NameOrOrdinal window_class;
    std::wstring title;
    // Present only with DS_SETFONT (part of DS_SHELLFONT).
    std::uint16_t point_size = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// Throws std::runtime_error when the bytes are not a complete DLGTEMPLATEEX.
DialogTemplate ParseDialogTemplateEx(const void* data, std::size_t size);

// The predefined class atoms the dialog manager accepts for these names.
std::uint16_t ClassAtom(const NameOrOrdinal& window_class);

}  // namespace ambrel_test
