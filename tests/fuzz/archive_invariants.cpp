#include "tests/fuzz/archive_invariants.h"

#include <string_view>

#include "core/archive_check.h"

namespace {

const char* NameOf(ArchiveVerdict verdict) {
    switch (verdict) {
    case ArchiveVerdict::Readable: return "readable";
    case ArchiveVerdict::Folder: return "folder";
    case ArchiveVerdict::TooShort: return "too short";
    case ArchiveVerdict::LaterGame: return "later game";
    case ArchiveVerdict::NotThisGame: return "not this game";
    case ArchiveVerdict::Damaged: return "damaged";
    case ArchiveVerdict::CouldNotRead: return "could not read";
    }
    return "?";
}

// A plain second reading of the format, all at once and in unsigned
// 64-bit arithmetic: the bytes the input does not hold are past the file's
// end.
class PlainReading {
public:
    PlainReading(const std::uint8_t* bytes, std::size_t length) : bytes_(bytes), length_(length) {}

    ArchiveVerdict Judge(std::uint64_t fileSize) const {
        if (fileSize < 12 || length_ < 12) return ArchiveVerdict::TooShort;
        if (bytes_[0] == 'B' && bytes_[1] == 'S' && bytes_[2] == 'A' && bytes_[3] == 0) {
            return ArchiveVerdict::LaterGame;
        }
        if (Word(0) != 256) return ArchiveVerdict::NotThisGame;
        const std::uint64_t directory = Word(4);
        const std::uint64_t files = Word(8);
        if (directory / 12 < files) return ArchiveVerdict::Damaged;
        const std::uint64_t dataStart = 12 + directory + files * 8;
        if (fileSize < dataStart) return ArchiveVerdict::Damaged;
        for (std::uint64_t i = 0; i < files; ++i) {
            const std::uint64_t at = 12 + i * 8;
            if (at + 8 > length_) return ArchiveVerdict::Damaged;
            if (Word(at) + Word(at + 4) > fileSize - dataStart) return ArchiveVerdict::Damaged;
        }
        return ArchiveVerdict::Readable;
    }

private:
    std::uint64_t Word(std::uint64_t at) const {
        std::uint64_t value = 0;
        for (int i = 3; i >= 0; --i) value = value * 256 + bytes_[at + static_cast<std::uint64_t>(i)];
        return value;
    }

    const std::uint8_t* bytes_;
    std::size_t length_;
};

} // namespace

std::string CheckArchiveInvariants(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    const std::uint8_t* start = data + 1;
    std::size_t length = size - 1;
    std::uint64_t fileSize = length;
    if ((data[0] & 1) && length >= 9) {
        fileSize = 0;
        for (int i = 7; i >= 0; --i) fileSize = fileSize << 8 | start[i];
        start += 8;
        length -= 8;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(start), length);

    // What it asks for: never more than one piece of bounded size, and never
    // past the file's end, so that no reader allocates from a number in the
    // file.
    ArchiveCheck check(fileSize);
    std::uint64_t asked = 0;
    std::string_view rest = bytes;
    while (const std::size_t wanted = check.Wanted()) {
        if (wanted > 65536) return "asks for a piece of " + std::to_string(wanted) + " bytes";
        asked += wanted;
        if (asked > fileSize) return "asks for more than the file holds";
        const std::string_view piece = rest.substr(0, wanted < rest.size() ? wanted : rest.size());
        rest.remove_prefix(piece.size());
        check.Take(piece);
    }

    const ArchiveVerdict verdict = JudgeArchive(bytes, fileSize);
    const ArchiveVerdict expected = PlainReading(start, length).Judge(fileSize);
    if (verdict != expected) {
        return std::string("judged ") + NameOf(verdict) + ", the plain reading says " + NameOf(expected);
    }
    return {};
}
