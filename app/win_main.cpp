// The program's entry: find the game, then run the main dialog.
#include <windows.h>
#include <commctrl.h>

#include "app/install_lookup.h"
#include "resource.h"
#include "ui/main_dialog.h"
#include "ui/messages.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    if (!LookUpInstallation()) {
        ShowMessage(nullptr, IDS_NO_INSTALLATION, MB_ICONERROR);
        return 0;
    }
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialog, 0);
    return 0;
}
