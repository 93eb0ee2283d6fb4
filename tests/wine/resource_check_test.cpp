// Checks the resources of the built ambrel.exe (path in AMBREL_EXE): the two
// dialog templates, the string table, the icon group, the version record and
// the manifest, read back the way the system reads them.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "tests/wine/built_exe.h"
#include "tests/wine/dialog_template.h"

// The expected texts below are UTF-8 in this file; they must reach the
// program as UTF-16 code units.
static_assert(sizeof(L"Ж") == 2 * sizeof(wchar_t) && L"Ж"[0] == 0x0416,
              "compile this file with a UTF-8 input charset");

namespace {

using ambrel_test::BuiltExePath;
using ambrel_test::ClassAtom;
using ambrel_test::DialogTemplate;
using ambrel_test::ParseDialogTemplateEx;


struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule>;

struct Bytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

class ResourceCheck : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module_.reset(LoadLibraryExW(BuiltExePath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        load_error_ = module_ ? 0 : GetLastError();
    }
    static void TearDownTestSuite() { module_.reset(); }

    void SetUp() override {
        const char* path = std::getenv("AMBREL_EXE");
        ASSERT_TRUE(module_) << "cannot load AMBREL_EXE=" << (path ? path : "(not set)")
                             << " as a resource module, error " << load_error_;
    }

    static HMODULE Exe() { return module_.get(); }

    static Bytes Resource(LPCWSTR type, LPCWSTR name) {
        HRSRC info = FindResourceW(Exe(), name, type);
        if (info == nullptr) return {};
        HGLOBAL loaded = LoadResource(Exe(), info);
        if (loaded == nullptr) return {};
        return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(Exe(), info)};
    }

private:
    static Module module_;
    static DWORD load_error_;
};

Module ResourceCheck::module_;
DWORD ResourceCheck::load_error_ = 0;

// ---------------------------------------------------------------- dialogs

constexpr std::uint16_t kButton = 0x0080;
constexpr std::uint16_t kStatic = 0x0082;
constexpr std::uint16_t kListBox = 0x0083;

constexpr DWORD kDialogStyle =
    DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_VISIBLE;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kListBoxStyle = kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                LBS_SORT | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;

struct ExpectedControl {
    int id;
    std::uint16_t window_class;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* text;  // nullptr: the wording is free
};

struct ExpectedDialog {
    const char* name;
    int resource;
    DWORD ex_style;
    short cx, cy;
    std::vector<ExpectedControl> controls;  // in creation order
};

const ExpectedDialog kDialogs[] = {
    {"main", IDD_MAIN, WS_EX_APPWINDOW, 310, 161,
     {
         {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 49, 138, 76, 16, L"Обновить архивы"},
         {IDCANCEL, kButton, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 141, 138, 50, 16, L"Отменить"},
         {IDC_STATIC, kStatic, kChild | SS_CENTER, 12, 0, 145, 24,
          L"BSA архивы, которые будут зарегистрированы\n(новые *.bsa файлы в папке Data Files)"},
         {IDC_NEW_ARCHIVES, kListBox, kListBoxStyle, 12, 24, 132, 102, L""},
         {IDC_REMOVED_ARCHIVES, kListBox, kListBoxStyle, 168, 24, 132, 102, L""},
         {IDC_STATIC, kStatic, kChild | SS_CENTER, 168, 0, 132, 24,
          L"BSA архивы, которые будут удалены из списка\n(files deleted from the Data Files folder)"},
         {IDC_ABOUT, kButton, kChild | BS_PUSHBUTTON | WS_TABSTOP, 252, 138, 50, 14, L"О Программе"},
     }},
    {"about", IDD_ABOUT, 0, 226, 119,
     {
         {IDC_STATIC, kStatic, kChild | SS_LEFT | SS_NOPREFIX, 6, 6, 78, 8, L"Ambrel Версии 1.0"},
         {IDC_STATIC, kStatic, kChild | SS_LEFT, 142, 6, 74, 8, nullptr},
         {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 84, 96, 50, 16, L"OK"},
         {IDC_STATIC, kStatic, kChild | SS_LEFT, 12, 27, 205, 33,
          L"Эта утилита найдет все архивы Bsa в  папке \"Morrowind->Data Files\" папке и добавит их "
          L"[Новые Архивы] в раздел файла morrowind.ini (если они не были еще зарегистрированы)."},
         {IDC_STATIC, kStatic, kChild | SS_LEFT, 12, 63, 198, 27,
          L"Также эта утилита удалит любые ссылки на архивы Bsa, которые больше не существуют в "
          L"папке \"Morrowind->Data Files\" ."},
         {IDC_STATIC, kButton, kChild | BS_GROUPBOX, 3, 18, 219, 77, L"Описание программы"},
     }},
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* out) { *out << dialog.name; }

