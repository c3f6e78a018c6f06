// intonara-artwork: draws the module's bitmaps and cursors and writes them
// under resources/ (or checks that the files there are what it draws).

#include "Artwork.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const fs::path& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written beside the target and renamed into place, so an interrupted run
// never leaves half a picture.
bool WriteWhole(const fs::path& path, const std::string& bytes)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Draws the plug-in module's bitmaps and cursors (the files resources/intonara.rc names)."};
    std::string directory = "resources";
    bool check = false;
    app.add_option("-o,--out", directory, "the resources folder to write into")->capture_default_str();
    app.add_flag("--check", check, "write nothing; exit 1 when a file there differs from what is drawn");
    CLI11_PARSE(app, argc, argv);

    int differing = 0;
    int written = 0;
    for (const artwork::ArtworkFile& file : artwork::DrawArtwork()) {
        const fs::path path = fs::path(directory) / file.m_strPath;
        std::string existing;
        const bool same = ReadWhole(path, existing) && existing == file.m_strBytes;
        if (check) {
            if (!same) {
                std::fprintf(stderr, "intonara-artwork: %s differs from what is drawn\n", path.c_str());
                ++differing;
            }
            continue;
        }
        if (!same) {
            if (!WriteWhole(path, file.m_strBytes)) {
                std::fprintf(stderr, "intonara-artwork: cannot write %s\n", path.c_str());
                return 1;
            }
            ++written;
        }
    }
    if (check) {
        return differing == 0 ? 0 : 1;
    }
    std::printf("intonara-artwork: %d file(s) written, the rest unchanged\n", written);
    return 0;
}
