#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <string>

#include "job/CorrectionSettings.h"
#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/TextFormat.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

#ifndef INTONARA_VERSION
#define INTONARA_VERSION "unknown"
#endif

namespace {

using job::Printf;

// Values are taken as text and checked by the job library, so that every
// bad value gets the same kind of message whichever option it came with.
CLI::Option* AddText(CLI::App* app, const std::string& names, std::string& target, const std::string& type,
                     const std::string& help, const std::string& group)
{
    return app->add_option(names, target, help)->type_name(type)->group(group);
}

// The options' raw texts, kept until parsing is over; the final callbacks
// copy the ones given into the command line.
struct RawTexts
{
    std::string correct[10];
    CLI::Option* correctOptions[10] = {};
    std::string notes[3];
    CLI::Option* notesOptions[3] = {};
};

std::string DefaultScaleText(const job::AutomaticRanges& r)
{
    return Printf("%d (\"%s\")", r.scale.nDefault, CScaleSet::GetDisplayName(r.scale.nDefault));
}

const char* const kProgramHelp =
    "Corrects the pitch of a solo voice or a solo instrument in a sound file: every note is pulled "
    "toward the nearest note of a scale and key, with the same processing as the plug-in's automatic "
    "mode. Run \"intonara SUBCOMMAND --help\" for the options of each subcommand.";

const char* const kCorrectFooter =
    "Formats: mono 16-bit PCM is processed and written as 16-bit PCM, mono 32-bit float as 32-bit "
    "float, at whatever sample rate the file has. Other files (stereo, 8-, 24- or 32-bit integers, "
    "64-bit float, compressed encodings) are refused unless --mixdown is given.\n"
    "Pitch range: the lowest pitch corrected rises with the sample rate: 26 Hz at 22050 Hz, 52 Hz at 44100, "
    "56 Hz at 48000, 103 Hz at 88200, 112 Hz at 96000, 205 Hz at 176400, 225 Hz at 192000 (the highest is "
    "about a fourteenth of the rate). A lower voice passes through uncorrected; when most of the input lies "
    "below the range, a warning says so.\n"
    "The output has the input's length and sample rate and lags it by 30 samples (the processing "
    "delay). Its container follows OUT's extension (.wav, .aiff, .flac, .caf, ...), or the input's "
    "when OUT has no extension.\n"
    "Where files go: the result is written to a hidden temporary file in OUT's directory and "
    "renamed to OUT only once it is complete and flushed to disk; after an error or an interrupt "
    "no partial file is left and an existing OUT is unchanged. The input is only read; OUT may not "
    "be the input file or a link to it, nor a directory, device or pipe.\n"
    "The file runs through the plug-in's own filter, loaded from the plug-in module (INTONARA_MODULE, "
    "else ../lib/intonara-filter.so beside this program).\n"
    "Exit status: 0 on success, 1 when a file cannot be read, refused or written, 2 for a mistake "
    "on the command line.";

void AddCorrect(CLI::App& app, CommandLine& line, RawTexts& raw, const job::AutomaticRanges& r)
{
    CLI::App* correct = app.add_subcommand(
        "correct", "Correct the pitch of a whole file in automatic mode and write the result to a new file.");
    correct->footer(kCorrectFooter);

    std::string* texts = raw.correct;
    CLI::Option** options = raw.correctOptions;

    correct->add_option("IN", line.sInPath, "The sound file to correct; any file libsndfile reads (see --mixdown).")
        ->required()
        ->type_name("")
        ->group("Files");
    correct->add_option("-o,--output", line.sOutPath,
                        "The file to write. An existing file is replaced, but only once the new one is "
                        "complete.")
        ->required()
        ->type_name("OUT")
        ->group("Files");
    correct->add_flag("--mixdown", line.bMixdown,
                      "Accept any file: mix all channels to one (their average), read the samples as "
                      "32-bit float, and write the output as mono 32-bit float.")
        ->group("Files");
    correct->add_flag("--quiet", line.bQuiet,
                      "Print nothing but errors: no progress bar (otherwise shown on a terminal) and no "
                      "summary line.")
        ->group("Files");
    correct->add_option("--preset", line.sPresetIn,
                        "Start from the settings in this file (56 bytes, as a host saves the plug-in's "
                        "settings and --save-preset writes them); the options given still apply on top. A "
                        "damaged file is refused before anything is written.")
        ->type_name("FILE")
        ->group("Files");
    correct->add_option("--save-preset", line.sPresetOut,
                        "After the run, write the settings in force to this file, in the same form. It "
                        "appears complete or not at all.")
        ->type_name("FILE")
        ->group("Files");
    correct->add_flag("--log", line.bLog,
                      "Let the plug-in write its trace entries to \"inlog.dat\" in the current directory "
                      "(rotated to \"inlog.old\" past 1 MiB).")
        ->group("Files");

    const std::string tuning = "Tuning";
    options[0] = AddText(correct, "--scale", texts[0], "NAME|INDEX",
                         Printf("The scale to correct toward: its name (case does not matter) or index, "
                                "0 to %d, as \"intonara scales\" lists them. Default: %s.",
                                r.scale.nHigh, DefaultScaleText(r).c_str()),
                         tuning);
    options[1] = AddText(correct, "--key", texts[1], "NAME|INDEX",
                         Printf("The key note of the scale: C, D-flat, D, E-flat, E, F, F-sharp, G, A-flat, "
                                "A, B-flat or B, also written C#, Db, Fs, Bb, F sharp, with or without the "
                                "\u266F and \u266D signs, case-insensitive; or an index, 0 (C) to 11 (B). "
                                "Default: %s.",
                                CScaleSet::GetKeyName(r.key.nDefault)),
                         tuning);
    options[2] = AddText(correct, "--detune", texts[2], "CENTS",
                         Printf("Move every note of the scale by this many cents, %d to %d (whole cents; "
                                "-20 tunes A to about 435 Hz). Default: %d.",
                                r.detune.nLow - 100, r.detune.nHigh - 100, r.detune.nDefault - 100),
                         tuning);

    const std::string speed = "Correction";
    options[3] = AddText(correct, "--retune", texts[3], "MS",
                         Printf("Retune speed: how long the correction takes to reach a note, in "
                                "milliseconds, %d (at once) to %d (slow, natural). Set through the "
                                "control panel's %d-step fader, so it lands on the nearest fader step. "
                                "Default: %d.",
                                r.retuneMs.nLow, r.retuneMs.nHigh, retune_taper::kSteps, r.retuneMs.nDefault),
                         speed);
    options[4] = AddText(correct, "--retune-index", texts[4], "N",
                         Printf("The retune speed as a position of that fader, 0 to %d (%d is %d ms, %d is "
                                "%d ms, %d is %d ms). Default: %d.",
                                retune_taper::kSteps - 1, retune_taper::MsToIndex(20), 20,
                                retune_taper::MsToIndex(50), 50, retune_taper::MsToIndex(100), 100,
                                retune_taper::MsToIndex(r.retuneMs.nDefault)),
                         speed);
    options[3]->excludes(options[4]);
    options[5] = AddText(correct, "--threshold", texts[5], "N",
                         Printf("Pitch-tracking threshold, %d to %d: higher values keep tracking rough or "
                                "breathy sound, lower values lock on to clean tones only. Default: %d.",
                                r.threshold.nLow, r.threshold.nHigh, r.threshold.nDefault),
                         speed);
    correct->add_flag("--bypass", line.correct.bBypass,
                      "Leave the pitch alone: the output is the input delayed by 30 samples (to compare "
                      "or to check the file path).")
        ->group(speed);

    const std::string vib = "Vibrato";
    options[6] = AddText(correct, "--vibrato", texts[6], "TYPE",
                         Printf("A synthetic vibrato on the corrected notes: none, sine, square or sawtooth. "
                                "Default: %s.",
                                job::VibratoTypeName(r.vibratoType.nDefault)),
                         vib);
    options[7] = AddText(correct, "--depth", texts[7], "CENTS",
                         Printf("Vibrato depth in cents either side of the note, %d to %d. Default: %d.",
                                r.depth.nLow, r.depth.nHigh, r.depth.nDefault),
                         vib);
    options[8] = AddText(correct, "--rate", texts[8], "HZ",
                         Printf("Vibrato rate in hertz, %d.%d to %d.%d, in steps of 0.1 (rounded). "
                                "Default: %d.%d.",
                                r.rate.nLow / 10, r.rate.nLow % 10, r.rate.nHigh / 10, r.rate.nHigh % 10,
                                r.rate.nDefault / 10, r.rate.nDefault % 10),
                         vib);
    options[9] = AddText(correct, "--delay", texts[9], "MS",
                         Printf("Vibrato onset after each new note, in milliseconds, %d to %d: none for the "
                                "first half of it, fading in over the second half. Default: %d.",
                                r.delay.nLow, r.delay.nHigh, r.delay.nDefault),
                         vib);

    // Only the options actually given reach the controller.
    correct->final_callback([&line, &raw] {
        line.eCommand = CommandLine::Command::Correct;
        std::optional<std::string>* targets[10] = {
            &line.correct.scale,       &line.correct.key,       &line.correct.detune,
            &line.correct.retuneMs,    &line.correct.retuneIndex, &line.correct.threshold,
            &line.correct.vibrato,     &line.correct.depth,     &line.correct.rate,
            &line.correct.delay};
        for (int i = 0; i < 10; ++i)
            if (raw.correctOptions[i]->count() > 0)
                *targets[i] = raw.correct[i];
    });
}

void AddScales(CLI::App& app, CommandLine& line)
{
    CLI::App* scales = app.add_subcommand(
        "scales", "List the built-in scales: index, notes per octave and name, as --scale takes them.");
    scales->final_callback([&line] { line.eCommand = CommandLine::Command::Scales; });
}

const char* const kRegistryFooter =
    "The registry is the file named by INTONARA_REGISTRY, else $XDG_CONFIG_HOME/intonara/registry, else "
    "~/.config/intonara/registry. The plug-in module is INTONARA_MODULE, else ../lib/intonara-filter.so "
    "beside this program.";

void AddRegistration(CLI::App& app, CommandLine& line)
{
    CLI::App* reg = app.add_subcommand(
        "register", "Register the plug-in module: its two classes and the filter's record for hosts that "
                    "list audio filters. Registering again replaces the entries.");
    reg->footer(kRegistryFooter);
    reg->final_callback([&line] { line.eCommand = CommandLine::Command::Register; });

    CLI::App* unreg = app.add_subcommand(
        "unregister", "Remove what \"register\" wrote. Nothing registered is not an error.");
    unreg->footer(kRegistryFooter);
    unreg->final_callback([&line] { line.eCommand = CommandLine::Command::Unregister; });

    CLI::App* filters = app.add_subcommand(
        "filters", "List the registered filters: name, class identifier, merit in hex, and each pin with its "
                   "direction and media types.");
    filters->footer(kRegistryFooter);
    filters->final_callback([&line] { line.eCommand = CommandLine::Command::Filters; });
}

void AddNotes(CLI::App& app, CommandLine& line, RawTexts& raw, const job::AutomaticRanges& r)
{
    CLI::App* notes = app.add_subcommand(
        "notes", "List the notes of a scale in a key: name, cents above the key note, frequency, and the "
                 "target period and capture range the engine works with at a sample rate.");
    notes->footer("A note is corrected toward its target period when the detected period falls in its "
                  "capture range. Notes marked \"not tracked\" keep their range but are never a target; "
                  "\"removed\" notes give their range to their neighbours.");

    raw.notesOptions[0] = notes->add_option("--scale", raw.notes[0],
                                    Printf("The scale, by name or index 0 to %d, as for \"correct\". "
                                           "Default: %s.",
                                           r.scale.nHigh, DefaultScaleText(r).c_str()))
                      ->type_name("NAME|INDEX");
    raw.notesOptions[1] = notes->add_option("--key", raw.notes[1],
                                  Printf("The key note, as for \"correct\" (C, C#, Db, D-flat, ... or 0 to "
                                         "11). Default: %s.",
                                         CScaleSet::GetKeyName(r.key.nDefault)))
                    ->type_name("NAME|INDEX");
    raw.notesOptions[2] = notes->add_option("--sample-rate", raw.notes[2],
                                   Printf("Sample rate in hertz the periods are computed for, %d to %d. "
                                          "Default: %d.",
                                          job::kMinListingSampleRate, job::kMaxListingSampleRate,
                                          job::InitialSampleRate()))
                     ->type_name("HZ");
    notes->final_callback([&line, &raw] {
        line.eCommand = CommandLine::Command::Notes;
        std::optional<std::string>* targets[3] = {&line.scale, &line.key, &line.sampleRate};
        for (int i = 0; i < 3; ++i)
            if (raw.notesOptions[i]->count() > 0)
                *targets[i] = raw.notes[i];
    });
}

} // namespace

