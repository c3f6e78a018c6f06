// The plug-in and its window in a real LV2 host: jalv (its GTK front end)
// on a JACK server with the dummy driver, on Xvfb. The panel must appear
// inside jalv's window; a key chosen from the panel's list must be what
// jalv saves as the port's value; a preset chosen from jalv's menu must move
// the panel's Retune fader. Skipped, with the reason, where the programs are
// not installed or JACK cannot start here.

#include "support/ui/XServer.h"

#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros would replace.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr char kPluginUri[] = "urn:uuid:d048519c-f761-4b10-bb94-5f1381045587";
constexpr char kPanelTitle[] = "Intonara by Velmora";

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A program of the test's own, ended (and waited for) with the test.
class CChild {
public:
    CChild(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& log,
           const std::string& cwd = {})
    {
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        // The test's variables replace the process's of the same name.
        std::vector<std::string> environment(env);
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry(*e);
            const std::string name = entry.substr(0, entry.find('=') + 1);
            bool replaced = false;
            for (const std::string& given : env) {
                replaced = replaced || given.compare(0, name.size(), name) == 0;
            }
            if (!replaced) {
                environment.push_back(entry);
            }
        }
        std::vector<char*> envp;
        for (std::string& e : environment) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        const fs::path before = fs::current_path();
        if (!cwd.empty()) {
            fs::current_path(cwd);
        }
        if (posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
            m_pid = -1;
        }
        fs::current_path(before);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CChild()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            for (int i = 0; i < 50 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i) {
                Sleep(20);
            }
            if (waitpid(m_pid, nullptr, WNOHANG) == 0) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
            }
        }
    }
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;

    bool Running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

template <class Done>
bool WaitFor(int ms, Done done)
{
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) {
            return true;
        }
        Sleep(50);
    }
    return done();
}

// The test's look at the X server: windows by name, where they are, and
// their pixels.
class CScreen {
public:
    CScreen() : m_pDisplay(XOpenDisplay(nullptr))
    {
        if (m_pDisplay != nullptr) {
            XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
        }
    }
    ~CScreen()
    {
        if (m_pDisplay != nullptr) {
            XCloseDisplay(m_pDisplay);
        }
    }
    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;
    bool Open() const { return m_pDisplay != nullptr; }

    // The first window below `from` whose name is `name`, depth first.
    Window Find(const std::string& name, Window from = 0) const
    {
        if (from == 0) {
            from = DefaultRootWindow(m_pDisplay);
        }
        char* text = nullptr;
        if (XFetchName(m_pDisplay, from, &text) && text != nullptr) {
            const bool match = name == text;
            XFree(text);
            if (match) {
                return from;
            }
        }
        for (Window child : Children(from)) {
            if (Window found = Find(name, child)) {
                return found;
            }
        }
        return 0;
    }
    std::vector<Window> Children(Window window) const
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        std::vector<Window> out;
        if (XQueryTree(m_pDisplay, window, &root, &parent, &children, &count)) {
            out.assign(children, children + count);
            if (children != nullptr) {
                XFree(children);
            }
        }
        return out;
    }
    bool IsInside(Window window, Window ancestor) const
    {
        while (window != 0 && window != DefaultRootWindow(m_pDisplay)) {
            Window root = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(m_pDisplay, window, &root, &parent, &children, &count)) {
                return false;
            }
            if (children != nullptr) {
                XFree(children);
            }
            if (parent == ancestor) {
                return true;
            }
            window = parent;
        }
        return false;
    }
    POINT Origin(Window window) const
    {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(m_pDisplay, window, DefaultRootWindow(m_pDisplay), 0, 0, &x, &y, &child);
        return POINT{x, y};
    }
    // Pixels of a rectangle of a window, 0xRRGGBB, row by row.
    std::vector<unsigned long> Pixels(Window window, int x, int y, int width, int height) const
    {
        std::vector<unsigned long> out;
        XImage* image = XGetImage(m_pDisplay, window, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return out;
        }
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                out.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
            }
        }
        XDestroyImage(image);
        return out;
    }

private:
    ::Display* m_pDisplay;
};

class Lv2Jalv : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef INTONARA_SANITIZED
        // A sanitized plug-in needs the sanitizer's runtime loaded before
        // the host, and GTK's jalv does not start with it preloaded; the
        // window's own tests (test_lv2_ui) run sanitized instead.
        GTEST_SKIP() << "jalv.gtk3 cannot load a sanitized plug-in (it does not start with the sanitizer's runtime "
                        "preloaded)";
