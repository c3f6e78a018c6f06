#pragma once
// Runs a program as a child process with its output captured: for the
// end-to-end tests of the tool and for measuring it.

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

struct ProgramResult
{
    int nStatus = -1;     // exit status; -1 when it did not exit normally
    std::string sOut;
    std::string sErr;
    long nMaxRssKb = 0;   // the child's peak resident memory
    double dSeconds = 0;  // wall time
    double dCpuSeconds = 0; // user and system time of the child, all its threads
};

// The directory the running program lives in: the tool sits beside the tests.
inline std::filesystem::path OwnDirectory()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

// A program on the PATH, or empty when there is none of that name.
inline std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0)
            return dir + "/" + name;
        start = end + 1;
    }
    return {};
}

// workingDirectory: where the program runs; empty for this program's own.
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                                const std::string& workingDirectory = "")
{
    ProgramResult result;
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return result;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(err[0]);
        ::close(out[1]);
        ::close(err[1]);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
            ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.sOut, &result.sErr};
    int open = 2;
    while (open > 0 && ::poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result.nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.nMaxRssKb = usage.ru_maxrss;
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
    result.dCpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return result;
}

} // namespace clitest
