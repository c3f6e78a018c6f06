#include "job/GraphWorkspace.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graph/BlockTable.h"
#include "graph/GraphHost.h"
#include "host/ActvPlug.h"
#include "host/StreamStart.h"
#include "job/JobError.h"
#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/ui/Display.h"
#include "settings/ParameterIds.h"

namespace job {

namespace {

// Room for the largest picture `graph show` draws.
constexpr int kScreenWidth = 4200;
constexpr int kScreenHeight = 3400;

// The words of a record the buffer holds where nothing was tracked.
bool IsBlankRecord(const uint32_t* words)
{
    return words[0] == 0 && words[1] == 0 && words[2] == 0 && words[3] == static_cast<uint32_t>(kUnvoicedMark) &&
           words[4] == 0;
}

} // namespace

CGraphWorkspace::CGraphWorkspace(int mainWidth, int mainHeight, bool bVisible, bool bOwnDisplay)
{
    if (bOwnDisplay) {
        m_pDisplay = std::make_unique<platform::display::CHeadlessDisplay>(kScreenWidth, kScreenHeight);
        m_PreviousBoxes = SetMessageBoxSink([](const MessageBoxRequest& box) {
            std::fprintf(stderr, "intonara: %s\n", box.m_strText.c_str());
            return DefaultMessageBoxAnswer(box.m_uType);
        });
    }
    HRESULT hr = S_OK;
    m_pFilter = CComPtr<CIntonaraPlugIn>(new CIntonaraPlugIn(nullptr, &hr));
    if (FAILED(hr) || FAILED(m_pFilter->GetDspObject(&m_pDsp)) || m_pDsp == nullptr)
        ThrowFailure("the plug-in's filter could not be made");
    m_pControl = CComPtr<IIntonaraControl>(m_pFilter.Get());
    m_pHost = std::make_unique<CGraphHostWindow>(mainWidth, mainHeight, bVisible);
}

CGraphWorkspace::~CGraphWorkspace()
{
    if (m_PreviousBoxes)
        SetMessageBoxSink(*m_PreviousBoxes);
    // The views go before the controller they are attached to, and the
    // track buffer (the block table's) with them.
    if (m_pHost)
        m_pHost->Detach();
    m_pHost.reset();
    if (m_pDsp != nullptr) {
        void* buffer = m_pDsp->GetTrackBuffer();
        m_pDsp->SetTrackBuffer(nullptr);
        g_Blocks.Free(buffer);
    }
}

IBaseFilter* CGraphWorkspace::Filter() const
{
    return m_pFilter.Get();
}

CMainGraphView& CGraphWorkspace::Main() const
{
    return m_pHost->Main();
}

CEnvelopeGraphView& CGraphWorkspace::Envelope() const
{
    return m_pHost->Envelope();
}

void CGraphWorkspace::SetParameter(int id, int value)
{
    m_pDsp->SetParameter(id, value);
    m_Parameters[static_cast<size_t>(id - 1)] = value;
}

void CGraphWorkspace::Start(const GraphStart& start)
{
    CStartSettings settings;
    settings.values = start.automatic;
    if (FAILED(ApplyStartSettings(m_pControl, settings)))
        ThrowFailure("the plug-in's filter refused the settings");
    if (start.nGraphThreshold)
        m_pDsp->SetParameter(PARAM_GRAPH_THRESHOLD, *start.nGraphThreshold);
    if (start.nGraphRetuneIndex)
        m_pDsp->SetParameter(PARAM_GRAPH_RETUNE, *start.nGraphRetuneIndex);
    m_pDsp->SetSampleRate(static_cast<float>(start.nSampleRate));
    m_pDsp->SetParameter(PARAM_MODE, 1);
    m_pHost->Attach(m_pDsp);
    // The store takes the length minus one, as it reports it.
    m_pDsp->SetParameter(PARAM_BUFFER_SIZE, start.nBufferSeconds - 1);

    // What the session will say: everything as the store reports it, the
    // settings given as they were given (a retune speed read back can land
    // a step away from the one set).
    for (int id = 1; id <= kSessionParameters; ++id)
        m_pDsp->GetParameter(id, &m_Parameters[static_cast<size_t>(id - 1)]);
    for (int i = 0; i < kSettingsCount; ++i)
        if (start.automatic[static_cast<size_t>(i)])
            m_Parameters[static_cast<size_t>(PARAM_SCALE - 1 + i)] = *start.automatic[static_cast<size_t>(i)];
    if (start.nGraphThreshold)
        m_Parameters[PARAM_GRAPH_THRESHOLD - 1] = *start.nGraphThreshold;
    if (start.nGraphRetuneIndex)
        m_Parameters[PARAM_GRAPH_RETUNE - 1] = *start.nGraphRetuneIndex;
    m_Parameters[PARAM_BUFFER_SIZE - 1] = start.nBufferSeconds - 1;
}

void CGraphWorkspace::Open(const GraphSession& session, const std::string& name, const GraphStart& overrides)
{
    GraphStart start;
    for (int i = 0; i < kSettingsCount; ++i) {
        const auto& given = overrides.automatic[static_cast<size_t>(i)];
        start.automatic[static_cast<size_t>(i)] = given ? *given : session.Parameter(PARAM_SCALE + i);
    }
    start.nGraphThreshold = overrides.nGraphThreshold ? *overrides.nGraphThreshold
                                                      : session.Parameter(PARAM_GRAPH_THRESHOLD);
    start.nGraphRetuneIndex = overrides.nGraphRetuneIndex ? *overrides.nGraphRetuneIndex
                                                          : session.Parameter(PARAM_GRAPH_RETUNE);
    start.nSampleRate = session.nSampleRate;
    start.nBufferSeconds = session.Parameter(PARAM_BUFFER_SIZE) + 1;
    if (start.nBufferSeconds < 1)
        ThrowFailure(name + " is damaged: its track buffer has no length");
    Start(start);
    // Everything the session kept that is not applied stays as it was.
    for (int id = 1; id <= kSessionParameters; ++id) {
        const bool applied = (id >= PARAM_SCALE && id <= PARAM_THRESHOLD) || id == PARAM_GRAPH_THRESHOLD ||
                             id == PARAM_GRAPH_RETUNE || id == PARAM_BUFFER_SIZE;
        if (!applied)
            m_Parameters[static_cast<size_t>(id - 1)] = session.Parameter(id);
    }
    m_Source = session;

    CMainGraphView& main = Main();
    if (session.RecordCount() > main.BufferFrames())
        ThrowFailure(name + " is damaged: it holds more track records than its buffer");
    auto* records = static_cast<TrackRecord*>(m_pDsp->GetTrackBuffer());
    if (session.RecordCount() > 0)
        std::memcpy(records, session.records.data(), session.records.size() * sizeof(uint32_t));
    main.SetTrackedFrames(session.nTrackedFrames);
    if (!main.LoadState(session.viewState.data(), static_cast<int>(session.viewState.size())))
        ThrowFailure(name + " is damaged: its curves cannot be read");
}

GraphSession CGraphWorkspace::Capture() const
{
    GraphSession s = m_Source;
    s.parameters = m_Parameters;
    CMainGraphView& main = Main();
    s.nTrackedFrames = main.TrackedFrames();
    const auto* words = static_cast<const uint32_t*>(m_pDsp->GetTrackBuffer());
    int count = words != nullptr ? main.BufferFrames() : 0;
    while (count > 0 && IsBlankRecord(words + 5 * (count - 1)))
        --count;
    count = std::max(count, s.nTrackedFrames);
    s.records.assign(words, words + 5 * static_cast<size_t>(count));
    s.viewState.resize(static_cast<size_t>(main.GetStateSize()));
    main.SaveState(s.viewState.data());
    return s;
}

} // namespace job

