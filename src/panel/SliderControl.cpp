// The fader's settings, the arithmetic between values and thumb positions,
// and the value text.

#include "panel/SliderControl.h"

#include "settings/RetuneTaper.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The thumb's drag travel in pixels.
constexpr int kTravel = 101;

// The two sliders that show a retune speed and the one that shows tenths of
// a hertz (the panel's indices).
constexpr int kRetuneIndex = 1;
constexpr int kGraphRetuneIndex = 6;
constexpr int kRateIndex = 4;

}  // namespace

CSliderControl::CSliderControl(CWnd* owner, int firstEnd, int secondEnd)
    : m_nFirstEnd(firstEnd), m_nSecondEnd(secondEnd), m_pOwner(owner), m_crBackground(GetSysColor(COLOR_BTNFACE)),
      m_nFineDivider(std::abs(secondEnd - firstEnd) / 100)
{
    InitializeCriticalSection(&m_lock);
}

CSliderControl::~CSliderControl()
{
    if (m_hOldBackground != nullptr) {
        ::SelectObject(m_dcBackground, m_hOldBackground);
    }
    if (m_hOldCompose != nullptr) {
        ::SelectObject(m_dcCompose, m_hOldCompose);
    }
    DestroyWindow();
    DeleteCriticalSection(&m_lock);
}

void CSliderControl::SetCallback(void* context, ChangedCallback callback)
{
    m_pChangedContext = context;
    m_pfnChanged = callback;
}

void CSliderControl::SetRange(int firstEnd, int secondEnd)
{
    m_nFirstEnd = firstEnd;
    m_nSecondEnd = secondEnd;
    m_nFineDivider = std::abs(secondEnd - firstEnd) / 100 - 1;
}

void CSliderControl::SetFineMode(BOOL on)
{
    if (!on) {
        m_nFineDivider = 0;
    }
}

void CSliderControl::SetDefaultValue(int value)
{
    m_bHasDefault = true;
    m_nDefault = value;
}

void CSliderControl::SetValue(int value)
{
    const int a = m_nFirstEnd;
    const int b = m_nSecondEnd;
    m_nOffset = a <= b ? b - value : value;
    // Distance of the value from the bottom end.
    int d;
    if (a == 0 || a == 1) {
        d = value - a;
    } else if (a < 0) {
        d = value + std::abs(a);
    } else if (a > b) {
        d = a - value * a / (a - b);
    } else {
        d = b - value * b / (b - a);
    }
    if (a == b) {
        return;
    }
    const int y = std::clamp(kTravel - (kTravel * d) / std::abs(b - a), m_nMinY, m_nMaxY);
    if (m_hWnd != nullptr && OnOwnThread()) {
        RedrawThumb(y);
    } else {
        // The window's own thread draws it at its next paint.
        m_nThumbY = y;
        if (m_hWnd != nullptr) {
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
    }
}

int CSliderControl::GetValue() const
{
    const int a = m_nFirstEnd;
    const int b = m_nSecondEnd;
    const int value = a <= b ? b - m_nOffset : m_nOffset.load();
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

void CSliderControl::UpdateValueField()
{
    int value = GetValue();
    if (m_nIndex == kRetuneIndex || m_nIndex == kGraphRetuneIndex) {
        value = retune_taper::IndexToMs(value);
    }
    char text[24];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    if (m_nIndex == kRateIndex) {
        // Tenths of a hertz: "55" reads "5.5".
        const std::size_t length = std::strlen(text);
        std::memmove(text + length, text + length - 1, 2);
        text[length - 1] = '.';
    }
    if (m_pOwner == nullptr || m_pOwner->m_hWnd == nullptr) {
        return;
    }
    HWND field = ::GetDlgItem(m_pOwner->m_hWnd, m_nValueFieldId);
    if (field != nullptr) {
        ::SetWindowTextA(field, text);
        ::InvalidateRect(field, nullptr, TRUE);
    }
}

bool CSliderControl::OnOwnThread() const
{
    return ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId();
}
