// intonara-soak: an hour of singing through the plug-in's filter in a filter
// graph, with the settings changing every 100 ms of audio, to show that a
// long session neither grows in memory nor ever lets a non-finite sample
// out. The voice is synthesised as it is needed, in constant memory; the
// sink checks every sample and keeps none.
//
// Reports the process's peak and current resident memory after the first
// checkpoint (10 minutes of audio by default) and at the end, the real-time
// factor, the settings changes made and the non-finite samples seen. Exits
// 1 when a sample was not finite or the peak memory grew by more than two
// pages between the checkpoint and the end.

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "host/ActvPlug.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"
#include "settings/ParameterIds.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlockFrames = kRate / 10;  // 100 ms: one settings change per block

// {7A1D30C2-5E84-4B9F-A6D1-0C2E8B4F9A31}
constexpr CLSID CLSID_SoakVoice = {0x7A1D30C2, 0x5E84, 0x4B9F, {0xA6, 0xD1, 0x0C, 0x2E, 0x8B, 0x4F, 0x9A, 0x31}};
// {7A1D30C3-5E84-4B9F-A6D1-0C2E8B4F9A31}
constexpr CLSID CLSID_SoakSink = {0x7A1D30C3, 0x5E84, 0x4B9F, {0xA6, 0xD1, 0x0C, 0x2E, 0x8B, 0x4F, 0x9A, 0x31}};

// A singer who never stops: notes of 0.4 to 1.6 s on a wandering line,
// each a little off its pitch, with vibrato, a short glide between notes, a
// rest after every few, three harmonics. All state is a handful of numbers.
class CVoiceSource : public CPushSource
{
public:
    explicit CVoiceSource(int64_t nFrames) : CPushSource("Soak voice", nullptr, CLSID_SoakVoice), m_nTotal(nFrames)
    {
        SetWaveFormat(MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 1, kRate, 32));
    }

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override
    {
        auto* p = reinterpret_cast<float*>(pData);
        const int64_t room = cbMax / static_cast<LONG>(sizeof(float));
        const int64_t n = std::min<int64_t>(room, m_nTotal - m_nDone);
        for (int64_t i = 0; i < n; ++i)
            p[i] = Next();
        m_nDone += n;
        *pcbFilled = static_cast<LONG>(n * static_cast<int64_t>(sizeof(float)));
        return S_OK;
    }
    LONG NextSampleFrames() override { return kBlockFrames; }
    LONG MaxSampleFrames() const override { return kBlockFrames; }
    HRESULT Rewind() override
    {
        m_nDone = 0;
        return S_OK;
    }

private:
    uint32_t Random()
    {
        m_nSeed = m_nSeed * 1664525u + 1013904223u;
        return m_nSeed >> 8;
    }

    void StartNote()
    {
        m_nNoteLeft = kRate * (4 + static_cast<int>(Random() % 13)) / 10;
        m_nRestLeft = (++m_nNotes % 4 == 0) ? kRate * 3 / 10 : 0;
        // A step of up to a fourth either way, kept within an octave and a
        // half around G3, sung up to 40 cents off.
        m_dSemitone += static_cast<double>(static_cast<int>(Random() % 11) - 5);
        m_dSemitone = std::clamp(m_dSemitone, -9.0, 9.0);
        const double cents = static_cast<double>(static_cast<int>(Random() % 81) - 40);
        m_dTargetHz = 196.0 * std::pow(2.0, (m_dSemitone + cents / 100.0) / 12.0);
        m_nInNote = 0;
    }

    float Next()
    {
        if (m_nNoteLeft == 0 && m_nRestLeft == 0)
            StartNote();
        if (m_nNoteLeft == 0) {
            --m_nRestLeft;
            m_dEnvelope = 0.0;
            return 0.0f;
        }
        --m_nNoteLeft;
        ++m_nInNote;
        // Glide toward the note over about 50 ms, then vibrato from 0.3 s.
        m_dHz += (m_dTargetHz - m_dHz) * 0.0005;
        const double t = static_cast<double>(m_nInNote) / kRate;
        const double vibrato = t > 0.3 ? 0.006 * std::sin(2.0 * std::numbers::pi * 5.3 * t) : 0.0;
        m_dPhase += 2.0 * std::numbers::pi * m_dHz * (1.0 + vibrato) / kRate;
        if (m_dPhase > 2.0 * std::numbers::pi)
            m_dPhase -= 2.0 * std::numbers::pi;
        // 20 ms attack, 30 ms release.
        const double attack = std::min(1.0, t / 0.02);
        const double release = std::min(1.0, static_cast<double>(m_nNoteLeft) / (0.03 * kRate));
        m_dEnvelope = attack * release;
        return static_cast<float>(m_dEnvelope * (0.45 * std::sin(m_dPhase) + 0.2 * std::sin(2.0 * m_dPhase) +
                                                 0.08 * std::sin(3.0 * m_dPhase)));
    }

    const int64_t m_nTotal;
    int64_t m_nDone = 0;
    uint32_t m_nSeed = 20240611u;
    int m_nNoteLeft = 0;
    int m_nRestLeft = 0;
    int m_nInNote = 0;
    int m_nNotes = 0;
    double m_dSemitone = 0.0;
    double m_dTargetHz = 196.0;
    double m_dHz = 196.0;
    double m_dPhase = 0.0;
    double m_dEnvelope = 0.0;
};

