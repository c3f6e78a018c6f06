// Sound files as the intonara tool reads them, with the fuzzer's bytes as
// the file: the tool's reader opens them from memory (libsndfile's virtual
// I/O), then the tool's probing and classification check the rate and
// choose the path, the output format is chosen as a .wav name asks, and the
// whole file streams through one filter per channel (several channels side
// by side, as the tool runs them) into a writer. The job library may refuse
// a file only by throwing its own error type; anything else (another
// exception, a crash, a sanitizer report) is a fault.

#include <cstdint>
#include <optional>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "host/ActvPlug.h"
#include "job/JobError.h"
#include "job/ChannelStream.h"
#include "job/CorrectionJob.h"
#include "job/SoundFormat.h"
#include "job/SoundIo.h"

namespace {

constexpr int kBlockFrames = 1024;
// More channels than this are averaged: a filter each would only slow the
// fuzzer down without reaching new code.
constexpr int kMaxChannels = 4;

void CorrectStretch(job::CSoundReader& reader)
{
    const job::SoundFormat& format = reader.Format();
    job::CheckCorrectable(format, "fuzz.wav");
    job::ChannelChoice channels;
    if (format.nChannels > kMaxChannels)
        channels.eMode = job::ChannelMode::Mixdown;
    const job::ProcessingPath path = job::ChooseProcessing(format, channels, "fuzz.wav");
    const int processed = job::ProcessedChannels(channels, format.nChannels);
    const int outputFormat =
        job::ResolveOutputFormat(job::ParseOutputRequest("out.wav", std::nullopt, std::nullopt), format, processed,
                                 "out.wav");

    const int memory = memfd_create("fuzz-out", 0);
    if (memory < 0)
        return;
    struct CFdCloser
    {
        int fd;
        ~CFdCloser() { close(fd); }
    } closer{memory};
    job::CSoundWriter writer(memory, "out.wav", outputFormat, format.nSampleRate, processed);

    // The tool's graphs, with the filters made in the program.
    std::vector<CComPtr<CIntonaraPlugIn>> filters;
    std::vector<IBaseFilter*> chain;
    for (int c = 0; c < processed; ++c) {
        HRESULT hr = S_OK;
        filters.emplace_back(new CIntonaraPlugIn(nullptr, &hr));
        chain.push_back(filters.back());
    }
    job::StreamPlan plan;
    plan.path = path;
    plan.channels = channels;
    plan.nLatency = CPitchEngine::kLatency;
    plan.nBlockFrames = kBlockFrames;
    plan.nChunkBlocks = 2;
    job::StreamThroughFilters(reader, &writer, chain, plan, {});
    writer.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    try {
        job::CSoundReader reader(pData, static_cast<int64_t>(nSize), "fuzz.wav");
        CorrectStretch(reader);
    } catch (const job::CJobError&) {
        // A refusal with a message for the user is a correct answer.
    }
    return 0;
}
