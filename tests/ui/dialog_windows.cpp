#include "tests/ui/dialog_windows.h"

namespace ambrel_test {

namespace {

// Every message to the other process is bounded: a hung program fails the
// case instead of hanging the test.
constexpr UINT SendTimeoutMs = 2000;

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ClassOf(window) == L"#32770") search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// Compared in full: a message box's text has the id 0xFFFF, the dialogs'
// own static texts have -1.
HWND ChildWithId(HWND dialog, LONG_PTR id) {
    for (HWND child : ChildrenOf(dialog)) {
        if (GetWindowLongPtrW(child, GWLP_ID) == id) return child;
    }
    return nullptr;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

std::vector<INPUT> Keystrokes(Key key) {
    switch (key) {
    case Key::Enter:
        return {KeyInput(VK_RETURN, false), KeyInput(VK_RETURN, true)};
    case Key::Escape:
        return {KeyInput(VK_ESCAPE, false), KeyInput(VK_ESCAPE, true)};
    case Key::AltF4:
        return {KeyInput(VK_MENU, false), KeyInput(VK_F4, false), KeyInput(VK_F4, true),
                KeyInput(VK_MENU, true)};
    }
    return {};
}

}  // namespace

std::vector<HWND> DialogsOf(DWORD processId) {
    Search search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DialogKind KindOf(HWND dialog) {
    HWND text = ChildWithId(dialog, MessageBoxTextId);
    if (text != nullptr && ClassOf(text) == L"Static") return DialogKind::MessageBox;
    if (ChildWithId(dialog, MainNewList) != nullptr) return DialogKind::Main;
    return DialogKind::About;
}

std::wstring WindowText(HWND window) {
    LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::vector<Control> ControlsOf(HWND dialog, const DialogUnits& units) {
    std::vector<Control> controls;
    for (HWND child : ChildrenOf(dialog)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        controls.push_back({child, GetDlgCtrlID(child), ClassOf(child), WindowText(child),
                            static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)),
                            static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE)), units.ToUnits(rect)});
    }
    return controls;
}

DluRect ClientUnits(HWND dialog, const DialogUnits& units) {
    RECT rect;
    GetClientRect(dialog, &rect);
    return units.ToUnits(rect);
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = SendBounded(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendBounded(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) length = 0;
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        LRESULT copied = SendBounded(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        items.push_back(item);
    }
    return items;
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

bool PressKey(HWND window, Key key) {
    SetForegroundWindow(window);
    for (int i = 0; GetForegroundWindow() != window; ++i) {
        if (i == 100) return false;
        Sleep(20);
    }
    std::vector<INPUT> inputs = Keystrokes(key);
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void LetInputSettle(HWND window) {
    // The thread handles a sent message before it takes queued input, so
    // the first round trip may come back before the keys were handled; the
    // next one comes back only after the thread took its next message.
    for (int i = 0; i < 3; ++i) SendBounded(window, WM_NULL, 0, 0);
    Sleep(100);
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = WindowText(box);
    content.text = WindowText(ChildWithId(box, MessageBoxTextId));
    content.owner = GetWindow(box, GW_OWNER);
    for (HWND child : ChildrenOf(box)) {
        if (ClassOf(child) == L"Button" && IsWindowVisible(child)) content.buttons.push_back(GetDlgCtrlID(child));
    }
    content.icon = IdentifyMessageIcon(box);
    return content;
}

}  // namespace ambrel_test
