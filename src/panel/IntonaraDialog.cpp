// The panel's start and end: the screen, the graph area, the lists, the
// faders and picture buttons, the timer and the UI update worker.

#include "panel/IntonaraDialog.h"

#include "platform/Messages.h"
#include "platform/com/Module.h"
#include "settings/ParameterDescriptors.h"
#include "settings/ParameterStore.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"
#include "shell/HelpFile.h"
#include "shell/ModuleVersion.h"

#include <chrono>

using panel::kScaleList, panel::kKeyList, panel::kVibratoList, panel::kAllBox, panel::kTieBox;

namespace {

constexpr int kFirstScaleString = 3;
constexpr int kScaleStringCount = 29;
constexpr int kFirstKeyString = 32;
constexpr int kKeyStringCount = 12;
constexpr int kFirstVibratoString = 45;
constexpr int kVibratoStringCount = 4;
constexpr int kVersionField = 1179;

HMODULE ResourceModule()
{
    return AfxGetResourceHandle();
}

std::string LoadText(UINT id)
{
    char text[128] = {};
    LoadStringA(ResourceModule(), id, text, sizeof text);
    return text;
}

}  // namespace

CIntonaraDialog::CIntonaraDialog(CParameterStore* store) : m_pStore(store)
{
    m_scaleEditor.SetOwner(this);
}

CIntonaraDialog::~CIntonaraDialog()
{
    Teardown();
    if (m_bAttachedByPage) {
        Detach();
    }
}

CSliderControl* CIntonaraDialog::GetSlider(int index) const
{
    return index >= 0 && index < panel::kSliderCount ? m_sliders[index].get() : nullptr;
}

CBitmapPushButton* CIntonaraDialog::GetButton(int id)
{
    for (int i = 0; i < panel::kButtonCount; ++i) {
        if (panel::kButtons[i].id == id) {
            return &m_buttons[i];
        }
    }
    return nullptr;
}

BOOL CIntonaraDialog::AttachPanel(HWND hwnd)
{
    if (!Attach(hwnd)) {
        return FALSE;
    }
    m_bAttachedByPage = true;
    return OnInitDialog();
}

void CIntonaraDialog::DetachPanel()
{
    Teardown();
    if (m_bAttachedByPage) {
        Detach();
        m_bAttachedByPage = false;
    }
}

BOOL CIntonaraDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pStore == nullptr) {
        return FALSE;
    }
    m_bTornDown = false;
    m_hBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    MeasureScreen();
    CreateGraphArea();
    m_pStore->AttachDialog(this);
    StartGraphViews();
    m_pStore->GetScaleSet().SetScaleEditor(&m_scaleEditor);
    FillParameterDescriptorRanges(*m_pStore);
    FillLists();
    CreateSliders();
    CreateButtons();
    ConfigureSliders();

    int mode = 0;
    m_pStore->GetParameter(1, &mode);
    if (mode != 0) {
        m_nPanelMode = 2;
        SwitchToGraphical(true);
        CheckDlgButton(1122, BST_CHECKED);
    } else {
        m_nPanelMode = 1;
        SwitchToAutomatic(true);
        CheckDlgButton(1121, BST_CHECKED);
    }
    CheckDlgButton(kTieBox, BST_CHECKED);
    CheckDlgButton(kAllBox, BST_UNCHECKED);

    std::string version;
    GetVersionText(version);
    SetDlgItemText(kVersionField, version.c_str());

    m_nTimer = SetTimer(panel::kTimerId, panel::kTimerMs, &CIntonaraDialog::TimerProc);
    if (m_nTimer == 0) {
        MessageBoxA(m_hWnd, panel::kTimerMissingText, "Intonara", MB_OK);
        return FALSE;
    }
    StartUpdateThread();
    return TRUE;
}

void CIntonaraDialog::MeasureScreen()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    if (dpi >= panel::kLargeFontDpi) {
        m_bLargeFonts = TRUE;
    }
    if (m_bLargeFonts) {
        m_hLargeFont = CreateFontA(12, 0, 0, 0, 500, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH, "Arial");
    }
    const SIZE page = m_bLargeFonts ? panel::kLargePageSize : panel::kPageSize;
    m_nPageWidth = page.cx;
    m_nPageHeight = page.cy;
}

void CIntonaraDialog::FillLists()
{
    auto* scales = GetDlgItemAs<CComboBox>(kScaleList);
    auto* keys = GetDlgItemAs<CComboBox>(kKeyList);
    keys->ResetContent();
    for (int i = 0; i < kKeyStringCount; ++i) {
        const int at = keys->AddString(LoadText(kFirstKeyString + i).c_str());
        keys->SetItemData(at, static_cast<std::uintptr_t>(i));
    }
    scales->ResetContent();
    for (int i = 0; i < kScaleStringCount; ++i) {
        const int at = scales->AddString(LoadText(kFirstScaleString + i).c_str());
        scales->SetItemData(at, static_cast<std::uintptr_t>(i));
    }
    int key = 0;
    int scale = 0;
    m_pStore->GetParameter(3, &key);
    m_pStore->GetParameter(2, &scale);
    keys->SetCurSel(key);
    scales->SetCurSel(scale);
    FillVibratoList();
}

void CIntonaraDialog::FillVibratoList()
{
    auto* vibrato = GetDlgItemAs<CComboBox>(kVibratoList);
    vibrato->ResetContent();
    for (int i = 0; i < kVibratoStringCount; ++i) {
        vibrato->AddString(LoadText(kFirstVibratoString + i).c_str());
    }
    int type = 0;
    m_pStore->GetParameter(6, &type);
    vibrato->SetCurSel(type);
}

