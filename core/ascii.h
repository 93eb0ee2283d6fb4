// ASCII-only case folding: the program never applies a locale's case rules.
#pragma once

#include <string>
#include <string_view>

inline char FoldAsciiCapital(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string FoldAsciiCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = FoldAsciiCapital(c);
    return folded;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCapital(a[i]) != FoldAsciiCapital(b[i])) return false;
    }
    return true;
}
