#include "tests/wine/dialog_template.h"

#include <stdexcept>

namespace ambrel_test {
namespace {

// Little-endian reader over the template bytes, with bounds checks.
class Reader {
public:
    Reader(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    std::uint8_t U8() {
        Need(1);
        return data_[pos_++];
    }
    std::uint16_t U16() {
        const unsigned lo = U8();
        return static_cast<std::uint16_t>(lo | (U8() << 8));
    }
    std::uint32_t U32() {
        const std::uint32_t lo = U16();
        return lo | (static_cast<std::uint32_t>(U16()) << 16);
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }

    std::wstring String() {
        std::wstring s;
        for (std::uint16_t c = U16(); c != 0; c = U16()) s.push_back(static_cast<wchar_t>(c));
        return s;
    }

    // 0x0000: none; 0xFFFF: an ordinal follows; anything else starts a string.
    NameOrOrdinal NameOrOrdinalField() {
        NameOrOrdinal field;
        Need(2);
        const std::uint16_t first = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        if (first == 0x0000) {
            pos_ += 2;
        } else if (first == 0xFFFF) {
            pos_ += 2;
            field.ordinal = U16();
        } else {
            field.name = String();
        }
        return field;
    }

    void Skip(std::size_t n) {
        Need(n);
        pos_ += n;
    }

    // Items start on a DWORD boundary from the start of the template.
    void AlignTo4() { pos_ = (pos_ + 3) & ~std::size_t{3}; }

private:
    void Need(std::size_t n) const {
        if (pos_ > size_ || size_ - pos_ < n) throw std::runtime_error("dialog template truncated");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr std::uint32_t kDsSetFont = 0x40;

}  // namespace

DialogTemplate ParseDialogTemplateEx(const void* data, std::size_t size) {
    Reader in(data, size);
    if (in.U16() != 1 || in.U16() != 0xFFFF) throw std::runtime_error("not a DLGTEMPLATEEX");

    DialogTemplate t;
    t.help_id = in.U32();
    t.ex_style = in.U32();
    t.style = in.U32();
    const std::uint16_t count = in.U16();
    t.x = in.I16();
    t.y = in.I16();
    t.cx = in.I16();
    t.cy = in.I16();
    t.menu = in.NameOrOrdinalField();
    t.window_class = in.NameOrOrdinalField();
    t.title = in.String();
    if (t.style & kDsSetFont) {
        t.point_size = in.U16();
        t.weight = in.U16();
        t.italic = in.U8();
        t.charset = in.U8();
        t.typeface = in.String();
    }

    for (std::uint16_t i = 0; i < count; ++i) {
        in.AlignTo4();
        DialogItem item;
        item.help_id = in.U32();
        item.ex_style = in.U32();
        item.style = in.U32();
        item.x = in.I16();
        item.y = in.I16();
        item.cx = in.I16();
        item.cy = in.I16();
        item.id = static_cast<std::int32_t>(in.U32());
        item.window_class = in.NameOrOrdinalField();
        item.text = in.NameOrOrdinalField();
        item.extra_bytes = in.U16();
        in.Skip(item.extra_bytes);
        t.items.push_back(item);
    }
    return t;
}

std::uint16_t ClassAtom(const NameOrOrdinal& window_class) {
    if (window_class.name.empty()) return window_class.ordinal;
    static const struct {
        const wchar_t* name;
        std::uint16_t atom;
    } kAtoms[] = {{L"button", 0x80},    {L"edit", 0x81},     {L"static", 0x82},
                  {L"listbox", 0x83},   {L"scrollbar", 0x84}, {L"combobox", 0x85}};
    std::wstring lower;
    for (wchar_t c : window_class.name) lower.push_back(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    for (const auto& a : kAtoms)
        if (lower == a.name) return a.atom;
    return 0;
}

}  // namespace ambrel_test
