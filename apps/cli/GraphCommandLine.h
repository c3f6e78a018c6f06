#pragma once
// "intonara graph": graphical mode from the command line. Its options are
// taken as text and checked by the job library, like the rest of the tool.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "job/OptionParsing.h"

namespace CLI {
class App;
}

struct GraphCommandLine
{
    enum class Action
    {
        Track,
        MakeCurve,
        MakeAuto,
        Line,
        Cut,
        Undo,
        Correct,
        Show,
        Info,
    };
    Action eAction = Action::Info;
    std::string sInPath;
    std::string sSession;
    std::string sOutPath;
    // the passes' channel, correct's output
    bool bMixdown = false;
    bool bKeepLatency = false;
    std::optional<std::string> channel, format, bits;
    std::optional<std::string> seconds, threshold, retuneMs, retuneIndex, from, to, width, height;
    // make-auto's automatic-mode settings
    job::CorrectOptionTexts tuning;
    std::vector<std::string> points;
    bool bJson = false;
    bool bQuiet = false;
};

// Adds "graph" and its subcommands to the tool; `chosen` runs when one of
// them was given.
void AddGraphCommands(CLI::App& app, GraphCommandLine& line, void (*chosen)(void*), void* context);

// Runs the command; returns the exit status. Throws CJobError.
int RunGraphCommand(const GraphCommandLine& line, const std::atomic<bool>* pCancel);
