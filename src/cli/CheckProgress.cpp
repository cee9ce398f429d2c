#include "cli/CheckProgress.h"

#include <cmath>
#include <cstdint>

namespace {

std::string FormatDuration(double dSeconds)
{
    const long nSeconds = std::lround(dSeconds);
    char szText[32];
    if (nSeconds >= 3600)
        std::snprintf(szText, sizeof szText, "%ld:%02ld:%02ld", nSeconds / 3600, nSeconds / 60 % 60, nSeconds % 60);
    else
        std::snprintf(szText, sizeof szText, "%ld:%02ld", nSeconds / 60, nSeconds % 60);
    return szText;
}

} // namespace

std::string FormatProgress(const ProgressSnapshot& p)
{
    const double dSeconds = p.m_elapsed.count();
    std::string strRate = "-";
    std::string strLeft = "-";
    if (p.m_nChecked > 0 && dSeconds > 0) {
        const double dRate = p.m_nChecked / dSeconds;
        char szRate[32];
        std::snprintf(szRate, sizeof szRate, "%.1f", dRate);
        strRate = szRate;
        strLeft = FormatDuration((p.m_nTotal - p.m_nChecked) / dRate);
    }
    char szLine[256];
    std::snprintf(szLine, sizeof szLine, "%d of %d checked, %d broken, %s links/s, %s left", p.m_nChecked, p.m_nTotal,
                  p.m_nBroken, strRate.c_str(), strLeft.c_str());
    return szLine;
}

void CProgressDisplay::Show(const ProgressSnapshot& progress)
{
    const std::string strLine = FormatProgress(progress);
    if (m_bTerminal) {
        // Back to the start of the line, the new text, the rest of the old
        // one cleared.
        std::fprintf(m_pOut, "\r%s\x1b[K", strLine.c_str());
        m_bLineOpen = true;
    } else {
        std::fprintf(m_pOut, "%s\n", strLine.c_str());
    }
    std::fflush(m_pOut);
    m_nLastChecked = progress.m_nChecked;
}

void CProgressDisplay::Update(const ProgressSnapshot& progress)
{
    if (m_bTerminal) {
        const auto now = std::chrono::steady_clock::now();
        if (m_bLineOpen && now - m_lastShown < std::chrono::milliseconds(200))
            return;
        m_lastShown = now;
        Show(progress);
        return;
    }
    if (progress.m_nTotal <= 0)
        return;
    const int nTenth = int(std::int64_t(progress.m_nChecked) * 10 / progress.m_nTotal);
    if (nTenth <= m_nLastTenth || nTenth == 0)
        return;
    m_nLastTenth = nTenth;
    Show(progress);
}

void CProgressDisplay::Finish(const ProgressSnapshot& progress)
{
    if (m_bTerminal || progress.m_nChecked != m_nLastChecked)
        Show(progress);
    BreakLine();
}

void CProgressDisplay::BreakLine()
{
    if (m_bLineOpen) {
        std::fputc('\n', m_pOut);
        std::fflush(m_pOut);
        m_bLineOpen = false;
    }
}
