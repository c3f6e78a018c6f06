#pragma once
// A one-line progress bar on stderr, redrawn in place. It draws nothing
// unless it was enabled (the tool enables it only for a terminal).

#include <chrono>
#include <cstdio>

class CProgressBar
{
public:
    explicit CProgressBar(bool bEnabled, std::FILE* pStream = stderr);
    // Erases the bar, so that whatever is printed next starts on a clean line.
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    // fraction 0 to 1; redraws only when the shown percentage changes, and
    // at most ten times a second, so a fast job does not flood a slow
    // terminal.
    void Update(double fraction);
    void Erase();

private:
    std::FILE* m_pStream;
    bool m_bEnabled;
    bool m_bShown = false;
    int m_nShownPercent = -1;
    std::chrono::steady_clock::time_point m_LastDraw{};
};
