#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "job/CorrectionSettings.h"
#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/Suggest.h"
#include "job/TextFormat.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

#ifndef INTONARA_VERSION
#define INTONARA_VERSION "unknown"
#endif

namespace {

using job::Printf;

// Options whose values are taken as text and checked by the job library,
// so that every bad value gets the same kind of message whichever option it
// came with. The texts are kept until parsing is over; only the options
// actually given are copied on, so the others keep the preset's values.
template <int N>
struct CTextOptions
{
    std::string texts[N];
    CLI::Option* options[N] = {};

    CLI::Option* Add(int i, CLI::App* app, const std::string& names, const std::string& type,
                     const std::string& help, const std::string& group)
    {
        options[i] = app->add_option(names, texts[i], help)->type_name(type);
        if (!group.empty())
            options[i]->group(group);
        return options[i];
    }

    void CopyGiven(std::optional<std::string>* const (&targets)[N]) const
    {
        for (int i = 0; i < N; ++i)
            if (options[i]->count() > 0)
                *targets[i] = texts[i];
    }
};

// Scale, key, detune and A4 come first in every subcommand that has them.
enum TuningOption
{
    kScaleOption,
    kKeyOption,
    kDetuneOption,
    kA4Option,
    kTuningOptions
};

struct RawTexts
{
    CTextOptions<11> correct;
    CTextOptions<5> notes;
    CTextOptions<5> analyze;
};

std::string DefaultScaleText(const job::AutomaticRanges& r)
{
    return Printf("%d (\"%s\")", r.scale.nDefault, CScaleSet::GetDisplayName(r.scale.nDefault));
}

std::string ScaleHelp(const job::AutomaticRanges& r, const char* purpose)
{
    return Printf("The scale %s: its index, 0 to %d, or its name as \"intonara scales\" lists it; case and "
                  "punctuation do not matter, the beginning of a name is enough when only one scale has it, "
                  "and chromatic, major, minor, meantone, just major, just minor and 19-tet (24, 31, 53) "
                  "are understood. Default: %s.",
                  purpose, r.scale.nHigh, DefaultScaleText(r).c_str());
}

std::string KeyHelp(const job::AutomaticRanges& r)
{
    return Printf("The key note of the scale: C, D-flat, D, E-flat, E, F, F-sharp, G, A-flat, A, B-flat or B, "
                  "also written C#, Db, Fs, Bb, F sharp, with or without the \u266F and \u266D signs, "
                  "case-insensitive; or an index, 0 (C) to 11 (B). A mode after the note (Am, F# minor, "
                  "Ebmaj) also chooses the Minor or Major scale, unless --scale is given. Default: %s.",
                  CScaleSet::GetKeyName(r.key.nDefault));
}

std::string DetuneHelp(const job::AutomaticRanges& r)
{
    return Printf("Move every note of the scale by this many cents, %d to %d (whole cents; -20 tunes A to about "
                  "435 Hz). Default: %d.",
                  r.detune.nLow - 100, r.detune.nHigh - 100, r.detune.nDefault - 100);
}

const char* const kA4Help =
    "Tune the scale to this pitch of A4 instead of 440 Hz, 415.3 to 466.2 Hz: the same as --detune with "
    "the nearest whole number of cents, which the output states.";

template <int N>
void AddTuning(CTextOptions<N>& texts, CLI::App* app, const job::AutomaticRanges& r, const char* purpose,
               const std::string& group, const std::string& detuneNote = "")
{
    texts.Add(kScaleOption, app, "--scale", "NAME|INDEX", ScaleHelp(r, purpose), group);
    texts.Add(kKeyOption, app, "--key", "NAME|INDEX", KeyHelp(r), group);
    texts.Add(kDetuneOption, app, "--detune", "CENTS", DetuneHelp(r) + detuneNote, group);
    texts.Add(kA4Option, app, "--a4", "HZ", kA4Help, group);
    texts.options[kDetuneOption]->excludes(texts.options[kA4Option]);
}

const char* const kProgramHelp =
    "Corrects the pitch of a solo voice or a solo instrument in a sound file: every note is pulled "
    "toward the nearest note of a scale and key, with the same processing as the plug-in's automatic "
    "mode. Run \"intonara SUBCOMMAND --help\" for the options of each subcommand.";

const char* const kCorrectFooter =
    "Formats: any file libsndfile reads. 16-bit PCM runs through the plug-in's 16-bit path, every other "
    "encoding through its float path. The output keeps the input's channels, sample rate, container and "
    "encoding, unless OUT's extension (.wav, .aiff, .flac, .ogg, .opus, .mp3, .caf, .w64, .rf64, .au), "
    "--format or --bits says otherwise; a container that cannot hold the input's encoding gets the nearest "
    "it can (24-bit for float into FLAC). An extension intonara does not know is refused before anything is "
    "read.\n"
    "Channels: each channel is corrected by a processor of its own, started the same way, several at once "
    "where there are cores for them; --mixdown corrects the average of all channels and --channel N one "
    "channel, and both write mono.\n"
    "Pitch range: the lowest pitch corrected rises with the sample rate: 26 Hz at 22050 Hz, 52 Hz at 44100, "
    "56 Hz at 48000, 103 Hz at 88200, 112 Hz at 96000, 205 Hz at 176400, 225 Hz at 192000 (the highest is "
    "about a fourteenth of the rate). A lower voice passes through uncorrected; when most of the input lies "
    "below the range, a warning says so. Files sampled below 8000 or above 192000 Hz are refused.\n"
    "Timing: the output lines up with the input and has its length: the plug-in's delay of 30 samples is "
    "trimmed at the start and flushed out at the end. --keep-latency writes the raw stream instead, 30 "
    "samples late, as a host receives it.\n"
    "Standard streams: \"-\" as IN reads standard input, \"-o -\" writes standard output (WAV unless "
    "--format says otherwise); progress and the summary then go to standard error, and nothing is written "
    "unless the whole run succeeds.\n"
    "Several files: with more than one IN, -o must name a folder (an existing one, or a name ending in "
    "\"/\", which is made), or give --output-dir; each file is written there under its own name (with the "
    "extension of --format, when given). A file that fails is reported and the others still run.\n"
    "Where files go: each result is written to a hidden temporary file in its folder and renamed into place "
    "only once it is complete and flushed to disk; after an error or an interrupt no partial file is left "
    "and an existing file is unchanged. The input is only read; an output may not be its input or a link "
    "to it, nor a device or pipe.\n"
    "The file runs through the plug-in's own filter, loaded from the plug-in module: INTONARA_MODULE "
    "when set, else the first intonara-filter.so in ../lib/intonara, ../lib or the folder of this "
    "program, the prefix it was built to install to, ~/.local/lib/intonara, /usr/local/lib/intonara "
    "or /usr/lib/intonara.\n"
    "Exit status: 0 when every file was corrected, 1 when a file could not be read, was refused or could not "
    "be written, 2 for a mistake on the command line.";

void AddChannelOptions(CLI::App* sub, CommandLine& line, const std::string& mixdownHelp,
                       const std::string& channelHelp)
{
    CLI::Option* mixdown = sub->add_flag("--mixdown", line.bMixdown, mixdownHelp)->group("Channels");
    sub->add_option("--channel", line.channel, channelHelp)->type_name("N")->group("Channels")->excludes(mixdown);
}

void AddCorrect(CLI::App& app, CommandLine& line, RawTexts& raw, const job::AutomaticRanges& r)
{
    CLI::App* correct = app.add_subcommand(
        "correct", "Correct the pitch of a whole file in automatic mode and write the result to a new file.");
    correct->footer(kCorrectFooter);

    CTextOptions<11>& texts = raw.correct;
    correct->add_option("IN", line.inPaths,
                        "The sound files to correct, any that libsndfile reads; \"-\" for standard input.")
        ->required()
        ->type_name("")
        ->group("Files");
    CLI::Option* output =
        correct
            ->add_option("-o,--output", line.sOutPath,
                         "The file to write (\"-\" for standard output), or the folder to write into. An "
                         "existing file is replaced, but only once the new one is complete.")
            ->type_name("OUT")
            ->group("Files");
    correct
        ->add_option("--output-dir", line.sOutputDir,
                     "Write every output into this folder, under its input's name; the folder is made if "
                     "it does not exist.")
        ->type_name("DIR")
        ->group("Files")
        ->excludes(output);
    correct
        ->add_option("--format", line.format,
                     "The output's format, whatever its extension: wav, aiff, flac, ogg (Vorbis), opus, mp3, "
                     "caf, w64, rf64 or au. Default: from OUT's extension, else the input's.")
        ->type_name("NAME")
        ->group("Files");
    correct
        ->add_option("--bits", line.bits,
                     "The output's samples: 8, 16, 24 or 32 (integer PCM), float or double. Default: the "
                     "input's, where the format can hold them.")
        ->type_name("N")
        ->group("Files");
    AddChannelOptions(correct, line,
                      "Correct the average of all channels (through the float path) and write it as mono.",
                      "Correct only this channel (1 is the first) and write it as mono.");
    correct
        ->add_flag("--keep-latency", line.bKeepLatency,
                   "Write the raw stream as a host receives it, 30 samples late, instead of lined up with "
                   "the input.")
        ->group("Files");
    correct->add_flag("--quiet", line.bQuiet,
                      "Print nothing but errors: no progress bar (otherwise shown on a terminal), no summary "
                      "line and no warning.")
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
                      "Keep a log in \"inlog.dat\" in the current directory (rotated to \"inlog.old\" past "
                      "1 MiB): the command, then for every file its format, how it is processed, the "
                      "settings in force, the output's format, the frames written and the time taken, or "
                      "why it failed, with the plug-in's own trace entries.")
        ->group("Files");

