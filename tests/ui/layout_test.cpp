// The two dialogs as they stand on screen: each control's id, class, the
// style bits that decide how it behaves, its place in dialog units and its
// text, read as UTF-16 from the running program. At 96, 120, 144 and 192
// DPI (100 to 200 % scaling) the dialogs grow with their font, and every
// text fits the control it stands in.

#include <cmath>
#include <cwctype>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/ui/program_dpi.h"
#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

struct ExpectedControl {
    int id;
    const wchar_t* windowClass;
    DWORD styleMask;  // the bits looked at
    DWORD style;      // their expected values
    bool bordered;    // WS_BORDER or its 3-D form WS_EX_CLIENTEDGE
    DluRect rect;
    const wchar_t* text;  // nullptr: the wording is free
};

struct ExpectedLayout {
    const char* name;
    DialogKind kind;
    DWORD exStyleMask;
    double cx, cy;
    std::vector<ExpectedControl> controls;  // in creation order
};

const int Dpis[] = {96, 120, 144, 192};

// Every control is a visible, enabled child.
constexpr DWORD Shown = WS_CHILD | WS_VISIBLE | WS_DISABLED;
constexpr DWORD ShownValue = WS_CHILD | WS_VISIBLE;
// Push buttons of either kind: which one is the default moves at run time.
constexpr DWORD PushButtonBits = BS_TYPEMASK & ~BS_DEFPUSHBUTTON;
constexpr DWORD ListBits = LBS_SORT | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_MULTIPLESEL |
                           LBS_EXTENDEDSEL | LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE | WS_TABSTOP;
constexpr DWORD ListValue = LBS_SORT | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_TABSTOP;

const ExpectedLayout Layouts[] = {
    {"main_dialog", DialogKind::Main, WS_EX_APPWINDOW, 310, 161,
     {
         {IDOK, L"Button", Shown | BS_TYPEMASK | WS_TABSTOP, ShownValue | BS_DEFPUSHBUTTON | WS_TABSTOP, false,
          {49, 138, 76, 16}, L"Обновить архивы"},
         {IDCANCEL, L"Button", Shown | PushButtonBits | WS_TABSTOP, ShownValue | WS_TABSTOP, false,
          {141, 138, 50, 16}, L"Отменить"},
         {-1, L"Static", Shown | SS_TYPEMASK, ShownValue | SS_CENTER, false, {12, 0, 145, 24},
          L"BSA архивы, которые будут зарегистрированы\n(новые *.bsa файлы в папке Data Files)"},
         {MainNewList, L"ListBox", Shown | ListBits, ShownValue | ListValue, true, {12, 24, 132, 102}, L""},
         {MainRemovedList, L"ListBox", Shown | ListBits, ShownValue | ListValue, true, {168, 24, 132, 102}, L""},
         // Its first sentence wraps: three lines of 8 units.
         {-1, L"Static", Shown | SS_TYPEMASK, ShownValue | SS_CENTER, false, {168, 0, 132, 24},
          L"BSA архивы, которые будут удалены из списка\n(files deleted from the Data Files folder)"},
         {MainAboutButton, L"Button", Shown | BS_TYPEMASK | WS_TABSTOP, ShownValue | BS_PUSHBUTTON | WS_TABSTOP,
          false, {252, 138, 50, 14}, L"О Программе"},
     }},
    {"about_box", DialogKind::About, 0, 226, 119,
     {
         {-1, L"Static", Shown | SS_TYPEMASK | SS_NOPREFIX, ShownValue | SS_LEFT | SS_NOPREFIX, false,
          {6, 6, 78, 8}, L"Ambrel Версии 1.0"},
         {-1, L"Static", Shown | SS_TYPEMASK, ShownValue | SS_LEFT, false, {142, 6, 74, 8}, nullptr},
         {IDOK, L"Button", Shown | BS_TYPEMASK | WS_TABSTOP | WS_GROUP,
          ShownValue | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, false, {84, 96, 50, 16}, L"OK"},
         {-1, L"Static", Shown | SS_TYPEMASK, ShownValue | SS_LEFT, false, {12, 27, 205, 33},
          L"Эта утилита найдет все архивы Bsa в  папке \"Morrowind->Data Files\" папке и добавит их "
          L"[Новые Архивы] в раздел файла morrowind.ini (если они не были еще зарегистрированы)."},
         {-1, L"Static", Shown | SS_TYPEMASK, ShownValue | SS_LEFT, false, {12, 63, 198, 27},
          L"Также эта утилита удалит любые ссылки на архивы Bsa, которые больше не существуют в "
          L"папке \"Morrowind->Data Files\" ."},
         {-1, L"Button", Shown | BS_TYPEMASK, ShownValue | BS_GROUPBOX, false, {3, 18, 219, 77},
          L"Описание программы"},
     }},
};

