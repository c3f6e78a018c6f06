#pragma once
// The intonara tool's command line: subcommands, options and their help.

#include <optional>
#include <string>
#include <vector>

#include "GraphCommandLine.h"
#include "job/OptionParsing.h"

struct CommandLine
{
    enum class Command
    {
        Correct,
        Scales,
        Notes,
        Register,
        Unregister,
        Filters,
        Graph,
        Analyze,
    };
    Command eCommand = Command::Scales;

    // correct and analyze
    std::vector<std::string> inPaths; // "-": standard input
    bool bMixdown = false;
    std::optional<std::string> channel;

    // correct
    std::string sOutPath;  // a file, "-", or a folder
    std::string sOutputDir;
    job::CorrectOptionTexts correct;
    std::optional<std::string> format;
    std::optional<std::string> bits;
    bool bKeepLatency = false;
    bool bQuiet = false;
    std::string sPresetIn;
    std::string sPresetOut;
    bool bLog = false;

    // graph
    GraphCommandLine graph;
    // analyze: the tuning and threshold options of correct
    job::CorrectOptionTexts analyze;
    std::string sPngPath;
    bool bJson = false;

    // notes
    std::optional<std::string> scale;
    std::optional<std::string> key;
    std::optional<std::string> sampleRate;
    std::optional<std::string> detune;
    std::optional<std::string> a4;
    bool bRawNotes = false;
};

// Returns the parsed command line, or nothing when the request was for help
// or the version, which have then been printed. A malformed command line
// throws a usage CJobError.
std::optional<CommandLine> ParseCommandLine(int argc, char** argv);