void CIntonaraDialog::SliderCallback(void* context, int index, int value, int /*dragging*/)
{
    static_cast<CIntonaraDialog*>(context)->OnSliderChanged(index, value);
}

void CIntonaraDialog::CreateSliders()
{
    for (int i = 0; i < panel::kSliderCount; ++i) {
        auto slider = std::make_unique<CSliderControl>(this, 0, 100);
        slider->SetIndex(i);
        slider->SetValueField(panel::kSliders[i].valueField);
        slider->SetCallback(this, &CIntonaraDialog::SliderCallback);
        slider->Create(0, CRect(panel::kSliders[i].rect), this, 3000 + static_cast<UINT>(i));
        m_sliders[i] = std::move(slider);
    }
}

void CIntonaraDialog::CreateButtons()
{
    for (int i = 0; i < panel::kButtonCount; ++i) {
        const panel::ButtonSpec& button = panel::kButtons[i];
        // In pixels like every other control: the buttons tile exactly with
        // the editing commands and the envelope switches around them.
        const RECT rc = button.rect;
        m_buttons[i].Create("", BS_OWNERDRAW | WS_CHILD, rc, this, static_cast<UINT>(button.id),
                            button.latching ? TRUE : FALSE);
        m_buttons[i].SetPictures(button.picture, button.latchedPicture);
    }
}

void CIntonaraDialog::ConfigureSliders()
{
    for (int i = 0; i < panel::kSliderCount; ++i) {
        const int id = panel::kSliders[i].parameterId;
        const ParameterDescriptor* d = GetParameterDescriptor(id);
        // Scale Detune is shown in cents around its middle.
        const int shift = i == 0 ? 100 : 0;
        int value = 0;
        m_pStore->GetParameter(id, &value);
        CSliderControl& slider = *m_sliders[i];
        slider.SetRange(d->nFirstEnd - shift, d->nSecondEnd - shift);
        const bool retune = id == 5 || id == 32;
        slider.SetDefaultValue(retune ? retune_taper::MsToIndex(d->nDefault) : d->nDefault - shift);
        slider.SetValue(value - shift);
        slider.UpdateValueField();
        if (i != 0) {
            slider.SetFineMode(FALSE);
        }
    }
}

void CIntonaraDialog::TimerProc(HWND hwnd, UINT /*message*/, UINT_PTR /*id*/, DWORD /*time*/)
{
    auto* self = dynamic_cast<CIntonaraDialog*>(CWnd::FromHandlePermanent(hwnd));
    if (self != nullptr && self->m_pStore != nullptr) {
        try {
            self->m_pStore->OnTimer();
        } catch (...) {
            // A failing tick is skipped; the next one tries again.
        }
    }
}

void CIntonaraDialog::OnDestroy()
{
    Teardown();
    CDialog::OnDestroy();
}

void CIntonaraDialog::Teardown()
{
    if (m_bTornDown) {
        return;
    }
    m_bTornDown = true;
    if (m_nTimer != 0 && m_hWnd != nullptr) {
        KillTimer(m_nTimer);
    }
    m_nTimer = 0;
    if (m_pStore != nullptr) {
        m_pStore->AttachDialog(nullptr);
        m_pStore->GetScaleSet().SetScaleEditor(nullptr);
    }
    if (m_hLargeFont != nullptr) {
        ::DeleteObject(m_hLargeFont);
        m_hLargeFont = nullptr;
    }
    StopUpdateThread();
    m_hBackground = nullptr;  // a system brush, never deleted
    for (auto& slider : m_sliders) {
        slider.reset();
    }
    DestroyGraphViews();
    m_horzBar.DestroyWindow();
    m_vertBar.DestroyWindow();
    for (auto& button : m_buttons) {
        button.DestroyWindow();
    }
    if (m_hWnd != nullptr) {
        QuitHelp(m_hWnd, GetModuleHandleFromAddress(reinterpret_cast<const void*>(&QuitHelp)));
    }
    m_nPanelMode = 0;
}

// ---------------------------------------------------------------------------
// The UI update worker

void CIntonaraDialog::StartUpdateThread()
{
    m_hUpdateEvent = CreateEventA(nullptr, TRUE, FALSE, panel::kUpdateEventName);
    m_bStopUpdate = 0;
    if (m_hUpdateEvent != nullptr) {
        m_bUpdateRunning = 1;
        m_worker = std::thread([this] {
            UpdateThreadMain();
            m_bUpdateRunning = 0;
        });
    }
}

void CIntonaraDialog::UpdateThreadMain()
{
    while (m_bStopUpdate.load() == 0) {
        WaitForSingleObject(m_hUpdateEvent, INFINITE);
        if (m_bStopUpdate.load() == 0) {
            for (int i = 0; i < 6; ++i) {
                if (CSliderControl* slider = m_sliders[i].get()) {
                    slider->UpdateValueField();
                }
            }
        }
        ResetEvent(m_hUpdateEvent);
    }
}

void CIntonaraDialog::StopUpdateThread()
{
    if (!m_worker.joinable()) {
        return;
    }
    m_bStopUpdate = 1;
    SetEvent(m_hUpdateEvent);
    // The worker may be waiting for this thread to take a field's new text;
    // keep taking sent messages until it has finished.
    while (m_bUpdateRunning.load() != 0) {
        MSG msg{};
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_worker.join();
    CloseHandle(m_hUpdateEvent);
    m_hUpdateEvent = nullptr;
}
