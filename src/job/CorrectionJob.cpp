#include "job/CorrectionJob.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/OutputFile.h"
#include "job/SampleConversion.h"
#include "job/SoundIo.h"
#include "job/TextFormat.h"
#include "modes/DspObject.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

namespace job {

void ApplyUserSettings(CDspObject& dsp, const CorrectionSettings& settings)
{
    const std::pair<int, const std::optional<int>*> changes[] = {
        {PARAM_SCALE, &settings.nScale},
        {PARAM_KEY, &settings.nKey},
        {PARAM_DETUNE, &settings.nDetune},
        {PARAM_RETUNE, &settings.nRetuneIndex},
        {PARAM_VIBRATO_TYPE, &settings.nVibratoType},
        {PARAM_VIBRATO_DEPTH, &settings.nVibratoDepth},
        {PARAM_VIBRATO_RATE, &settings.nVibratoRate},
        {PARAM_VIBRATO_DELAY, &settings.nVibratoDelay},
        {PARAM_THRESHOLD, &settings.nThreshold},
    };
    for (const auto& [id, value] : changes)
        if (value->has_value())
            dsp.SetParameter(id, **value);

    if (settings.bBypass)
        dsp.SetControlValue(0, 1);
}

SettingsBlock PrepareController(CDspObject& dsp, const CorrectionSettings& settings, int sampleRate)
{
    // The order of these calls is part of the output: the filter-graph
    // version of this job (GraphCorrection.cpp) makes the same calls in the
    // same order to produce the same samples. It is the plug-in's own
    // start-up sequence:
    //   1. Initialise()                      the control object creates the processor
    //   2. SetAutomaticSettings(defaults)    the host applies the "(Default)" preset
    //   3. SetParameter(id, value), IDs 2 to 10 ascending, only those the user
    //      gave, in the control panel's units
    //   4. SetControlValue(0, 1)             the panel's Bypass button, if asked for
    //   5. SetSampleRate(rate)               format negotiation
    //   6. ResetEngine()                     the graph runs from stopped
    // and then m_Engine.Process on consecutive blocks.
    dsp.Initialise();

    const SettingsBlock defaults = DefaultSettingsBlock(ReadAutomaticRanges(dsp));
    dsp.SetAutomaticSettings(defaults.data());

    ApplyUserSettings(dsp, settings);

    dsp.SetSampleRate(static_cast<float>(sampleRate));
    dsp.ResetEngine();

    SettingsBlock applied{};
    dsp.GetAutomaticSettings(applied.data());
    return applied;
}

void AverageChannels(const float* pInterleaved, int nFrames, int nChannels, float* pOut)
{
    // The plain average: a signal present in every channel keeps its
    // level, and nothing can clip that did not clip before.
    for (int i = 0; i < nFrames; ++i) {
        double sum = 0.0;
        const float* frame = &pInterleaved[static_cast<size_t>(i) * static_cast<size_t>(nChannels)];
        for (int c = 0; c < nChannels; ++c)
            sum += frame[c];
        pOut[i] = static_cast<float>(sum / nChannels);
    }
}

namespace {

// The three ways through the engine differ only in how a block is read and
// written; the engine call between them is the same.
class CBlockStream
{
public:
    CBlockStream(CSoundReader& reader, CSoundWriter& writer, ProcessingPath path, int nBlockFrames)
        : m_Reader(reader), m_Writer(writer), m_ePath(path), m_nBlock(nBlockFrames),
          m_In(static_cast<size_t>(nBlockFrames)), m_Out(static_cast<size_t>(nBlockFrames))
    {
        const int channels = reader.Format().nChannels;
        if (path == ProcessingPath::Pcm16)
            m_Pcm.resize(static_cast<size_t>(nBlockFrames));
        else if (path == ProcessingPath::Mixdown && channels > 1)
            m_Interleaved.resize(static_cast<size_t>(nBlockFrames) * static_cast<size_t>(channels));
    }

    // The input block as floats; 0 at the end of the file.
    int Read()
    {
        switch (m_ePath) {
        case ProcessingPath::Pcm16: {
            const int n = static_cast<int>(m_Reader.ReadPcm16(m_Pcm.data(), m_nBlock));
            ConvertPcm16ToFloat(m_Pcm.data(), m_In.data(), static_cast<size_t>(n));
            return n;
        }
        case ProcessingPath::Float32:
            return static_cast<int>(m_Reader.ReadFloat(m_In.data(), m_nBlock));
        case ProcessingPath::Mixdown:
            return ReadMixedDown();
        }
        return 0;
    }

    float* Input() { return m_In.data(); }
    float* Output() { return m_Out.data(); }

