// Sound files as the intonara tool reads them, with the fuzzer's bytes as
// the file: the tool's reader opens them from memory (libsndfile's virtual
// I/O), then the tool's probing and classification check the rate and
// decide the path (trying --mixdown when the file is refused without it, as
// a user would), the output format is chosen, and a short stretch runs
// through the tool's filter graph into a writer. The job library may refuse
// a file only by throwing its own error type; anything else (another
// exception, a crash, a sanitizer report) is a fault.

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "host/ActvPlug.h"
#include "job/JobError.h"
#include "job/SoundFilters.h"
#include "job/SoundFormat.h"
#include "job/SoundIo.h"
#include "platform/media/FilterGraph.h"

namespace {

// Enough for the detector to lock and the correction to move, small enough
// that each input runs in milliseconds.
constexpr int64_t kMaxFrames = 16384;
constexpr int kBlockFrames = 1024;

void CorrectStretch(job::CSoundReader& reader)
{
    const job::SoundFormat& format = reader.Format();
    job::CheckCorrectable(format, "fuzz.wav");
    job::ProcessingPath path;
    try {
        path = job::ChoosePath(format, false, "fuzz.wav");
    } catch (const job::CJobError&) {
        path = job::ChoosePath(format, true, "fuzz.wav");
    }
    const int outputFormat = job::ChooseOutputFormat("out.wav", format.nFormat, format.nSampleRate, path);

    const int memory = memfd_create("fuzz-out", 0);
    if (memory < 0)
        return;
    struct CFdCloser
    {
        int fd;
        ~CFdCloser() { close(fd); }
    } closer{memory};
    job::CSoundWriter writer(memory, "out.wav", outputFormat, format.nSampleRate);

    // The tool's graph, with the filter made in the program.
    HRESULT hr = S_OK;
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    CComPtr<job::CSoundFileSource> source(new job::CSoundFileSource(reader, path, kBlockFrames));
    CComPtr<job::CSoundFileSink> sink(new job::CSoundFileSink(writer, path));
    {
        CFilterGraph graph;
        if (SUCCEEDED(graph.ConnectChain({source, filter, sink})) && SUCCEEDED(graph.Run()))
            graph.Step(kMaxFrames / kBlockFrames);
        graph.Stop();
    }
    source->RethrowError();
    sink->RethrowError();
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
