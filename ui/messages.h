// The program's texts and message boxes. Texts live in the string table as
// UTF-16, so they read the same on a Windows of any system locale.
#pragma once

#include <cstddef>
#include <initializer_list>
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
// most maxListed of them and then how many more there are; the message box
// names as many as fit on a screen.
std::wstring DescribeForeignNames(const std::vector<ForeignNamedArchive>& archives, std::size_t maxListed);
void ShowForeignNames(HWND owner, const std::vector<ForeignNamedArchive>& archives);

// The warning about archives the game cannot read: each file with its
// reason and what to do, the new ones (left out) apart from the registered
// ones (they stay). The whole text, for a message box or a console; it names
// at most maxListed files, as DescribeForeignNames does.
std::wstring DescribeUnreadableArchives(const std::vector<UnreadableArchive>& archives, std::size_t maxListed);
void ShowUnreadableArchives(HWND owner, const std::vector<UnreadableArchive>& archives);
