// intonara: the command-line face of the job library. Parse, run, print.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <memory>
#include <vector>

#include "CommandLine.h"
#include "ProgressBar.h"
#include "job/AnalysisJob.h"
#include "job/CorrectionJob.h"
#include "job/GraphCorrection.h"
#include "job/JobError.h"
#include "job/Listing.h"
#include "job/OptionParsing.h"
#include "job/OutputFile.h"
#include "job/PitchPlot.h"
#include "job/PluginModule.h"
#include "log/Elog.h"
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

// The command as typed, for the log.
std::string CommandText(int argc, char** argv)
{
    std::string text = "intonara";
    for (int i = 1; i < argc; ++i)
        text += std::string(" ") + argv[i];
    return text;
}

void Log(const CommandLine& line, const std::string& text)
{
    if (line.bLog)
        Trace("%s", text.c_str());
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return (!path.empty() && path.back() == '/') || std::filesystem::is_directory(path, error);
}

// Where a run's outputs go when -o or --output-dir names a folder, made if
// it is missing; empty for a single output file.
std::string OutputFolder(const CommandLine& line)
{
    const size_t inputs = line.inPaths.size();
    std::string folder = line.sOutputDir;
    if (folder.empty() && IsFolder(line.sOutPath))
        folder = line.sOutPath;
    if (folder.empty()) {
        if (inputs > 1)
            job::ThrowUsage("with several inputs, -o names the folder to write into; \"" + line.sOutPath +
                            "\" is not one (end it with / to have it made, or give --output-dir)");
        return {};
    }
    for (const std::string& in : line.inPaths)
        if (in == job::kStandardStream)
            job::ThrowUsage("standard input (\"-\") can only be corrected into one output file");
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error) && !std::filesystem::create_directory(folder, error))
        job::ThrowFailure("cannot make the folder " + folder + ": " + error.message());
    return folder;
}

// One file; its summary goes to standard output, or to standard error when
// the sound itself goes to standard output.
void CorrectOne(const CommandLine& line, job::CorrectionRequest request, const job::GraphOptions& options)
{
    CProgressBar bar(!line.bQuiet && ::isatty(STDERR_FILENO) == 1);
    request.progress = [&bar](double fraction) { bar.Update(fraction); };
    const job::CorrectionSummary summary = job::RunGraphCorrection(request, options);
    bar.Erase();
    Log(line, job::FormatLogEntry(summary));
    if (!line.bQuiet) {
        std::FILE* stream = request.sOutPath == job::kStandardStream ? stderr : stdout;
        std::fprintf(stream, "%s\n", job::FormatSummary(summary).c_str());
        std::fflush(stream);
        if (!summary.sWarning.empty())
            std::fprintf(stderr, "intonara: warning: %s\n", summary.sWarning.c_str());
    }
}

int RunCorrect(const CommandLine& line, int argc, char** argv)
{
    if (line.sOutPath.empty() && line.sOutputDir.empty())
        job::ThrowUsage("give -o OUT (a file, \"-\" or a folder) or --output-dir DIR");
    if (line.inPaths.size() > 1 && line.sOutPath == job::kStandardStream)
        job::ThrowUsage("-o - writes one file to standard output; give a folder for several inputs");
    job::CorrectionRequest request;
    request.settings = job::ParseCorrectionOptions(line.correct, job::GetAutomaticRanges());
    request.channels = job::ParseChannelChoice(line.bMixdown, line.channel);
    request.bKeepLatency = line.bKeepLatency;
    request.pCancel = &g_bInterrupted;
    job::GraphOptions options;
    options.sPresetIn = line.sPresetIn;
    options.sPresetOut = line.sPresetOut;
    options.bLog = line.bLog;
    if (line.bLog)
        InitErrorLog();
    Log(line, CommandText(argc, argv));
    CatchInterrupts();

    const std::string folder = OutputFolder(line);
    if (folder.empty()) {
        // Known before anything is read: the output's format.
        request.sInPath = line.inPaths.front();
        request.sOutPath = line.sOutPath;
        request.output = job::ParseOutputRequest(request.sOutPath, line.format, line.bits);
        try {
            CorrectOne(line, request, options);
        } catch (const job::CJobError& e) {
            Log(line, std::string("failed: ") + e.what());
            throw;
        }
        return 0;
    }

    // A batch: every file is tried; each failure is reported, and the exit
    // status says whether all succeeded.
    std::vector<std::string> failed;
    std::vector<std::string> written;
    for (const std::string& in : line.inPaths) {
        if (g_bInterrupted.load(std::memory_order_relaxed)) {
            failed.push_back(in);
            continue;
        }
        request.sInPath = in;
        request.sOutPath = job::OutputPathInFolder(in, folder, line.format);
        try {
            if (std::find(written.begin(), written.end(), request.sOutPath) != written.end())
                job::ThrowFailure(in + ": its output " + request.sOutPath +
                                  " is already the output of an earlier input");
            request.output = job::ParseOutputRequest(request.sOutPath, line.format, line.bits);
            CorrectOne(line, request, options);
            written.push_back(request.sOutPath);
        } catch (const job::CJobError& e) {
            Log(line, std::string("failed: ") + e.what());
            std::fflush(stdout);
            std::fprintf(stderr, "intonara: %s\n", e.what());
            failed.push_back(in);
        }
    }
    if (failed.empty())
        return 0;
    std::string names;
    for (const std::string& name : failed)
        names += (names.empty() ? "" : ", ") + name;
    std::fflush(stdout);
    std::fprintf(stderr, "intonara: %zu of %zu files corrected; not corrected: %s\n",
                 line.inPaths.size() - failed.size(), line.inPaths.size(), names.c_str());
    return 1;
}

int RunAnalyze(const CommandLine& line)
{
    job::AnalysisRequest request;
    request.sInPath = line.inPaths.front();
    request.settings = job::ParseCorrectionOptions(line.analyze, job::GetAutomaticRanges());
    request.channels = job::ParseChannelChoice(line.bMixdown, line.channel);
    request.pCancel = &g_bInterrupted;
    if (!line.sPngPath.empty()) {
        if (line.sPngPath == job::kStandardStream)
            job::ThrowUsage("--png needs a file name; the report goes to standard output");
        if (request.sInPath != job::kStandardStream)
            job::CheckInputAndOutput(request.sInPath, line.sPngPath);
    }
    CProgressBar bar(::isatty(STDERR_FILENO) == 1);
    request.progress = [&bar](double fraction) { bar.Update(fraction); };
    CatchInterrupts();
    std::string warning;
    const job::PitchAnalysis analysis = job::RunAnalysis(request, "", &warning);
    bar.Erase();
    if (!line.sPngPath.empty())
        job::WritePitchPlot(analysis, line.sPngPath);
    std::fputs((line.bJson ? job::FormatAnalysisJson(analysis) : job::FormatAnalysis(analysis)).c_str(), stdout);
    if (!warning.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "intonara: warning: %s\n", warning.c_str());
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
    case CommandLine::Command::Correct: return RunCorrect(*line, argc, argv);
    case CommandLine::Command::Analyze: return RunAnalyze(*line);
    case CommandLine::Command::Scales:
        std::fputs(job::FormatScaleList(job::ListScales()).c_str(), stdout);
        return 0;
    case CommandLine::Command::Notes: return RunNotes(*line);
    case CommandLine::Command::Register:
    case CommandLine::Command::Unregister: return RunRegistration(*line);
    case CommandLine::Command::Filters: return RunFilters();
    case CommandLine::Command::Graph:
        CatchInterrupts();
        return RunGraphCommand(line->graph, &g_bInterrupted);
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
