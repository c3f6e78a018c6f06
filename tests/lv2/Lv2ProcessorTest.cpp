// The plug-in's instance linked in: how a port value becomes what the
// control panel sends, and that a change is sent once.

#include "Lv2Plugin.h"

#include "job/OptionParsing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

struct CControls {
    float settings[kSettingsCount];
    float enabled = 1.0f;
    float latency = -1.0f;
    float pitchChange = 0.0f;
};

// An instance with every port connected: the settings at the "(Default)"
// preset's port values, the audio in place in one buffer.
struct CHosted {
    explicit CHosted(double rate) : pPlugin(CIntonaraLv2::Create(rate, nullptr))
    {
        if (!pPlugin)
            return;
        const CLv2PortMap map;
        for (int i = 0; i < kSettingsCount; ++i) {
            controls.settings[i] = map.Default(i);
            pPlugin->ConnectPort(kFirstSettingPort + static_cast<uint32_t>(i), &controls.settings[i]);
        }
        pPlugin->ConnectPort(PORT_ENABLED, &controls.enabled);
        pPlugin->ConnectPort(PORT_LATENCY, &controls.latency);
        pPlugin->ConnectPort(PORT_PITCH_CHANGE, &controls.pitchChange);
    }
    void Process(std::vector<float>& audio, size_t from, uint32_t n)
    {
        pPlugin->ConnectPort(PORT_INPUT, audio.data() + from);
        pPlugin->ConnectPort(PORT_OUTPUT, audio.data() + from);
        pPlugin->Run(n);
    }

    std::unique_ptr<CIntonaraLv2> pPlugin;
    CControls controls;
};

job::CorrectionSettings ToolSettings(const job::CorrectOptionTexts& texts)
{
    return job::ParseCorrectionOptions(texts, job::GetAutomaticRanges());
}

std::string Tenths(int tenths)
{
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The tool's option parser is the reference for what the control panel
// sends: the same whole milliseconds, cents and tenths of a hertz give the
// same values.
TEST(Lv2PortMap, PortValuesBecomeWhatTheToolSends)
{
    const CLv2PortMap map;
    for (int ms = 0; ms <= 400; ++ms) {
        job::CorrectOptionTexts texts;
        texts.retuneMs = std::to_string(ms);
        EXPECT_EQ(map.ToSetting(SETTING_RETUNE_SPEED, static_cast<float>(ms)), *ToolSettings(texts).nRetuneIndex)
            << ms << " ms";
    }
    for (int tenths = 1; tenths <= 100; ++tenths) {
        job::CorrectOptionTexts texts;
        texts.rate = Tenths(tenths);
        EXPECT_EQ(map.ToSetting(SETTING_VIBRATO_RATE, static_cast<float>(tenths / 10.0)),
                  *ToolSettings(texts).nVibratoRate)
            << texts.rate.value();
    }
    for (int cents = -100; cents <= 100; ++cents) {
        job::CorrectOptionTexts texts;
        texts.detune = std::to_string(cents);
        EXPECT_EQ(map.ToSetting(SETTING_DETUNE, static_cast<float>(cents)), *ToolSettings(texts).nDetune) << cents;
    }
    // Between steps a value goes to the nearest; outside the range, to its end.
    EXPECT_EQ(map.ToSetting(SETTING_VIBRATO_RATE, 6.34f), 63);
    EXPECT_EQ(map.ToSetting(SETTING_VIBRATO_RATE, 0.0f), 1);
    EXPECT_EQ(map.ToSetting(SETTING_DETUNE, -12.6f), 87);
    EXPECT_EQ(map.ToSetting(SETTING_SCALE, 40.0f), 28);
    EXPECT_EQ(map.ToSetting(SETTING_KEY, -3.0f), 0);
    EXPECT_EQ(map.ToSetting(SETTING_RETUNE_SPEED, 35.4f), map.ToSetting(SETTING_RETUNE_SPEED, 35.0f));
    EXPECT_EQ(map.ToSetting(SETTING_THRESHOLD, std::nanf("")), 0);

    // Each default shows the preset's value and reads back as it.
    const int preset[kSettingsCount] = {2, 0, 100, 126, 0, 30, 55, 300, 25};
    for (int i = 0; i < kSettingsCount; ++i)
        EXPECT_EQ(map.ToSetting(i, map.Default(i)), preset[i]) << i;
}

TEST(Lv2Processor, EachChangeIsSentOnce)
{
    CHosted host(44100.0);
    ASSERT_NE(host.pPlugin, nullptr);
    std::vector<float> audio(64, 0.0f);
    host.pPlugin->Activate();
    host.Process(audio, 0, 64);
    EXPECT_EQ(host.pPlugin->SettingsSent(), 0u) << "the defaults are what the preset already set";

    host.controls.settings[SETTING_KEY] = 9;
    host.controls.settings[SETTING_VIBRATO_RATE] = 6.3f;
    host.Process(audio, 0, 64);
    EXPECT_EQ(host.pPlugin->SettingsSent(), 2u);
    host.Process(audio, 0, 64);
    EXPECT_EQ(host.pPlugin->SettingsSent(), 2u);

    // Movements inside one step change nothing the processor could see.
    host.controls.settings[SETTING_VIBRATO_RATE] = 6.33f;
    host.controls.settings[SETTING_DETUNE] = 0.4f;
    host.Process(audio, 0, 64);
    EXPECT_EQ(host.pPlugin->SettingsSent(), 2u);

    host.controls.enabled = 0.0f;
    host.Process(audio, 0, 64);
    host.Process(audio, 0, 64);
    EXPECT_EQ(host.pPlugin->SettingsSent(), 3u);

    const SettingsBlock expected = {2, 9, 100, 126, 0, 30, 63, 300, 25};
    EXPECT_EQ(host.pPlugin->CurrentSettings(), expected);
    EXPECT_EQ(host.controls.latency, 30.0f);
}

} // namespace