std::optional<CommandLine> ParseCommandLine(int argc, char** argv)
{
    const job::AutomaticRanges& ranges = job::GetAutomaticRanges();
    CommandLine line;
    RawTexts raw;

    CLI::App app{kProgramHelp, "intonara"};
    app.set_version_flag("--version", std::string("intonara ") + INTONARA_VERSION,
                         "Print the version and exit.");
    app.set_help_flag("-h,--help", "Print this help and exit; every subcommand has its own --help.");
    app.set_help_all_flag("--help-all", "Print the help of the tool and of every subcommand.");
    app.require_subcommand(1);

    AddCorrect(app, line, raw, ranges);
    AddScales(app, line);
    AddNotes(app, line, raw, ranges);
    AddRegistration(app, line);
    AddGraphCommands(
        app, line.graph, [](void* context) { static_cast<CommandLine*>(context)->eCommand = CommandLine::Command::Graph; },
        &line);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e);
        return std::nullopt;
    } catch (const CLI::CallForAllHelp& e) {
        app.exit(e);
        return std::nullopt;
    } catch (const CLI::CallForVersion& e) {
        app.exit(e);
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        if (argc <= 1)
            message = "give a subcommand: correct, graph, scales, notes, register, unregister or filters (see "
                      "intonara --help)";
        for (char& c : message)
            if (c == '\n')
                c = ' ';
        job::ThrowUsage(message);
    }
    return line;
}
