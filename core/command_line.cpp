#include "core/command_line.h"

#include <string_view>

namespace {

enum class Switch { Update, Check, Game, Help, None };

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

Switch SwitchOf(std::wstring_view argument) {
    if (argument == L"/?") return Switch::Help;
    std::wstring_view name;
    if (argument.substr(0, 2) == L"--") {
        name = argument.substr(2);
    } else if (argument.substr(0, 1) == L"/") {
        name = argument.substr(1);
    } else {
        return Switch::None;
    }
    if (EqualsIgnoringCase(name, L"update")) return Switch::Update;
    if (EqualsIgnoringCase(name, L"check")) return Switch::Check;
    if (EqualsIgnoringCase(name, L"game")) return Switch::Game;
    if (EqualsIgnoringCase(name, L"help")) return Switch::Help;
    return Switch::None;
}

// The folder as given, or nothing when it cannot be one.
std::optional<std::wstring> FolderOf(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'"') folder.pop_back();
    if (folder.empty() || folder.find(L'"') != std::wstring::npos) return std::nullopt;
    if (SwitchOf(folder) != Switch::None) return std::nullopt;
    return folder;
}

} // namespace

std::optional<RunRequest> ParseCommandLine(const std::vector<std::wstring>& arguments) {
    RunRequest request;
    bool help = false;
    bool gameGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Switch given = SwitchOf(arguments[i]);
        switch (given) {
        case Switch::Update:
        case Switch::Check: {
            const RunMode mode = given == Switch::Update ? RunMode::Update : RunMode::Check;
            if (request.mode != RunMode::Dialog && request.mode != mode) return std::nullopt;
            request.mode = mode;
            break;
        }
        case Switch::Game: {
            if (gameGiven || i + 1 == arguments.size()) return std::nullopt;
            std::optional<std::wstring> folder = FolderOf(arguments[++i]);
            if (!folder) return std::nullopt;
            request.gameFolder = std::move(*folder);
            gameGiven = true;
            break;
        }
        case Switch::Help:
            help = true;
            break;
        case Switch::None:
            return std::nullopt;
        }
    }
    if (help) request = RunRequest{RunMode::Help, {}};
    return request;
}
