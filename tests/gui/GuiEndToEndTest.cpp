// intonara-gui end to end, through X input only: open a file from the
// command line, play it, export it, and compare the export with what the
// tool writes for the same settings, sample for sample.

#include "GuiSession.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <filesystem>

namespace {

using guitest::CGuiSession;

class CScratch {
public:
    CScratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "intonara-gui-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~CScratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

int Shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::vector<short> ReadSamples(const std::string& path, int* rate = nullptr)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    if (rate != nullptr)
        *rate = info.samplerate;
    return samples;
}

// Each test in a scratch folder of its own, skipped without an X server to
// run the app on.
class GuiEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!uitest::OnPath("Xvfb") || !uitest::OnPath("xdotool"))
            GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs both)";
    }
    // The voice generator's phrase at `rate` as `name`, cut to its first
    // `seconds` where given.
    std::string Voice(const std::string& name, int rate, double seconds = 0.0)
    {
        const std::string path = dir.File(name);
        const std::string made = seconds > 0.0 ? dir.File("whole-" + name) : path;
        EXPECT_EQ(Shell(std::string(INTONARA_VOICE_PROGRAM) + " -r " + std::to_string(rate) + " " + made), 0);
        if (seconds > 0.0) {
            EXPECT_EQ(Shell("sox " + made + " " + path + " trim 0 " + std::to_string(seconds)), 0);
        }
        return path;
    }
    CScratch dir;
};

// Where the middle of the app's window is on the X screen: it opens at
// (80, 60), and pop-ups centre on it, so the pointer there is over them too
// (without a window manager the keyboard goes where the pointer is).
constexpr const char* kMiddle = "mousemove 330 250";

// Ctrl+E, and Return in the chooser takes the proposed name.
void Export(CGuiSession& app, const std::string& name)
{
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kMiddle + " key ctrl+e"));
    ASSERT_TRUE(app.Xdo("search --sync --name \"Export the corrected file\"")) << app.Status();
    ASSERT_TRUE(app.Xdo("sleep 0.3 key Return"));
    ASSERT_TRUE(app.WaitFor("Exported " + name + ".", 30000)) << app.Status();
}

// Quits with Ctrl+Q, answering "No" where unsaved curves make the app ask.
void Quit(CGuiSession& app, bool asks = false)
{
    ASSERT_TRUE(app.Xdo("key ctrl+q"));
    if (asks) {
        ASSERT_TRUE(app.Xdo("sleep 0.5 key n"));
    }
    EXPECT_EQ(app.WaitForExit(10000), 0) << app.Errors() << app.Status();
}

} // namespace

TEST_F(GuiEndToEnd, ExportInAutomaticModeEqualsTheToolsCorrection)
{
    const std::string voice = Voice("voice.wav", 22050);
    CGuiSession app(dir.Path(), {voice});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened voice.wav.", 10000)) << app.Status();
    // The proposed name is the file's own with "-corrected".
    ASSERT_NO_FATAL_FAILURE(Export(app, "voice-corrected.wav"));
    // Progress on the way: a share strictly between 0 and 100.
    bool bMidway = false;
    for (int percent = 1; percent < 100; ++percent)
        bMidway |= app.Status().find("voice-corrected.wav: " + std::to_string(percent) + "%") != std::string::npos;
    EXPECT_TRUE(bMidway) << app.Status();

    ASSERT_EQ(Shell(std::string(INTONARA_CLI_PROGRAM) + " correct " + voice + " -o " + dir.File("tool.wav")), 0);
    int rate = 0;
    const std::vector<short> exported = ReadSamples(dir.File("voice-corrected.wav"), &rate);
    const std::vector<short> tool = ReadSamples(dir.File("tool.wav"));
    EXPECT_EQ(rate, 22050);
    ASSERT_EQ(exported.size(), ReadSamples(voice).size());
    EXPECT_TRUE(exported == tool) << "the export differs from intonara correct";
    // The correction did something: the export is not the input.
    EXPECT_FALSE(exported == ReadSamples(voice));

    Quit(app);
}

// A number after `key=` in the app's report of an export's settings.
int Setting(const std::string& status, const std::string& key)
{
    const std::size_t at = status.find(" " + key + "=");
    return at == std::string::npos ? -1 : std::atoi(status.c_str() + at + key.size() + 2);
}

