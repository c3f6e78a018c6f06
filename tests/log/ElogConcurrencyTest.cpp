// Several threads writing the log at once, across a rotation. Besides the
// content checks below, the thread sanitizer job runs this program: whatever
// state the entry points share must be atomic or locked.

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "LogFixture.h"

using ElogConcurrency = LogDirTest;

TEST_F(ElogConcurrency, EightThreadsLoseNothingAcrossARotation)
{
    constexpr int kThreads = 8, kPerThread = 500;
    // Lengths vary so writes of different sizes overlap in time.
    auto body = [](int thread, int index) {
        std::string text = "T";
        text.append(std::to_string(thread)).append(" #").append(std::to_string(index)).append("\n");
        return text.append(static_cast<std::size_t>((index * 37 + thread * 11) % 200), static_cast<char>('a' + thread)).append("|");
    };
    // Close enough to the limit that the file rotates while the threads run.
    const std::string filler(static_cast<std::size_t>(kMaxLogFileSize) - 20000, '.');
    WriteFile(g_szLogFile, filler);
    const UINT id = InitErrorLog();
    std::atomic<int> announced{0}, unexpected{0};
    const HWND listener = CreateMessageWindow([&](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        char text[kMaxAtomLength + 1] = {};
        GlobalGetAtomNameA(static_cast<ATOM>(wParam), text, sizeof text);
        (message == id && text[0] == 'T' && text[std::strlen(text) - 1] == '|' ? announced : unexpected)++;
        return 0;
    });
    std::vector<std::thread> threads;
    for (int k = 0; k < kThreads; ++k)
        threads.emplace_back([k, &body] {
            for (int i = 0; i < kPerThread; ++i)
                (k % 2 == 0 ? Trace : LogText)("%s", body(k, i).c_str());
        });
    for (auto& thread : threads)
        thread.join();
    DestroyMessageWindow(listener);

    const std::string old = ReadFile(g_szOldLogFile);
    ASSERT_GT(old.size(), filler.size()) << "the file did not rotate";
    ASSERT_EQ(old.compare(0, filler.size(), filler), 0);
    auto entries = ParseEntries(old.substr(filler.size()));
    const auto current = LogEntries();
    entries.insert(entries.end(), current.begin(), current.end());
    // Each thread's entries appear whole, once, and in the order written.
    std::map<int, int> next;
    for (const auto& entry : entries) {
        int k = -1, i = -1;
        ASSERT_EQ(std::sscanf(entry.m_strBody.c_str(), "T%d #%d", &k, &i), 2) << entry.m_strBody;
        ASSERT_TRUE(k >= 0 && k < kThreads) << entry.m_strBody;
        EXPECT_EQ(i, next[k]++) << "thread " << k;
        EXPECT_EQ(std::pair(entry.m_strBody, entry.m_bTrace), std::pair(body(k, i), k % 2 == 0));
    }
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(std::pair(announced.load(), unexpected.load()), std::pair(kThreads / 2 * kPerThread, 0));
    EXPECT_EQ(m_boxes.Count(), 0u);
}
