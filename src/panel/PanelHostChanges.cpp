// Settings that come from the host: each one is shown on its control and
// then written to the store as if the user had made it.

#include "panel/IntonaraDialog.h"

#include "settings/ParameterDescriptors.h"
#include "settings/ParameterStore.h"

#include <algorithm>

namespace {

constexpr int kLastId = 34;

int SliderOf(int id)
{
    for (int i = 0; i < panel::kSliderCount; ++i) {
        if (panel::kSliders[i].parameterId == id) {
            return i;
        }
    }
    return -1;
}

}  // namespace

void CIntonaraDialog::SelectListItem(int listId, int value)
{
    // Never waits for the window's thread when the host calls from its own.
    ::SendNotifyMessageA(::GetDlgItem(m_hWnd, listId), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

int CIntonaraDialog::ApplyParameterChanges(const PARAM_CHANGE* changes, int count)
{
    for (int i = 0; i < count; ++i) {
        const int id = changes[i].nId;
        if (id < 1) {
            continue;
        }
        if (id > kLastId) {
            return -1;
        }
        const ParameterDescriptor* d = GetParameterDescriptor(id);
        const int first = d->nFirstEnd;
        const int second = d->nSecondEnd;
        const int value = std::clamp(changes[i].nValue, std::min(first, second), std::max(first, second));
        switch (id) {
        case 1:
            m_pStore->SetParameter(1, value);
            ShowModeOf(value != 0 ? 2 : 1);
            break;
        case 2:
            SelectListItem(1023, value);
            m_pStore->SetParameter(2, value);
            break;
        case 3:
            SelectListItem(1024, value);
            m_pStore->SetParameter(3, value);
            break;
        case 6:
            SelectListItem(1027, value);
            m_pStore->SetParameter(6, value);
            break;
        case 4:
        case 5:
        case 7:
        case 8:
        case 9:
        case 10:
        case 31:
        case 32: {
            const int slider = SliderOf(id);
            if (slider >= 0 && m_sliders[slider] != nullptr) {
                m_sliders[slider]->SetValue(slider == 0 ? value - 100 : value);
            }
            if (m_hUpdateEvent != nullptr) {
                SetEvent(m_hUpdateEvent);
            }
            m_pStore->SetParameter(id, value);
            break;
        }
        default:
            return -1;
        }
    }
    return 0;
}

void CIntonaraDialog::ShowModeOf(int mode)
{
    m_nPanelMode = mode;
    if (m_hWnd == nullptr) {
        return;
    }
    // The layout follows the mode in force; it is the window's thread that
    // moves the controls.
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        OnShowMode();
    } else {
        PostMessage(WM_COMMAND, MAKEWPARAM(panel::kShowModeCommand, 0), 0);
    }
}

void CIntonaraDialog::OnShowMode()
{
    const bool graphical = m_nPanelMode == 2;
    if (graphical) {
        SwitchToGraphical(true);
    } else {
        SwitchToAutomatic(true);
    }
    CheckDlgButton(1121, graphical ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(1122, graphical ? BST_CHECKED : BST_UNCHECKED);
}
