#include "app/lookup_failure.h"

#include <windows.h>

#include "resource.h"
#include "ui/messages.h"

std::wstring DescribeLookupFailure(LookupStatus status, const std::wstring& folder) {
    switch (status) {
    case LookupStatus::FolderMissing:
        return FormatText(IDS_GAME_FOLDER_MISSING, {folder});
    case LookupStatus::NotAnInstallation:
        return FormatText(IDS_GAME_FOLDER_NOT_GAME, {folder});
    case LookupStatus::FolderUnusable:
        return FormatText(IDS_GAME_FOLDER_UNUSABLE, {folder, std::to_wstring(GetACP())});
    case LookupStatus::Found:
    case LookupStatus::NoInstallation:
        break;
    }
    return LoadText(IDS_NO_INSTALLATION);
}