// Checks every sample and keeps none.
class CFiniteSink : public CSinkFilter
{
public:
    CFiniteSink() : CSinkFilter("Soak sink", nullptr, CLSID_SoakSink) {}

    int64_t Frames() const { return m_nFrames.load(std::memory_order_relaxed); }
    int64_t NonFinite() const { return m_nNonFinite.load(std::memory_order_relaxed); }
    float Peak() const { return m_fPeak.load(std::memory_order_relaxed); }

protected:
    HRESULT OnReceive(IMediaSample* pSample) override
    {
        BYTE* pData = nullptr;
        pSample->GetPointer(&pData);
        const auto* p = reinterpret_cast<const float*>(pData);
        const LONG n = pSample->GetActualDataLength() / static_cast<LONG>(sizeof(float));
        int64_t bad = 0;
        float peak = m_fPeak.load(std::memory_order_relaxed);
        for (LONG i = 0; i < n; ++i) {
            if (!std::isfinite(p[i])) {
                ++bad;
                if (m_nNonFinite.load(std::memory_order_relaxed) + bad == 1)
                    std::fprintf(stderr, "intonara-soak: sample %lld is %g\n",
                                 static_cast<long long>(Frames() + i), static_cast<double>(p[i]));
            } else {
                peak = std::max(peak, std::fabs(p[i]));
            }
        }
        m_fPeak.store(peak, std::memory_order_relaxed);
        m_nNonFinite.fetch_add(bad, std::memory_order_relaxed);
        m_nFrames.fetch_add(n, std::memory_order_relaxed);
        return S_OK;
    }

private:
    std::atomic<int64_t> m_nFrames{0};
    std::atomic<int64_t> m_nNonFinite{0};
    std::atomic<float> m_fPeak{0.0f};
};

// Every 100 ms of audio the next change of a cycle that visits every
// automatic-mode setting (through the store, the control interface's puts
// and whole blocks), both modes, a tracking pass (armed, run, finished), a
// correcting pass over what was tracked, and the bypass.
class CSettingsCycle
{
public:
    CSettingsCycle(CIntonaraPlugIn* pFilter, CDspObject* pDsp)
        : m_pFilter(pFilter), m_pDsp(pDsp), m_Records(kRecords)
    {
    }

