// The built bundle through the LV2 tools every Linux audio user has: lv2info
// reads its description, sord_validate checks it against the LV2 schemas.

#include "Lv2TestHost.h"
#include "cli/CliTestSupport.h"
#include "cli/ProgramRunner.h"

#include "settings/ScaleSet.h"

#include <cctype>
#include <cmath>
#include <sstream>

namespace {

using clitest::FindProgram;
using clitest::RunProgram;

// lv2info's description of one port, the lines from "Port N:" to the next:
// a field's value ("\tName:  value"), or its 'value = "label"' lines.
std::string Field(const std::string& port, const std::string& name)
{
    const auto at = port.find("\t" + name + ":");
    if (at == std::string::npos)
        return {};
    const auto from = port.find_first_not_of(" \t", at + name.size() + 2);
    return port.substr(from, port.find('\n', from) - from);
}

std::map<int, std::string> Points(const std::string& port)
{
    std::map<int, std::string> points;
    std::istringstream lines(port);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find(" = \"");
        const auto digits = line.find_first_not_of(" \t");
        if (eq != std::string::npos && line.back() == '"' && std::isdigit(static_cast<unsigned char>(line[digits])))
            points[std::stoi(line.substr(digits))] = line.substr(eq + 4, line.size() - eq - 5);
    }
    return points;
}

