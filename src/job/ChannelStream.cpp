#include "job/ChannelStream.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <exception>
#include <memory>
#include <thread>

#include "job/JobError.h"
#include "job/PitchRange.h"
#include "job/SoundFilters.h"
#include "job/SoundIo.h"

namespace job {

namespace {

// The plain average: a signal present in every channel keeps its level, and
// nothing can clip that did not clip before.
void AverageChannels(const float* pInterleaved, int nFrames, int nChannels, float* pOut)
{
    for (int i = 0; i < nFrames; ++i) {
        double sum = 0.0;
        const float* frame = &pInterleaved[static_cast<size_t>(i) * static_cast<size_t>(nChannels)];
        for (int c = 0; c < nChannels; ++c)
            sum += frame[c];
        pOut[i] = static_cast<float>(sum / nChannels);
    }
}

int64_t ReadFrames(CSoundReader& reader, int16_t* p, int n)
{
    return reader.ReadPcm16(p, n);
}

int64_t ReadFrames(CSoundReader& reader, float* p, int n)
{
    return reader.ReadFloat(p, n);
}

int FirstSound(const int16_t* p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return i;
    return -1;
}

int FirstSound(const float* p, int n)
{
    for (int i = 0; i < n; ++i) {
        const double m = std::fabs(static_cast<double>(p[i]));
        if (m >= 1e-10 && m <= static_cast<double>(FLT_MAX))
            return i;
    }
    return -1;
}

void WriteFrames(CSoundWriter& writer, const int16_t* p, int n)
{
    writer.WritePcm16(p, n);
}

void WriteFrames(CSoundWriter& writer, const float* p, int n)
{
    writer.WriteFloat(p, n);
}

// T is the path's sample: int16_t for 16-bit PCM, float otherwise.
template <class T>
class CStreamer
{
public:
    CStreamer(CSoundReader& reader, CSoundWriter* pWriter, const std::vector<IBaseFilter*>& filters,
              const StreamPlan& plan, const StreamHooks& hooks)
        : m_Reader(reader), m_pWriter(pWriter), m_Plan(plan), m_Hooks(hooks),
          m_nInChannels(reader.Format().nChannels), m_nChannels(static_cast<int>(filters.size()))
    {
        const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        m_nThreads = std::clamp(plan.nMaxThreads > 0 ? plan.nMaxThreads : cores, 1, m_nChannels);
        m_nChunk = plan.nBlockFrames * (plan.nChunkBlocks > 0 ? plan.nChunkBlocks : m_nThreads > 1 ? 4 : 1);
        const int rate = reader.Format().nSampleRate;
        for (IBaseFilter* filter : filters)
            m_Graphs.push_back(std::make_unique<CChannelGraph>(filter, plan.path, rate, plan.nBlockFrames));
        const size_t chunk = static_cast<size_t>(std::max(m_nChunk, plan.nLatency));
        m_In.assign(static_cast<size_t>(m_nChannels), std::vector<T>(chunk));
        m_Out.assign(static_cast<size_t>(m_nChannels), std::vector<T>(chunk));
        // A mono file is read straight into its channel and written straight
        // from it: no copies, and no memory for them.
        if (m_nInChannels > 1)
            m_Interleaved.resize(chunk * static_cast<size_t>(m_nInChannels));
        if (m_nChannels > 1)
            m_Frames.resize(chunk * static_cast<size_t>(m_nChannels));
    }

    StreamResult Run()
    {
        StreamResult result;
        result.nThreads = m_nThreads;
        if (m_Hooks.started)
            m_Hooks.started();
        // The output frames still to drop: the delay, unless it is kept.
        int skip = m_Plan.bKeepLatency ? 0 : m_Plan.nLatency;
        bool flushed = m_Plan.bKeepLatency;
        for (;;) {
            if (m_Hooks.pCancel && m_Hooks.pCancel->load(std::memory_order_relaxed))
                ThrowFailure("interrupted");
            const bool mono = m_nInChannels == 1;
            int n = static_cast<int>(ReadFrames(m_Reader, mono ? m_In[0].data() : m_Interleaved.data(), m_nChunk));
            const int read = n;
            if (n > 0) {
                if (!mono)
                    Split(n);
                if (result.nFirstSound < 0) {
                    const int first = FirstSound(m_In[0].data(), n);
                    if (first >= 0)
                        result.nFirstSound = result.nFramesIn + first;
                }
                result.nFramesIn += n;
            } else if (!flushed) {
                // The last input frames are still inside the filter: silence
                // pushes them out.
                n = m_Plan.nLatency;
                for (std::vector<T>& channel : m_In)
                    std::fill(channel.begin(), channel.begin() + n, T{});
                flushed = true;
            }
            if (n <= 0)
                break;
            RunChannels(n, read);
            const int drop = std::min(skip, n);
            skip -= drop;
            if (m_pWriter && m_nChannels == 1) {
                WriteFrames(*m_pWriter, m_Out[0].data() + drop, n - drop);
            } else if (m_pWriter) {
                Interleave(drop, n);
                WriteFrames(*m_pWriter, m_Frames.data(), n - drop);
            }
            result.nFramesOut += n - drop;
            const int64_t total = m_Reader.Format().nFrames;
            if (m_Hooks.progress && total > 0)
                m_Hooks.progress(std::min(1.0, static_cast<double>(result.nFramesIn) / static_cast<double>(total)));
        }
        for (auto& graph : m_Graphs)
            graph->Finish();
        return result;
    }

private:
    void Split(int n)
    {
        const T* in = m_Interleaved.data();
        const size_t stride = static_cast<size_t>(m_nInChannels);
        if constexpr (std::is_same_v<T, float>) {
            if (m_Plan.channels.eMode == ChannelMode::Mixdown) {
                AverageChannels(in, n, m_nInChannels, m_In[0].data());
                return;
            }
        }
        const int first = m_Plan.channels.eMode == ChannelMode::One ? m_Plan.channels.nChannel : 0;
        for (int c = 0; c < m_nChannels; ++c) {
            T* out = m_In[static_cast<size_t>(c)].data();
            for (int i = 0; i < n; ++i)
                out[i] = in[static_cast<size_t>(i) * stride + static_cast<size_t>(first + c)];
        }
    }

