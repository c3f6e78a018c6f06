// intonara: the command-line face of the job library. Parse, run, print.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "CommandLine.h"
#include "ProgressBar.h"
#include "job/CorrectionJob.h"
#include "job/GraphCorrection.h"
#include "job/JobError.h"
#include "job/Listing.h"
#include "job/OptionParsing.h"
#include "job/PluginModule.h"
#include "platform/registry/Registry.h"
#include "settings/ScaleSet.h"

namespace {

// Lock-free, so the signal handler may store to it.
std::atomic<bool> g_bInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int)
{
    g_bInterrupted.store(true, std::memory_order_relaxed);
}

// An interrupted run stops between two blocks and cleans up after itself
// instead of leaving a temporary file behind.
void CatchInterrupts()
{
    struct sigaction action{};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

int RunCorrect(const CommandLine& line)
{
    job::CorrectionRequest request;
    request.sInPath = line.sInPath;
    request.sOutPath = line.sOutPath;
    request.settings = job::ParseCorrectionOptions(line.correct, job::GetAutomaticRanges());
    request.bMixdown = line.bMixdown;
    request.pCancel = &g_bInterrupted;

    CProgressBar bar(!line.bQuiet && ::isatty(STDERR_FILENO) == 1);
    request.progress = [&bar](double fraction) { bar.Update(fraction); };
    job::GraphOptions options;
    options.sPresetIn = line.sPresetIn;
    options.sPresetOut = line.sPresetOut;
    options.bLog = line.bLog;

    CatchInterrupts();
    const job::CorrectionSummary summary = job::RunGraphCorrection(request, options);
    bar.Erase();
    if (!line.bQuiet) {
        std::printf("%s\n", job::FormatSummary(summary).c_str());
        if (!summary.sWarning.empty())
            std::fprintf(stderr, "intonara: warning: %s\n", summary.sWarning.c_str());
    }
    return 0;
}

int RunNotes(const CommandLine& line)
{
    const job::AutomaticRanges& ranges = job::GetAutomaticRanges();
    const job::KeyName key = line.key ? job::ParseKey(*line.key) : job::KeyName{ranges.key.nDefault, {}};
    const int scale = line.scale ? job::ParseScale(*line.scale) : key.nModeScale.value_or(ranges.scale.nDefault);
    const int rate = line.sampleRate ? job::ParseWholeNumber(*line.sampleRate, "--sample-rate",
                                                             job::kMinListingSampleRate,
                                                             job::kMaxListingSampleRate, "Hz")
                                     : job::InitialSampleRate();
    int detune = 0;
    if (line.detune)
        detune = job::ParseWholeNumber(*line.detune, "--detune", ranges.detune.nLow - 100,
                                       ranges.detune.nHigh - 100, "cents");
    if (line.a4)
        detune = job::ParseA4(*line.a4) - 100;
    CScaleSet scales;
    std::fputs(job::FormatNoteList(job::ListNotes(scales, scale, key.nKey, rate, detune), line.bRawNotes).c_str(),
               stdout);
    return 0;
}

int RunRegistration(const CommandLine& line)
{
    const std::unique_ptr<CModule> module = job::LoadPluginModule("");
    if (line.eCommand == CommandLine::Command::Register) {
        job::RegisterModule(*module);
        std::printf("registered %s in %s\n", module->Path().c_str(), RegistryFilePath().c_str());
    } else {
        job::UnregisterModule(*module);
        std::printf("unregistered %s from %s\n", module->Path().c_str(), RegistryFilePath().c_str());
    }
    return 0;
}

int RunFilters()
{
    const std::vector<CRegisteredFilter> filters = job::ListRegisteredFilters();
    if (filters.empty())
        std::printf("no filters registered in %s\n", RegistryFilePath().c_str());
    std::fputs(job::FormatFilterList(filters).c_str(), stdout);
    return 0;
}

int Run(int argc, char** argv)
{
    const std::optional<CommandLine> line = ParseCommandLine(argc, argv);
    if (!line)
        return 0; // help or version, already printed
    switch (line->eCommand) {
    case CommandLine::Command::Correct: return RunCorrect(*line);
    case CommandLine::Command::Scales:
        std::fputs(job::FormatScaleList(job::ListScales()).c_str(), stdout);
        return 0;
    case CommandLine::Command::Notes: return RunNotes(*line);
    case CommandLine::Command::Register:
    case CommandLine::Command::Unregister: return RunRegistration(*line);
    case CommandLine::Command::Filters: return RunFilters();
    }
    return 0;
}

int Fail(const char* message, int status)
{
    std::fflush(stdout);
    std::fprintf(stderr, "intonara: %s\n", message);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const int status = Run(argc, argv);
        if (std::fflush(stdout) != 0)
            return Fail("cannot write to standard output", 1);
        return status;
    } catch (const job::CJobError& e) {
        return Fail(e.what(), e.ExitCode());
    } catch (const std::bad_alloc&) {
        return Fail("out of memory", 1);
    } catch (const std::exception& e) {
        return Fail(e.what(), 1);
    } catch (...) {
        return Fail("unexpected internal error", 1);
    }
}
