// bench_cli: runs "intonara correct" on long files and reports its speed
// (as a real-time factor) and its peak memory, for files of 1 s, 1 minute
// and 10 minutes of the demo phrase at 44.1 kHz. A job that streams keeps
// the same peak memory whatever the length.

#include <sndfile.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/ProgramRunner.h"
#include "voice/DemoPhrase.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

// The phrase again and again, written as it goes so that this program's own
// memory stays small too.
bool WriteLoopedPhrase(const std::string& path, const std::vector<int16_t>& phrase, long frames)
{
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = kRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    for (long done = 0; done < frames;) {
        const long n = std::min<long>(frames - done, static_cast<long>(phrase.size()));
        sf_write_short(file, phrase.data(), n);
        done += n;
    }
    return sf_close(file) == 0;
}

} // namespace

int main()
{
    const fs::path tool = clitest::OwnDirectory() / "intonara";
    if (!fs::exists(tool)) {
        std::fprintf(stderr, "bench_cli: %s is not built\n", tool.c_str());
        return 1;
    }
    const fs::path dir = fs::temp_directory_path() / ("intonara-bench-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    std::vector<int16_t> phrase;
    for (float x : voice::SynthesizeDemoPhrase(kRate))
        phrase.push_back(static_cast<int16_t>(x * 32767.0f));

    std::printf("%-10s %10s %10s %12s %12s\n", "input", "size MB", "wall s", "x real time", "max RSS MB");
    int status = 0;
    for (const auto& [label, seconds] : {std::pair<const char*, long>{"1 s", 1}, {"1 min", 60}, {"10 min", 600}}) {
        const std::string in = (dir / "in.wav").string(), out = (dir / "out.wav").string();
        if (!WriteLoopedPhrase(in, phrase, seconds * kRate)) {
            std::fprintf(stderr, "bench_cli: cannot write %s\n", in.c_str());
            status = 1;
            break;
        }
        const clitest::ProgramResult r = clitest::RunProgram(tool.string(), {"correct", in, "-o", out, "--quiet"});
        if (r.nStatus != 0) {
            std::fprintf(stderr, "bench_cli: intonara failed: %s", r.sErr.c_str());
            status = 1;
            break;
        }
        std::printf("%-10s %10.1f %10.3f %12.0f %12.1f\n", label,
                    static_cast<double>(fs::file_size(in)) / 1e6, r.dSeconds,
                    static_cast<double>(seconds) / r.dSeconds, static_cast<double>(r.nMaxRssKb) / 1024.0);
    }
    fs::remove_all(dir);
    return status;
}