    AddTuning(texts, correct, r, "to correct toward", "Tuning");

    const std::string speed = "Correction";
    texts.Add(4, correct, "--retune", "MS",
              Printf("Retune speed: how long the correction takes to reach a note, in "
                     "milliseconds, %d (at once) to %d (slow, natural). Set through the "
                     "control panel's %d-step fader, so it lands on the nearest fader step. "
                     "Default: %d.",
                     r.retuneMs.nLow, r.retuneMs.nHigh, retune_taper::kSteps, r.retuneMs.nDefault),
              speed);
    texts.Add(5, correct, "--retune-index", "N",
              Printf("The retune speed as a position of that fader, 0 to %d (%d is %d ms, %d is "
                     "%d ms, %d is %d ms). Default: %d.",
                     retune_taper::kSteps - 1, retune_taper::MsToIndex(20), 20,
                     retune_taper::MsToIndex(50), 50, retune_taper::MsToIndex(100), 100,
                     retune_taper::MsToIndex(r.retuneMs.nDefault)),
              speed);
    texts.options[4]->excludes(texts.options[5]);
    texts.Add(6, correct, "--threshold", "N",
              Printf("Pitch-tracking threshold, %d to %d: higher values keep tracking rough or "
                     "breathy sound, lower values lock on to clean tones only. Default: %d.",
                     r.threshold.nLow, r.threshold.nHigh, r.threshold.nDefault),
              speed);
    correct->add_flag("--bypass", line.correct.bBypass,
                      "Leave the pitch alone: the output is the input itself, sample for sample (30 samples "
                      "late with --keep-latency); to compare, or to check the file path.")
        ->group(speed);