TEST(Lv2Bundle, Lv2InfoDescribesEveryPort)
{
    const std::string lv2info = FindProgram("lv2info");
    ASSERT_FALSE(lv2info.empty()) << "lv2info (lilv-utils) is not installed";
    // A sanitized plug-in loaded by an uninstrumented program needs the
    // sanitizer's runtime loaded first.
    lv2test::UseBuiltBundle();
#ifdef INTONARA_ASAN_RUNTIME
    ::setenv("LD_PRELOAD", INTONARA_ASAN_RUNTIME, 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    const auto result = RunProgram(lv2info, {lv2test::kPluginUri});
#ifdef INTONARA_ASAN_RUNTIME
    ::unsetenv("LD_PRELOAD");
#endif
    ASSERT_EQ(result.nStatus, 0) << result.sErr;
    const std::string& out = result.sOut;
    EXPECT_NE(out.find("Name:              Velmora Intonara Plugin"), std::string::npos);
    EXPECT_NE(out.find("http://lv2plug.in/ns/ext/state#interface"), std::string::npos);
    EXPECT_NE(out.find("Has latency:       yes, reported by port 12"), std::string::npos);
    std::map<std::string, std::string> ports;
    for (size_t at = out.find("\tPort "), next = 0; at != std::string::npos; at = next) {
        next = out.find("\tPort ", at + 1);
        const std::string port = out.substr(at, next == std::string::npos ? std::string::npos : next - at);
        ports[Field(port, "Symbol")] = port;
    }
    ASSERT_EQ(ports.size(), 14u) << out;

    // The retune fader's 401 steps lie on the exponential through 0, 50 and
    // 400 ms: v(t) = g (e^(k t) - 1) with e^(k/2) - 1 = 50 / g and
    // e^k - 1 = 400 / g, so e^(k/2) = 7 and g = 400 / 48.
    const double retuneAt126 = 400.0 / 48.0 * (std::exp(2.0 * std::log(7.0) * 126 / 400.0) - 1.0);
    // The "(Default)" preset: chromatic scale, C, no detune, fader step 126,
    // no vibrato (30 cents, 5.5 Hz, after 300 ms), threshold 25.
    struct {
        const char* symbol;
        int index;
        const char* name;
        double min, max, def;
    } const controls[] = {
        {"scale", 2, "Scale", 0, 28, 2},
        {"key", 3, "Key", 0, 11, 0},
        {"detune", 4, "Scale Detune", -100, 100, 0},
        {"retune", 5, "Retune Speed", 0, 400, std::trunc(retuneAt126)},
        {"vibrato_type", 6, "Vibrato Type", 0, 3, 0},
        {"vibrato_depth", 7, "Vibrato Depth", 0, 100, 30},
        {"vibrato_rate", 8, "Vibrato Rate", 0.1, 10.0, 5.5},
        {"vibrato_delay", 9, "Vibrato Delay", 0, 3000, 300},
        {"threshold", 10, "Threshold", 0, 100, 25},
        {"enabled", 11, "Enabled", 0, 1, 1},
    };
    auto has = [&](const char* symbol, const std::string& text) { return ports[symbol].find(text) != std::string::npos; };
    for (const auto& e : controls) {
        SCOPED_TRACE(e.symbol);
        ASSERT_EQ(ports.count(e.symbol), 1u);
        EXPECT_TRUE(has(e.symbol, "Port " + std::to_string(e.index) + ":"));
        EXPECT_EQ(Field(ports[e.symbol], "Name"), e.name);
        EXPECT_TRUE(has(e.symbol, "#InputPort") && has(e.symbol, "#ControlPort"));
        EXPECT_NEAR(std::stod(Field(ports[e.symbol], "Minimum")), e.min, 1e-6);
        EXPECT_NEAR(std::stod(Field(ports[e.symbol], "Maximum")), e.max, 1e-6);
        EXPECT_NEAR(std::stod(Field(ports[e.symbol], "Default")), e.def, 1e-6);
    }
    // Hosts draw a linear control from 0; a logarithmic one cannot start there.
    EXPECT_FALSE(has("retune", "port-props#logarithmic"));
    EXPECT_EQ(Field(ports["enabled"], "Designation"), "http://lv2plug.in/ns/lv2core#enabled");
    EXPECT_TRUE(has("enabled", "#toggled"));
    EXPECT_TRUE(has("input", "Port 0:") && has("input", "#AudioPort"));
    EXPECT_TRUE(has("output", "Port 1:") && has("output", "#OutputPort"));
    EXPECT_EQ(Field(ports["latency"], "Designation"), "http://lv2plug.in/ns/lv2core#latency");
    EXPECT_TRUE(has("latency", "#reportsLatency") && has("latency", "Port 12:"));
    EXPECT_TRUE(has("pitch_change", "#OutputPort"));

    // Every choice of the three lists, by value.
    const auto scales = Points(ports["scale"]);
    ASSERT_EQ(scales.size(), 29u);
    for (int i = 0; i < 29; ++i)
        EXPECT_EQ(scales.at(i), CScaleSet::GetDisplayName(i)) << i;
    EXPECT_EQ(scales.at(2), "Equal Tempered Chrom.");
    const std::map<int, std::string> keys = {{0, "C"}, {1, "D-flat"}, {2, "D"}, {3, "E-flat"}, {4, "E"}, {5, "F"},
                                             {6, "F-sharp"}, {7, "G"}, {8, "A-flat"}, {9, "A"}, {10, "B-flat"},
                                             {11, "B"}};
    EXPECT_EQ(Points(ports["key"]), keys);
    const std::map<int, std::string> vibratos = {{0, "None"}, {1, "Sine"}, {2, "Square"}, {3, "Sawtooth"}};
    EXPECT_EQ(Points(ports["vibrato_type"]), vibratos);
}

// sord_validate checks the description against the LV2 schemas: every
// property and class defined, every value of the right type.
TEST(Lv2Bundle, DescriptionValidatesAgainstTheSchemas)
{
    namespace fs = std::filesystem;
    const std::string validate = FindProgram("sord_validate");
    ASSERT_FALSE(validate.empty()) << "sord_validate (sordi) is not installed";
    std::vector<std::string> files;
    for (const auto& schemaBundle : fs::directory_iterator(INTONARA_LV2_SCHEMA_DIR))
        if (schemaBundle.is_directory() && schemaBundle.path().extension() == ".lv2")
            for (const auto& file : fs::directory_iterator(schemaBundle.path()))
                if (file.path().extension() == ".ttl")
                    files.push_back(file.path().string());
    ASSERT_GT(files.size(), 20u) << "the LV2 schemas are not in " << INTONARA_LV2_SCHEMA_DIR;
    const size_t schemas = files.size();
    const std::string bundle = std::string(INTONARA_LV2_DIR) + "/intonara.lv2";
    for (const auto& file : fs::directory_iterator(bundle))
        if (file.path().extension() == ".ttl")
            files.push_back(file.path().string());
    EXPECT_EQ(files.size() - schemas, 3u);  // manifest, description, presets
    const auto result = RunProgram(validate, files);
    const std::string said = result.sOut + result.sErr;
    EXPECT_EQ(result.nStatus, 0) << said;
    EXPECT_NE(said.find("Found 0 errors"), std::string::npos) << said;
    EXPECT_EQ(said.find("error:"), std::string::npos) << said;
    // The description names a licence.
    std::ifstream description(bundle + "/intonara.ttl");
    const std::string text((std::istreambuf_iterator<char>(description)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("doap:license <http"), std::string::npos);
}

} // namespace
