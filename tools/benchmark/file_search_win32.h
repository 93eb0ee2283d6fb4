// FindFirstFileA/FindNextFileA as an object that closes its search.
#pragma once

#include <string>

#include <windows.h>

class FileSearch {
public:
    // Starts the search and reports the first entry, if any, in entry.
    FileSearch(const std::string& pattern, WIN32_FIND_DATAA& entry)
        : handle_(FindFirstFileA(pattern.c_str(), &entry)) {}
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    ~FileSearch() {
        if (Found()) FindClose(handle_);
    }
    // Whether there was a first entry.
    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& entry) { return FindNextFileA(handle_, &entry) != FALSE; }

private:
    HANDLE handle_;
};
