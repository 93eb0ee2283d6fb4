#include "ui/main_dialog.h"

#include <optional>
#include <string>

#include "core/archive_list.h"
#include "core/reconcile.h"
#include "core/registered_archives.h"
#include "resource.h"
#include "ui/about_box.h"
#include "ui/archive_list_box.h"
#include "ui/messages.h"

namespace {

constexpr INT_PTR ResultUpdated = IDOK;
constexpr INT_PTR ResultCancelled = IDCANCEL;

// Set when the dialog ends while it is being created. The template makes it
// visible, and some dialog managers (Wine's) still show it once after such an
// end: it must never appear.
bool endedUnseen = false;

void EndUnseen(HWND dialog) {
    endedUnseen = true;
    EndDialog(dialog, ResultCancelled);
}

HINSTANCE InstanceOf(HWND dialog) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
}

void SetWindowIcon(HWND dialog) {
    HINSTANCE instance = InstanceOf(dialog);
    auto load = [instance](int size) {
        return LoadImageW(instance, MAKEINTRESOURCEW(IDI_AMBREL), IMAGE_ICON, size, size, LR_SHARED);
    };
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(GetSystemMetrics(SM_CXICON))));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(GetSystemMetrics(SM_CXSMICON))));
}

INT_PTR OnInitDialog(HWND dialog) {
    SetWindowIcon(dialog);
    ArchiveListBox removed(GetDlgItem(dialog, IDC_REMOVED_ARCHIVES));
    ArchiveListBox added(GetDlgItem(dialog, IDC_NEW_ARCHIVES));
    ReconcileReport report = ReconcileArchives([&removed](const std::string& name) { removed.Add(name); },
                                               [&added](const std::string& name) { added.Add(name); });
    if (const std::optional<UINT> blocked = UpdateBlockedText(report)) {
        ShowMessage(dialog, *blocked, MB_ICONERROR);
        EndUnseen(dialog);
        return TRUE;
    }
    // Before anything else is shown, so that the lists and the message that
    // all is registered are read knowing which archives the game cannot open
    // or read.
    ShowWarnings(dialog, report);
    if (PendingCount == 0) {
        ShowMessage(dialog, IDS_ALL_REGISTERED, MB_ICONINFORMATION);
        EndUnseen(dialog);
        return TRUE;
    }
    removed.Show();
    added.Show();
    // The focus starts on Update; make it the default button too, so that
    // Enter presses it wherever the focus is.
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
    return TRUE;
}

void OnUpdate(HWND dialog) {
    WriteResult result = WriteArchiveList();
    switch (result.status) {
    case WriteStatus::Failed:
        // The file is as it was and the pending list is kept: the user can
        // clear the cause (close the game, lift the read-only flag) and retry.
        ShowWriteFailure(dialog, result.error);
        return;
    case WriteStatus::ChangedElsewhere:
        // What the lists show no longer holds: nothing was written.
        ShowMessage(dialog, IDS_INI_CHANGED, MB_ICONWARNING);
        EndDialog(dialog, ResultCancelled);
        return;
    case WriteStatus::Utf16File:
        ShowMessage(dialog, IDS_INI_UTF16, MB_ICONERROR);
        EndDialog(dialog, ResultCancelled);
        return;
    case WriteStatus::Written:
        ShowMessage(dialog, IDS_UPDATED, MB_ICONINFORMATION);
        break;
    case WriteStatus::NothingToWrite:
        break;
    }
    EndDialog(dialog, ResultUpdated);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDOK:
        OnUpdate(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, ResultCancelled);
        return TRUE;
    case IDC_ABOUT:
        // Owned by the main dialog, which stays disabled while it is open.
        DialogBoxParamW(InstanceOf(dialog), MAKEINTRESOURCEW(IDD_ABOUT), dialog, AboutBox, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_WINDOWPOSCHANGING:
        if (endedUnseen) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:  // Alt+F4: the same as Cancel
        EndDialog(dialog, ResultCancelled);
        return TRUE;
    }
    return FALSE;
}
