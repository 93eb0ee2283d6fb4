// A run from the command line that opens no window of any kind: it reports
// what it did to the console or to the redirected output.
#pragma once

#include "app/exit_code.h"
#include "core/command_line.h"

// /update and /check: finds the installation, reconciles, writes when asked
// to, prints the report and returns the exit code.
ExitCode RunQuietly(const RunRequest& request);

// /? and /help: prints the usage; in a message box when nothing would show
// the printed text.
ExitCode ShowUsage();

// A command line that is not valid: says so, with the usage, on the error
// stream.
ExitCode ReportUsageError();
