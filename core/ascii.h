// ASCII-only case folding: the program never applies a locale's case rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Eight bytes at a time: the word with every byte 'A'..'Z' folded to
// 'a'..'z' and every other byte (Cyrillic letters included) left alone.
inline std::uint64_t FoldAsciiCapitals8(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    const std::uint64_t low7 = word & (0x7F * ones);
    const std::uint64_t atLeastA = low7 + (0x80 - 'A') * ones;  // no carry: low7 + 0x3F < 0x100
    const std::uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * ones;
    const std::uint64_t capital = atLeastA & ~pastZ & ~word & (0x80 * ones);
    return word | (capital >> 2);
}

// The bytes from at (at most eight) as one word, the missing ones zero.
inline std::uint64_t LoadWord(std::string_view text, std::size_t at) {
    std::uint64_t word = 0;
    if (text.size() - at >= 8) {
        std::memcpy(&word, text.data() + at, 8);  // one load
        return word;
    }
    for (std::size_t i = text.size(); i-- > at;) word = word << 8 | static_cast<unsigned char>(text[i]);
    return word;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t at = 0; at < a.size(); at += 8) {
        if (FoldAsciiCapitals8(LoadWord(a, at)) != FoldAsciiCapitals8(LoadWord(b, at))) return false;
    }
    return true;
}

// A hash of the text with A-Z folded to a-z, so that texts equal under
// EqualsIgnoringAsciiCase hash alike.
inline std::size_t FoldedHash(std::string_view text) {
    std::uint64_t hash = text.size();
    for (std::size_t at = 0; at < text.size(); at += 8) {
        hash = (hash ^ FoldAsciiCapitals8(LoadWord(text, at))) * 0x9E3779B97F4A7C15u;
        hash ^= hash >> 32;
    }
    return static_cast<std::size_t>(hash);
}
