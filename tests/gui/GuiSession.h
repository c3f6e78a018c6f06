#pragma once

// The real intonara-gui on an X server of the test's own, with SDL's dummy
// audio driver, driven only through X input (xdotool). The app prints its
// status messages, which the test waits on.

#include "platform/gdi/Surface.h"
#include "support/ui/XServer.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace guitest {

// The pixels of the rectangle (x, y, w, h) of an X display's screen; an
// empty surface where the display cannot be read.
platform::gdi::Surface GrabScreen(const std::string& display, int x, int y, int w, int h);

class CGuiSession {
public:
    CGuiSession(const std::string& scratch, std::vector<std::string> args) : m_server(1024, 768)
    {
        if (m_server.Display().empty())
            return;
        m_strOut = scratch + "/gui-status.txt";
        m_strErr = scratch + "/gui-errors.txt";
        std::vector<std::string> argv = {INTONARA_GUI_PROGRAM, "--print-status"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> env = {"DISPLAY=" + m_server.Display(), "SDL_AUDIODRIVER=dummy",
                                        "SDL_VIDEODRIVER=x11", "HOME=" + scratch};
        if (const char* path = std::getenv("PATH"))
            env.push_back(std::string("PATH=") + path);
        std::vector<char*> raw, rawEnv;
        for (auto [from, to] : {std::pair{&argv, &raw}, {&env, &rawEnv}}) {
            for (std::string& s : *from)
                to->push_back(s.data());
            to->push_back(nullptr);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&m_pid, raw[0], &actions, nullptr, raw.data(), rawEnv.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    ~CGuiSession()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }

    bool Started() const { return m_pid > 0; }

    // Runs xdotool with `args` on the session's display.
    bool Xdo(const std::string& args) const
    {
        const std::string command = "DISPLAY=" + m_server.Display() + " xdotool " + args + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    // What the X screen shows in the rectangle (x, y, w, h): the real
    // window's pixels as the X server holds them.
    platform::gdi::Surface Grab(int x, int y, int w, int h) const { return GrabScreen(m_server.Display(), x, y, w, h); }

    // The status messages so far, and what the app wrote on its standard
    // error.
    std::string Status() const { return Read(m_strOut); }
    std::string Errors() const { return Read(m_strErr); }
    std::string Read(const std::string& path) const
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Waits until a status message holds `text`.
    bool WaitFor(const std::string& text, int ms) const
    {
        return Poll(ms, [&] { return Status().find(text) != std::string::npos; });
    }

    // Waits for the app to end; its exit status, or -1.
    int WaitForExit(int ms)
    {
        int status = 0;
        if (m_pid <= 0 || !Poll(ms, [&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }))
            return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    // Asks `done` every 50 ms until it says yes or `ms` have passed.
    template <class Done>
    static bool Poll(int ms, Done done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(50)))
            if (done())
                return true;
        return false;
    }

    uitest::CXvfb m_server;
    std::string m_strOut;
    std::string m_strErr;
    pid_t m_pid = -1;
};

}  // namespace guitest