    const std::string vib = "Vibrato";
    texts.Add(7, correct, "--vibrato", "TYPE",
              Printf("A synthetic vibrato on the corrected notes: none, sine, square or sawtooth. "
                     "Default: %s.",
                     job::VibratoTypeName(r.vibratoType.nDefault)),
              vib);
    texts.Add(8, correct, "--depth", "CENTS",
              Printf("Vibrato depth in cents either side of the note, %d to %d. Default: %d.",
                     r.depth.nLow, r.depth.nHigh, r.depth.nDefault),
              vib);
    texts.Add(9, correct, "--rate", "HZ",
              Printf("Vibrato rate in hertz, %d.%d to %d.%d, in steps of 0.1 (rounded). "
                     "Default: %d.%d.",
                     r.rate.nLow / 10, r.rate.nLow % 10, r.rate.nHigh / 10, r.rate.nHigh % 10,
                     r.rate.nDefault / 10, r.rate.nDefault % 10),
              vib);
    texts.Add(10, correct, "--delay", "MS",
              Printf("Vibrato onset after each new note, in milliseconds, %d to %d: none for the "
                     "first half of it, fading in over the second half. Default: %d.",
                     r.delay.nLow, r.delay.nHigh, r.delay.nDefault),
              vib);

    correct->final_callback([&line, &raw] {
        line.eCommand = CommandLine::Command::Correct;
        job::CorrectOptionTexts& c = line.correct;
        raw.correct.CopyGiven({&c.scale, &c.key, &c.detune, &c.a4, &c.retuneMs, &c.retuneIndex, &c.threshold,
                               &c.vibrato, &c.depth, &c.rate, &c.delay});
    });
}

