// intonara-demo-input: writes the built-in demo phrase to a WAV file.

#include "analysis/SoundFile.h"
#include "voice/DemoPhrase.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    CLI::App app{
        "Writes Intonara's demo input: a synthetic voice singing a twelve-note phrase (A3 to E4) "
        "with vibrato and glides, every note 20 to 45 cents sharp or flat. The file is mono 16-bit "
        "PCM WAV, and the same for the same sample rate on every run.",
        "intonara-demo-input"};
    std::string outPath;
    int sampleRate = 44100;
    app.add_option("OUT.wav", outPath, "The WAV file to write; an existing file is replaced.")->required();
    app.add_option("-r,--sample-rate", sampleRate, "Sample rate in Hz, 8000 to 192000.")
        ->check(CLI::Range(8000, 192000))
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "intonara-demo-input: %s\n", e.what());
        return 2;
    }

    try {
        const std::vector<float> phrase = voice::SynthesizeDemoPhrase(sampleRate);
        analysis::WriteMonoPcm16Wav(outPath, phrase, sampleRate);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "intonara-demo-input: %s\n", e.what());
        return 1;
    }
    return 0;
}
