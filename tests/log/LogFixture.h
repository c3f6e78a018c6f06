#pragma once

// Every log test runs in a fresh temporary directory, because the log writes
// into the current directory, and with a box recorder so failures are seen.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "log/Elog.h"
#include "platform/Messages.h"
#include "support/MessageBoxRecorder.h"

struct ParsedEntry {
    std::time_t m_time = 0;
    bool m_bTrace = false;
    std::string m_strBody;  // line ends as "\n"
};

class LogDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
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

    // Entries as "YYYY/MM/DD hh:mm:ss[ TRACE]" CR LF, the body with CR LF
    // line ends, then an empty line; the text must be nothing else.
    static std::vector<ParsedEntry> ParseEntries(const std::string& raw)
    {
        // Every CR LF pair of `text` replaced by `with`.
        auto lines = [](const std::string& text, const char* with) {
            std::string out;
            for (std::size_t from = 0;;) {
                const std::size_t at = text.find("\r\n", from);
                out.append(text, from, at == std::string::npos ? std::string::npos : at - from);
                if (at == std::string::npos)
                    return out;
                out += with;
                from = at + 2;
            }
        };
        std::vector<ParsedEntry> entries;
        for (std::size_t pos = 0; pos < raw.size();) {
            const std::size_t eol = raw.find("\r\n", pos), end = raw.find("\r\n\r\n", eol + 2);
            if (eol == std::string::npos || end == std::string::npos || eol < pos + 19) {
                ADD_FAILURE() << "unfinished entry at " << pos << ": " << raw.substr(pos, 80);
                break;
            }
            std::tm tm{};
            std::istringstream header(raw.substr(pos, 19));
            header >> std::get_time(&tm, "%Y/%m/%d %H:%M:%S");
            const std::string kind = raw.substr(pos + 19, eol - pos - 19), body = raw.substr(eol + 2, end - eol - 2);
            if (header.fail() || (kind != "" && kind != " TRACE") ||
                lines(body, "").find_first_of("\r\n") != std::string::npos) {
                ADD_FAILURE() << "malformed entry at " << pos << ": " << raw.substr(pos, 80);
                break;
            }
            tm.tm_isdst = -1;
            entries.push_back({std::mktime(&tm), !kind.empty(), lines(body, "\n")});
            pos = end + 4;
        }
        return entries;
    }

    static std::vector<ParsedEntry> LogEntries() { return ParseEntries(ReadFile(g_szLogFile)); }

    // The bodies of the log's entries, traces marked "TRACE ".
    static std::vector<std::string> Bodies()
    {
        std::vector<std::string> bodies;
        for (const ParsedEntry& e : LogEntries())
            bodies.push_back((e.m_bTrace ? "TRACE " : "") + e.m_strBody);
        return bodies;
    }

    CMessageBoxRecorder m_boxes;

private:
    std::filesystem::path m_oldCwd = std::filesystem::current_path();
    std::filesystem::path m_dir;
};
