#pragma once

// Shared pieces of the host adapter's tests: a filter in a graph between
// memory filters, a control panel double that writes down what the filter
// does to it, a sung note, and the engine run directly for comparison.

#include "host/ActvPlug.h"
#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace hosttest {

// The "(Default)" preset's settings block.
inline constexpr std::array<int, 9> kDefaultBlock = {2, 0, 100, 126, 0, 30, 55, 300, 25};

inline CComPtr<CIntonaraPlugIn> MakeFilter()
{
    HRESULT hr = S_OK;
    return CComPtr<CIntonaraPlugIn>(new CIntonaraPlugIn(nullptr, &hr));
}

inline CDspObject* Processor(CIntonaraPlugIn* pFilter)
{
    CDspObject* pDsp = nullptr;
    pFilter->GetDspObject(&pDsp);
    return pDsp;
}

inline int Parameter(CIntonaraPlugIn* pFilter, int id)
{
    int value = 0;
    Processor(pFilter)->GetParameter(id, &value);
    return value;
}

// A mono audio type with a wave format block of cbFormat bytes.
inline CMediaType AudioType(WORD tag, WORD channels, DWORD rate, WORD bits, ULONG cbFormat = 18)
{
    CMediaType mt(&MEDIATYPE_Audio);
    const WAVEFORMATEX wfx = MakeWaveFormat(tag, channels, rate, bits);
    mt.SetFormatType(&FORMAT_WaveFormatEx);
    mt.SetFormat(reinterpret_cast<const BYTE*>(&wfx), cbFormat);
    return mt;
}

// A note 30 cents above A3 with a few harmonics and a slow vibrato, so that
// the engine has something to correct.
inline std::vector<float> SungNote(int rate, double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    double phase = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += 2.0 * M_PI * 220.0 * std::exp2(30.0 / 1200.0) * (1.0 + 0.004 * std::sin(2.0 * M_PI * 5.0 * t)) / rate;
        samples[i] = static_cast<float>(std::min(1.0, t * 20.0) *
                                        (0.45 * std::sin(phase) + 0.2 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase)));
    }
    return samples;
}

inline std::vector<std::int16_t> ToPcm16(const std::vector<float>& samples)
{
    std::vector<std::int16_t> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(std::lround(samples[i] * 32767.0));
    return pcm;
}

// What a freshly created filter makes of the samples, worked out without
// the filter: a processor set up the way the filter sets up its own, then
// its engine over the whole input in one call.
inline std::vector<float> EngineReference(const std::vector<float>& in, int rate)
{
    auto pDsp = std::make_unique<CDspObject>();
    pDsp->Initialise();
    pDsp->SetAutomaticSettings(kDefaultBlock.data());
    pDsp->SetSampleRate(static_cast<float>(rate));
    pDsp->ResetEngine();
    std::vector<float> out(in.size());
    pDsp->m_Engine.Process(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

// A source, the filter and a sink, connected; the graph goes first.
struct CPlugInChain {
    CComPtr<CMemorySource> m_pSource;
    CComPtr<CIntonaraPlugIn> m_pFilter = MakeFilter();
    CComPtr<CMemorySink> m_pSink{new CMemorySink};
    CFilterGraph m_graph;

    HRESULT Connect(CMemorySource* pSource)
    {
        m_pSource = pSource;
        return m_graph.ConnectChain({m_pSource, m_pFilter, m_pSink});
    }
};

// Points the registry at a file of its own for the test's lifetime.
class CTemporaryRegistry {
public:
    CTemporaryRegistry()
    {
        std::filesystem::remove(m_path);
        ::setenv("INTONARA_REGISTRY", m_path.c_str(), 1);
    }
    ~CTemporaryRegistry()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        std::filesystem::remove(m_path.string() + ".lock", ignored);
        ::unsetenv("INTONARA_REGISTRY");
    }
    const std::filesystem::path m_path = std::filesystem::temp_directory_path() /
        ("intonara-host-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg");
};

// A control panel that only writes down what is done to it.
class CRecordingPanel : public IIntonaraDialog {
public:
    IMainGraphView* GetMainGraphView() override { return nullptr; }
    IEnvelopeView* GetEnvelopeView() override { return nullptr; }
    void SetChangeMeter(int) override {}
    bool IsVisible() override { return true; }
    bool IsPointerOverGraph() override { return false; }
    int GetTool() override { return -1; }
    bool IsActive() override { return true; }
    void SetCursor(CursorHandle) override {}
    void EnableControl(int id, bool on) override { Note("enable", id, on); }
    void CheckControl(int id, bool on) override { Note("check", id, on), m_checked[id] = on; }
    bool IsControlChecked(int id) override { return m_checked[id]; }
    void SetTrackPitchState(int on) override { Note("track " + std::to_string(on)); }
    void SetCorrectPitchState(int on) override { Note("correct " + std::to_string(on)); }
    int ApplyParameterChanges(const PARAM_CHANGE* changes, int count) override
    {
        for (int i = 0; i < count; ++i)
            Note("set " + std::to_string(changes[i].nId) + "=" + std::to_string(changes[i].nValue));
        return 0;
    }

    std::vector<std::string> m_calls;
    bool m_bThrow = false;

private:
    void Note(std::string what, int id, bool on) { Note(what.append(" ").append(std::to_string(id)).append(on ? " on" : " off")); }
    void Note(const std::string& call)
    {
        if (m_bThrow)
            throw std::runtime_error("panel gone");
        m_calls.push_back(call);
    }
    std::map<int, bool> m_checked;
};

} // namespace hosttest
