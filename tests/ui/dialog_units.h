// Converts pixels of a live dialog back to dialog units of the 8-point
// "MS Shell Dlg" font that both of the program's dialogs are laid out in,
// and measures texts in that font.
//
// Under Wine MapDialogRect fails on another process's dialog, so the units
// come from a hidden dialog with that font made in this process. Both
// processes run with the same locale, hence the same font substitute.
//
// The program may run at another DPI than this process, which keeps the one
// it started with. A font's pixel size is its point size times the DPI, so
// the hidden dialog's font is made that much larger (or smaller) in points:
// its pixels, and so its units, are those of the program's dialogs.
#pragma once

#include <windows.h>

#include <string>

namespace ambrel_test {

struct DluRect {
    double x = 0, y = 0, cx = 0, cy = 0;
};

// This process's DPI.
int OwnDpi();

class DialogUnits {
public:
    // For dialogs at this process's DPI, or at another one.
    DialogUnits();
    explicit DialogUnits(int dpi);
    ~DialogUnits();
    DialogUnits(const DialogUnits&) = delete;
    DialogUnits& operator=(const DialogUnits&) = delete;

    // False when the reference dialog could not be made, or the DPI asks
    // for a point size that is not whole here.
    bool Valid() const { return perUnitX_ > 0 && perUnitY_ > 0; }

    double ToPixelsY(double units) const { return units * perUnitY_; }
    double ToUnitsX(int pixels) const { return pixels / perUnitX_; }
    double ToUnitsY(int pixels) const { return pixels / perUnitY_; }
    DluRect ToUnits(const RECT& pixels) const;

    // The font itself, as the dialog manager made it; owned by the object.
    HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)); }

    // The size DrawTextW gives the text in the dialogs' font for a width of
    // `width` pixels, with `format` and DT_CALCRECT.
    SIZE MeasureText(const std::wstring& text, int width, UINT format) const;

private:
    HWND dialog_ = nullptr;  // hidden; its font is the one measured with
    double perUnitX_ = 0;    // pixels per horizontal dialog unit
    double perUnitY_ = 0;
};

}  // namespace ambrel_test
