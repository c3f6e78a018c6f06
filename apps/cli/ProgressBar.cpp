#include "ProgressBar.h"

#include <cmath>
#include <string>

namespace {

constexpr int kWidth = 40;

} // namespace

CProgressBar::CProgressBar(bool bEnabled, std::FILE* pStream) : m_pStream(pStream), m_bEnabled(bEnabled) {}

CProgressBar::~CProgressBar()
{
    Erase();
}

void CProgressBar::Update(double fraction)
{
    if (!m_bEnabled)
        return;
    if (!(fraction >= 0.0))
        fraction = 0.0;
    if (fraction > 1.0)
        fraction = 1.0;
    const int percent = static_cast<int>(std::floor(fraction * 100.0));
    if (percent == m_nShownPercent)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_bShown && percent < 100 && now - m_LastDraw < std::chrono::milliseconds(100))
        return;
    m_LastDraw = now;
    m_nShownPercent = percent;
    const int filled = static_cast<int>(std::floor(fraction * kWidth));
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    std::fprintf(m_pStream, "\rcorrecting [%s] %3d%%", bar.c_str(), percent);
    std::fflush(m_pStream);
    m_bShown = true;
}

void CProgressBar::Erase()
{
    if (!m_bShown)
        return;
    // Blank the whole line, then return to its start.
    std::fprintf(m_pStream, "\r%*s\r", kWidth + 18, "");
    std::fflush(m_pStream);
    m_bShown = false;
    m_nShownPercent = -1;
}
