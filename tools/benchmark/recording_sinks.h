// Sinks for the removed and the added names that keep a copy of each, as the
// main dialog's list boxes do.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct RecordingSinks {
    using Sink = std::function<void(const std::string& name)>;

    std::vector<std::string> removed;
    std::vector<std::string> added;

    Sink Removed() {
        return [this](const std::string& name) { removed.push_back(name); };
    }
    Sink Added() {
        return [this](const std::string& name) { added.push_back(name); };
    }
};
