// The program's texts and message boxes. Texts live in the string table as
// UTF-16, so they read the same on a Windows of any system locale.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "core/data_files_scan.h"
#include "core/reconcile.h"
#include "platform/platform.h"

std::wstring LoadText(UINT id);

// The text with each "%s" replaced by the next argument. An argument left
// without a slot follows at the end, after a blank line.
std::wstring FormatText(UINT id, std::initializer_list<std::wstring_view> arguments);

// A message box with the program's caption and a single OK button.
void ShowText(HWND owner, const std::wstring& text, UINT icon);
void ShowMessage(HWND owner, UINT textId, UINT icon);

// Says that morrowind.ini was not changed, and the system's reason why.
std::wstring DescribeWriteFailure(SystemErrorCode error);
void ShowWriteFailure(HWND owner, SystemErrorCode error);

// Names the archives that the game cannot open by their long names, how
// each was taken in, and asks for them to be renamed. The text names at
// most maxListed of them and then how many more there are.
std::wstring DescribeForeignNames(const std::vector<ForeignNamedArchive>& archives, std::size_t maxListed);

// The warning about archives the game cannot read: each file with its
// reason and what to do, the new ones (left out) apart from the registered
// ones (they stay); it names at most maxListed files.
std::wstring DescribeUnreadableArchives(const std::vector<UnreadableArchive>& archives, std::size_t maxListed);

// The warnings a reconciliation gives before its outcome, in the order they
// are given (first the names, then the contents), each naming at most
// maxListed files.
std::vector<std::wstring> DescribeWarnings(const ReconcileReport& report, std::size_t maxListed);

// Shows each warning in a box of its own, naming as many files as fit on a
// screen.
void ShowWarnings(HWND owner, const ReconcileReport& report);

// Why no update can be made from the reconciliation (morrowind.ini is
// UTF-16, or a list could not be taken in whole); nothing when one can.
std::optional<UINT> UpdateBlockedText(const ReconcileReport& report);
