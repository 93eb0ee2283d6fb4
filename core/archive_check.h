// Whether an entry of Data Files is an archive the game can read. Anyone can
// put a file there, so every number taken from it is checked against the
// file's size, in 64 bits, before it is trusted; nothing is allocated from
// it. Only the header and the file records are read, never the data.
//
// The archive: a header of three little-endian 32-bit numbers (the version
// 0x100, H the size of the directory that follows the header, N the number
// of files), then N records of 8 bytes (a file's size, then its offset in the
// data section), further directory (name offsets and names) up to 12 + H, a
// hash table of 8 bytes a file, and the data section, which starts at
// 12 + H + 8N.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

enum class ArchiveVerdict {
    Readable,
    Folder,         // a folder named like an archive
    TooShort,       // empty, or shorter than the header
    LaterGame,      // an archive of a later game of the series ("BSA\0")
    NotThisGame,    // any other start
    Damaged,        // the directory or a file's data lies past the end
    CouldNotRead,   // the system refused (locked, no right); see the error
};

constexpr std::size_t ArchiveHeaderSize = 12;
constexpr std::size_t ArchiveRecordSize = 8;

// Reads an archive's start piece by piece: it says how many bytes it wants
// next, takes them, and decides once it has seen the header and the records.
// A file of fileSize bytes is read from its first byte on, the pieces in
// order; it never asks for more than is left of the file.
class ArchiveCheck {
public:
    explicit ArchiveCheck(std::uint64_t fileSize);

    // How many bytes the next piece should hold: 0 once it has decided.
    std::size_t Wanted() const;
    // The next piece of the file, at most Wanted() bytes. A shorter piece
    // means the file ended there (it shrank while being read).
    void Take(std::string_view piece);
    // The verdict, once Wanted() is 0.
    ArchiveVerdict Verdict() const { return verdict_; }

private:
    void TakeHeader(std::string_view header);
    void TakeRecords(std::string_view records);

    std::uint64_t fileSize_;
    std::uint64_t dataSize_ = 0;        // the data section's size
    std::uint64_t recordsLeft_ = 0;
    bool headerSeen_ = false;
    bool decided_ = false;
    ArchiveVerdict verdict_ = ArchiveVerdict::Readable;
};

// The verdict on a file of fileSize bytes whose first bytes are start (the
// header and the records; more is ignored). When start ends before what the
// check needs, the file is taken to end there.
ArchiveVerdict JudgeArchive(std::string_view start, std::uint64_t fileSize);

struct ArchiveCheckResult {
    ArchiveVerdict verdict = ArchiveVerdict::Readable;
    SystemErrorCode error = 0;  // why, when CouldNotRead
};

// Opens the file at path, sharing it with every other program, and judges
// it.
ArchiveCheckResult CheckArchiveFile(const std::string& path);