// Rounding to whole pixels and back moves a place by less than a unit.
constexpr double Tolerance = 1.0;

bool Near(double actual, double expected) {
    return std::fabs(actual - expected) <= Tolerance;
}

bool SameClass(const std::wstring& a, const wchar_t* b) {
    std::wstring lowerA, lowerB;
    for (wchar_t c : a) lowerA.push_back(static_cast<wchar_t>(std::towlower(c)));
    for (const wchar_t* c = b; *c != L'\0'; ++c) lowerB.push_back(static_cast<wchar_t>(std::towlower(*c)));
    return lowerA == lowerB;
}

std::string Describe(const DluRect& r) {
    return std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.cx) + ", " +
           std::to_string(r.cy);
}

using LayoutAtDpi = std::tuple<ExpectedLayout, int>;

std::string NameOf(const LayoutAtDpi& param) {
    return std::string(std::get<0>(param).name) + "_" + std::to_string(std::get<1>(param)) + "_dpi";
}

void PrintTo(const LayoutAtDpi& param, std::ostream* out) { *out << NameOf(param); }

// Each case starts the program at its DPI and opens the dialog it looks at.
class Layout : public UiCase, public testing::WithParamInterface<LayoutAtDpi> {
protected:
    Layout() : want(std::get<0>(GetParam())), dpi(std::get<1>(GetParam())), units(dpi) {}

    void SetUp() override {
        UiCase::SetUp();
        ASSERT_TRUE(programDpi.Set()) << "cannot set the DPI";
        ASSERT_TRUE(units.Valid()) << "no reference dialog for the dialog units at " << dpi << " DPI";
        Prepare(ArchiveKeys({"Gone.bsa"}), {"New.bsa"});
        HWND main = nullptr;
        ASSERT_TRUE(OpensMainDialog(session, main));
        dialog = main;
        if (want.kind == DialogKind::About) {
            Click(GetDlgItem(main, MainAboutButton));
            dialog = session.WaitForDialog(DialogKind::About);
            ASSERT_NE(dialog, nullptr);
        }
    }

    const ExpectedLayout& want;
    const int dpi;
    const ProgramDpi programDpi{dpi};
    const DialogUnits units;
    AmbrelSession session;
    HWND dialog = nullptr;
};

