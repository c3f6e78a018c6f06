#include "Lv2Turtle.h"

#include "Lv2Ports.h"
#include "Lv2Presets.h"
#include "Lv2Uris.h"

#include "host/Registration.h"
#include "settings/ScaleSet.h"

#include <charconv>
#include <string_view>

namespace {

constexpr char kPrefixes[] =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n";

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
    return out + "\"";
}

// The shortest text that reads back as the same float: "0.1", "5.5", "400".
std::string Number(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The terms the plug-in is offered under.
constexpr char kLicenseUri[] = "http://opensource.org/licenses/isc";

// The registered name is "<maker> <product> Plugin": the maker is its first
// word.
std::string MakerName(const char* pszFilterName)
{
    const std::string_view name(pszFilterName);
    return std::string(name.substr(0, name.find(' ')));
}

// A preset's port value as a decimal ("2.0"), the type a port's value has.
std::string DecimalNumber(float value)
{
    std::string text = Number(value);
    if (text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

const char* UnitName(Lv2Unit unit)
{
    switch (unit) {
    case Lv2Unit::Cent: return "units:cent";
    case Lv2Unit::Millisecond: return "units:ms";
    case Lv2Unit::Hertz: return "units:hz";
    case Lv2Unit::None: break;
    }
    return nullptr;
}

// One port's opening: its classes, index, symbol and name.
std::string PortHead(const char* pszClasses, uint32_t index, std::string_view symbol, std::string_view name)
{
    return std::string("\t\ta ") + pszClasses + " ;\n\t\tlv2:index " + std::to_string(index) +
           " ;\n\t\tlv2:symbol " + Quoted(symbol) + " ;\n\t\tlv2:name " + Quoted(name);
}

std::string Range(float low, float high, float def)
{
    return " ;\n\t\tlv2:default " + Number(def) + " ;\n\t\tlv2:minimum " + Number(low) + " ;\n\t\tlv2:maximum " +
           Number(high);
}

std::string ScalePoints(int count, const char* (*label)(int))
{
    std::string out = " ;\n\t\tlv2:scalePoint";
    for (int i = 0; i < count; ++i) {
        out += std::string(i == 0 ? " " : " ,\n\t\t\t") + "[ rdfs:label " + Quoted(label(i)) + " ; rdf:value " +
               std::to_string(i) + " ]";
    }
    return out;
}

const char* VibratoTypeName(int type)
{
    return g_Lv2VibratoTypeNames[type];
}

std::string AudioPorts()
{
    const AMOVIESETUP_FILTER& setup = IntonaraFilterSetup();
    std::string out;
    for (UINT i = 0; i < setup.nPins; ++i) {
        const AMOVIESETUP_PIN& pin = setup.lpPin[i];
        const bool output = pin.bOutput != FALSE;
        out += "[\n" +
               PortHead(output ? "lv2:AudioPort , lv2:OutputPort" : "lv2:AudioPort , lv2:InputPort",
                        output ? PORT_OUTPUT : PORT_INPUT, Lowered(pin.strName), pin.strName) +
               "\n\t] , ";
    }
    return out;
}

std::string SettingPort(const CLv2PortMap& map, int index)
{
    const CLv2SettingPort& port = g_Lv2SettingPorts[index];
    std::string out = "[\n" + PortHead("lv2:InputPort , lv2:ControlPort", kFirstSettingPort + index, port.pszSymbol,
                                       SettingPortName(index));
    out += Range(map.Minimum(index), map.Maximum(index), map.Default(index));
    std::string properties;
    auto addProperty = [&](const char* property) { properties += (properties.empty() ? "" : " , ") + std::string(property); };
    if (port.bInteger) {
        addProperty("lv2:integer");
    }
    if (port.bEnumeration) {
        addProperty("lv2:enumeration");
    }
    if (!properties.empty()) {
        out += " ;\n\t\tlv2:portProperty " + properties;
    }
    if (const char* unit = UnitName(port.eUnit)) {
        out += std::string(" ;\n\t\tunits:unit ") + unit;
    }
    switch (index) {
    case SETTING_SCALE:
        out += ScalePoints(CScaleSet::kScaleCount, CScaleSet::GetDisplayName);
        break;
    case SETTING_KEY:
        out += ScalePoints(12, CScaleSet::GetKeyName);
        break;
    case SETTING_VIBRATO_TYPE:
        out += ScalePoints(4, VibratoTypeName);
        break;
    default:
        break;
    }
    return out + "\n\t] , ";
}

std::string StatusPorts()
{
    std::string out;
    out += "[\n" + PortHead("lv2:InputPort , lv2:ControlPort", PORT_ENABLED, "enabled", "Enabled") +
           Range(0.0f, 1.0f, 1.0f) +
           " ;\n\t\tlv2:designation lv2:enabled ;\n\t\tlv2:portProperty lv2:toggled , lv2:integer\n\t] , ";
    out += "[\n" + PortHead("lv2:OutputPort , lv2:ControlPort", PORT_LATENCY, "latency", "Latency") +
           " ;\n\t\tlv2:minimum 0 ;\n\t\tlv2:maximum " + std::to_string(kLatencyFrames) +
           " ;\n\t\tlv2:designation lv2:latency ;\n\t\tlv2:portProperty lv2:reportsLatency , lv2:integer , "
           "pprops:notOnGUI ;\n\t\tunits:unit units:frame\n\t] , ";
    out += "[\n" + PortHead("lv2:OutputPort , lv2:ControlPort", PORT_PITCH_CHANGE, "pitch_change", "Pitch Change") +
           " ;\n\t\tlv2:minimum " + Number(-kPitchChangeRangeCents) + " ;\n\t\tlv2:maximum " +
           Number(kPitchChangeRangeCents) + " ;\n\t\tlv2:portProperty lv2:integer ;\n\t\tunits:unit units:cent\n\t]";
    return out;
}

} // namespace

std::string ManifestTurtle(const std::string& binaryName)
{
    std::string out = std::string(kPrefixes) + "\n<" + lv2uri::kPluginUri.data() + ">\n\ta lv2:Plugin ;\n\tlv2:binary <" +
                      binaryName + "> ;\n\trdfs:seeAlso <" + kPluginTurtleFile + "> .\n";
    // The window lives in the same object as the plug-in.
    out += std::string("\n<") + lv2uri::kUiUri + ">\n\ta ui:X11UI ;\n\tui:binary <" + binaryName +
           "> ;\n\trdfs:seeAlso <" + kPluginTurtleFile + "> .\n";
    for (const CLv2Preset& preset : Lv2Presets()) {
        out += std::string("\n<") + preset.pszUri + ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" +
               lv2uri::kPluginUri.data() + "> ;\n\trdfs:seeAlso <" + kPresetsTurtleFile + "> .\n";
    }
    return out;
}

std::string PresetsTurtle()
{
    const CLv2PortMap map;
    std::string out = kPrefixes;
    for (const CLv2Preset& preset : Lv2Presets()) {
        out += std::string("\n<") + preset.pszUri + ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" +
               lv2uri::kPluginUri.data() + "> ;\n\trdfs:label " + Quoted(preset.pszLabel) + " ;\n\tlv2:port ";
        for (int i = 0; i < kSettingsCount; ++i) {
            out += std::string(i == 0 ? "" : " , ") + "[\n\t\tlv2:symbol " + Quoted(g_Lv2SettingPorts[i].pszSymbol) +
                   " ;\n\t\tpset:value " + DecimalNumber(map.ToPort(i, preset.settings[static_cast<std::size_t>(i)])) +
                   "\n\t]";
        }
        out += " .\n";
    }
    return out;
}

std::string PluginTurtle(int minorVersion, int microVersion)
{
    const AMOVIESETUP_FILTER& setup = IntonaraFilterSetup();
    const CLv2PortMap map;
    std::string out = std::string(kPrefixes) + "\n<" + lv2uri::kPluginUri.data() + ">\n";
    out += "\ta lv2:Plugin , lv2:PitchPlugin , doap:Project ;\n";
    out += "\tdoap:name " + Quoted(setup.strName) + " ;\n";
    out += "\tdoap:maintainer [\n\t\ta foaf:Organization ;\n\t\tfoaf:name " + Quoted(MakerName(setup.strName)) +
           "\n\t] ;\n";
    out += std::string("\tdoap:license <") + kLicenseUri + "> ;\n";
    out += "\tlv2:minorVersion " + std::to_string(minorVersion) + " ;\n";
    out += "\tlv2:microVersion " + std::to_string(microVersion) + " ;\n";
    out += "\tlv2:optionalFeature lv2:hardRTCapable , urid:map ;\n";
    out += "\tlv2:extensionData state:interface ;\n";
    out += std::string("\tui:ui <") + lv2uri::kUiUri + "> ;\n";
    out += "\tlv2:port ";
    out += AudioPorts();
    for (int i = 0; i < kSettingsCount; ++i) {
        out += SettingPort(map, i);
    }
    out += StatusPorts();
    out += " .\n";
    // The window: inside the host's window, driven by its idle calls; with
    // instance-access it works on the playing plug-in.
    out += std::string("\n<") + lv2uri::kUiUri + ">\n\ta ui:X11UI ;\n" +
           "\tlv2:requiredFeature ui:idleInterface , ui:parent ;\n"
           "\tlv2:optionalFeature ui:resize , ui:noUserResize , <http://lv2plug.in/ns/ext/instance-access> ;\n"
           "\tlv2:extensionData ui:idleInterface , ui:resize .\n";
    return out;
}
