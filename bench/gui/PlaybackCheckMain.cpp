// intonara-playback-check: does playback keep up? The real intonara-gui on
// Xvfb with SDL's dummy audio driver (which takes the sound at the device's
// pace) plays a minute of singing with a 10 ms device buffer, while X input
// drags the Retune fader up and down all the time, so the panel repaints
// and the settings change under the stream. The renderer counts every time
// the device found nothing to play; the app reports the count at the end.
//
// Prints the count and exits 1 when it is not 0. Takes a little over a
// minute (not part of `make test`; `make playback-check` runs it).

#include "gui/GuiSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main()
{
    if (!uitest::OnPath("Xvfb") || !uitest::OnPath("xdotool") || !uitest::OnPath("sox")) {
        std::fprintf(stderr, "intonara-playback-check: needs Xvfb, xdotool and sox (scripts/bootstrap)\n");
        return 2;
    }
    std::string dir = (std::filesystem::temp_directory_path() / "intonara-playback-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) {
        std::perror("intonara-playback-check: mkdtemp");
        return 2;
    }
    const std::string phrase = dir + "/phrase.wav";
    const std::string minute = dir + "/minute.wav";
    const std::string make = std::string(INTONARA_VOICE_PROGRAM) + " " + phrase + " >/dev/null && sox " + phrase +
                             " " + phrase + " " + phrase + " " + phrase + " " + phrase + " " + phrase + " " + minute +
                             " trim 0 60";
    int code = 2;
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "intonara-playback-check: cannot make the minute of audio\n");
    } else {
        guitest::CGuiSession app(dir, {"--buffer-ms", "10", minute});
        if (app.Started() && app.WaitFor("Opened minute.wav.", 10000)) {
            app.Xdo("mousemove 330 250 key space");
            const auto start = std::chrono::steady_clock::now();
            int drags = 0;
            while (!app.WaitFor("Played to the end", 10) &&
                   std::chrono::steady_clock::now() - start < std::chrono::seconds(90)) {
                // The Retune thumb, down and back up.
                app.Xdo("mousemove 230 301 mousedown 1 mousemove 230 330 mousemove 230 345 mouseup 1 "
                        "mousemove 230 345 mousedown 1 mousemove 230 320 mousemove 230 301 mouseup 1");
                ++drags;
            }
            const std::string status = app.Status();
            const std::size_t at = status.find("Played to the end (");
            if (at == std::string::npos) {
                std::fprintf(stderr, "intonara-playback-check: the minute did not play to its end\n%s",
                             status.c_str());
            } else {
                const int underruns = std::atoi(status.c_str() + at + 19);
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                std::printf("60 s of audio, 10 ms device buffer, %d fader drags: %d underruns (played in %.1f s)\n",
                            drags, underruns, seconds);
                code = underruns == 0 ? 0 : 1;
            }
            app.Xdo("key ctrl+q");
            app.WaitForExit(5000);
        } else {
            std::fprintf(stderr, "intonara-playback-check: the app did not start\n");
        }
    }
    std::filesystem::remove_all(dir);
    return code;
}