class DialogTemplates : public ResourceCheck, public testing::WithParamInterface<ExpectedDialog> {};

TEST_P(DialogTemplates, match_the_layout) {
    const ExpectedDialog& want = GetParam();
    const Bytes bytes = Resource(RT_DIALOG, MAKEINTRESOURCEW(want.resource));
    ASSERT_NE(bytes.data, nullptr) << "no dialog " << want.resource;
    const DialogTemplate got = ParseDialogTemplateEx(bytes.data, bytes.size);

    EXPECT_EQ(got.style, kDialogStyle) << "differing bits: 0x" << std::hex << (got.style ^ kDialogStyle);
    EXPECT_EQ(got.ex_style, want.ex_style);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.menu.ordinal, 0);
    EXPECT_TRUE(got.menu.name.empty());
    EXPECT_NE(got.title.find(L"Ambrel"), std::wstring::npos) << "the title names the program";
    EXPECT_EQ(got.point_size, 8);
    EXPECT_EQ(got.typeface, L"MS Shell Dlg");
    EXPECT_LE(got.weight, FW_NORMAL);
    EXPECT_EQ(got.italic, 0);

    ASSERT_EQ(got.items.size(), want.controls.size());
    for (std::size_t i = 0; i < want.controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const ExpectedControl& w = want.controls[i];
        const ambrel_test::DialogItem& g = got.items[i];
        EXPECT_EQ(g.id, w.id);
        EXPECT_EQ(ClassAtom(g.window_class), w.window_class);
        EXPECT_EQ(g.style, w.style) << "differing bits: 0x" << std::hex << (g.style ^ w.style);
        EXPECT_EQ(g.ex_style, 0u);
        EXPECT_EQ(std::vector<short>({g.x, g.y, g.cx, g.cy}), std::vector<short>({w.x, w.y, w.cx, w.cy}));
        EXPECT_EQ(g.text.ordinal, 0);
        if (w.text != nullptr) {
            EXPECT_EQ(g.text.name, w.text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ambrel, DialogTemplates, testing::ValuesIn(kDialogs),
                         [](const testing::TestParamInfo<ExpectedDialog>& info) { return info.param.name; });

// ---------------------------------------------------------------- strings

std::wstring LoadText(HMODULE module, int id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW points into the resource itself, so the
    // text is seen exactly, trailing spaces included.
    const int length = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

TEST_F(ResourceCheck, fixed_message_texts_are_exact) {
    const std::pair<int, const wchar_t*> kTexts[] = {
        {IDS_PROGRAM_TITLE, L"Ambrel"},
        {IDS_NO_INSTALLATION, L"Can not find TES3:Morrowind installation"},
        {IDS_ALL_REGISTERED, L"Все игровые архивы BSA зарегистированны. "},
        {IDS_UPDATED, L"файл Morrowind.ini успешно обновлен и дополнен"},
    };
    for (const auto& [id, text] : kTexts) {
        SCOPED_TRACE("string " + std::to_string(id));
        EXPECT_EQ(LoadText(Exe(), id), text);
    }
}

bool HasCyrillic(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(), [](wchar_t c) { return c >= 0x0400 && c <= 0x04FF; });
}

// These are worded freely; they must be Russian and name what they are about.
TEST_F(ResourceCheck, free_message_texts_are_russian_and_on_topic) {
    const std::pair<int, const wchar_t*> kTexts[] = {
        {IDS_WRITE_FAILED, L"morrowind.ini"},
        {IDS_INI_CHANGED, L"morrowind.ini"},
        {IDS_CAPACITY_REACHED, L"10000"},
        {IDS_FOREIGN_NAMES, L"Data Files"},
        {IDS_FOREIGN_NAME_SHORT, L"коротким"},
        {IDS_FOREIGN_NAME_LEFT_OUT, L"не зарегистрирован"},
        {IDS_FOREIGN_NAMES_MORE, L"%s"},
    };
    for (const auto& [id, topic] : kTexts) {
        SCOPED_TRACE("string " + std::to_string(id));
        const std::wstring text = LoadText(Exe(), id);
        EXPECT_TRUE(HasCyrillic(text)) << "not Russian or not UTF-16";
        EXPECT_NE(text.find(topic), std::wstring::npos);
    }
}

// These texts are formats, each %s taking one text in turn: a % of any
// other kind, or a slot too many or too few, would garble the message.
TEST_F(ResourceCheck, format_texts_take_their_strings) {
    const std::pair<int, int> kFormats[] = {
        {IDS_WRITE_FAILED, 1},       // the system's reason
        {IDS_FOREIGN_NAMES, 2},      // the code page, the lines
        {IDS_FOREIGN_NAME_SHORT, 2}, // the long name, the short name
        {IDS_FOREIGN_NAME_LEFT_OUT, 1},
        {IDS_FOREIGN_NAMES_MORE, 1},
        {IDS_USAGE, 0},
        {IDS_BAD_ARGUMENTS, 0},
        {IDS_GAME_FOLDER_MISSING, 1},   // the folder
        {IDS_GAME_FOLDER_NOT_GAME, 1},
        {IDS_GAME_FOLDER_UNUSABLE, 2},  // the folder, the code page
        {IDS_REPORT_FOLDER, 1},
        {IDS_REPORT_WILL_ADD, 1},       // a name
        {IDS_REPORT_WILL_REMOVE, 1},
        {IDS_REPORT_ADDED, 1},
        {IDS_REPORT_REMOVED, 1},
        {IDS_REPORT_WILL_COUNTS, 2},    // registered, removed
        {IDS_REPORT_COUNTS, 2},
    };
    for (const auto& [id, slots] : kFormats) {
        SCOPED_TRACE("string " + std::to_string(id));
        const std::wstring text = LoadText(Exe(), id);
        int found = 0;
        for (std::wstring::size_type at = text.find(L"%s"); at != std::wstring::npos; at = text.find(L"%s", at + 2)) {
            ++found;
        }
        EXPECT_EQ(found, slots);
        EXPECT_EQ(std::count(text.begin(), text.end(), L'%'), slots);
    }
}

// ---------------------------------------------------------------- icon

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, color_count, reserved;
    WORD planes, bit_count;
    DWORD bytes_in_res;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14);

std::size_t IconImageSize(int size, int bpp) {
    const auto row = [](int bits) { return static_cast<std::size_t>((bits + 31) / 32 * 4); };
    const std::size_t palette = bpp <= 8 ? (std::size_t{4} << bpp) : 0;
    return sizeof(BITMAPINFOHEADER) + palette + row(size * bpp) * size + row(size) * size;
}

TEST_F(ResourceCheck, icon_group_has_the_eight_images) {
    const Bytes group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_AMBREL));
    ASSERT_NE(group.data, nullptr);
    ASSERT_GE(group.size, 6u);
    WORD header[3];
    std::memcpy(header, group.data, sizeof header);
    EXPECT_EQ(header[1], 1) << "icon, not cursor";
    ASSERT_EQ(group.size, 6 + header[2] * sizeof(GroupIconEntry));

    std::vector<std::pair<int, int>> formats;  // size, bits per pixel
    for (WORD i = 0; i < header[2]; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, group.data + 6 + i * sizeof e, sizeof e);
        const int size = e.width == 0 ? 256 : e.width;
        SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(e.bit_count) + " bpp");
        formats.emplace_back(size, e.bit_count);
        EXPECT_EQ(e.height, e.width);
        EXPECT_EQ(e.planes, 1);

        // The image behind the entry is a BMP-format icon image of that shape.
        const Bytes image = Resource(RT_ICON, MAKEINTRESOURCEW(e.id));
        ASSERT_NE(image.data, nullptr);
        EXPECT_EQ(image.size, e.bytes_in_res);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bmp;
        std::memcpy(&bmp, image.data, sizeof bmp);
        EXPECT_EQ(bmp.biSize, sizeof bmp);
        EXPECT_EQ(bmp.biWidth, size);
        EXPECT_EQ(bmp.biHeight, 2 * size) << "colour bitmap and AND mask";
        EXPECT_EQ(bmp.biBitCount, e.bit_count);
        EXPECT_EQ(bmp.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(image.size, IconImageSize(size, e.bit_count));
    }
    std::sort(formats.begin(), formats.end());
    const std::vector<std::pair<int, int>> kFormats = {{16, 4}, {16, 8}, {16, 32}, {32, 4},
                                                       {32, 8}, {32, 32}, {48, 8}, {48, 32}};
    EXPECT_EQ(formats, kFormats);
}

