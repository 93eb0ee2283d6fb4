#include "tests/ui/dialog_units.h"

#include <vector>

namespace ambrel_test {

namespace {

// The point size of the program's dialogs.
constexpr int DialogPointSize = 8;

// A DLGTEMPLATEEX without controls: what matters is its font.
std::vector<WORD> ReferenceTemplate(WORD pointSize) {
    std::vector<WORD> words;
    auto add32 = [&words](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    words.push_back(1);       // dlgVer
    words.push_back(0xFFFF);  // signature
    add32(0);                 // helpID
    add32(0);                 // exStyle
    add32(DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION);  // not visible
    words.push_back(0);       // no controls
    for (int i = 0; i < 4; ++i) words.push_back(0);  // x, y, cx, cy
    words.push_back(0);       // no menu
    words.push_back(0);       // the default class
    words.push_back(0);       // no title
    words.push_back(pointSize);
    words.push_back(FW_NORMAL);
    words.push_back(MAKEWORD(0, DEFAULT_CHARSET));  // italic, charset
    for (const wchar_t* c = L"MS Shell Dlg"; *c != L'\0'; ++c) words.push_back(static_cast<WORD>(*c));
    words.push_back(0);
    return words;
}

INT_PTR CALLBACK ReferenceProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

}  // namespace

int OwnDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

DialogUnits::DialogUnits() : DialogUnits(OwnDpi()) {}

DialogUnits::DialogUnits(int dpi) {
    const int own = OwnDpi();
    if (DialogPointSize * dpi % own != 0) return;
    const std::vector<WORD> words = ReferenceTemplate(static_cast<WORD>(DialogPointSize * dpi / own));
    dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                         nullptr, ReferenceProc, 0);
    if (dialog_ == nullptr) return;
    // A large rectangle keeps the rounding of MapDialogRect out of the ratio.
    RECT rect = {0, 0, 4000, 8000};
    if (MapDialogRect(dialog_, &rect)) {
        perUnitX_ = rect.right / 4000.0;
        perUnitY_ = rect.bottom / 8000.0;
    }
}

DialogUnits::~DialogUnits() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
}

DluRect DialogUnits::ToUnits(const RECT& pixels) const {
    return {ToUnitsX(pixels.left), ToUnitsY(pixels.top), ToUnitsX(pixels.right - pixels.left),
            ToUnitsY(pixels.bottom - pixels.top)};
}

SIZE DialogUnits::MeasureText(const std::wstring& text, int width, UINT format) const {
    HDC dc = GetDC(dialog_);
    HGDIOBJ previous = SelectObject(dc, Font());
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(dialog_, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace ambrel_test
