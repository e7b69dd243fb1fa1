#pragma once
// Runs a piece of a test as another user of the machine, to play the attacker on a shared machine.
// Only root can become another user: elsewhere the caller skips with otherUserUnavailable().

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace vitrinex::fixtures {

// A user id no account on a test machine has.
inline constexpr uid_t kOtherUser = 54321;

inline bool otherUserAvailable() {
    return ::geteuid() == 0;
}

inline const char* otherUserUnavailable() {
    return "becoming another user needs root: run the tests as root to cover what another user can do";
}

// Runs `part` in a child process as kOtherUser; true when it returned true there.
inline bool asOtherUser(const std::function<bool()>& part) {
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0 && part();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace vitrinex::fixtures

namespace fixtures = vitrinex::fixtures;
