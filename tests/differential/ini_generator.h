// Random INI files in the shapes morrowind.ini takes in the wild: sections
// and keys in any case, blanks and tabs, quotes, comments, duplicates, gaps
// in the numbering, every kind of line ending, NUL and ^Z bytes,
// Windows-1251 Cyrillic and long values. The same seed gives the same files.
//
// The files keep clear of the few constructs that Windows and Wine read
// differently (see KnownDifferences in ini_differential_test.cpp), so that
// any disagreement on them is a fault of ours.
#pragma once

#include <cstdint>
#include <random>
#include <string>

class IniGenerator {
public:
    explicit IniGenerator(std::uint32_t seed) : random_(seed) {}

    std::string File();
    // A name an update may write: what a scan can report or a read can keep.
    std::string ArchiveName();

    // A number in [0, bound).
    unsigned Below(unsigned bound) { return static_cast<unsigned>(random_() % bound); }
    bool OneIn(unsigned n) { return Below(n) == 0; }

private:
    std::string LineEnding();
    std::string Blanks();
    std::string Line();
    std::string ArchiveHeader();
    std::string OtherHeader();
    std::string ArchiveKeyLine();
    std::string OtherKeyLine();
    std::string Value();
    std::string Text(unsigned length);
    std::string WithControlInside(std::string text);
    template <std::size_t N> const char* Pick(const char* const (&choices)[N]) {
        return choices[Below(N)];
    }

    std::mt19937 random_;
    unsigned endingStyle_ = 0;
};
