#pragma once

// Problems found while compiling resources, one line each as
// "file:line: message", collected so that one run reports all of them.

#include <algorithm>
#include <string>
#include <vector>

namespace rescomp {

struct SourcePos {
    std::string m_strFile;
    int m_nLine = 0;  // 0 when the problem belongs to no line
};

class Diagnostics {
public:
    void Error(const SourcePos& pos, std::string message)
    {
        if (std::find(m_files.begin(), m_files.end(), pos.m_strFile) == m_files.end()) {
            m_files.push_back(pos.m_strFile);
        }
        m_entries.push_back({pos, std::move(message)});
    }

    bool Empty() const { return m_entries.empty(); }

    // By file, in the order the files were first named, then by line; the
    // lexer and the later checks find their problems out of line order.
    std::vector<std::string> Lines() const
    {
        std::vector<Entry> sorted = m_entries;
        auto fileRank = [this](const std::string& file) {
            return std::find(m_files.begin(), m_files.end(), file) - m_files.begin();
        };
        std::stable_sort(sorted.begin(), sorted.end(), [&](const Entry& a, const Entry& b) {
            const auto ra = fileRank(a.m_pos.m_strFile);
            const auto rb = fileRank(b.m_pos.m_strFile);
            return ra != rb ? ra < rb : a.m_pos.m_nLine < b.m_pos.m_nLine;
        });
        std::vector<std::string> lines;
        for (const Entry& e : sorted) {
            lines.push_back(e.m_pos.m_strFile + (e.m_pos.m_nLine > 0 ? ":" + std::to_string(e.m_pos.m_nLine) : "") +
                            ": " + e.m_strMessage);
        }
        return lines;
    }

private:
    struct Entry {
        SourcePos m_pos;
        std::string m_strMessage;
    };
    std::vector<Entry> m_entries;
    std::vector<std::string> m_files;
};

// "line N" within the same file, else "file:N".
inline std::string FirstAt(const SourcePos& first, const SourcePos& here)
{
    return first.m_strFile == here.m_strFile ? "line " + std::to_string(first.m_nLine)
                                             : first.m_strFile + ":" + std::to_string(first.m_nLine);
}

}  // namespace rescomp