    void Write(int n)
    {
        if (m_ePath == ProcessingPath::Pcm16) {
            ConvertFloatToPcm16(m_Out.data(), m_Pcm.data(), static_cast<size_t>(n));
            m_Writer.WritePcm16(m_Pcm.data(), n);
        } else {
            m_Writer.WriteFloat(m_Out.data(), n);
        }
    }

private:
    int ReadMixedDown()
    {
        const int channels = m_Reader.Format().nChannels;
        if (channels == 1)
            return static_cast<int>(m_Reader.ReadFloat(m_In.data(), m_nBlock));
        const int n = static_cast<int>(m_Reader.ReadFloat(m_Interleaved.data(), m_nBlock));
        AverageChannels(m_Interleaved.data(), n, channels, m_In.data());
        return n;
    }

    CSoundReader& m_Reader;
    CSoundWriter& m_Writer;
    ProcessingPath m_ePath;
    int m_nBlock;
    std::vector<float> m_In;
    std::vector<float> m_Out;
    std::vector<int16_t> m_Pcm;
    std::vector<float> m_Interleaved;
};

} // namespace

void CheckRequest(const CorrectionRequest& request)
{
    if (request.nBlockFrames < 1)
        ThrowUsage("the block size must be at least one frame");
    CheckInputAndOutput(request.sInPath, request.sOutPath);
}

CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format)
{
    CheckCorrectable(format, request.sInPath);
    CorrectionSummary summary;
    summary.sInPath = request.sInPath;
    summary.sOutPath = request.sOutPath;
    summary.input = format;
    summary.path = ChoosePath(format, request.bMixdown, request.sInPath);
    summary.nOutputFormat =
        ChooseOutputFormat(request.sOutPath, format.nFormat, format.nSampleRate, summary.path);
    summary.bBypass = request.settings.bBypass;
    summary.dA4Hz = request.settings.dA4Hz;
    return summary;
}

CorrectionSummary RunCorrection(const CorrectionRequest& request)
{
    const auto started = std::chrono::steady_clock::now();
    CheckRequest(request);
    CSoundReader reader(request.sInPath);
    const SoundFormat& format = reader.Format();
    CorrectionSummary summary = PlanCorrection(request, format);

    // About 80 kB with its engine: too much for the stack of a caller that
    // may itself be deep.
    auto dsp = std::make_unique<CDspObject>();
    summary.applied = PrepareController(*dsp, request.settings, format.nSampleRate);

    CPendingOutput output(request.sOutPath);
    CSoundWriter writer(output.Descriptor(), request.sOutPath, summary.nOutputFormat, format.nSampleRate);
    CBlockStream stream(reader, writer, summary.path, request.nBlockFrames);

    for (;;) {
        if (request.pCancel && request.pCancel->load(std::memory_order_relaxed))
            ThrowFailure("interrupted; " + request.sOutPath + " was not written");
        const int n = stream.Read();
        if (n <= 0)
            break;
        dsp->m_Engine.Process(stream.Input(), stream.Output(), n);
        stream.Write(n);
        summary.nFrames += n;
        if (request.progress && format.nFrames > 0)
            request.progress(std::min(1.0, static_cast<double>(summary.nFrames) /
                                               static_cast<double>(format.nFrames)));
    }

    writer.Close();
    output.Commit();
    summary.dWallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

std::string FormatSummary(const CorrectionSummary& s)
{
    const double seconds =
        s.input.nSampleRate > 0 ? static_cast<double>(s.nFrames) / s.input.nSampleRate : 0.0;
    std::string line = Printf("corrected %s into %s: %.1f s of %s at %d Hz", s.sInPath.c_str(),
                              s.sOutPath.c_str(), seconds, DescribePath(s.path), s.input.nSampleRate);
    const SettingsBlock& a = s.applied;
    if (s.bBypass) {
        line += ", bypassed (only delayed)";
    } else {
        const std::string a4 = s.dA4Hz ? Printf(" (for A4 = %g Hz)", *s.dA4Hz) : "";
        line += Printf(", scale \"%s\", key %s, detune %s cents%s, retune %d ms, threshold %d, vibrato %s",
                       CScaleSet::GetDisplayName(a[0]), CScaleSet::GetKeyName(a[1]),
                       a[2] == 100 ? "0" : Printf("%+d", a[2] - 100).c_str(), a4.c_str(),
                       retune_taper::IndexToMs(a[3]), a[8], VibratoTypeName(a[4]));
        if (a[4] != 0)
            line += Printf(" (%d cents, %d.%d Hz, after %d ms)", a[5], a[6] / 10, a[6] % 10, a[7]);
    }
    line += Printf("; took %.2f s", s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        line += Printf(", %.0fx real time", seconds / s.dWallSeconds);
    return line;
}

} // namespace job
