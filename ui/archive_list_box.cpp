#include "ui/archive_list_box.h"

#include <algorithm>

namespace {

// Room the list box leaves around an item's text: it draws the text just
// inside the item's left edge, and a little space after the end keeps the
// last letter clear of the border.
int ItemMargins() {
    return 2 * GetSystemMetrics(SM_CXEDGE);
}

// Selects the list's own font into a device context of the list for as long
// as the object lives.
class ListFontContext {
public:
    explicit ListFontContext(HWND list)
        : list_(list), dc_(GetDC(list)),
          previous_(SelectObject(dc_, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)))) {}
    ~ListFontContext() {
        SelectObject(dc_, previous_);
        ReleaseDC(list_, dc_);
    }
    ListFontContext(const ListFontContext&) = delete;
    ListFontContext& operator=(const ListFontContext&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND list_;
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

void ArchiveListBox::Add(std::string_view name) {
    // Converted as the 8-bit list box messages would convert it.
    const int length = static_cast<int>(name.size());
    const int converted = MultiByteToWideChar(CP_ACP, 0, name.data(), length, nullptr, 0);
    starts_.push_back(texts_.size());
    texts_.resize(texts_.size() + static_cast<std::size_t>(converted) + 1);
    MultiByteToWideChar(CP_ACP, 0, name.data(), length, &texts_[starts_.back()], converted);
}

void ArchiveListBox::Show() {
    if (starts_.empty()) return;
    // Redrawing is off while the items go in: otherwise every insertion
    // updates the scroll bars and invalidates the list.
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_INITSTORAGE, starts_.size(), texts_.size() * sizeof(wchar_t));
    int widest = 0;
    {
        const ListFontContext font(list_);
        for (std::size_t start : starts_) {
            const wchar_t* text = &texts_[start];
            SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SIZE size = {};
            GetTextExtentPoint32W(font.Get(), text, static_cast<int>(wcslen(text)), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
    }
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + ItemMargins()), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}