    void RunChannel(int c, int n)
    {
        const auto& in = m_In[static_cast<size_t>(c)];
        auto& out = m_Out[static_cast<size_t>(c)];
        m_Graphs[static_cast<size_t>(c)]->Process(reinterpret_cast<const BYTE*>(in.data()), n,
                                                  reinterpret_cast<BYTE*>(out.data()));
    }

    // Channels side by side: thread t takes channels t, t + threads, ...,
    // this thread the first share. The check reads the first channel's
    // input, which no filter changes, so it runs beside them on a thread of
    // its own.
    void RunChannels(int n, int nChecked)
    {
        auto check = [&] {
            if (m_Hooks.pPitchCheck && nChecked > 0)
                m_Hooks.pPitchCheck->Add(m_In[0].data(), nChecked);
        };
        if (m_nThreads == 1) {
            for (int c = 0; c < m_nChannels; ++c)
                RunChannel(c, n);
            check();
            return;
        }
        std::vector<std::exception_ptr> errors(static_cast<size_t>(m_nThreads) + 1);
        auto share = [&](int t) {
            try {
                for (int c = t; c < m_nChannels; c += m_nThreads)
                    RunChannel(c, n);
            } catch (...) {
                errors[static_cast<size_t>(t)] = std::current_exception();
            }
        };
        std::vector<std::thread> threads;
        threads.emplace_back([&] {
            try {
                check();
            } catch (...) {
                errors.back() = std::current_exception();
            }
        });
        for (int t = 1; t < m_nThreads; ++t)
            threads.emplace_back(share, t);
        share(0);
        for (std::thread& thread : threads)
            thread.join();
        for (const std::exception_ptr& error : errors)
            if (error)
                std::rethrow_exception(error);
    }

    void Interleave(int from, int to)
    {
        const size_t stride = static_cast<size_t>(m_nChannels);
        for (int c = 0; c < m_nChannels; ++c) {
            const T* out = m_Out[static_cast<size_t>(c)].data();
            for (int i = from; i < to; ++i)
                m_Frames[static_cast<size_t>(i - from) * stride + static_cast<size_t>(c)] = out[i];
        }
    }

    CSoundReader& m_Reader;
    CSoundWriter* m_pWriter;
    const StreamPlan& m_Plan;
    const StreamHooks& m_Hooks;
    const int m_nInChannels;
    const int m_nChannels;
    int m_nThreads = 1;
    int m_nChunk = 0;
    std::vector<std::unique_ptr<CChannelGraph>> m_Graphs;
    std::vector<T> m_Interleaved;
    std::vector<std::vector<T>> m_In;
    std::vector<std::vector<T>> m_Out;
    std::vector<T> m_Frames;
};

} // namespace

int ProcessedChannels(const ChannelChoice& choice, int inputChannels)
{
    return choice.eMode == ChannelMode::Each ? inputChannels : 1;
}

StreamResult StreamThroughFilters(CSoundReader& reader, CSoundWriter* pWriter, const std::vector<IBaseFilter*>& filters,
                                  const StreamPlan& plan, const StreamHooks& hooks)
{
    if (filters.empty() || plan.nBlockFrames < 1 || plan.nChunkBlocks < 0 || plan.nLatency < 0)
        ThrowUsage("nothing to stream through");
    if (plan.path == ProcessingPath::Pcm16)
        return CStreamer<int16_t>(reader, pWriter, filters, plan, hooks).Run();
    return CStreamer<float>(reader, pWriter, filters, plan, hooks).Run();
}

} // namespace job
