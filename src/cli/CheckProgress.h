#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// Where a check pass stands.
struct ProgressSnapshot {
    int m_nChecked = 0; // favourites with an outcome
    int m_nTotal = 0;   // favourites in the list
    int m_nBroken = 0;  // broken or partially broken so far
    std::chrono::duration<double> m_elapsed{0};
};

// "120 of 2000 checked, 4 broken, 39.5 links/s, 0:48 left". Until the first
// outcome the rate and the time left are not known and read "-".
std::string FormatProgress(const ProgressSnapshot& progress);

// The progress display on standard error. On a terminal it is one line,
// rewritten in place at most five times a second; otherwise it is a plain
// line, without control characters, each time another tenth of the list is
// done, so a log stays short whatever the size of the list.
class CProgressDisplay {
public:
    CProgressDisplay(std::FILE* pOut, bool bTerminal) : m_pOut(pOut), m_bTerminal(bTerminal) {}

    void Update(const ProgressSnapshot& progress);
    // Shows the final state and ends the line.
    void Finish(const ProgressSnapshot& progress);
    // Ends the terminal line so that another message can follow.
    void BreakLine();

private:
    void Show(const ProgressSnapshot& progress);

    std::FILE* m_pOut;
    bool m_bTerminal;
    bool m_bLineOpen = false;       // a terminal line is shown and not yet ended
    int m_nLastTenth = -1;          // the tenth of the list last shown as a plain line
    int m_nLastChecked = -1;        // what was last shown
    std::chrono::steady_clock::time_point m_lastShown{};
};