const char* const kAnalyzeFooter =
    "The file runs through the plug-in's own filter in a tracking pass, the way its graphical mode tracks a "
    "passage: the engine's detector records the pitch of every 200-sample frame and nothing is corrected. "
    "Stretches that hold one note of the scale for at least 60 ms are sung notes; a note that comes back "
    "within 100 ms is the same note. Each note's deviation is the median of its frames, in cents from the "
    "note the engine would pull it to, as the scale, key and detune set it. A file with several channels is "
    "mixed down unless --channel is given.\n"
    "Exit status: 0 when the file was analysed, 1 when it could not be read or the picture not written, 2 "
    "for a mistake on the command line.";

void AddAnalyze(CLI::App& app, CommandLine& line, RawTexts& raw, const job::AutomaticRanges& r)
{
    CLI::App* analyze = app.add_subcommand(
        "analyze", "Show what would be corrected: every sung note of a file, its time, the nearest note of the "
                   "scale and key, and its median deviation in cents, then a summary.");
    analyze->footer(kAnalyzeFooter);
    analyze->add_option("IN", line.inPaths, "The sound file to analyse; \"-\" for standard input.")
        ->required()
        ->expected(1)
        ->type_name("")
        ->group("Files");
    analyze->add_option("--png", line.sPngPath,
                        "Also draw the tracked pitch over the note lines of the scale, time across, into this "
                        "PNG picture (written complete or not at all).")
        ->type_name("PLOT")
        ->group("Files");
    analyze->add_flag("--json", line.bJson, "Print the notes and the summary as one JSON object instead.")
        ->group("Files");
    AddChannelOptions(analyze, line, "Analyse the average of all channels (the default for several).",
                      "Analyse only this channel (1 is the first).");

    AddTuning(raw.analyze, analyze, r, "to compare with", "Tuning");
    raw.analyze.Add(kTuningOptions, analyze, "--threshold", "N",
                    Printf("Pitch-tracking threshold, %d to %d, as for correct: what the detector follows. "
                           "Default: %d.",
                           r.threshold.nLow, r.threshold.nHigh, r.threshold.nDefault),
                    "Tuning");
    analyze->final_callback([&line, &raw] {
        line.eCommand = CommandLine::Command::Analyze;
        job::CorrectOptionTexts& a = line.analyze;
        raw.analyze.CopyGiven({&a.scale, &a.key, &a.detune, &a.a4, &a.threshold});
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
    "~/.config/intonara/registry. The plug-in module is found as for \"correct\" (see intonara correct "
    "--help).";

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
                 "range of pitches each note captures.");
    notes->footer("A voice is pulled toward a note when its pitch lies in the note's capture range (listed in the "
                  "octave from the key note up; the same ranges repeat in every octave). Notes marked \"not "
                  "tracked\" keep their range but are never a target; \"removed\" notes give their range to "
                  "their neighbours.");

    AddTuning(raw.notes, notes, r, "to list", "", " It moves the frequencies listed.");
    raw.notes.Add(kTuningOptions, notes, "--sample-rate", "HZ",
                  Printf("Sample rate in hertz the engine's periods are computed for (see --raw), %d to %d. "
                         "Default: %d.",
                         job::kMinListingSampleRate, job::kMaxListingSampleRate, job::InitialSampleRate()),
                  "");
    notes->add_flag("--raw", line.bRawNotes,
                    "Show each note's target period and capture range as the engine receives them, integers in "
                    "its scaled units, instead of frequencies.");
    notes->final_callback([&line, &raw] {
        line.eCommand = CommandLine::Command::Notes;
        raw.notes.CopyGiven({&line.scale, &line.key, &line.detune, &line.a4, &line.sampleRate});
    });
}

// "-20" and "-0.5" are values, not options.
bool IsNumber(const std::string& word)
{
    bool digits = false;
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (word[i] >= '0' && word[i] <= '9')
            digits = true;
        else if (word[i] != '.')
            return false;
    }
    return digits;
}

std::vector<const CLI::App*> Subcommands(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App*) { return true; });
}

// "--scale", "-o": every way an option of app is written.
std::vector<std::string> OptionSpellings(const CLI::App& app)
{
    std::vector<std::string> spellings;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames())
            spellings.push_back("--" + name);
        for (const std::string& name : option->get_snames())
            spellings.push_back("-" + name);
    }
    return spellings;
}

