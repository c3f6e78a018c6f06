#include "GraphCommandLine.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "ProgressBar.h"
#include "job/GraphCommands.h"
#include "job/GraphPasses.h"
#include "job/JobError.h"
#include "job/OutputFile.h"
#include "job/TextFormat.h"
#include "settings/RetuneTaper.h"

namespace {

using job::Printf;

const char* const kGraphHelp =
    "Graphical mode without a window: track a sound file's pitch into a session, make and edit correction "
    "curves in it, draw it, and correct the file along the curves.";

const char* const kGraphFooter =
    "A session file keeps the tracked pitch (the track records of the plug-in's graphical mode, bit for bit), "
    "the curves with the last edit to undo, the view's zoom and the settings, with the name, length and rate "
    "of the sound file it was tracked from. Every command that changes a session writes it back whole; a "
    "command with nothing to do (no voiced stretch, nothing to cut or undo) says so, exits 1 and leaves the "
    "file as it was. A session that is not one, is cut short or is damaged is refused.\n"
    "Times are seconds from the first sound of the file (tracking starts there); pitches are notes with "
    "their octave as the graph's labels write them (C3 is middle C, A3 is 440 Hz: \"A3\", \"C#4\", "
    "\"E-flat2\") or cents from middle C (-3200 to 3600).\n"
    "The processor starts as for \"intonara correct\": its own defaults and the \"(Default)\" preset, the "
    "automatic-mode settings in ascending ID order, then Graph Threshold and Graphical Retune Speed, the "
    "sample rate, graphical mode, the buffer length, and last the pass.\n"
    "Exit status: 0 on success, 1 when a file cannot be read, is refused or cannot be written or a command "
    "has nothing to do, 2 for a mistake on the command line.";

void Text(CLI::App* app, const std::string& names, std::optional<std::string>& target, const std::string& type,
          const std::string& help)
{
    app->add_option(names, target, help)->type_name(type);
}

void AddQuiet(CLI::App* app, GraphCommandLine& line, const char* help)
{
    app->add_flag("--quiet", line.bQuiet, help);
}

void AddPassOptions(CLI::App* app, GraphCommandLine& line)
{
    Text(app, "--threshold", line.threshold, "N",
         "Graph Threshold, the pitch-tracking threshold of graphical mode, 0 to 100; higher keeps tracking rough "
         "or breathy sound. Default: the session's (25 for a new one).");
    app->add_option("--retune", line.retuneMs,
                    "Graphical Retune Speed: how fast the correction follows the curves, 0 to 400 ms, on the "
                    "nearest step of the 401-step fader. Default: the session's (20 ms for a new one).")
        ->type_name("MS");
    app->add_option("--retune-index", line.retuneIndex,
                    "The same as a fader position, 0 to 400 (126 is 20 ms); not together with --retune.")
        ->type_name("I")
        ->excludes(app->get_option("--retune"));
    AddQuiet(app, line, "No progress bar and no summary line.");
}

void AddChannel(CLI::App* app, GraphCommandLine& line, const char* purpose)
{
    CLI::Option* mixdown =
        app->add_flag("--mixdown", line.bMixdown,
                      std::string(purpose) + " the average of all channels (the default for several).");
    app->add_option("--channel", line.channel, std::string(purpose) + " only this channel (1 is the first).")
        ->type_name("N")
        ->excludes(mixdown);
}

void AddRange(CLI::App* app, GraphCommandLine& line, bool required)
{
    auto* from = app->add_option("--from", line.from,
                                 std::string("Start of the time range, in seconds from the first sound.") +
                                     (required ? "" : " Default: the first tracked frame."))
                     ->type_name("SEC");
    auto* to = app->add_option("--to", line.to,
                               std::string("End of the time range, in seconds.") +
                                   (required ? "" : " Default: the end of the tracked pitch."))
                   ->type_name("SEC");
    if (required) {
        from->required();
        to->required();
    }
}

void AddSession(CLI::App* app, GraphCommandLine& line)
{
    app->add_option("SESSION", line.sSession, "The session file.")->required()->type_name("");
}

double Seconds(const std::optional<std::string>& text, const char* option)
{
    char* end = nullptr;
    const double v = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !(v >= 0.0) || v > 1e7)
        job::ThrowUsage(Printf("%s takes a time in seconds, not \"%s\"", option, text->c_str()));
    return v;
}

