// Shows a group of archive names in one of the main dialog's list boxes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

// Gathers the names as the reconciliation reports them, then hands them to
// the list box in one go. The list box keeps its sorted style and places
// every name itself, in the order they were reported, so it shows exactly
// what adding them one by one would show.
class ArchiveListBox {
public:
    explicit ArchiveListBox(HWND list) : list_(list) {}

    // A name as the 8-bit string the core holds, in the ANSI code page.
    void Add(std::string_view name);

    // Adds the names gathered so far and sets the horizontal extent to the
    // widest of them, so that a name wider than the list can be scrolled to
    // its end.
    void Show();

private:
    HWND list_;
    std::wstring texts_;                   // every name, each ended by a null
    std::vector<std::size_t> starts_;      // where each name begins in texts_
};