TEST_F(GuiEndToEnd, PanelSettingsReachTheExportAsTheToolWouldApplyThem)
{
    const std::string voice = Voice("phrase.wav", 22050);
    CGuiSession app(dir.Path(), {voice});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened phrase.wav.", 10000)) << app.Status();
    // The window's client area starts at (80, 60) of the screen (no window
    // manager draws a frame), and the page sits in its corner.
    // Scale: "Equal Tempered Chrom." up two entries to "Major".
    ASSERT_TRUE(app.Xdo("mousemove 232 160 click 1"));
    ASSERT_TRUE(app.Xdo("sleep 0.3 key Up Up Return"));
    // Key: C down four entries to E.
    ASSERT_TRUE(app.Xdo("sleep 0.3 mousemove 232 186 click 1"));
    ASSERT_TRUE(app.Xdo("sleep 0.3 key Down Down Down Down Return"));
    // The Retune fader's thumb dragged down towards "slow".
    ASSERT_TRUE(app.Xdo("sleep 0.3 mousemove 230 301 mousedown 1 sleep 0.1 mousemove 230 320 sleep 0.1 "
                        "mousemove 230 345 sleep 0.1 mouseup 1"));
    ASSERT_NO_FATAL_FAILURE(Export(app, "phrase-corrected.wav"));

    const std::string status = app.Status();
    EXPECT_EQ(Setting(status, "scale"), 0) << status;
    EXPECT_EQ(Setting(status, "key"), 4) << status;
    const int retune = Setting(status, "retune-index");
    // Slower than the default of 126 (20 ms).
    EXPECT_GT(retune, 126) << status;
    EXPECT_EQ(Setting(status, "detune"), 100) << status;
    EXPECT_EQ(Setting(status, "threshold"), 25) << status;
    EXPECT_EQ(Setting(status, "vibrato"), 0) << status;
    ASSERT_EQ(Shell(std::string(INTONARA_CLI_PROGRAM) + " correct " + voice + " --scale major --key E --retune-index " +
                    std::to_string(retune) + " -o " + dir.File("tool.wav")),
              0);
    const std::vector<short> exported = ReadSamples(dir.File("phrase-corrected.wav"));
    ASSERT_FALSE(exported.empty());
    EXPECT_TRUE(exported == ReadSamples(dir.File("tool.wav"))) << "the export differs from intonara correct";
    // And the settings made a difference against the defaults.
    ASSERT_EQ(Shell(std::string(INTONARA_CLI_PROGRAM) + " correct " + voice + " -o " + dir.File("default.wav")), 0);
    EXPECT_FALSE(exported == ReadSamples(dir.File("default.wav")));
    Quit(app);
}

TEST_F(GuiEndToEnd, SpacePlaysTheFileToItsEndWithoutUnderruns)
{
    const std::string shortVoice = Voice("short.wav", 16000, 1.5);
    CGuiSession app(dir.Path(), {"--buffer-ms", "10", shortVoice});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened short.wav.", 10000)) << app.Status();
    ASSERT_TRUE(app.Xdo(kMiddle));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(app.Xdo("key space"));
    ASSERT_TRUE(app.WaitFor("Played to the end", 10000)) << app.Status();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_NE(app.Status().find("Played to the end (0 underruns)."), std::string::npos) << app.Status();
    // Played in real time, not faster.
    EXPECT_GE(seconds, 1.4);
    // The end stopped the graph and went back to the start: Space plays
    // the file again from its beginning.
    ASSERT_TRUE(app.Xdo("key space"));
    const auto again = std::chrono::steady_clock::now();
    ASSERT_TRUE(app.WaitFor("Played to the end (0 underruns).\nPlaying.\nPlayed to the end (0 underruns).", 10000))
        << app.Status();
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count(), 1.4);
    Quit(app);
}

