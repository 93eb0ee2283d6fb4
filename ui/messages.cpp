#include "ui/messages.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "platform/ansi_names_win32.h"
#include "resource.h"

namespace {

// Beyond this many files a message names only how many more there are, so
// that it still fits on the screen.
constexpr std::size_t MaxListedFiles = 10;

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

} // namespace

std::wstring FormatText(UINT id, std::initializer_list<std::wstring_view> arguments) {
    std::wstring text = LoadText(id);
    std::wstring::size_type from = 0;
    for (std::wstring_view argument : arguments) {
        const std::wstring::size_type slot = text.find(L"%s", from);
        if (slot == std::wstring::npos) {
            text.append(L"\n\n").append(argument);
            from = text.size();
        } else {
            text.replace(slot, 2, argument);
            from = slot + argument.size();
        }
    }
    return text;
}

namespace {

std::wstring DescribeForeignName(const ForeignNamedArchive& archive) {
    const std::wstring longName = WidenFromCodePage(CP_UTF8, archive.longName);
    if (archive.shortName.empty()) return FormatText(IDS_FOREIGN_NAME_LEFT_OUT, {longName});
    return FormatText(IDS_FOREIGN_NAME_SHORT, {longName, WidenFromCodePage(GetACP(), archive.shortName)});
}

// The line that says how many more files there are, after a line break;
// nothing when none are left.
std::wstring DescribeNotListed(std::size_t count) {
    if (count == 0) return {};
    return L'\n' + FormatText(IDS_FOREIGN_NAMES_MORE, {std::to_wstring(count)});
}

UINT ReasonText(ArchiveVerdict verdict) {
    switch (verdict) {
    case ArchiveVerdict::Folder:
        return IDS_UNREADABLE_FOLDER;
    case ArchiveVerdict::TooShort:
        return IDS_UNREADABLE_TOO_SHORT;
    case ArchiveVerdict::LaterGame:
        return IDS_UNREADABLE_LATER_GAME;
    case ArchiveVerdict::NotThisGame:
        return IDS_UNREADABLE_NOT_THIS_GAME;
    case ArchiveVerdict::CouldNotRead:
        return IDS_UNREADABLE_COULD_NOT_READ;
    case ArchiveVerdict::Damaged:
    case ArchiveVerdict::Readable:
        break;
    }
    return IDS_UNREADABLE_DAMAGED;
}

std::wstring DescribeUnreadable(const UnreadableArchive& archive) {
    const std::wstring reason = archive.verdict == ArchiveVerdict::CouldNotRead
                                    ? FormatText(IDS_UNREADABLE_COULD_NOT_READ, {DescribeSystemError(archive.error)})
                                    : LoadText(ReasonText(archive.verdict));
    const std::wstring name = archive.longName.empty() ? WidenFromCodePage(GetACP(), archive.name)
                                                       : WidenFromCodePage(CP_UTF8, archive.longName);
    return FormatText(IDS_UNREADABLE_LINE, {name, reason});
}

} // namespace

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void ShowText(HWND owner, const std::wstring& text, UINT icon) {
    MessageBoxW(owner, text.c_str(), LoadText(IDS_PROGRAM_TITLE).c_str(), MB_OK | icon);
}

void ShowMessage(HWND owner, UINT textId, UINT icon) {
    ShowText(owner, LoadText(textId), icon);
}

std::wstring DescribeWriteFailure(SystemErrorCode error) {
    return FormatText(IDS_WRITE_FAILED, {DescribeSystemError(error)});
}

void ShowWriteFailure(HWND owner, SystemErrorCode error) {
    ShowText(owner, DescribeWriteFailure(error), MB_ICONERROR);
}

std::wstring DescribeForeignNames(const std::vector<ForeignNamedArchive>& archives, std::size_t maxListed) {
    const std::size_t listed = std::min(archives.size(), maxListed);
    std::wstring lines;
    for (std::size_t i = 0; i < listed; ++i) {
        if (i > 0) lines += L'\n';
        lines += DescribeForeignName(archives[i]);
    }
    lines += DescribeNotListed(archives.size() - listed);
    return FormatText(IDS_FOREIGN_NAMES, {std::to_wstring(GetACP()), lines});
}

std::wstring DescribeUnreadableArchives(const std::vector<UnreadableArchive>& archives, std::size_t maxListed) {
    // The first files in scan order are named, each under its group; each
    // group says how many more of its own there are.
    const std::size_t listed = std::min(archives.size(), maxListed);
    std::wstring groups;
    for (const bool stays : {false, true}) {
        std::wstring lines;
        std::size_t notListed = 0;
        for (std::size_t i = 0; i < archives.size(); ++i) {
            if (archives[i].staysRegistered != stays) continue;
            if (i < listed) {
                lines += L'\n' + DescribeUnreadable(archives[i]);
            } else {
                ++notListed;
            }
        }
        if (lines.empty() && notListed == 0) continue;
        if (!groups.empty()) groups += L"\n\n";
        groups += LoadText(stays ? IDS_UNREADABLE_STAY : IDS_UNREADABLE_LEFT_OUT) + lines + DescribeNotListed(notListed);
    }
    return FormatText(IDS_UNREADABLE_ARCHIVES, {groups});
}

std::vector<std::wstring> DescribeWarnings(const ReconcileReport& report, std::size_t maxListed) {
    std::vector<std::wstring> warnings;
    if (!report.foreignNamed.empty()) warnings.push_back(DescribeForeignNames(report.foreignNamed, maxListed));
    if (!report.unreadable.empty()) warnings.push_back(DescribeUnreadableArchives(report.unreadable, maxListed));
    return warnings;
}

void ShowWarnings(HWND owner, const ReconcileReport& report) {
    for (const std::wstring& warning : DescribeWarnings(report, MaxListedFiles)) {
        ShowText(owner, warning, MB_ICONWARNING);
    }
}

std::optional<UINT> UpdateBlockedText(const ReconcileReport& report) {
    if (report.iniInUtf16) return IDS_INI_UTF16;
    if (report.registeredTruncated || report.foundTruncated) return IDS_CAPACITY_REACHED;
    return std::nullopt;
}