std::optional<double> OptionalSeconds(const std::optional<std::string>& text, const char* option)
{
    return text ? std::optional<double>(Seconds(text, option)) : std::nullopt;
}

job::GraphPassRequest PassRequest(const GraphCommandLine& line)
{
    job::GraphPassRequest r;
    r.sInPath = line.sInPath;
    r.sSessionPath = line.sSession;
    r.sOutPath = line.sOutPath;
    r.channels = job::ParseChannelChoice(line.bMixdown, line.channel);
    r.bKeepLatency = line.bKeepLatency;
    if (line.eAction == GraphCommandLine::Action::Correct)
        r.output = job::ParseOutputRequest(line.sOutPath, line.format, line.bits);
    if (line.seconds)
        r.nBufferSeconds = job::ParseWholeNumber(*line.seconds, "--seconds", 1, 3 * 3600, "seconds");
    if (line.threshold)
        r.nGraphThreshold = job::ParseWholeNumber(*line.threshold, "--threshold", 0, 100, "");
    if (line.retuneMs)
        r.nGraphRetuneIndex =
            retune_taper::MsToIndex(job::ParseWholeNumber(*line.retuneMs, "--retune", 0, 400, "ms"));
    if (line.retuneIndex)
        r.nGraphRetuneIndex = job::ParseWholeNumber(*line.retuneIndex, "--retune-index", 0, 400, "");
    return r;
}

} // namespace