#endif
        for (const char* program : {"Xvfb", "xdotool", "jackd", "jalv.gtk3"}) {
            if (!uitest::OnPath(program)) {
                GTEST_SKIP() << program << " is not installed (scripts/bootstrap installs it)";
            }
        }
        m_dir = fs::temp_directory_path() / ("intonara-jalv-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "home");
        m_pServer = std::make_unique<uitest::CXvfb>();
        ASSERT_FALSE(m_pServer->Display().empty()) << "Xvfb did not start";
        setenv("DISPLAY", m_pServer->Display().c_str(), 1);

        // A JACK server of the test's own, so that nothing else on the
        // machine is touched.
        const std::string jackName = "intonara-test-" + std::to_string(getpid());
        m_env = {"JACK_DEFAULT_SERVER=" + jackName, "JACK_NO_AUDIO_RESERVATION=1", "JACK_NO_START_SERVER=1", "HOME=" + (m_dir / "home").string(),
                 "LV2_PATH=" INTONARA_LV2_DIR, "DISPLAY=" + m_pServer->Display(), "NO_AT_BRIDGE=1"};

        m_pJack = std::make_unique<CChild>(
            std::vector<std::string>{"jackd", "-n", jackName, "-d", "dummy", "-r", "48000", "-p", "1024"}, m_env,
            (m_dir / "jackd.log").string());
        // Until its clients can connect (jack_wait comes with the server).
        const std::string wait = "JACK_DEFAULT_SERVER=" + jackName + " JACK_NO_START_SERVER=1 jack_wait -w -t 10 > " +
                                 (m_dir / "jack_wait.log").string() + " 2>&1";
        const bool started = std::system(wait.c_str()) == 0;
        if (!started || !m_pJack->Running()) {
            GTEST_SKIP() << "jackd cannot start in this environment: " << ReadFile(m_dir / "jackd.log");
        }
    }
    void TearDown() override
    {
        m_screen.reset();
        m_pJalv.reset();
        m_pJack.reset();
        m_pServer.reset();
        if (!HasFailure()) {
            fs::remove_all(m_dir);
        }
    }

    void StartJalv()
    {
        m_pJalv = std::make_unique<CChild>(std::vector<std::string>{"jalv.gtk3", kPluginUri}, m_env,
                                           (m_dir / "jalv.log").string(), m_dir.string());
    }

    void Xdotool(const std::string& arguments)
    {
        const std::string command = "xdotool " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // A click at a point of a window, through X.
    void ClickAt(Window window, int x, int y)
    {
        const POINT origin = m_screen->Origin(window);
        Xdotool("mousemove " + std::to_string(origin.x + x) + " " + std::to_string(origin.y + y) + " click 1");
        Sleep(400);
    }

    // Opens a menu of jalv's menu bar and waits until it is drawn below it.
    void OpenMenu(Window host, int x)
    {
        const auto closed = m_screen->Pixels(host, x, 40, 120, 1);
        ClickAt(host, x, 12);
        EXPECT_TRUE(WaitFor(3000, [&] { return m_screen->Pixels(host, x, 40, 120, 1) != closed; }))
            << "the menu did not open";
        Sleep(600);
    }

    // A menu item: the pointer rests on it before the click, as a menu
    // that has only just opened wants.
    void PointAndClick(Window window, int x, int y)
    {
        Sleep(400);
        const POINT origin = m_screen->Origin(window);
        Xdotool("mousemove " + std::to_string(origin.x + x) + " " + std::to_string(origin.y + y));
        Sleep(500);
        Xdotool("click 1");
        Sleep(400);
    }

    // jalv's File > Save into a folder of the test's; what it wrote.
    std::string SaveState(Window host, const std::string& name)
    {
        OpenMenu(host, 19);           // File
        PointAndClick(host, 46, 37);  // Save
        Window dialog = 0;
        EXPECT_TRUE(WaitFor(5000, [&] { return (dialog = m_screen->Find("Save State")) != 0; }))
            << "jalv's save dialog did not open";
        if (dialog == 0) {
            return {};
        }
        Sleep(500);
        Xdotool("windowfocus --sync " + std::to_string(dialog));
        Xdotool("type --delay 20 " + name);
        Sleep(300);
        const fs::path state = m_dir / name / "state.ttl";
        auto saved = [&] { return fs::exists(state) && ReadFile(state).find(" .") != std::string::npos; };
        // The first Enter may only take the name's completion.
        for (int i = 0; i < 3 && !WaitFor(i == 0 ? 0 : 1500, saved); ++i) {
            Xdotool("key Return");
        }
        EXPECT_TRUE(WaitFor(3000, saved)) << "jalv saved nothing in " << state;
        Sleep(200);
        return ReadFile(state);
    }

    fs::path m_dir;
    std::vector<std::string> m_env;
    std::unique_ptr<uitest::CXvfb> m_pServer;
    std::unique_ptr<CChild> m_pJack;
    std::unique_ptr<CChild> m_pJalv;
    std::unique_ptr<CScreen> m_screen;
};

