// Names wider than their list: a list scrolls sideways exactly when one of
// its names needs it, and far enough to bring that name's end into view.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/ui/bitmap.h"
#include "tests/ui/ui_case.h"

namespace ambrel_test {
namespace {

// Mod archives are often named like this, wider than either list.
constexpr const char* LongNew =
    "Tamriel Rebuilt - Textures and Meshes v23.01 (high resolution), with the patches for Stirk, "
    "Firewatch, Old Ebonheart, the Telvanni Isles and every region of the mainland.bsa";
constexpr const char* LongGone =
    "Old Tamriel Data - Landscape, Meshes, Textures and Sounds v9.0 (legacy), as shipped before the "
    "merge with Project Tamriel, Cyrodiil, Skyrim Home of the Nords and others.bsa";

struct WidthCase {
    const char* name;
    const char* present;  // on disk, not registered: the list of new archives
    const char* gone;     // registered, not on disk: the list of removed entries
};

void PrintTo(const WidthCase& c, std::ostream* out) { *out << c.name; }

const WidthCase WidthCases[] = {
    {"both_long", LongNew, LongGone},
    {"only_removed_long", "New.bsa", LongGone},
    {"only_new_long", LongNew, "Old.bsa"},
    {"both_short", "New.bsa", "Old.bsa"},
};

// The list box shows and hides its scroll bar through this style bit.
bool ShowsHorizontalScrollBar(HWND list) {
    return (GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL) != 0;
}

// A system colour as a pixel of Bitmap.
std::uint32_t PixelOf(int colorIndex) {
    const COLORREF color = GetSysColor(colorIndex);
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// Whether the list's first item shows the text whole somewhere between its
// left and right edges: the text is drawn here in the dialogs' font, as a
// list box draws an item, and looked for in the screen's pixels.
bool ShowsWhole(HWND list, const std::wstring& text, const DialogUnits& units) {
    RECT client;
    GetClientRect(list, &client);
    const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const int width = units.MeasureText(text, 0, DT_SINGLELINE | DT_NOPREFIX).cx + 4;
    Bitmap drawn(width, height);
    if (!drawn.Valid() || height > client.bottom) return false;
    drawn.Fill(PixelOf(COLOR_WINDOW));
    HGDIOBJ previous = SelectObject(drawn.Dc(), units.Font());
    SetBkMode(drawn.Dc(), TRANSPARENT);
    SetTextColor(drawn.Dc(), GetSysColor(COLOR_WINDOWTEXT));
    ExtTextOutW(drawn.Dc(), 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    SelectObject(drawn.Dc(), previous);
    GdiFlush();

    // The columns that hold ink.
    int first = width, last = -1;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (drawn.At(x, y) != PixelOf(COLOR_WINDOW)) {
                first = std::min(first, x);
                last = x;
            }
        }
    }
    if (last < first) return false;

    POINT origin = {0, 0};
    ClientToScreen(list, &origin);
    Bitmap shown(client.right, height);
    if (!shown.Valid()) return false;
    shown.CopyFromScreen(origin.x, origin.y);
    for (int offset = 0; offset + (last - first) < client.right; ++offset) {
        bool same = true;
        for (int x = first; same && x <= last; ++x) {
            for (int y = 0; same && y < height; ++y) {
                same = ChannelDistance(drawn.At(x, y), shown.At(offset + x - first, y)) <= 24;
            }
        }
        if (same) return true;
    }
    return false;
}

class ListWidth : public UiCase, public testing::WithParamInterface<WidthCase> {};

TEST_P(ListWidth, a_list_scrolls_sideways_as_far_as_its_widest_name) {
    const WidthCase& c = GetParam();
    const DialogUnits units;
    ASSERT_TRUE(units.Valid()) << "no reference dialog for the dialogs' font";
    Prepare(ArchiveKeys({"Tribunal.bsa", c.gone}), {"Morrowind.bsa", "Tribunal.bsa", c.present});

    AmbrelSession session;
    HWND main = nullptr;
    ASSERT_TRUE(OpensMainDialog(session, main));
    const struct {
        int id;
        const char* name;
    } lists[] = {{MainNewList, c.present}, {MainRemovedList, c.gone}};
    for (const auto& [id, name] : lists) {
        SCOPED_TRACE(id == MainNewList ? "list of new archives" : "list of removed entries");
        HWND list = GetDlgItem(main, id);
        const std::wstring shownName = FromCp1251(name);
        ASSERT_EQ(ListItems(list), std::vector<std::wstring>{shownName});
        RECT client;
        GetClientRect(list, &client);
        const int textWidth = units.MeasureText(shownName, 0, DT_SINGLELINE | DT_NOPREFIX).cx;
        const bool wide = textWidth >= client.right;
        EXPECT_EQ(ShowsHorizontalScrollBar(list), wide) << "a name " << textWidth << " pixels wide in a list of "
                                                        << client.right;
        if (!wide) continue;

        // All of the name and a little room, no more.
        const int extent = static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
        EXPECT_GT(extent, textWidth);
        EXPECT_LE(extent, textWidth + 8);

        const std::wstring end = shownName.substr(shownName.size() - 12);
        EXPECT_FALSE(ShowsWhole(list, end, units)) << "the end shows before scrolling";
        SendMessageW(list, WM_HSCROLL, SB_RIGHT, 0);
        bool endShown = false;
        for (int attempt = 0; attempt < 40 && !endShown; ++attempt) {
            Sleep(25);
            endShown = ShowsWhole(list, end, units);
        }
        EXPECT_TRUE(endShown) << "scrolled to the right, the list does not show the name's end";
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ListWidth, testing::ValuesIn(WidthCases),
                         [](const testing::TestParamInfo<WidthCase>& info) { return info.param.name; });

}  // namespace
}  // namespace ambrel_test