void AddGraphCommands(CLI::App& app, GraphCommandLine& line, void (*chosen)(void*), void* context)
{
    CLI::App* graph = app.add_subcommand("graph", kGraphHelp);
    graph->footer(kGraphFooter);
    graph->require_subcommand(1);
    auto pick = [&line, chosen, context](GraphCommandLine::Action action) {
        return [&line, chosen, context, action] {
            line.eAction = action;
            chosen(context);
        };
    };
    using Action = GraphCommandLine::Action;

    CLI::App* track = graph->add_subcommand(
        "track", "Track the pitch of a sound file into a new session, as playing it with Track Pitch on would.");
    track->add_option("IN", line.sInPath, "The sound file, any that libsndfile reads.")
        ->required()
        ->type_name("");
    track->add_option("-o,--output", line.sSession, "The session file to write.")->required()->type_name("SESSION");
    Text(track, "--seconds", line.seconds, "S",
         "Length of the track buffer in seconds; it must hold the whole file. Default: 200.");
    AddChannel(track, line, "Track");
    AddPassOptions(track, line);
    track->final_callback(pick(Action::Track));

    for (const bool automatic : {false, true}) {
        CLI::App* make = graph->add_subcommand(
            automatic ? "make-auto" : "make-curve",
            automatic ? "Make curves from the tracked pitch pulled to the nearest note of a scale, at the retune "
                        "speed, with the vibrato of automatic mode; the settings given are kept in the session."
                      : "Make curves that follow the tracked pitch, one for every voiced stretch longer than four "
                        "frames.");
        AddSession(make, line);
        AddRange(make, line, false);
        if (automatic) {
            job::CorrectOptionTexts& t = line.tuning;
            Text(make, "--scale", t.scale, "NAME|INDEX", "The scale to pull to, by name or number as \"intonara scales\" lists it.");
            Text(make, "--key", t.key, "NAME|INDEX", "The key note, C to B (or 0 to 11).");
            Text(make, "--detune", t.detune, "CENTS", "Scale Detune, -100 to 100 cents.");
            make->add_option("--retune", t.retuneMs, "Retune Speed, 0 to 400 ms.")->type_name("MS");
            make->add_option("--retune-index", t.retuneIndex, "Retune Speed as a fader position, 0 to 400.")
                ->type_name("I")
                ->excludes(make->get_option("--retune"));
            Text(make, "--vibrato", t.vibrato, "TYPE", "none, sine, square or sawtooth.");
            Text(make, "--depth", t.depth, "CENTS", "Vibrato depth, 0 to 100 cents.");
            Text(make, "--rate", t.rate, "HZ", "Vibrato rate, 0.1 to 10.0 Hz.");
            Text(make, "--delay", t.delay, "MS", "Vibrato onset after each note, 0 to 3000 ms. Every tuning option not given keeps the session's value (the \"(Default)\" preset's in a new session); those given are kept in the session.");
        }
        AddQuiet(make, line, "No summary line; errors are still printed.");
    make->final_callback(pick(automatic ? Action::MakeAuto : Action::MakeCurve));
    }

    CLI::App* lineCommand = graph->add_subcommand(
        "line", "Add a line curve through the points given, merged as the line tool merges it.");
    AddSession(lineCommand, line);
    lineCommand->add_option("--point", line.points, "A vertex of the line: TIME in seconds from the first sound, PITCH a note with its octave (\"A3\", \"C#4\") or cents from middle C (\"450\"). At least two, each later than the one before.")
        ->required()
        ->type_name("TIME:PITCH");
    AddQuiet(lineCommand, line, "No summary line; errors are still printed.");
    lineCommand->final_callback(pick(Action::Line));

    CLI::App* cut = graph->add_subcommand("cut", "Cut the curves' nodes between two times, as the Cut button does.");
    AddSession(cut, line);
    AddRange(cut, line, true);
    AddQuiet(cut, line, "No summary line; errors are still printed.");
    cut->final_callback(pick(Action::Cut));

    CLI::App* undo = graph->add_subcommand("undo", "Undo the session's last change (a second undo redoes it).");
    AddSession(undo, line);
    AddQuiet(undo, line, "No summary line; errors are still printed.");
    undo->final_callback(pick(Action::Undo));

    CLI::App* correct = graph->add_subcommand(
        "correct", "Correct the sound file along the session's curves into a new file, as playing it with "
                   "Correct Pitch on would; written as \"intonara correct\" writes.");
    correct->add_option("IN", line.sInPath, "The sound file the session was tracked from.")
        ->required()
        ->type_name("");
    AddSession(correct, line);
    correct
        ->add_option("-o,--output", line.sOutPath,
                     "The file to write, \"-\" for standard output (the summary then goes to standard error). "
                     "An existing file is replaced, but only once the new one is complete.")
        ->required()
        ->type_name("OUT");
    Text(correct, "--format", line.format, "NAME",
         "The output's format, whatever its extension: wav, aiff, flac, ogg (Vorbis), opus, mp3, caf, w64, rf64 "
         "or au. Default: from OUT's extension, else the input's.");
    Text(correct, "--bits", line.bits, "N",
         "The output's samples: 8, 16, 24 or 32 (integer PCM), float or double. Default: the input's, where the "
         "format can hold them.");
    AddChannel(correct, line, "Correct");
    correct->add_flag("--keep-latency", line.bKeepLatency,
                      "Write the raw stream as a host receives it, 30 samples late, instead of lined up with the "
                      "input and as long as it.");
    AddPassOptions(correct, line);
    correct->footer(
        "The output is written as \"intonara correct\" writes it: the input's sample rate, container and "
        "encoding unless OUT's extension, --format or --bits says otherwise; lined up with the input and as "
        "long as it (the plug-in's delay of 30 samples trimmed at the start and flushed out at the end) unless "
        "--keep-latency is given; into a hidden temporary file renamed into place only once complete, so that "
        "after an error or an interrupt nothing is left and an existing file is unchanged. A session holds one "
        "track, so the output has one channel: the channel tracked, or the average of all.\n" +
        std::string(kGraphFooter));
    correct->final_callback(pick(Action::Correct));

    CLI::App* show = graph->add_subcommand(
        "show", "Draw the session as the control panel shows it (tracked pitch, curves, note lines, ruler, "
                "title, and the envelope under it), fitted to the passage, into a PNG picture.");
    AddSession(show, line);
    show->add_option("-o,--output", line.sOutPath, "The PNG picture to write, complete or not at all.")->required()->type_name("PNG");
    Text(show, "--width", line.width, "W", "Width of the graph in pixels, 100 to 4000. Default: 380.");
    Text(show, "--height", line.height, "H", "Height of the pitch graph in pixels, 60 to 3000. Default: 230.");
    AddQuiet(show, line, "No summary line; errors are still printed.");
    show->final_callback(pick(Action::Show));

    CLI::App* info = graph->add_subcommand(
        "info", "Describe a session: its sound file, what was tracked, its curves and settings.");
    AddSession(info, line);
    info->add_flag("--json", line.bJson, "Print the description as one JSON object instead of lines of text.");
    info->final_callback(pick(Action::Info));
}