// ---------------------------------------------------------------- version

class VersionInfo : public ResourceCheck {
protected:
    void SetUp() override {
        ResourceCheck::SetUp();
        const std::wstring path = BuiltExePath();
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version record, error " << GetLastError();
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data_.data()));
    }

    template <typename T>
    const T* Query(const wchar_t* block, UINT* length) {
        void* value = nullptr;
        if (!VerQueryValueW(data_.data(), block, &value, length)) return nullptr;
        return static_cast<const T*>(value);
    }

private:
    std::vector<std::uint8_t> data_;
};

TEST_F(VersionInfo, versions_are_1_0_0_1) {
    UINT length = 0;
    const auto* fixed = Query<VS_FIXEDFILEINFO>(L"\\", &length);
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
}

TEST_F(VersionInfo, translation_is_us_english_1252) {
    UINT length = 0;
    const auto* translation = Query<WORD>(L"\\VarFileInfo\\Translation", &length);
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 2 * sizeof(WORD)) << "exactly one language";
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04e4);
}

TEST_F(VersionInfo, strings_name_the_program) {
    struct Field {
        const wchar_t* key;
        const wchar_t* text;
        bool exact;  // else the field must contain the text
    };
    const Field kFields[] = {
        {L"ProductName", L"Ambrel", true},
        {L"FileVersion", L"1.0.0.1", true},
        {L"ProductVersion", L"1.0.0.1", true},
        {L"OriginalFilename", L"ambrel.exe", true},
        {L"CompanyName", L"Ambrel", false},
        {L"FileDescription", L"Ambrel", false},
        {L"LegalCopyright", L"Ambrel", false},
    };
    for (const Field& f : kFields) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(f.key)));
        UINT length = 0;
        const auto* value = Query<wchar_t>((std::wstring(L"\\StringFileInfo\\040904e4\\") + f.key).c_str(), &length);
        ASSERT_NE(value, nullptr);
        const std::wstring text(value, wcsnlen(value, length));
        if (f.exact) {
            EXPECT_EQ(text, f.text);
        } else {
            EXPECT_NE(text.find(f.text), std::wstring::npos) << testing::PrintToString(text);
        }
    }
}

// ---------------------------------------------------------------- manifest

TEST_F(ResourceCheck, manifest_is_embedded_and_valid) {
    const Bytes bytes = Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_NE(bytes.data, nullptr);
    const std::string xml(reinterpret_cast<const char*>(bytes.data), bytes.size);
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);
    EXPECT_EQ(xml.find("<requestedExecutionLevel"), std::string::npos)
        << "an execution level would turn off file virtualisation";

    // The loader refuses to start a program whose manifest it cannot parse
    // or resolve; building an activation context from it does the same work.
    const std::wstring path = BuiltExePath();
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    HANDLE context = CreateActCtxW(&request);
    EXPECT_NE(context, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
}

}  // namespace
