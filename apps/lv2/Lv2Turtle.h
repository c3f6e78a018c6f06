#pragma once

// The bundle's two description files, made from the filter's registration
// record, the scale and key names, the parameter names and the "(Default)"
// preset, so the description always says what the shared object does.

#include <string>

// manifest.ttl: the plug-in, its shared object (binaryName, relative to the
// bundle), its presets and where their descriptions are.
std::string ManifestTurtle(const std::string& binaryName);

// intonara.ttl: name, maintainer, licence, features, the state interface
// and every port.
std::string PluginTurtle(int minorVersion, int microVersion);

// presets.ttl: every preset's label and port values.
std::string PresetsTurtle();

inline constexpr char kPluginTurtleFile[] = "intonara.ttl";
inline constexpr char kPresetsTurtleFile[] = "presets.ttl";
