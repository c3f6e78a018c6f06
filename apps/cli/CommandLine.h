#pragma once
// The intonara tool's command line: subcommands, options and their help.

#include <optional>
#include <string>

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
    };
    Command eCommand = Command::Scales;

    // correct
    std::string sInPath;
    std::string sOutPath;
    job::CorrectOptionTexts correct;
    bool bMixdown = false;
    bool bQuiet = false;
    std::string sPresetIn;
    std::string sPresetOut;
    bool bLog = false;

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
