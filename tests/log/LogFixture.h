#pragma once

// Every log test runs in a fresh temporary directory, because the log writes
// into the current directory, and with a box recorder so failures are seen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "log/Elog.h"
#include "platform/Messages.h"
#include "support/MessageBoxRecorder.h"

struct ParsedEntry {
    std::tm m_time{};
    bool m_bTrace = false;
    std::string m_strBody;  // line ends as "\n"
};

class LogDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_oldCwd = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "intonara-log-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        std::filesystem::current_path(m_dir);
        CloseErrorLog();
        SetErrorFilter(0);
        SetTraceFilter(0);
        g_uLogWrittenMessage.store(0);
        g_hLogModule.store(nullptr);
    }

    void TearDown() override
    {
        CloseErrorLog();
        std::filesystem::current_path(m_oldCwd);
        std::filesystem::remove_all(m_dir);
    }

    static std::string ReadFile(const char* name)
    {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void WriteFile(const char* name, const std::string& content)
    {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << content;
    }

    // Checks that every line ends in CR LF, then splits the entries; `from`
    // skips filler written by the test itself.
    static std::vector<ParsedEntry> ParseEntries(const std::string& raw, std::size_t from = 0)
    {
        std::string text;
        for (std::size_t i = from; i < raw.size(); ++i) {
            if (raw[i] == '\r') {
                EXPECT_TRUE(i + 1 < raw.size() && raw[i + 1] == '\n') << "lone CR at " << i;
                continue;
            }
            EXPECT_FALSE(raw[i] == '\n' && (i == from || raw[i - 1] != '\r')) << "bare LF at " << i;
            text += raw[i];
        }
        std::vector<ParsedEntry> entries;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t eol = text.find('\n', pos);
            const std::size_t end = eol == std::string::npos ? eol : text.find("\n\n", eol + 1);
            ParsedEntry entry;
            if (end == std::string::npos || !ParseHeader(text.substr(pos, eol - pos), entry)) {
                ADD_FAILURE() << "malformed entry at " << pos << ": " << text.substr(pos, 80);
                break;
            }
            entry.m_strBody = text.substr(eol + 1, end - eol - 1);
            entries.push_back(entry);
            pos = end + 2;
        }
        return entries;
    }

    // "YYYY/MM/DD hh:mm:ss", then " TRACE" or nothing.
    static bool ParseHeader(const std::string& line, ParsedEntry& entry)
    {
        static const std::string shape = "dddd/dd/dd dd:dd:dd";
        if (line.size() < shape.size()) {
            return false;
        }
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const bool digit = line[i] >= '0' && line[i] <= '9';
            if (shape[i] == 'd' ? !digit : line[i] != shape[i]) {
                return false;
            }
        }
        const std::string kind = line.substr(shape.size());
        if (!kind.empty() && kind != " TRACE") {
            return false;
        }
        auto field = [&line](std::size_t at, std::size_t length) { return std::stoi(line.substr(at, length)); };
        entry.m_time.tm_year = field(0, 4) - 1900;
        entry.m_time.tm_mon = field(5, 2) - 1;
        entry.m_time.tm_mday = field(8, 2);
        entry.m_time.tm_hour = field(11, 2);
        entry.m_time.tm_min = field(14, 2);
        entry.m_time.tm_sec = field(17, 2);
        entry.m_time.tm_isdst = -1;
        entry.m_bTrace = !kind.empty();
        return true;
    }

    static std::vector<ParsedEntry> LogEntries() { return ParseEntries(ReadFile(g_szLogFile)); }

    CMessageBoxRecorder m_boxes;

private:
    std::filesystem::path m_oldCwd;
    std::filesystem::path m_dir;
};

// Records every message window delivery while it exists.
struct MessageSpy {
    struct Delivery {
        UINT m_uMessage;
        WPARAM m_wParam;
        LPARAM m_lParam;
        std::string m_strAtomText;  // read while the message is handled
    };

    MessageSpy()
    {
        m_hWindow = CreateMessageWindow([this](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            char name[256] = {};
            GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name);
            std::lock_guard lock(m_mutex);
            m_deliveries.push_back({message, wParam, lParam, name});
            return 0;
        });
    }
    ~MessageSpy() { DestroyMessageWindow(m_hWindow); }

    std::vector<Delivery> Deliveries()
    {
        std::lock_guard lock(m_mutex);
        return m_deliveries;
    }

    HWND m_hWindow;
    std::mutex m_mutex;
    std::vector<Delivery> m_deliveries;
};
