// intonara-pitch-report: how far from equal-tempered notes the pitch of
// each file lies, measured by a detector independent of Intonara's own.

#include "analysis/PitchAnalysis.h"
#include "analysis/SoundFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string file;
    analysis::PitchSummary summary;
};

std::string Cents(double value)
{
    if (std::isnan(value))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{
        "For each sound file, prints the median and the 90th percentile of the distance, in cents, "
        "between the pitch of each voiced frame and the nearest note of 12-tone equal temperament "
        "(A4 = 440 Hz), and how many frames were voiced. Any format libsndfile reads; several "
        "channels are mixed to mono.",
        "intonara-pitch-report"};
    std::vector<std::string> files;
    analysis::AnalysisOptions options;
    app.add_option("FILE", files, "Sound files to measure.")->required();
    app.add_option("--method", options.method,
                   "Pitch detector: yin, yinfast (same answers, quicker) or yinfft (reports no confidence, "
                   "so use it with --min-confidence 0).")
        ->check(CLI::IsMember({"yin", "yinfast", "yinfft"}))
        ->capture_default_str();
    app.add_option("--min-confidence", options.minConfidence,
                   "Frames the detector is less sure of than this (0 to 1) count as unvoiced.")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "intonara-pitch-report: %s\n", e.what());
        return 2;
    }

    std::vector<Row> rows;
    bool failed = false;
    for (const std::string& file : files) {
        try {
            const analysis::MonoSound sound = analysis::ReadMonoSound(file);
            rows.push_back({file, analysis::SummarisePitch(analysis::AnalysePitch(sound.samples, sound.sampleRate, options))});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "intonara-pitch-report: %s\n", e.what());
            failed = true;
        }
    }

    if (!rows.empty()) {
        size_t width = 4;
        for (const Row& row : rows)
            width = std::max(width, row.file.size());
        const int w = static_cast<int>(width);
        std::printf("%-*s  %12s  %9s  %13s\n", w, "file", "median cents", "p90 cents", "voiced frames");
        for (const Row& row : rows)
            std::printf("%-*s  %12s  %9s  %13zu\n", w, row.file.c_str(), Cents(row.summary.medianAbsCents).c_str(),
                        Cents(row.summary.p90AbsCents).c_str(), row.summary.voicedFrames);
    }
    return failed ? 1 : 0;
}