TEST_P(Layout, controls_match_the_template) {

    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP | DS_MODALFRAME), WS_CAPTION | WS_POPUP | DS_MODALFRAME)
        << "a title bar, a modal frame and no system menu (so no close box)";
    EXPECT_EQ(exStyle & want.exStyleMask, want.exStyleMask);
    EXPECT_NE(WindowText(dialog).find(L"Ambrel"), std::wstring::npos) << "the title names the program";

    const DluRect client = ClientUnits(dialog, units);
    EXPECT_TRUE(Near(client.cx, want.cx) && Near(client.cy, want.cy)) << "client area " << Describe(client);

    // Centred on the work area of its monitor.
    RECT frame;
    GetWindowRect(dialog, &frame);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_NEAR((frame.left + frame.right) / 2.0, (monitor.rcWork.left + monitor.rcWork.right) / 2.0, 2);
    EXPECT_NEAR((frame.top + frame.bottom) / 2.0, (monitor.rcWork.top + monitor.rcWork.bottom) / 2.0, 2);

    const std::vector<Control> controls = ControlsOf(dialog, units);
    ASSERT_EQ(controls.size(), want.controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const Control& got = controls[i];
        const ExpectedControl& w = want.controls[i];
        EXPECT_EQ(got.id, w.id);
        EXPECT_TRUE(SameClass(got.windowClass, w.windowClass));
        EXPECT_EQ(got.style & w.styleMask, w.style)
            << "differing bits: 0x" << std::hex << ((got.style & w.styleMask) ^ w.style);
        if (w.bordered) {
            EXPECT_TRUE((got.style & WS_BORDER) || (got.exStyle & WS_EX_CLIENTEDGE)) << "no border";
        }
        EXPECT_TRUE(Near(got.rect.x, w.rect.x) && Near(got.rect.y, w.rect.y) && Near(got.rect.cx, w.rect.cx) &&
                    Near(got.rect.cy, w.rect.cy))
            << "at " << Describe(got.rect) << ", expected " << Describe(w.rect);
        if (w.text != nullptr) {
            EXPECT_EQ(got.text, w.text);
        }
    }
}

// How a control lays out its text, and the room it keeps around it.
struct TextRoom {
    UINT format;  // for DrawTextW
    int marginX;  // on each side
    int marginY;
};

// Nothing when the control shows no text of its own.
std::optional<TextRoom> TextRoomOf(const Control& control) {
    if (SameClass(control.windowClass, L"Static")) {
        const DWORD type = control.style & SS_TYPEMASK;
        if (type > SS_RIGHT) return std::nullopt;
        const UINT align = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
        return TextRoom{align | DT_WORDBREAK | DT_EXPANDTABS | (control.style & SS_NOPREFIX ? DT_NOPREFIX : 0u), 0, 0};
    }
    if (SameClass(control.windowClass, L"Button")) {
        // A caption stays inside the button's 3-D edge, and the default
        // button's extra frame; a group box's sits on its top edge, inside
        // the frame's corners.
        const DWORD type = control.style & BS_TYPEMASK;
        const int frame = type == BS_DEFPUSHBUTTON ? 1 : 0;
        const int marginX = GetSystemMetrics(SM_CXEDGE) + frame;
        if (type == BS_GROUPBOX) return TextRoom{DT_SINGLELINE, marginX, 0};
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            return TextRoom{DT_SINGLELINE | DT_CENTER, marginX, GetSystemMetrics(SM_CYEDGE) + frame};
        }
    }
    return std::nullopt;
}

TEST_P(Layout, every_text_fits_its_control) {
    const std::vector<Control> controls = ControlsOf(dialog, units);
    ASSERT_EQ(controls.size(), want.controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        const std::optional<TextRoom> room = TextRoomOf(control);
        if (!room || control.text.empty()) continue;
        RECT client;
        GetClientRect(control.window, &client);
        const int width = client.right - 2 * room->marginX;
        const int height = client.bottom - 2 * room->marginY;
        const SIZE needed = units.MeasureText(control.text, width, room->format);
        EXPECT_TRUE(needed.cx <= width && needed.cy <= height)
            << "\"" << Utf8(control.text) << "\" needs " << needed.cx << " x " << needed.cy << " pixels, its "
            << Utf8(control.windowClass) << " has " << width << " x " << height;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, Layout, testing::Combine(testing::ValuesIn(Layouts), testing::ValuesIn(Dpis)),
                         [](const testing::TestParamInfo<LayoutAtDpi>& info) { return NameOf(info.param); });

}  // namespace
}  // namespace ambrel_test
