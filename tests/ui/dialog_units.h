// Converts pixels of a live dialog back to dialog units of the 8-point
// "MS Shell Dlg" font that both of the program's dialogs are laid out in.
//
// Under Wine MapDialogRect fails on another process's dialog, so the units
// come from a hidden dialog with that font made in this process. Both
// processes run with the same locale, hence the same font substitute.
#pragma once

#include <windows.h>

namespace ambrel_test {

struct DluRect {
    double x = 0, y = 0, cx = 0, cy = 0;
};

class DialogUnits {
public:
    DialogUnits();

    // False when the reference dialog could not be made.
    bool Valid() const { return perUnitX_ > 0 && perUnitY_ > 0; }

    double ToUnitsX(int pixels) const { return pixels / perUnitX_; }
    double ToUnitsY(int pixels) const { return pixels / perUnitY_; }
    DluRect ToUnits(const RECT& pixels) const;

private:
    double perUnitX_ = 0;  // pixels per horizontal dialog unit
    double perUnitY_ = 0;
};

}  // namespace ambrel_test
