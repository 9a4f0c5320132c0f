#include "support/thread_state.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>

namespace brenmoor::test {
namespace {

// The state letter of /proc/self/task/<tid>/stat: the field after the command name,
// which is in parentheses and may itself hold blanks.
char threadStateLetter(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return '?';
    return text[close + 2];
}

}  // namespace

pid_t currentThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

bool waitUntilAsleep(pid_t thread, std::chrono::milliseconds bound) {
    const auto giveUp = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < giveUp) {
        if (threadStateLetter(thread) == 'S') return true;
        std::this_thread::yield();
    }
    return false;
}

}  // namespace brenmoor::test