namespace {

// Where the app's controls are on the X screen: the window's client area
// starts at (80, 60) and the panel places its graphical-mode controls at
// fixed pixels in it.
constexpr const char* kGraphicalButton = "mousemove 570 89 click 1";
constexpr const char* kTrackPitchButton = "mousemove 640 150 click 1";
constexpr const char* kCorrectPitchButton = "mousemove 640 176 click 1";
constexpr const char* kMakeCurveButton = "mousemove 524 349 click 1";
constexpr const char* kFastPassButton = "mousemove 647 496 click 1";
// The plotting area of the main graph view, less the scale's label in its
// top-left corner.
constexpr int kPlotX = 80 + 8, kPlotY = 60 + 88, kPlotW = 360, kPlotH = 165;

struct CInk {
    int red = 0;    // tracked pitch
    int curve = 0;  // a curve, black, or cyan where selected
};

CInk CountInk(const platform::gdi::Surface& plot)
{
    CInk ink;
    for (int y = 0; y < plot.Height(); ++y) {
        for (int x = 0; x < plot.Width(); ++x) {
            const std::uint32_t p = plot.Pixel(x, y);
            ink.red += p == 0xFF0000u ? 1 : 0;
            ink.curve += p == 0x000000u || p == 0x00FFFFu ? 1 : 0;
        }
    }
    return ink;
}

// What the tool makes of `voice` tracked into `session` (with `trackArgs`),
// with one curve made over the passage, corrected into `out`.
void ToolGraph(const std::string& voice, const std::string& session, const std::string& trackArgs,
               const std::string& out)
{
    const std::string tool = INTONARA_CLI_PROGRAM;
    ASSERT_EQ(Shell(tool + " graph track " + voice + " -o " + session + trackArgs), 0);
    ASSERT_EQ(Shell(tool + " graph make-curve " + session), 0);
    ASSERT_EQ(Shell(tool + " graph correct " + voice + " " + session + " -o " + out), 0);
}

// Exports with Ctrl+E to the proposed name and compares the file with what
// the tool makes of `voice` tracked, with one curve made over the passage.
void ExpectExportAlongTheCurveAsTheTool(CGuiSession& app, const CScratch& dir, const std::string& voice,
                                        const std::string& exportName)
{
    ASSERT_NO_FATAL_FAILURE(Export(app, exportName));

    ASSERT_NO_FATAL_FAILURE(ToolGraph(voice, dir.File("tool.isn"), "", dir.File("tool.wav")));
    const std::vector<short> exported = ReadSamples(dir.File(exportName));
    ASSERT_EQ(exported.size(), ReadSamples(voice).size());
    EXPECT_TRUE(exported == ReadSamples(dir.File("tool.wav"))) << "the export differs from intonara graph correct";
    EXPECT_FALSE(exported == ReadSamples(voice));
}

} // namespace