    void Step()
    {
        const int step = m_nStep++ % kSteps;
        const int round = m_nStep / kSteps;
        switch (step) {
        case 0: Set(PARAM_SCALE, round % 29); break;
        case 1: Set(PARAM_KEY, (round * 5) % 12); break;
        case 2: Set(PARAM_DETUNE, 60 + (round * 37) % 81); break;
        case 3: Set(PARAM_RETUNE, (round * 53) % 401); break;
        case 4: Set(PARAM_VIBRATO_TYPE, round % 4); break;
        case 5: Set(PARAM_VIBRATO_DEPTH, (round * 17) % 101); break;
        case 6: Set(PARAM_VIBRATO_RATE, 1 + (round * 29) % 100); break;
        case 7: Set(PARAM_VIBRATO_DELAY, (round * 311) % 3001); break;
        case 8: Set(PARAM_THRESHOLD, (round * 13) % 101); break;
        case 9: Set(PARAM_TRACK_HIGH, round % 2); break;
        case 10: m_pFilter->put_Key((round * 7) % 12); ++m_nChanges; break;
        case 11: m_pFilter->put_RetuneSpeed((round * 91) % 401); ++m_nChanges; break;
        case 12: m_pFilter->put_VibratoRate(1 + (round * 41) % 100); ++m_nChanges; break;
        case 13: {
            const int block[9] = {round % 29, round % 12, 100, 126, round % 4, 30, 55, 300, 25};
            m_pFilter->SetSettings(block);
            ++m_nChanges;
            break;
        }
        case 14: m_pDsp->SetControlValue(0, 1); ++m_nChanges; break;  // bypass on...
        case 15: m_pDsp->SetControlValue(0, 0); ++m_nChanges; break;  // ...and off
        // Graphical mode: a tracking pass of two seconds, finished as the
        // graph does it, targets drawn, then a correcting pass over it.
        case 16: Set(PARAM_MODE, 1); break;
        case 17: Set(PARAM_GRAPH_THRESHOLD, (round * 19) % 101); break;
        case 18: Set(PARAM_GRAPH_RETUNE, (round * 67) % 401); break;
        case 19:
            m_pDsp->StartTracking(m_Records.data(), kRecords);
            Set(PARAM_TRACK_PITCH, 1);
            break;
        case 40: {
            Set(PARAM_TRACK_PITCH, 0);
            int count = 0;
            m_pDsp->FinishTracking(nullptr, nullptr, nullptr, &count, kRecords, m_Records.data());
            // Targets a semitone under whatever was sung.
            for (TrackRecord& r : m_Records)
                std::atomic_ref<float>(r.fTargetPeriod).store(237.0f, std::memory_order_relaxed);
            break;
        }
        case 41:
            m_pDsp->StartCorrecting(m_Records.data(), kRecords);
            Set(PARAM_CORRECT_PITCH, 1);
            break;
        case 62: Set(PARAM_CORRECT_PITCH, 0); break;
        case 63: Set(PARAM_MODE, 0); break;
        default: {
            // While a pass runs, the automatic-mode settings go on changing
            // (the store hands them to the engine in either mode), and the
            // panel's timer polls the pass.
            const int id = PARAM_SCALE + step % 9;
            Set(id, AutomaticValue(id, round * 64 + step));
            unsigned lastToggle = 0;
            short blink = 0;
            m_pDsp->PollStatus();
            m_pDsp->GetTrackingStatus(&lastToggle, &blink, kRecords, nullptr);
            break;
        }
        }
    }

    int64_t Changes() const { return m_nChanges; }

private:
    static constexpr int kSteps = 64;
    static constexpr int kRecords = 2 * kRate / 200;  // two seconds of frames

    // A value within the setting's range, different from one call to the
    // next.
    static int AutomaticValue(int id, int n)
    {
        switch (id) {
        case PARAM_SCALE: return n % 29;
        case PARAM_KEY: return n % 12;
        case PARAM_DETUNE: return (n * 7) % 201;
        case PARAM_RETUNE: return (n * 31) % 401;
        case PARAM_VIBRATO_TYPE: return n % 4;
        case PARAM_VIBRATO_DEPTH: return (n * 3) % 101;
        case PARAM_VIBRATO_RATE: return 1 + (n * 11) % 100;
        case PARAM_VIBRATO_DELAY: return (n * 97) % 3001;
        default: return (n * 5) % 101;  // threshold
        }
    }

    void Set(int id, int value)
    {
        m_pDsp->SetParameter(id, value);
        ++m_nChanges;
    }

    CIntonaraPlugIn* m_pFilter;
    CDspObject* m_pDsp;
    std::vector<TrackRecord> m_Records;
    int m_nStep = 0;
    int64_t m_nChanges = 0;
};

struct CMemory
{
    long nPeakKb = -1;  // VmHWM
    long nNowKb = -1;   // VmRSS
};