// The value a port has in a state jalv saved.
double SavedPortValue(const std::string& state, const std::string& symbol)
{
    const auto at = state.find("lv2:symbol \"" + symbol + "\"");
    if (at == std::string::npos) {
        return -1.0;
    }
    const auto value = state.find("pset:value", at);
    return value == std::string::npos ? -1.0 : std::stod(state.substr(value + 10));
}

TEST_F(Lv2Jalv, ThePanelWorksInsideJalv)
{
    StartJalv();
    m_screen = std::make_unique<CScreen>();
    ASSERT_TRUE(m_screen->Open());
    Window host = 0;
    Window panel = 0;
    ASSERT_TRUE(WaitFor(15000, [&] {
        host = m_screen->Find("Velmora Intonara Plugin");
        panel = m_screen->Find(kPanelTitle);
        return host != 0 && panel != 0;
    })) << "no panel inside jalv:\n"
        << ReadFile(m_dir / "jalv.log");

    // xdotool finds the panel by its name, a child of jalv's window.
    const std::string found = "xdotool search --name '^" + std::string(kPanelTitle) + "$' > " +
                              (m_dir / "search.txt").string();
    ASSERT_EQ(std::system(found.c_str()), 0);
    EXPECT_EQ(std::stoul(ReadFile(m_dir / "search.txt")), panel);
    EXPECT_TRUE(m_screen->IsInside(panel, host));
    ASSERT_TRUE(WaitFor(5000, [&] {
        const auto corner = m_screen->Pixels(panel, 5, 5, 1, 1);
        return !corner.empty() && corner[0] == 0xC0C0C0;
    })) << "the panel was never drawn";

    // The Retune fader (122..167 x 197..327 in the panel) as it starts.
    const int faderX = 122;
    const int faderY = 197;
    const int faderW = 46;
    const int faderH = 131;
    const auto before = m_screen->Pixels(panel, faderX, faderY, faderW, faderH);

    // A preset from jalv's menu is a change on the host's side: "Hard Tune"
    // puts Retune at 0 ms, the fader's top. jalv lists the six presets
    // after "Save Preset..." and "Delete Current Preset...", 25 pixels a
    // row from y 88, in an order of its own (by name, or as the bundle
    // gives them): each is tried until the thumb stands at the fader's top.
    // Rows that changed from the start: where the thumb was, and where it
    // went.
    auto changedRows = [&](const std::vector<unsigned long>& now, bool top) {
        int rows = 0;
        for (int row = top ? 0 : faderH / 6; row < (top ? faderH / 6 : faderH); ++row) {
            bool changed = false;
            for (int column = 0; column < faderW; ++column) {
                const auto at = static_cast<std::size_t>(row * faderW + column);
                changed = changed || before[at] != now[at];
            }
            rows += changed ? 1 : 0;
        }
        return rows;
    };
    std::vector<unsigned long> after;
    bool atTop = false;
    // On a busy machine a menu may miss a click: a second round then.
    for (int attempt = 0; attempt < 12 && !atTop; ++attempt) {
        const int item = attempt % 6;
        OpenMenu(host, 70);  // Presets
        PointAndClick(host, 100, 88 + 25 * item);
        atTop = WaitFor(2500, [&] {
            after = m_screen->Pixels(panel, faderX, faderY, faderW, faderH);
            return after.size() == before.size() && changedRows(after, true) > 8;
        });
    }
    ASSERT_TRUE(atTop) << "no preset moved the Retune fader to its top";
    EXPECT_GT(changedRows(after, false), 8) << "the thumb's old place was not cleared";

    // The key list: open it, take "F" (the sixth key), whose row lies
    // 13 pixels a row below the list's top.
    ClickAt(panel, 150, 128);
    ClickAt(panel, 90, 139 + 5 * 13 + 6);

    // What jalv holds for the ports: the preset's Retune and the key the
    // panel chose after it.
    const std::string saved = SaveState(host, "saved");
    EXPECT_EQ(SavedPortValue(saved, "retune"), 0.0) << saved;
    EXPECT_EQ(SavedPortValue(saved, "key"), 5.0) << saved;
}

}  // namespace
