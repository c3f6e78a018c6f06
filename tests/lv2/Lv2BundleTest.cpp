// The built bundle through the LV2 tools every Linux audio user has: lv2info
// reads its description, sord_validate checks it against the LV2 schemas.

#include "Lv2TestHost.h"
#include "cli/CliTestSupport.h"
#include "cli/ProgramRunner.h"

#include "settings/ScaleSet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using clitest::FindProgram;
using clitest::RunProgram;

// A sanitized plug-in loaded by an uninstrumented program needs the
// sanitizer's runtime loaded first.
void PrepareChildEnvironment()
{
    lv2test::UseBuiltBundle();
#ifdef INTONARA_ASAN_RUNTIME
    ::setenv("LD_PRELOAD", INTONARA_ASAN_RUNTIME, 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
}

void RestoreEnvironment()
{
#ifdef INTONARA_ASAN_RUNTIME
    ::unsetenv("LD_PRELOAD");
#endif
}

// ---------------------------------------------------------------------------
// lv2info

// lv2info's description of one port: the lines from "Port N:" to the next.
struct PortInfo {
    std::string sText;
    std::string Field(const std::string& name) const
    {
        const auto at = sText.find("\t" + name + ":");
        if (at == std::string::npos)
            return {};
        const auto from = sText.find_first_not_of(" \t", at + name.size() + 2);
        return sText.substr(from, sText.find('\n', from) - from);
    }
    double Number(const std::string& name) const
    {
        const std::string value = Field(name);
        return value.empty() ? NAN : std::stod(value);
    }
    bool Has(const std::string& text) const { return sText.find(text) != std::string::npos; }
    // 'value = "label"' lines.
    std::map<int, std::string> Points() const
    {
        std::map<int, std::string> points;
        std::istringstream lines(sText);
        std::string line;
        while (std::getline(lines, line)) {
            const auto eq = line.find(" = \"");
            const auto digits = line.find_first_not_of(" \t");
            if (eq != std::string::npos && line.back() == '"' && std::isdigit(static_cast<unsigned char>(line[digits])))
                points[std::stoi(line.substr(digits))] = line.substr(eq + 4, line.size() - eq - 5);
        }
        return points;
    }
};

std::map<std::string, PortInfo> ParsePorts(const std::string& text)
{
    std::map<std::string, PortInfo> ports;
    for (size_t at = text.find("\tPort "); at != std::string::npos;) {
        const size_t next = text.find("\tPort ", at + 1);
        PortInfo port{text.substr(at, next == std::string::npos ? std::string::npos : next - at)};
        ports[port.Field("Symbol")] = port;
        at = next;
    }
    return ports;
}

// The retune fader's 401 steps lie on the exponential through 0, 50 and
// 400 ms: v(t) = g (e^(k t) - 1) with e^(k/2) - 1 = 50 / g and
// e^k - 1 = 400 / g, so e^(k/2) = 7.
double RetuneMsAtIndex(int index)
{
    const double k = 2.0 * std::log(7.0);
    const double g = 400.0 / 48.0;
    return g * (std::exp(k * index / 400.0) - 1.0);
}

TEST(Lv2Bundle, Lv2InfoDescribesEveryPort)
{
    const std::string lv2info = FindProgram("lv2info");
    ASSERT_FALSE(lv2info.empty()) << "lv2info (lilv-utils) is not installed";
    PrepareChildEnvironment();
    const auto result = RunProgram(lv2info, {lv2test::kPluginUri});
    RestoreEnvironment();
    ASSERT_EQ(result.nStatus, 0) << result.sErr;
    EXPECT_NE(result.sOut.find("Name:              Velmora Intonara Plugin"), std::string::npos);
    EXPECT_NE(result.sOut.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);

    const auto ports = ParsePorts(result.sOut);
    ASSERT_EQ(ports.size(), 14u) << result.sOut;

    struct Expected {
        const char* symbol;
        int index;
        const char* name;
        double min, max, def;
    };
    // The "(Default)" preset: chromatic scale, C, no detune, fader step 126,
    // no vibrato (30 cents, 5.5 Hz, after 300 ms), threshold 25.
    const Expected controls[] = {
        {"scale", 2, "Scale", 0, 28, 2},
        {"key", 3, "Key", 0, 11, 0},
        {"detune", 4, "Scale Detune", -100, 100, 0},
        {"retune", 5, "Retune Speed", 0, 400, std::trunc(RetuneMsAtIndex(126))},
        {"vibrato_type", 6, "Vibrato Type", 0, 3, 0},
        {"vibrato_depth", 7, "Vibrato Depth", 0, 100, 30},
        {"vibrato_rate", 8, "Vibrato Rate", 0.1, 10.0, 5.5},
        {"vibrato_delay", 9, "Vibrato Delay", 0, 3000, 300},
        {"threshold", 10, "Threshold", 0, 100, 25},
        {"enabled", 11, "Enabled", 0, 1, 1},
    };
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.symbol);
        ASSERT_EQ(ports.count(e.symbol), 1u);
        const PortInfo& port = ports.at(e.symbol);
        EXPECT_TRUE(port.Has("Port " + std::to_string(e.index) + ":"));
        EXPECT_EQ(port.Field("Name"), e.name);
        EXPECT_TRUE(port.Has("#InputPort") && port.Has("#ControlPort"));
        EXPECT_NEAR(port.Number("Minimum"), e.min, 1e-6);
        EXPECT_NEAR(port.Number("Maximum"), e.max, 1e-6);
        EXPECT_NEAR(port.Number("Default"), e.def, 1e-6);
    }
    // Hosts draw a linear control from 0; a logarithmic one cannot start there.
    EXPECT_FALSE(ports.at("retune").Has("port-props#logarithmic"));
    EXPECT_EQ(ports.at("enabled").Field("Designation"), "http://lv2plug.in/ns/lv2core#enabled");
    EXPECT_TRUE(ports.at("enabled").Has("#toggled"));
    EXPECT_TRUE(ports.at("input").Has("Port 0:") && ports.at("input").Has("#AudioPort"));
    EXPECT_TRUE(ports.at("output").Has("Port 1:") && ports.at("output").Has("#OutputPort"));
    EXPECT_EQ(ports.at("latency").Field("Designation"), "http://lv2plug.in/ns/lv2core#latency");
    EXPECT_TRUE(ports.at("latency").Has("#reportsLatency") && ports.at("latency").Has("Port 12:"));
    EXPECT_NE(result.sOut.find("Has latency:       yes, reported by port 12"), std::string::npos);
    EXPECT_TRUE(ports.at("pitch_change").Has("#OutputPort"));

    // Every choice of the three lists, by value.
    const auto scales = ports.at("scale").Points();
    ASSERT_EQ(scales.size(), 29u);
    for (int i = 0; i < 29; ++i)
        EXPECT_EQ(scales.at(i), CScaleSet::GetDisplayName(i)) << i;
    EXPECT_EQ(scales.at(2), "Equal Tempered Chrom.");
    const std::map<int, std::string> keys = {{0, "C"}, {1, "D-flat"}, {2, "D"},       {3, "E-flat"},
                                             {4, "E"}, {5, "F"},      {6, "F-sharp"}, {7, "G"},
                                             {8, "A-flat"}, {9, "A"}, {10, "B-flat"}, {11, "B"}};
    EXPECT_EQ(ports.at("key").Points(), keys);
    const std::map<int, std::string> vibratos = {{0, "None"}, {1, "Sine"}, {2, "Square"}, {3, "Sawtooth"}};
    EXPECT_EQ(ports.at("vibrato_type").Points(), vibratos);
}