CMemory ReadMemory()
{
    CMemory m;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            m.nPeakKb = std::stol(line.substr(6));
        else if (line.rfind("VmRSS:", 0) == 0)
            m.nNowKb = std::stol(line.substr(6));
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    double minutes = 60.0;
    double checkpoint = 10.0;
    CLI::App app{"Streams synthesised singing through the plug-in's filter for a long time, changing the "
                 "settings every 100 ms of audio, and reports memory, speed and any non-finite output."};
    app.add_option("--minutes", minutes, "minutes of audio to stream")->check(CLI::Range(0.1, 24.0 * 60.0));
    app.add_option("--checkpoint", checkpoint, "minutes of audio at which the first memory reading is taken")
        ->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    checkpoint = std::min(checkpoint, minutes);

    const auto totalFrames = static_cast<int64_t>(minutes * 60.0 * kRate);
    const auto checkpointFrames = static_cast<int64_t>(checkpoint * 60.0 * kRate);

    HRESULT hr = S_OK;
    CComPtr<CVoiceSource> source(new CVoiceSource(totalFrames));
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    CComPtr<CFiniteSink> sink(new CFiniteSink);
    CDspObject* pDsp = nullptr;
    filter->GetDspObject(&pDsp);
    CSettingsCycle cycle(filter, pDsp);

    CFilterGraph graph;
    hr = graph.ConnectChain({source, filter, sink});
    if (SUCCEEDED(hr))
        hr = graph.Run();
    if (FAILED(hr)) {
        std::fprintf(stderr, "intonara-soak: the graph would not start (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }

    // Printed before the first reading, so that the output buffer is not
    // among what grows after it.
    std::printf("streaming %.1f min of audio at %d Hz, a settings change every 100 ms\n", minutes, kRate);
    std::fflush(stdout);
    const auto started = std::chrono::steady_clock::now();
    CMemory atCheckpoint;
    bool checkpointTaken = false;
    for (;;) {
        int delivered = 0;
        hr = graph.Step(1, &delivered);
        if (hr != S_OK || delivered == 0)
            break;
        cycle.Step();
        if (!checkpointTaken && sink->Frames() >= checkpointFrames) {
            atCheckpoint = ReadMemory();
            checkpointTaken = true;
            std::printf("after %5.1f min of audio: peak resident %ld kB, resident %ld kB\n",
                        static_cast<double>(sink->Frames()) / kRate / 60.0, atCheckpoint.nPeakKb,
                        atCheckpoint.nNowKb);
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const CMemory atEnd = ReadMemory();
    const bool complete = hr == S_OK && graph.IsComplete();
    graph.Stop();

    const double audioSeconds = static_cast<double>(sink->Frames()) / kRate;
    std::printf("after %5.1f min of audio: peak resident %ld kB, resident %ld kB\n", audioSeconds / 60.0,
                atEnd.nPeakKb, atEnd.nNowKb);
    std::printf("%lld samples in %.1f s: %.0fx real time; %lld settings changes; output peak %.3f; "
                "%lld non-finite samples\n",
                static_cast<long long>(sink->Frames()), seconds, seconds > 0.0 ? audioSeconds / seconds : 0.0,
                static_cast<long long>(cycle.Changes()), static_cast<double>(sink->Peak()),
                static_cast<long long>(sink->NonFinite()));

    const long pageKb = sysconf(_SC_PAGESIZE) / 1024;
    const long growthKb = atEnd.nPeakKb - atCheckpoint.nPeakKb;
    int status = 0;
    if (!complete || sink->Frames() != totalFrames) {
        std::fprintf(stderr, "intonara-soak: the stream ended early (0x%08X)\n", static_cast<unsigned>(hr));
        status = 1;
    }
    if (sink->NonFinite() != 0) {
        std::fprintf(stderr, "intonara-soak: %lld output samples were not finite\n",
                     static_cast<long long>(sink->NonFinite()));
        status = 1;
    }
    if (growthKb > 2 * pageKb) {
        std::fprintf(stderr, "intonara-soak: peak memory grew by %ld kB after the checkpoint\n", growthKb);
        status = 1;
    }
    return status;
}
