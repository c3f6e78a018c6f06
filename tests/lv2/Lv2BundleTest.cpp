// The built bundle through the LV2 tool every Linux audio user has: lv2info
// reads its description.

#include "Lv2TestHost.h"
#include "cli/ProgramRunner.h"

#include "settings/ScaleSet.h"

#include <cmath>
#include <regex>

namespace {

// lv2info's lines from "Port N:" to the next, by symbol.
std::map<std::string, std::string> Ports(const std::string& text)
{
    std::map<std::string, std::string> ports;
    for (size_t at = text.find("\tPort "); at != std::string::npos;) {
        const size_t next = text.find("\tPort ", at + 1);
        const std::string port = text.substr(at, next == std::string::npos ? next : next - at);
        std::smatch symbol;
        std::regex_search(port, symbol, std::regex("Symbol:\\s+(\\S+)"));
        ports[symbol[1]] = port;
        at = next;
    }
    return ports;
}

std::string Field(const std::string& port, const std::string& name)
{
    std::smatch m;
    return std::regex_search(port, m, std::regex("\t" + name + ":\\s+([^\n]*)")) ? m[1].str() : "";
}

// The 'value = "label"' lines of a port (in any order), labels by value.
std::vector<std::string> Points(const std::string& port)
{
    std::vector<std::string> labels;
    const std::regex point("\\n\\s+(\\d+) = \"([^\"]*)\"");
    for (std::sregex_iterator it(port.begin(), port.end(), point), end; it != end; ++it) {
        const size_t value = std::stoul((*it)[1]);
        labels.resize(std::max(labels.size(), value + 1), "<missing>");
        labels[value] = (*it)[2];
    }
    return labels;
}

TEST(Lv2Bundle, Lv2InfoDescribesEveryPort)
{
    lv2test::UseBuiltBundle();
#ifdef INTONARA_ASAN_RUNTIME
    // A sanitized plug-in loaded by an uninstrumented program needs the
    // sanitizer's runtime loaded first.
    ::setenv("LD_PRELOAD", INTONARA_ASAN_RUNTIME, 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    const auto result = clitest::RunProgram("/usr/bin/lv2info", {lv2test::kPluginUri});
    ::unsetenv("LD_PRELOAD");
    ASSERT_EQ(result.nStatus, 0) << result.sErr;
    EXPECT_NE(result.sOut.find("Name:              Velmora Intonara Plugin"), std::string::npos);
    EXPECT_NE(result.sOut.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);
    EXPECT_NE(result.sOut.find("Has latency:       yes, reported by port 12"), std::string::npos);
    const auto ports = Ports(result.sOut);
    ASSERT_EQ(ports.size(), 14u) << result.sOut;

    // The "(Default)" preset: chromatic scale, C, no detune, fader step 126
    // (20 ms), no vibrato (30 cents, 5.5 Hz, after 300 ms), threshold 25.
    const struct {
        const char* symbol;
        int index;
        const char* name;
        double min, max, def;
    } controls[] = {
        {"scale", 2, "Scale", 0, 28, 2}, {"key", 3, "Key", 0, 11, 0}, {"detune", 4, "Scale Detune", -100, 100, 0},
        {"retune", 5, "Retune Speed", 0, 400, 20}, {"vibrato_type", 6, "Vibrato Type", 0, 3, 0},
        {"vibrato_depth", 7, "Vibrato Depth", 0, 100, 30}, {"vibrato_rate", 8, "Vibrato Rate", 0.1, 10.0, 5.5},
        {"vibrato_delay", 9, "Vibrato Delay", 0, 3000, 300}, {"threshold", 10, "Threshold", 0, 100, 25},
        {"enabled", 11, "Enabled", 0, 1, 1},
    };
    for (const auto& c : controls) {
        ASSERT_EQ(ports.count(c.symbol), 1u) << c.symbol;
        const std::string& port = ports.at(c.symbol);
        EXPECT_NE(port.find("Port " + std::to_string(c.index) + ":"), std::string::npos) << c.symbol;
        EXPECT_EQ(Field(port, "Name"), c.name);
        EXPECT_TRUE(port.find("#InputPort") != std::string::npos && port.find("#ControlPort") != std::string::npos) << c.symbol;
        EXPECT_NEAR(std::stod(Field(port, "Minimum")), c.min, 1e-6) << c.symbol;
        EXPECT_NEAR(std::stod(Field(port, "Maximum")), c.max, 1e-6) << c.symbol;
        EXPECT_NEAR(std::stod(Field(port, "Default")), c.def, 1e-6) << c.symbol;
    }
    EXPECT_NE(ports.at("retune").find("port-props#logarithmic"), std::string::npos);
    EXPECT_EQ(Field(ports.at("enabled"), "Designation"), "http://lv2plug.in/ns/lv2core#enabled");
    EXPECT_EQ(Field(ports.at("latency"), "Designation"), "http://lv2plug.in/ns/lv2core#latency");
    EXPECT_NE(ports.at("output").find("Port 1:"), std::string::npos);
    EXPECT_NE(ports.at("pitch_change").find("#OutputPort"), std::string::npos);

    std::vector<std::string> scales;
    for (int i = 0; i < CScaleSet::kScaleCount; ++i)
        scales.push_back(CScaleSet::GetDisplayName(i));
    EXPECT_EQ(Points(ports.at("scale")), scales);
    EXPECT_EQ(Points(ports.at("key")), (std::vector<std::string>{"C", "D-flat", "D", "E-flat", "E", "F", "F-sharp", "G",
                                                                 "A-flat", "A", "B-flat", "B"}));
    EXPECT_EQ(Points(ports.at("vibrato_type")), (std::vector<std::string>{"None", "Sine", "Square", "Sawtooth"}));
}

} // namespace
