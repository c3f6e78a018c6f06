// Sound files as the intonara tool reads them, with the fuzzer's bytes as
// the file: the tool's reader opens them from memory (libsndfile's virtual
// I/O), then the tool's probing and classification check the rate and
// decide the path (trying --mixdown when the file is refused without it, as
// a user would), the output format is chosen, the controller is prepared
// for the file's rate and a short stretch is corrected and written. The job library may refuse a file only by throwing its own error
// type; anything else (another exception, a crash, a sanitizer report, a
// non-finite sample reaching the writer) is a fault.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "job/CorrectionJob.h"
#include "job/JobError.h"
#include "job/SampleConversion.h"
#include "job/SoundFormat.h"
#include "job/SoundIo.h"
#include "modes/DspObject.h"

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

    auto dsp = std::make_unique<CDspObject>();
    job::PrepareController(*dsp, job::CorrectionSettings{}, format.nSampleRate);

    const int memory = memfd_create("fuzz-out", 0);
    if (memory < 0)
        return;
    struct CFdCloser
    {
        int fd;
        ~CFdCloser() { close(fd); }
    } closer{memory};
    job::CSoundWriter writer(memory, "out.wav", outputFormat, format.nSampleRate);

    const size_t channels = static_cast<size_t>(format.nChannels);
    std::vector<float> interleaved(kBlockFrames * channels);
    std::vector<int16_t> pcm(kBlockFrames);
    std::vector<float> in(kBlockFrames), out(kBlockFrames);
    for (int64_t done = 0; done < kMaxFrames;) {
        int n = 0;
        if (path == job::ProcessingPath::Pcm16) {
            n = static_cast<int>(reader.ReadPcm16(pcm.data(), kBlockFrames));
            job::ConvertPcm16ToFloat(pcm.data(), in.data(), static_cast<size_t>(std::max(n, 0)));
        } else {
            n = static_cast<int>(reader.ReadFloat(interleaved.data(), kBlockFrames));
            if (n > 0)
                job::AverageChannels(interleaved.data(), n, format.nChannels, in.data());
        }
        if (n <= 0)
            break;
        dsp->m_Engine.Process(in.data(), out.data(), n);
        fuzz::RequireFinite(out.data(), n, "sound file");
        if (path == job::ProcessingPath::Pcm16) {
            job::ConvertFloatToPcm16(out.data(), pcm.data(), static_cast<size_t>(n));
            writer.WritePcm16(pcm.data(), n);
        } else {
            writer.WriteFloat(out.data(), n);
        }
        done += n;
    }
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
