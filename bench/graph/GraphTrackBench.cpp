// bench_graph_track: "intonara graph track" on a minute of the demo phrase at
// 44.1 kHz, the whole process timed from the outside, best of five runs.
// Goal: at least 500 times real time.

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/ProgramRunner.h"
#include "voice/DemoPhrase.h"

namespace fs = std::filesystem;

int main()
{
    constexpr int kRate = 44100;
    constexpr long kSeconds = 60;
    const fs::path tool = clitest::OwnDirectory() / "intonara";
    const fs::path dir = fs::temp_directory_path() / ("intonara-bench-graph-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string in = (dir / "minute.wav").string(), session = (dir / "minute.isn").string();

    std::vector<int16_t> phrase;
    for (float x : voice::SynthesizeDemoPhrase(kRate))
        phrase.push_back(static_cast<int16_t>(x * 32767.0f));
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = kRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(in.c_str(), SFM_WRITE, &info);
    for (long done = 0; file != nullptr && done < kSeconds * kRate;) {
        const long n = std::min<long>(kSeconds * kRate - done, static_cast<long>(phrase.size()));
        sf_write_short(file, phrase.data(), n);
        done += n;
    }
    if (file == nullptr || sf_close(file) != 0) {
        std::fprintf(stderr, "bench_graph_track: cannot write %s\n", in.c_str());
        return 1;
    }

    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const clitest::ProgramResult r =
            clitest::RunProgram(tool.string(), {"graph", "track", in, "-o", session, "--quiet"});
        if (r.nStatus != 0) {
            std::fprintf(stderr, "bench_graph_track: intonara failed: %s", r.sErr.c_str());
            fs::remove_all(dir);
            return 1;
        }
        best = std::min(best, r.dSeconds);
    }
    std::printf("graph track, %ld s at %d Hz: %.3f s whole process, %.0fx real time (goal 500x)\n", kSeconds, kRate,
                best, static_cast<double>(kSeconds) / best);
    fs::remove_all(dir);
    return 0;
}
