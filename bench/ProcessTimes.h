#pragma once
// Runs a whole process, its output thrown away, and measures it: what a user waits for.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vitrinex::bench {

struct ProcessTimes {
    double wall = 0;      // seconds
    double user = 0;      // processor seconds in user mode
    double processor = 0; // processor seconds, user and system
};

// Runs `argv` (argv[0] a path) and waits for it; a process that fails ends the benchmark.
inline ProcessTimes runProcess(const std::vector<std::string>& argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "process failed: %s\n", argv[0].c_str());
        std::exit(1);
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    ProcessTimes times;
    times.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    times.user = seconds(usage.ru_utime);
    times.processor = times.user + seconds(usage.ru_stime);
    return times;
}

} // namespace vitrinex::bench

namespace bench = vitrinex::bench;
