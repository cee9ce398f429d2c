#pragma once

#include <atomic>
#include <cstdio>

#include "CheckArguments.h"

// The exit statuses of zorbel-check.
enum CheckExitStatus : int {
    kExitNothingBroken = 0,
    kExitSomethingBroken = 1, // a link is broken or partially broken
    kExitError = 2,           // bad arguments, an unreadable source, an output that failed
    kExitInterrupted = 130,   // stopped by Ctrl+C
};

struct CheckRunIo {
    std::FILE* m_pOut = stdout;   // the report
    std::FILE* m_pErr = stderr;   // progress and errors
    bool m_bProgressTerminal = false; // pErr is a terminal
    const std::atomic<bool>* m_pInterrupted = nullptr; // set when the user asks to stop
};

// One run of the console checker: reads the user's settings (never writing
// them), fills the list from the source or the Favorites folder, checks
// every favourite with the GUI's own scheduler, shows progress, prints the
// report, writes the files asked for and returns the exit status. The
// caller sets the network library up first (HttpGlobalInit).
int RunZorbelCheck(const CheckOptions& options, const CheckRunIo& io);
