// The program's texts and message boxes. Texts live in the string table as
// UTF-16, so they read the same on a Windows of any system locale.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "core/data_files_scan.h"
#include "core/reconcile.h"
#include "platform/platform.h"

std::wstring LoadText(UINT id);

// A message box with the program's caption and a single OK button.
void ShowMessage(HWND owner, UINT textId, UINT icon);

// Says that morrowind.ini was not changed, and the system's reason why.
void ShowWriteFailure(HWND owner, SystemErrorCode error);

// Names the archives that the game cannot open by their long names, how
// each was taken in, and asks for them to be renamed.
void ShowForeignNames(HWND owner, const std::vector<ForeignNamedArchive>& archives);

// The warning about archives the game cannot read: each file with its
// reason and what to do, the new ones (left out) apart from the registered
// ones (they stay). The whole text, for a message box or a console.
std::wstring DescribeUnreadableArchives(const std::vector<UnreadableArchive>& archives);
void ShowUnreadableArchives(HWND owner, const std::vector<UnreadableArchive>& archives);
