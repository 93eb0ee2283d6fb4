// What the program is asked to do by its command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class RunMode {
    Dialog,  // the main dialog, as without arguments
    Update,  // reconcile and write, with no window
    Check,   // reconcile and only say whether an update would change the file
    Help,    // the usage
};

struct RunRequest {
    RunMode mode = RunMode::Dialog;
    // The installation to use instead of the program's folder or the
    // registry; empty when not given.
    std::wstring gameFolder;
};

// The request the arguments (without the program's own name) make, or
// nothing when they are not a valid command line. Switches are /update,
// /check, /game <folder>, /? and /help, each also spelt with "--" instead of
// "/" (but "--?" is not), in any ASCII case. /update and /check exclude each
// other; /game combines with either and on its own asks for the dialog on
// that folder; /help ignores the rest, unless something of the rest is
// invalid. A folder that ends in a quote (cmd passes "C:\Games\" as
// C:\Games") has the quote dropped; any other quote, an empty folder or a
// switch in its place is invalid.
std::optional<RunRequest> ParseCommandLine(const std::vector<std::wstring>& arguments);
