// What the process's exit code says about a run from the command line. The
// dialog always ends with InStep.
#pragma once

enum ExitCode : int {
    InStep = 0,        // nothing to change, or the update was written
    ChangesFound = 1,  // /check: an update would change morrowind.ini
    Failed = 2,        // nothing was written
    UsageError = 3,    // the command line is not valid: nothing was read or written
};
