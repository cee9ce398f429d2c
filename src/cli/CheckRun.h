#pragma once

#include <atomic>
#include <cstdio>

#include "cli/CheckArguments.h"

// The exit statuses of zorbel-check.
enum CheckExitStatus : int {
    kExitNothingBroken = 0,
    kExitSomethingBroken = 1, // a link is broken or partially broken
    kExitError = 2,           // bad arguments, an unreadable source, an output that failed
    kExitSignalBase = 128,    // stopped by a signal: 128 plus its number, as the shell has it
};

struct CheckRunIo {
    std::FILE* m_pOut = stdout;   // the report
    std::FILE* m_pErr = stderr;   // progress and errors
    bool m_bProgressTerminal = false; // pErr is a terminal
    // The number of the signal that asked the run to stop (SIGINT, SIGTERM,
    // SIGHUP), 0 until one came.
    const std::atomic<int>* m_pStopSignal = nullptr;
};

// One run of the console checker: reads the user's settings (never writing
// them), fills the list from the source or the Favorites folder, checks
// every favourite with the GUI's own scheduler, shows progress, prints the
// report, writes the files asked for and returns the exit status. A stop
// signal ends the checks as Stop Checking does; the report and the files
// still follow, and the status is 128 plus the signal's number. A report
// that cannot be written (a closed pipe, a full disk) is an error. The
// caller sets the network library up first (HttpGlobalInit).
int RunZorbelCheck(const CheckOptions& options, const CheckRunIo& io);

// The check time-out of a run in milliseconds: --timeout, else the user's
// setting (read, never written).
int CheckTimeoutMs(const CheckOptions& options);