const CLI::Option* FindOption(const CLI::App& app, const std::string& spelling)
{
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames())
            if (spelling == "--" + name)
                return option;
        for (const std::string& name : option->get_snames())
            if (spelling == "-" + name)
                return option;
    }
    return nullptr;
}

// "intonara graph track": the words that lead to app.
std::string FullName(const CLI::App& app)
{
    const CLI::App* parent = app.get_parent();
    return parent ? FullName(*parent) + " " + app.get_name() : app.get_name();
}

// The subcommands of family that have an option of that spelling, for a
// message.
std::string OwnersOf(const CLI::App& family, const std::string& spelling)
{
    std::string owners;
    for (const CLI::App* sub : Subcommands(family))
        if (FindOption(*sub, spelling))
            owners += (owners.empty() ? "" : " and ") + sub->get_name();
    return owners;
}

[[noreturn]] void RejectSubcommand(const CLI::App& parent, const std::string& word)
{
    std::vector<std::string> names;
    std::string list;
    for (const CLI::App* sub : Subcommands(parent)) {
        names.push_back(sub->get_name());
        list += (list.empty() ? "" : ", ") + sub->get_name();
    }
    const std::string guess = job::DidYouMean(word, names);
    job::ThrowUsage("unknown subcommand \"" + word + "\"" +
                    (guess.empty() ? "; the subcommands are " + list : guess) + " (see " + FullName(parent) +
                    " --help)");
}

[[noreturn]] void RejectOption(const CLI::App& scope, const std::string& spelling)
{
    // Before a subcommand the owners are among the subcommands to come,
    // after one among its siblings.
    const bool beforeSubcommand = !Subcommands(scope).empty();
    const CLI::App& family = beforeSubcommand || !scope.get_parent() ? scope : *scope.get_parent();
    const std::string where = FullName(scope);
    const std::string owners = OwnersOf(family, spelling);
    if (!owners.empty())
        job::ThrowUsage(spelling + " is an option of " + owners + (beforeSubcommand ? ", given before the subcommand" : "") +
                        "; " + where + " has no such option (see " + where + " --help)");
    job::ThrowUsage(where + " has no option " + spelling + job::DidYouMean(spelling, OptionSpellings(scope)) +
                    " (see " + where + " --help)");
}

// Walks the words the way the parser will, so that a word the tool does
// not know is named, with the nearest valid one, before the parser would
// report something vaguer ("A subcommand is required").
void CheckWords(const CLI::App& top, int argc, char** argv)
{
    const CLI::App* scope = &top;
    bool onlyValues = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (!onlyValues && word == "--") {
            onlyValues = true;
            continue;
        }
        if (onlyValues || word.size() < 2 || word[0] != '-' || IsNumber(word)) {
            // A word where a subcommand is due names one ("graph track").
            const auto subs = Subcommands(*scope);
            if (!subs.empty()) {
                const auto found =
                    std::find_if(subs.begin(), subs.end(), [&](const CLI::App* s) { return s->get_name() == word; });
                if (found == subs.end())
                    RejectSubcommand(*scope, word);
                scope = *found;
            }
            continue;
        }
        // "--scale=Major", and "-oOUT" for a short option that takes a value.
        std::string spelling = word.substr(0, word.find('='));
        bool attached = spelling.size() < word.size();
        if (word[1] != '-' && word.size() > 2) {
            spelling = word.substr(0, 2);
            attached = true;
        }
        const CLI::Option* option = FindOption(*scope, spelling);
        if (!option && scope != &top)
            option = FindOption(top, spelling); // --help-all, --version
        if (!option)
            RejectOption(*scope, spelling);
        if (!attached && option->get_items_expected_max() > 0)
            ++i;
    }
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
    AddAnalyze(app, line, raw, ranges);
    AddScales(app, line);
    AddNotes(app, line, raw, ranges);
    AddRegistration(app, line);
    AddGraphCommands(
        app, line.graph, [](void* context) { static_cast<CommandLine*>(context)->eCommand = CommandLine::Command::Graph; },
        &line);

    try {
        CheckWords(app, argc, argv);
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
            message = "give a subcommand: correct, analyze, graph, scales, notes, register, unregister or "
                      "filters (see intonara --help)";
        for (char& c : message)
            if (c == '\n')
                c = ' ';
        job::ThrowUsage(message);
    }
    return line;
}
