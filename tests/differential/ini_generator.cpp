#include "tests/differential/ini_generator.h"

#include <string_view>

#include "core/ini_file.h"
#include "core/registered_archives.h"

using namespace std::string_literals;

namespace {

// The bytes that names and values are made of: ASCII letters, digits and
// punctuation, Windows-1251 Cyrillic and other high bytes (0x98 is no
// character in 1251, 0xA0 is its no-break space). No ']' or '[' (which
// would make a header where none is meant), no line breaks, no NUL.
constexpr std::string_view TextBytes =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_()!#';="
    "\xC0\xC1\xC2\xD0\xDF\xE0\xE1\xE2\xF0\xFF\xA8\xB8\x98\xA0\x80\x99";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII letters in random case; Cyrillic letters as they are, since another
// case of them names another section.
std::string RandomAsciiCase(std::string text, IniGenerator& random) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z' && random.OneIn(2)) c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z' && random.OneIn(2)) c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

} // namespace

std::string IniGenerator::File() {
    endingStyle_ = Below(4);
    std::string file;
    const unsigned lines = Below(40);
    bool wroteHeader = false;
    for (unsigned i = 0; i < lines; ++i) {
        std::string line;
        if (!wroteHeader && i >= lines / 3 && !OneIn(5)) {
            line = ArchiveHeader();
            wroteHeader = true;
        } else {
            line = Line();
        }
        file += line;
        if (i + 1 < lines || !OneIn(3)) file += LineEnding();
    }
    // The DOS end-of-file mark, after a last line that has its line ending.
    if (OneIn(8) && (file.empty() || file.back() == '\n' || file.back() == '\r')) file += "\x1a";
    // The platform reads a file with a byte order mark in another encoding.
    if (file.rfind("\xEF\xBB\xBF", 0) == 0 || file.rfind("\xFF\xFE", 0) == 0 ||
        file.rfind("\xFE\xFF", 0) == 0) {
        file.insert(0, "\r\n");
    }
    return file;
}

std::string IniGenerator::LineEnding() {
    static const char* const endings[] = {"\r\n", "\n", "\r"};
    unsigned style = endingStyle_ < 3 ? endingStyle_ : Below(3);
    return endings[style];
}

std::string IniGenerator::Blanks() {
    static const char* const blanks[] = {"", "", "", " ", "  ", "\t", " \t "};
    return Pick(blanks);
}

std::string IniGenerator::Line() {
    switch (Below(16)) {
    case 0: return ArchiveHeader();
    case 1:
    case 2: return OtherHeader();
    case 3: return Blanks();
    case 4: return Blanks() + ";" + Text(Below(20));
    case 5: return ";"s + Blanks() + ArchiveKeyLine();
    case 6: return OtherKeyLine();
    case 7: return OneIn(2) ? "\0"s : "\0"s + ArchiveKeyLine();
    case 8: return "\x1a";
    default: return ArchiveKeyLine();
    }
}

std::string IniGenerator::ArchiveHeader() {
    std::string name(ArchiveSection);
    switch (Below(8)) {
    case 0:  // one letter in the other case
        name[Below(static_cast<unsigned>(name.size()))] ^= 0x20;
        break;
    case 1: name = "\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2\xD1\x8B"; break;  // in UTF-8
    case 2: name += "\0"s + Text(Below(5)); break;
    default: break;
    }
    std::string tail;
    if (OneIn(6)) tail = Blanks() + ";" + Text(Below(10));
    return Blanks() + "[" + Blanks() + name + Blanks() + "]" + tail + Blanks();
}

std::string IniGenerator::OtherHeader() {
    static const char* const names[] = {"General", "Game Files", "Archives", "", " ",
                                        "\xC0\xF0\xF5\xE8\xE2", "\xE0\xF0\xF5\xE8\xE2\xFB"};
    return Blanks() + "[" + RandomAsciiCase(Pick(names), *this) + "]" + Blanks();
}

std::string IniGenerator::ArchiveKeyLine() {
    // Mostly small numbers, so that lists have gaps and duplicates.
    unsigned number = OneIn(4) ? Below(13) : Below(5);
    std::string name = RandomAsciiCase(ArchiveKeyName(number), *this);
    switch (Below(20)) {
    case 0: name = "Archive 0" + std::to_string(number); break;
    case 1: name = "Archive  " + std::to_string(number); break;
    case 2: name += "\0"s + Text(Below(4)); break;
    case 3: name += " \0"s; break;
    default: break;
    }
    if (OneIn(12)) return Blanks() + name + Blanks();  // no '=': a key without a value
    return Blanks() + name + Blanks() + "=" + Blanks() + Value() + Blanks();
}

std::string IniGenerator::OtherKeyLine() {
    static const char* const names[] = {"GameFile0", "Screen Shot Base Name", "x",
                                        "\xCA\xEB\xFE\xF7", "Archive"};
    return Blanks() + RandomAsciiCase(Pick(names), *this) + Blanks() + "=" + Value();
}

std::string IniGenerator::Value() {
    std::string value;
    switch (Below(12)) {
    case 0: return "";
    case 1: value = Text(240 + Below(70)); break;
    case 2: value = "\"" + Text(Below(12)) + "\""; break;
    case 3: value = "'" + Text(Below(12)) + "'"; break;
    case 4: value = Pick({"\"", "'", "\"\"", "\"x.bsa", "x.bsa'", "\"a'"}); break;
    case 5: value = Text(1 + Below(10)) + "\0"s + Text(Below(10)); break;
    case 6: value = WithControlInside(Text(2 + Below(10))); break;
    default: value = ArchiveName(); break;
    }
    // Wine's quote removal drops one character too many when the unquoted
    // value just fills the buffer (see KnownDifferences); keep clear of it.
    std::string_view read = std::string_view(value).substr(0, value.find('\0'));
    if (read.size() == IniValueCapacity + 1 && IsQuote(read.front()) && read.back() == read.front()) {
        value.insert(1, "x");
    }
    return value;
}

std::string IniGenerator::ArchiveName() {
    switch (Below(10)) {
    case 0: return Text(1 + Below(20)) + ".bsa";
    case 1: return " " + Text(1 + Below(10)) + ".bsa";  // a leading blank must be quoted
    case 2: return "'" + Text(1 + Below(10)) + ".bsa'";  // so must quotes around it
    case 3: {
        // Long, but not so long that a quoted form could not be read back.
        std::string name = Text(200 + Below(52)) + ".bsa";
        while (IsBlank(name.front()) || IsQuote(name.front())) name.front() = 'x';
        return name;
    }
    case 4: return "\xC0\xF0\xF5\xE8\xE2 " + Text(Below(6)) + ".BSA";
    default: {
        std::string name = Text(1 + Below(12));
        while (!name.empty() && IsBlank(name.back())) name.pop_back();
        return name + ".bsa";
    }
    }
}

std::string IniGenerator::Text(unsigned length) {
    std::string text;
    for (unsigned i = 0; i < length; ++i) {
        text += TextBytes[Below(static_cast<unsigned>(TextBytes.size()))];
    }
    return text;
}

// A vertical tab, form feed or ^Z between two characters that are no blanks:
// Windows and Wine agree on such a byte only away from the ends of a name or
// value.
std::string IniGenerator::WithControlInside(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsBlank(text[i])) text[i] = 'b';
    }
    static const char* const controls[] = {"\x0b", "\x0c", "\x1a"};
    text.insert(1 + Below(static_cast<unsigned>(text.size() - 1)), Pick(controls));
    return text;
}
