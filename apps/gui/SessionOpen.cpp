// Opening a session: the sound file it was tracked from, graphical mode,
// its settings, the tracked pitch and the curves, in the panel's own views.

#include "HostWindow.h"

#include "graph/MainGraphView.h"
#include "host/StreamStart.h"
#include "job/GraphSession.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

bool CHostWindow::OpenSession(const std::string& path)
{
    job::GraphSession session;
    try {
        session = job::ReadSession(path);
    } catch (const std::exception&) {
        return false;  // not a session: opened as a sound file
    }
    const std::string name = fs::path(path).filename().string();
    if (!OpenFile(session.sSourcePath)) {
        Say("Cannot open the session " + name + ": " + StatusText());
        return true;
    }
    CDspObject* pDsp = nullptr;
    CMainGraphView* main = nullptr;
    ChooseGraphicalMode();
    if (FAILED(m_pControl->GetDspObject(&pDsp)) || pDsp == nullptr || (main = MainView()) == nullptr) {
        Say("Cannot open the session " + name + ": no graph to show it in.");
        return true;
    }
    // The buffer first: it decides how many records the track holds.
    pDsp->SetParameter(PARAM_BUFFER_SIZE, session.Parameter(PARAM_BUFFER_SIZE));
    // The automatic-mode settings go in as a host's properties, which the
    // panel hears about.
    CStartSettings settings;
    for (int i = 0; i < kSettingsCount; ++i) {
        settings.values[static_cast<std::size_t>(i)] = session.Parameter(PARAM_SCALE + i);
    }
    ApplyStartSettings(m_pControl, settings);
    pDsp->SetParameter(PARAM_GRAPH_THRESHOLD, session.Parameter(PARAM_GRAPH_THRESHOLD));
    pDsp->SetParameter(PARAM_GRAPH_RETUNE, session.Parameter(PARAM_GRAPH_RETUNE));
    void* records = pDsp->GetTrackBuffer();
    if (records == nullptr || session.RecordCount() > main->BufferFrames()) {
        Say("Cannot open the session " + name + ": its track does not fit the buffer.");
        return true;
    }
    std::memcpy(records, session.records.data(), session.records.size() * sizeof(std::uint32_t));
    main->SetTrackedFrames(session.nTrackedFrames);
    if (!main->LoadState(session.viewState.data(), static_cast<int>(session.viewState.size()))) {
        main->SetTrackedFrames(0);
        Say("Cannot open the session " + name + ": its curves cannot be read.");
        return true;
    }
    m_savedState = session.viewState;
    m_sessionValues.assign(session.parameters.begin(), session.parameters.end());
    m_appliedValues.resize(m_sessionValues.size());
    for (int id = 1; id <= static_cast<int>(m_appliedValues.size()); ++id) {
        pDsp->GetParameter(id, &m_appliedValues[static_cast<std::size_t>(id - 1)]);
    }
    main->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    Say("Opened the session " + name + ".");
    return true;
}
