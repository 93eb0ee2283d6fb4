#include "core/archive_check.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::uint32_t ArchiveVersion = 0x100;
// The records are read in pieces of at most this many bytes, so that memory
// stays small whatever the file claims.
constexpr std::size_t RecordPieceSize = 8192 * ArchiveRecordSize;

std::uint32_t ReadLittleEndian32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

} // namespace

ArchiveCheck::ArchiveCheck(std::uint64_t fileSize) : fileSize_(fileSize) {
    if (fileSize_ < ArchiveHeaderSize) {
        verdict_ = ArchiveVerdict::TooShort;
        decided_ = true;
    }
}

std::size_t ArchiveCheck::Wanted() const {
    if (decided_) return 0;
    if (!headerSeen_) return ArchiveHeaderSize;
    return static_cast<std::size_t>(std::min<std::uint64_t>(recordsLeft_ * ArchiveRecordSize, RecordPieceSize));
}

void ArchiveCheck::Take(std::string_view piece) {
    if (decided_) return;
    if (!headerSeen_) {
        TakeHeader(piece);
    } else {
        TakeRecords(piece);
    }
}

void ArchiveCheck::TakeHeader(std::string_view header) {
    headerSeen_ = true;
    decided_ = true;
    if (header.size() < ArchiveHeaderSize) {
        verdict_ = ArchiveVerdict::TooShort;
        return;
    }
    if (header.substr(0, 4) == std::string_view("BSA\0", 4)) {
        verdict_ = ArchiveVerdict::LaterGame;
        return;
    }
    if (ReadLittleEndian32(header, 0) != ArchiveVersion) {
        verdict_ = ArchiveVerdict::NotThisGame;
        return;
    }
    // Each file has its record and its name offset in the directory, and its
    // hash after it; all of that, and the header, must lie inside the file.
    const std::uint64_t directorySize = ReadLittleEndian32(header, 4);
    const std::uint64_t fileCount = ReadLittleEndian32(header, 8);
    const std::uint64_t dataStart = ArchiveHeaderSize + directorySize + ArchiveRecordSize * fileCount;
    if (directorySize < 12 * fileCount || dataStart > fileSize_) {
        verdict_ = ArchiveVerdict::Damaged;
        return;
    }
    dataSize_ = fileSize_ - dataStart;
    recordsLeft_ = fileCount;
    decided_ = fileCount == 0;
}

void ArchiveCheck::TakeRecords(std::string_view records) {
    const std::size_t wanted = Wanted();
    for (std::size_t at = 0; at + ArchiveRecordSize <= records.size(); at += ArchiveRecordSize) {
        const std::uint64_t size = ReadLittleEndian32(records, at);
        const std::uint64_t offset = ReadLittleEndian32(records, at + 4);
        if (offset + size > dataSize_) {
            verdict_ = ArchiveVerdict::Damaged;
            decided_ = true;
            return;
        }
    }
    if (records.size() < wanted) {
        // The file ended before its records did.
        verdict_ = ArchiveVerdict::Damaged;
        decided_ = true;
        return;
    }
    recordsLeft_ -= wanted / ArchiveRecordSize;
    decided_ = recordsLeft_ == 0;
}

ArchiveVerdict JudgeArchive(std::string_view start, std::uint64_t fileSize) {
    ArchiveCheck check(fileSize);
    while (std::size_t wanted = check.Wanted()) {
        const std::string_view piece = start.substr(0, std::min(wanted, start.size()));
        start.remove_prefix(piece.size());
        check.Take(piece);
    }
    return check.Verdict();
}

ArchiveCheckResult CheckArchiveFile(const std::string& path) {
    ArchiveCheckResult result;
    std::optional<ArchiveCheck> check;
    const FileStartResult read = ReadFileStart(path, [&check](std::uint64_t size, std::string_view piece) {
        if (!check) {
            check.emplace(size);
        } else {
            check->Take(piece);
        }
        return check->Wanted();
    });
    switch (read.status) {
    case FileStartStatus::Read:
        result.verdict = check ? check->Verdict() : ArchiveVerdict::TooShort;
        break;
    case FileStartStatus::Folder:
        result.verdict = ArchiveVerdict::Folder;
        break;
    case FileStartStatus::Failed:
        result.verdict = ArchiveVerdict::CouldNotRead;
        result.error = read.error;
        break;
    }
    return result;
}
