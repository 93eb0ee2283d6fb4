#include "tests/ui/program_dpi.h"

namespace ambrel_test {

namespace {

constexpr const wchar_t* DesktopKey = L"Control Panel\\Desktop";
constexpr const wchar_t* DpiValue = L"LogPixels";

bool WriteDpi(DWORD dpi) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, DpiValue, REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
}

}  // namespace

ProgramDpi::ProgramDpi(int dpi) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, DesktopKey, DpiValue, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
        ERROR_SUCCESS) {
        previous_ = value;
    }
    set_ = WriteDpi(static_cast<DWORD>(dpi));
}

ProgramDpi::~ProgramDpi() {
    if (previous_) {
        WriteDpi(*previous_);
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, DpiValue);
    }
}

}  // namespace ambrel_test
