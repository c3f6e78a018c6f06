// Writes the bundle's manifest.ttl, plug-in description and presets at build
// time.
//
//   intonara-lv2-ttl BUNDLE_DIR BINARY_NAME MINOR MICRO

#include "Lv2Turtle.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& text)
{
    // Written beside the target and renamed, so that an interrupted build
    // never leaves half a description for the next one to trust.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush()) {
            std::fprintf(stderr, "intonara-lv2-ttl: cannot write %s\n", temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "intonara-lv2-ttl: cannot rename %s to %s\n", temporary.c_str(), path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: intonara-lv2-ttl BUNDLE_DIR BINARY_NAME MINOR MICRO\n");
        return 2;
    }
    const std::string bundle = argv[1];
    const bool ok = WriteFile(bundle + "/manifest.ttl", ManifestTurtle(argv[2])) &&
                    WriteFile(bundle + "/" + kPluginTurtleFile, PluginTurtle(std::atoi(argv[3]), std::atoi(argv[4]))) &&
                    WriteFile(bundle + "/" + kPresetsTurtleFile, PresetsTurtle());
    return ok ? 0 : 1;
}
