// bench_cli: runs "intonara correct" as a whole process (start-up, module
// load, reading, correcting, writing) on the demo phrase looped to 1 s,
// 1 minute and 10 minutes at 44.1 kHz, in 16-bit PCM and in float, and
// reports the medians of five runs: CPU time as a real-time factor and peak
// resident memory. A job that streams keeps the same peak memory whatever
// the length. A plain copy of the same file by sox, where it is installed,
// is measured beside it as the floor that reading and writing set.

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
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
constexpr int kRuns = 5;

// The phrase again and again, written as it goes so that this program's own
// memory stays small too.
bool WriteLoopedPhrase(const std::string& path, const std::vector<float>& phrase, long frames, int format)
{
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = kRate;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    for (long done = 0; done < frames;) {
        const long n = std::min<long>(frames - done, static_cast<long>(phrase.size()));
        sf_write_float(file, phrase.data(), n);
        done += n;
    }
    return sf_close(file) == 0;
}

struct Medians
{
    double dCpuSeconds = 0;
    double dRssMb = 0;
    bool bOk = false;
};

template <class T>
T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Medians Measure(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<double> cpu, rss;
    for (int i = 0; i < kRuns; ++i) {
        const clitest::ProgramResult r = clitest::RunProgram(program, arguments);
        if (r.nStatus != 0) {
            std::fprintf(stderr, "bench_cli: %s failed: %s", program.c_str(), r.sErr.c_str());
            return {};
        }
        cpu.push_back(r.dCpuSeconds);
        rss.push_back(static_cast<double>(r.nMaxRssKb) / 1024.0);
    }
    return {Median(cpu), Median(rss), true};
}

} // namespace

int main()
{
    const fs::path tool = clitest::OwnDirectory() / "intonara";
    if (!fs::exists(tool)) {
        std::fprintf(stderr, "bench_cli: %s is not built\n", tool.c_str());
        return 1;
    }
    const std::string sox = clitest::FindProgram("sox");
    const fs::path dir = fs::temp_directory_path() / ("intonara-bench-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<float> phrase = voice::SynthesizeDemoPhrase(kRate);

    std::printf("%-7s %-6s %8s %12s %12s %14s %12s\n", "input", "format", "size MB", "CPU s", "x real time",
                "max RSS MiB", "sox CPU s");
    int status = 0;
    double worstRssMb = 0, shortRssMb = 0, longRssMb = 0;
    for (const auto& [label, seconds] : {std::pair<const char*, long>{"1 s", 1}, {"1 min", 60}, {"10 min", 600}}) {
        for (const auto& [formatName, format] : {std::pair<const char*, int>{"16-bit", SF_FORMAT_PCM_16},
                                                 {"float", SF_FORMAT_FLOAT}}) {
            const std::string in = (dir / "in.wav").string(), out = (dir / "out.wav").string();
            if (!WriteLoopedPhrase(in, phrase, seconds * kRate, format)) {
                std::fprintf(stderr, "bench_cli: cannot write %s\n", in.c_str());
                fs::remove_all(dir);
                return 1;
            }
            const Medians m = Measure(tool.string(), {"correct", in, "-o", out, "--quiet"});
            const Medians floor = sox.empty() ? Medians{} : Measure(sox, {in, out});
            if (!m.bOk)
                status = 1;
            worstRssMb = std::max(worstRssMb, m.dRssMb);
            if (seconds == 60)
                shortRssMb = std::max(shortRssMb, m.dRssMb);
            if (seconds == 600)
                longRssMb = std::max(longRssMb, m.dRssMb);
            std::printf("%-7s %-6s %8.1f %12.4f %12.0f %14.2f %12.4f\n", label, formatName,
                        static_cast<double>(fs::file_size(in)) / 1e6, m.dCpuSeconds,
                        static_cast<double>(seconds) / std::max(m.dCpuSeconds, 1e-6), m.dRssMb, floor.dCpuSeconds);
        }
    }
    fs::remove_all(dir);
    std::printf("peak resident memory: at most %.2f MiB (goal 8 MiB: %s); 10 min against 1 min: %+.2f MiB\n",
                worstRssMb, worstRssMb <= 8.0 ? "met" : "missed", longRssMb - shortRssMb);
    return status;
}