namespace job {

int CGraphWorkspace::FrameAt(double seconds) const
{
    return static_cast<int>(std::lround(seconds * Main().FrameRate()));
}

double CGraphWorkspace::SecondsAt(int frame) const
{
    return frame / static_cast<double>(Main().FrameRate());
}

platform::gdi::Surface CGraphWorkspace::Picture() const
{
    while (platform::ui::PumpOne()) {
    }
    const HWND views[] = {Main().m_hWnd, Envelope().m_hWnd};
    RECT rc[2] = {};
    int width = 0;
    int height = 0;
    for (int i = 0; i < 2; ++i) {
        ::GetClientRect(views[i], &rc[i]);
        width = std::max(width, static_cast<int>(rc[i].right));
        height += rc[i].bottom;
    }
    platform::gdi::Surface picture(width, height);
    const HWND root = ::GetAncestor(views[0], GA_ROOT);
    const platform::gdi::Surface* screen = platform::ui::TopLevelSurface(root);
    RECT rootRect{};
    ::GetWindowRect(root, &rootRect);
    int top = 0;
    for (int i = 0; i < 2 && screen != nullptr; ++i) {
        POINT origin{0, 0};
        ::ClientToScreen(views[i], &origin);
        for (int y = 0; y < rc[i].bottom; ++y)
            for (int x = 0; x < rc[i].right; ++x)
                picture.Row(top + y)[x] = screen->Pixel(origin.x - rootRect.left + x, origin.y - rootRect.top + y);
        top += rc[i].bottom;
    }
    return picture;
}

} // namespace job
