// The DPI that Windows programs started from now on run at. Wine reads it
// from the user's registry when a process starts; a process already running
// keeps its own. Put back as it was when the object goes.
#pragma once

#include <windows.h>

#include <optional>

namespace ambrel_test {

class ProgramDpi {
public:
    explicit ProgramDpi(int dpi);
    ~ProgramDpi();
    ProgramDpi(const ProgramDpi&) = delete;
    ProgramDpi& operator=(const ProgramDpi&) = delete;

    // False when the setting could not be changed.
    bool Set() const { return set_; }

private:
    std::optional<DWORD> previous_;  // nothing: there was no setting
    bool set_ = false;
};

}  // namespace ambrel_test