TEST_F(GuiEndToEnd, GraphicalModeTracksMakesACurveAndExportsAsTheToolDoes)
{
    const std::string voice = Voice("sung.wav", 22050, 2.0);
    CGuiSession app(dir.Path(), {voice});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened sung.wav.", 10000)) << app.Status();
    const CInk empty = CountInk(app.Grab(kPlotX, kPlotY, kPlotW, kPlotH));

    ASSERT_TRUE(app.Xdo(kGraphicalButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kTrackPitchButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kMiddle + " key space"));
    ASSERT_TRUE(app.WaitFor("Played to the end", 10000)) << app.Status();
    // The end of the passage ends the pass, which releases the switch: a
    // click on it now would arm a new pass. The graph repaints on its timer.
    ASSERT_TRUE(app.Xdo("sleep 0.5"));
    const platform::gdi::Surface tracked = app.Grab(80, 60, 644, 476);
    platform::gdi::SavePng(tracked, INTONARA_SCREENSHOT_DIR "/gui-graphical-tracked.png");
    const CInk afterTracking = CountInk(app.Grab(kPlotX, kPlotY, kPlotW, kPlotH));
    EXPECT_EQ(empty.red, 0);
    // Two seconds of a voiced line run across much of the view's width.
    EXPECT_GT(afterTracking.red, 150);

    ASSERT_TRUE(app.Xdo(kMakeCurveButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.5 ") + kMiddle));
    const platform::gdi::Surface curved = app.Grab(80, 60, 644, 476);
    platform::gdi::SavePng(curved, INTONARA_SCREENSHOT_DIR "/gui-graphical-curve.png");
    const CInk afterCurve = CountInk(app.Grab(kPlotX, kPlotY, kPlotW, kPlotH));
    // The curve follows the tracked pitch and is drawn over it.
    EXPECT_GT(afterCurve.curve - afterTracking.curve, 150);
    EXPECT_LT(afterCurve.red, afterTracking.red / 2);

    ASSERT_TRUE(app.Xdo(kCorrectPitchButton));
    ExpectExportAlongTheCurveAsTheTool(app, dir, voice, "sung-corrected.wav");

    // The curves are unsaved: quitting asks, and "No" quits.
    Quit(app, true);
}

TEST_F(GuiEndToEnd, TheFastPassTracksAndCorrectsTheWholeFileWithoutPlayingIt)
{
    // Longer than the test waits: only a pass that does not play ends in time.
    const std::string voice = Voice("take.wav", 22050);
    CGuiSession app(dir.Path(), {voice});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened take.wav.", 10000)) << app.Status();
    // With nothing armed there is nothing to run.
    ASSERT_TRUE(app.Xdo(std::string(kMiddle) + " key F5"));
    ASSERT_TRUE(app.WaitFor("The fast pass runs an armed pass", 3000)) << app.Status();

    ASSERT_TRUE(app.Xdo(kGraphicalButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kTrackPitchButton));
    // The transport bar's button for it shows while the pass is armed: a
    // click on it runs the pass.
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kFastPassButton));
    ASSERT_TRUE(app.WaitFor("Tracked the whole file", 3000)) << app.Status();
    EXPECT_EQ(app.Status().find("Playing."), std::string::npos) << app.Status();
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.5 ") + kMiddle));
    EXPECT_GT(CountInk(app.Grab(kPlotX, kPlotY, kPlotW, kPlotH)).red, 150);
    // The pass is over, so the button is gone: the same click does nothing.
    ASSERT_TRUE(app.Xdo(kFastPassButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kMiddle + " key F5"));
    ASSERT_TRUE(app.WaitFor("The fast pass runs an armed pass", 3000)) << app.Status();
    EXPECT_EQ(app.Status().rfind("Tracked the whole file"), app.Status().find("Tracked the whole file"));

    // Make curve is enabled again as after a played pass; the correcting
    // pass runs fast too, and the export matches the tool's.
    ASSERT_TRUE(app.Xdo(kMakeCurveButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kCorrectPitchButton));
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.3 ") + kMiddle + " key F5"));
    ASSERT_TRUE(app.WaitFor("Corrected the whole file", 3000)) << app.Status();
    ExpectExportAlongTheCurveAsTheTool(app, dir, voice, "take-corrected.wav");
    Quit(app, true);
}

TEST_F(GuiEndToEnd, ASessionFromTheCommandLineRestoresTrackCurvesAndSettings)
{
    const std::string voice = Voice("line.wav", 22050, 2.0);
    // A slower retune than the default, which only a restored setting gives.
    const std::string session = dir.File("line.isn");
    ASSERT_NO_FATAL_FAILURE(ToolGraph(voice, session, " --retune 120", dir.File("tool.wav")));
    ASSERT_EQ(Shell(std::string(INTONARA_CLI_PROGRAM) + " graph correct " + voice + " " + session +
                    " --retune 20 -o " + dir.File("fast.wav")),
              0);

    CGuiSession app(dir.Path(), {session});
    ASSERT_TRUE(app.Started() && app.WaitFor("Opened the session line.isn.", 10000)) << app.Status() << app.Errors();
    ASSERT_TRUE(app.Xdo(std::string("sleep 0.5 ") + kMiddle));
    // The curve is in the main view with no pass run in the app (an empty
    // graph has no black or cyan in its plotting area).
    EXPECT_GT(CountInk(app.Grab(kPlotX, kPlotY, kPlotW, kPlotH)).curve, 150);
    ASSERT_TRUE(app.Xdo(kCorrectPitchButton));
    ASSERT_NO_FATAL_FAILURE(Export(app, "line-corrected.wav"));
    const std::vector<short> exported = ReadSamples(dir.File("line-corrected.wav"));
    ASSERT_EQ(exported.size(), ReadSamples(voice).size());
    EXPECT_TRUE(exported == ReadSamples(dir.File("tool.wav")));
    EXPECT_FALSE(exported == ReadSamples(dir.File("fast.wav")));
    // Nothing changed since the session was read: quitting does not ask.
    Quit(app);
}