int RunGraphCommand(const GraphCommandLine& line, const std::atomic<bool>* pCancel)
{
    using Action = GraphCommandLine::Action;
    std::string message;
    switch (line.eAction) {
    case Action::Track:
    case Action::Correct: {
        job::GraphPassRequest request = PassRequest(line);
        request.pCancel = pCancel;
        CProgressBar bar(!line.bQuiet && ::isatty(STDERR_FILENO) == 1);
        request.progress = [&bar](double fraction) { bar.Update(fraction); };
        if (line.eAction == Action::Track) {
            message = job::FormatTrackSummary(job::TrackIntoSession(request));
        } else {
            message = job::FormatGraphCorrectSummary(job::CorrectFromSession(request), line.sSession);
        }
        bar.Erase();
        break;
    }
    case Action::MakeCurve:
    case Action::MakeAuto: {
        const bool automatic = line.eAction == Action::MakeAuto;
        const job::CorrectionSettings settings =
            automatic ? job::ParseCorrectionOptions(line.tuning, job::GetAutomaticRanges()) : job::CorrectionSettings{};
        message = job::MakeSessionCurves(line.sSession, OptionalSeconds(line.from, "--from"),
                                         OptionalSeconds(line.to, "--to"), automatic, settings);
        break;
    }
    case Action::Line: {
        std::vector<job::GraphPoint> points;
        for (const std::string& p : line.points)
            points.push_back(job::ParseGraphPoint(p));
        message = job::AddSessionLine(line.sSession, points);
        break;
    }
    case Action::Cut:
        message = job::CutSessionRange(line.sSession, Seconds(line.from, "--from"), Seconds(line.to, "--to"));
        break;
    case Action::Undo: message = job::UndoSessionEdit(line.sSession); break;
    case Action::Show: {
        const int width = line.width ? job::ParseWholeNumber(*line.width, "--width", 100, 4000, "pixels") : 380;
        const int height = line.height ? job::ParseWholeNumber(*line.height, "--height", 60, 3000, "pixels") : 230;
        job::DrawSessionPicture(line.sSession, line.sOutPath, width, height);
        message = Printf("drew %s into %s", line.sSession.c_str(), line.sOutPath.c_str());
        break;
    }
    case Action::Info:
        std::fputs(job::FormatGraphInfo(job::DescribeSession(line.sSession), line.bJson).c_str(), stdout);
        return 0;
    }
    if (!line.bQuiet) {
        // The sound may be going to standard output.
        std::FILE* stream = line.sOutPath == job::kStandardStream ? stderr : stdout;
        std::fprintf(stream, "%s\n", message.c_str());
    }
    return 0;
}
