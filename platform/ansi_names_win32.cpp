#include "platform/ansi_names_win32.h"

namespace {

// Converts name into out; false when the conversion fails.
bool Convert(UINT codePage, DWORD flags, std::wstring_view name, std::string& out, BOOL* usedDefault) {
    if (name.empty()) {
        out.clear();
        return true;
    }
    // Four bytes a character is the most any code page needs.
    out.resize(name.size() * 4);
    const int size = WideCharToMultiByte(codePage, flags, name.data(), static_cast<int>(name.size()),
                                         out.data(), static_cast<int>(out.size()), nullptr, usedDefault);
    out.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return size > 0;
}

} // namespace

std::wstring WidenFromCodePage(UINT codePage, std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    const int length = text.empty() ? 0
                                    : MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                                          wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

bool SpellInCodePage(UINT codePage, std::wstring_view name, std::string& spelled) {
    // UTF-8 holds every valid name. It takes neither the best-fit flag nor a
    // default character, and fails on an unpaired surrogate instead.
    if (codePage == CP_UTF8) return Convert(CP_UTF8, WC_ERR_INVALID_CHARS, name, spelled, nullptr);
    BOOL usedDefault = FALSE;
    if (Convert(codePage, WC_NO_BEST_FIT_CHARS, name, spelled, &usedDefault) && !usedDefault) return true;
    spelled.clear();
    return false;
}

DataFilesEntry AnsiEntryNamer::Name(const wchar_t* longName, const wchar_t* shortName) {
    if (SpellInCodePage(codePage_, longName, name_) && name_.size() <= LongestAnsiName) {
        return DataFilesEntry{name_, {}, {}};
    }
    // Only shown to the user: what UTF-8 cannot hold shows as U+FFFD.
    Convert(CP_UTF8, 0, longName, foreignName_, nullptr);
    SpellInCodePage(codePage_, shortName, shortName_);
    return DataFilesEntry{{}, foreignName_, shortName_};
}
