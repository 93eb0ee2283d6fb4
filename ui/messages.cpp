#include "ui/messages.h"

#include "resource.h"

namespace {

std::wstring DescribeSystemError(SystemErrorCode error) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description = length ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!description.empty() &&
           (description.back() == L'\n' || description.back() == L'\r' || description.back() == L' ')) {
        description.pop_back();
    }
    if (description.empty()) description = L"Error " + std::to_wstring(error);
    return description;
}

void ShowText(HWND owner, const std::wstring& text, UINT icon) {
    MessageBoxW(owner, text.c_str(), LoadText(IDS_PROGRAM_TITLE).c_str(), MB_OK | icon);
}

} // namespace

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void ShowMessage(HWND owner, UINT textId, UINT icon) {
    ShowText(owner, LoadText(textId), icon);
}

void ShowWriteFailure(HWND owner, SystemErrorCode error) {
    std::wstring text = LoadText(IDS_WRITE_FAILED);
    std::wstring::size_type slot = text.find(L"%s");
    std::wstring reason = DescribeSystemError(error);
    if (slot == std::wstring::npos) {
        text += L"\n\n" + reason;
    } else {
        text.replace(slot, 2, reason);
    }
    ShowText(owner, text, MB_ICONERROR);
}