// sord_validate checks the description against the LV2 schemas: every
// property and class defined, every value of the right type.
TEST(Lv2Bundle, DescriptionValidatesAgainstTheSchemas)
{
    const std::string validate = FindProgram("sord_validate");
    ASSERT_FALSE(validate.empty()) << "sord_validate (sordi) is not installed";
    std::vector<std::string> files;
    for (const auto& schemaBundle : std::filesystem::directory_iterator(INTONARA_LV2_SCHEMA_DIR))
        if (schemaBundle.is_directory() && schemaBundle.path().extension() == ".lv2")
            for (const auto& file : std::filesystem::directory_iterator(schemaBundle.path()))
                if (file.path().extension() == ".ttl")
                    files.push_back(file.path().string());
    ASSERT_GT(files.size(), 20u) << "the LV2 schemas are not in " << INTONARA_LV2_SCHEMA_DIR;
    size_t ours = 0;
    for (const auto& file : std::filesystem::directory_iterator(std::string(INTONARA_LV2_DIR) + "/intonara.lv2"))
        if (file.path().extension() == ".ttl") {
            files.push_back(file.path().string());
            ++ours;
        }
    EXPECT_EQ(ours, 3u); // manifest, description, presets
    const auto result = RunProgram(validate, files);
    EXPECT_EQ(result.nStatus, 0) << result.sOut << result.sErr;
    EXPECT_NE((result.sOut + result.sErr).find("Found 0 errors"), std::string::npos) << result.sOut << result.sErr;
    EXPECT_EQ((result.sOut + result.sErr).find("error:"), std::string::npos) << result.sOut << result.sErr;
    // The description names a licence.
    std::ifstream description(std::string(INTONARA_LV2_DIR) + "/intonara.lv2/intonara.ttl");
    const std::string text((std::istreambuf_iterator<char>(description)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("doap:license <http"), std::string::npos);
}

} // namespace
