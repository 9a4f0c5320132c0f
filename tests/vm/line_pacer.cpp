// Starts the guest's emulator with serial lines that run at a real line rate, and moves
// their bytes at that rate. The emulated UART sends every byte at once whatever its divisor,
// so the timing of a line comes from here: each line is a socket pair whose emulator end
// has the smallest send buffer, and this process carries at most rate/10 bytes a second
// across it. An echo plug sends a line's bytes back on the same socket; a null-modem cable
// carries each side's bytes to the other.
//
//   line_pacer [--timeout S] [--line echo:ID:RATE[:pull=BYTES] | --line pair:ID:ID:RATE]...
//              -- emulator args
//
// ID is the chardev id the emulator command uses (the guest port's name, e.g. ttyS6); RATE
// is in bit/s, 0 for an unpaced line. An echo plug with pull=BYTES is pulled once it has
// sent that many bytes back: the line still takes the port's bytes at its rate, and they go
// nowhere. The emulator's output is passed through; when the guest prints a line
// "brenmoor-vm: mark NAME", this prints "pacer: NAME ID=N ..." with the bytes each line has
// taken so far, by sending port, and "pacer: end ..." at the end. A pulled plug is reported
// as "pacer: ID plug pulled after BYTES bytes" at the end of the console line under way.
// Exits with the emulator's status, or 124 when it ran past the time-out and was killed.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A busy line whose turn came late (a loaded host) catches up on what it would have carried
// in that time, up to this long; an idle line banks nothing, so its next byte starts a new
// character time.
constexpr double kMaxLateness = 0.05;  // seconds

struct Chardev {
    std::string id;
    int ours = -1;    // our end of the socket pair
    int theirs = -1;  // the emulator's end, inherited
};

// One direction of a line: the bytes the guest sent on port `from` (read from `source`) go
// to `sink`.
struct Direction {
    Direction(std::string sender, int in, int out, double rate, std::optional<long long> pull = std::nullopt)
        : from(std::move(sender)), source(in), sink(out), bytesPerSecond(rate), pullAfter(pull) {}

    std::string from;
    int source = -1;
    int sink = -1;
    double bytesPerSecond = 0;  // 0: unpaced
    double credit = 0;
    Clock::time_point last = Clock::now();
    std::vector<char> pending;
    std::optional<long long> pullAfter;  // the bytes an echo plug returns before it is pulled
    long long returned = 0;
    long long carried = 0;  // taken from the sending port, returned or not
    bool ended = false;  // the emulator closed the line
    bool idle = true;    // nothing to carry when last asked

    bool unpaced() const { return bytesPerSecond == 0; }
    // How many of `got` bytes just taken from the port still go on; the rest are dropped.
    std::size_t passing(std::size_t got) const {
        if (!pullAfter) return got;
        return static_cast<std::size_t>(std::clamp<long long>(*pullAfter - returned, 0, static_cast<long long>(got)));
    }
    void earn(Clock::time_point now) {
        if (unpaced()) return;
        const double limit = idle ? 1.0 : std::max(1.0, kMaxLateness * bytesPerSecond);
        credit = std::min(limit, credit + std::chrono::duration<double>(now - last).count() * bytesPerSecond);
        last = now;
    }
    std::size_t allowance() const {
        return unpaced() ? 4096 : static_cast<std::size_t>(std::min(credit, 4096.0));
    }
};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "line_pacer: %s\n", what.c_str());
    std::exit(2);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    return parts;
}

long long parsePullBytes(const std::string& text) {
    char* end = nullptr;
    const long long count = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || count <= 0) fail("bad byte count for a pull: " + text);
    return count;
}

double parseRate(const std::string& text) {
    char* end = nullptr;
    const double rate = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || rate < 0) fail("bad line rate: " + text);
    return rate / 10.0;  // 8N1: ten bits a character
}

void setNonBlocking(int fd) {
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) fail(std::string("fcntl: ") + std::strerror(errno));
}

class Pacer {
public:
    Chardev& chardev(const std::string& id) {
        for (Chardev& c : chardevs_)
            if (c.id == id) return c;
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            fail(std::string("socketpair: ") + std::strerror(errno));
        // The emulator's end takes the smallest send buffer the kernel allows, so a line
        // that is not being carried holds the emulator's UART instead of filling a buffer.
        const int smallest = 1;
        setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest);
        setNonBlocking(fds[0]);
        const int inherited = fcntl(fds[1], F_GETFD);
        fcntl(fds[1], F_SETFD, inherited & ~FD_CLOEXEC);
        chardevs_.push_back({id, fds[0], fds[1]});
        return chardevs_.back();
    }

    void addLine(const std::string& wiring) {
        const std::vector<std::string> parts = split(wiring, ':');
        if ((parts.size() == 3 || parts.size() == 4) && parts[0] == "echo") {
            std::optional<long long> pull;
            if (parts.size() == 4) {
                if (parts[3].rfind("pull=", 0) != 0) fail("bad line: " + wiring);
                pull = parsePullBytes(parts[3].substr(5));
            }
            const int fd = chardev(parts[1]).ours;
            directions_.emplace_back(parts[1], fd, fd, parseRate(parts[2]), pull);
        } else if (parts.size() == 4 && parts[0] == "pair") {
            const int a = chardev(parts[1]).ours;
            const int b = chardev(parts[2]).ours;
            const double rate = parseRate(parts[3]);
            directions_.emplace_back(parts[1], a, b, rate);
            directions_.emplace_back(parts[2], b, a, rate);
        } else {
            fail("bad line: " + wiring);
        }
    }

    std::vector<std::string> chardevArguments() const {
        std::vector<std::string> args;
        for (const Chardev& c : chardevs_) {
            args.push_back("-chardev");
            args.push_back("socket,id=" + c.id + ",fd=" + std::to_string(c.theirs));
        }
        return args;
    }

    void closeInheritedEnds() {
        for (Chardev& c : chardevs_) close(c.theirs);
    }

    // What happened to the lines since last asked, one line of text each.
    std::vector<std::string> takeNotices() { return std::exchange(notices_, {}); }

    std::string counts() const {
        std::string line;
        for (const Direction& d : directions_) line += " " + d.from + "=" + std::to_string(d.carried);
        return line;
    }

    // Moves what each line may carry now; returns how long until a line may carry more.
    std::chrono::milliseconds step(std::vector<pollfd>& polls) {
        const auto now = Clock::now();
        double soonest = 0.1;
        for (Direction& d : directions_) {
            d.earn(now);
            if (d.ended) continue;
            if (d.pending.empty() && d.allowance() > 0) {
                char buffer[4096];
                const ssize_t got = read(d.source, buffer, d.allowance());
                if (got == 0) {
                    d.ended = true;
                    continue;
                }
                d.idle = got < 0;
                if (got > 0) {
                    const std::size_t passing = d.passing(static_cast<std::size_t>(got));
                    d.pending.assign(buffer, buffer + passing);
                    d.carried += got - static_cast<ssize_t>(passing);
                    if (!d.unpaced()) d.credit -= static_cast<double>(got);
                }
            }
            if (!d.pending.empty()) {
                const ssize_t put = write(d.sink, d.pending.data(), d.pending.size());
                if (put > 0) {
                    d.pending.erase(d.pending.begin(), d.pending.begin() + put);
                    d.carried += put;
                    d.returned += put;
                    if (d.pullAfter && d.returned == *d.pullAfter)
                        notices_.push_back(d.from + " plug pulled after " + std::to_string(d.returned) + " bytes");
                }
            }
            if (d.pending.empty()) {
                if (d.allowance() > 0)
                    watch(polls, d.source, POLLIN);
                else
                    soonest = std::min(soonest, (1.0 - d.credit) / d.bytesPerSecond);
            } else {
                watch(polls, d.sink, POLLOUT);
            }
        }
        return std::chrono::milliseconds(static_cast<int>(soonest * 1000.0) + 1);
    }

private:
    static void watch(std::vector<pollfd>& polls, int fd, short events) {
        for (pollfd& p : polls)
            if (p.fd == fd) {
                p.events |= events;
                return;
            }
        polls.push_back({fd, events, 0});
    }

    std::vector<Chardev> chardevs_;
    std::vector<Direction> directions_;
    std::vector<std::string> notices_;
};

// Passes the emulator's output through, answers the guest's marks with the counts and puts
// the pacer's notices between the console's lines.
class ConsoleWatch {
public:
    explicit ConsoleWatch(Pacer& pacer) : pacer_(pacer) {}

    void take(const char* data, std::size_t size) {
        std::fwrite(data, 1, size, stdout);
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] != '\n') {
                line_ += data[i];
                continue;
            }
            const std::string marker = "brenmoor-vm: mark ";
            const auto at = line_.find(marker);
            if (at != std::string::npos) {
                std::string name = line_.substr(at + marker.size());
                while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
                std::printf("pacer: %s%s\n", name.c_str(), pacer_.counts().c_str());
            }
            line_.clear();
            showNotices();
        }
        std::fflush(stdout);
    }

    // Only between lines, so a notice never splits one of the guest's.
    void showNotices() {
        if (!line_.empty()) return;
        for (const std::string& notice : pacer_.takeNotices()) std::printf("pacer: %s\n", notice.c_str());
        std::fflush(stdout);
    }

    // Ends the emulator's last line if it had no line end, and shows what is left.
    void finish() {
        if (!line_.empty()) std::printf("\n");
        line_.clear();
        showNotices();
    }

private:
    Pacer& pacer_;
    std::string line_;
};

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    Pacer pacer;
    double timeoutSeconds = 120;
    int arg = 1;
    for (; arg < argc && std::strcmp(argv[arg], "--") != 0; ++arg) {
        const std::string option = argv[arg];
        if (arg + 1 >= argc) fail("missing value after " + option);
        if (option == "--line")
            pacer.addLine(argv[++arg]);
        else if (option == "--timeout")
            timeoutSeconds = std::atof(argv[++arg]);
        else
            fail("unknown option " + option);
    }
    if (arg + 1 >= argc) fail("no emulator command after --");

    std::vector<std::string> command(argv + arg + 1, argv + argc);
    for (const std::string& extra : pacer.chardevArguments()) command.push_back(extra);

    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) fail(std::string("pipe: ") + std::strerror(errno));
    const pid_t child = fork();
    if (child < 0) fail(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        // The emulator goes with this process, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        std::vector<char*> childArgs;
        for (std::string& s : command) childArgs.push_back(s.data());
        childArgs.push_back(nullptr);
        execvp(childArgs[0], childArgs.data());
        std::fprintf(stderr, "line_pacer: cannot run %s: %s\n", childArgs[0], std::strerror(errno));
        _exit(127);
    }
    close(output[1]);
    pacer.closeInheritedEnds();
    setNonBlocking(output[0]);

    ConsoleWatch console(pacer);
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    bool outputOpen = true;
    std::optional<int> status;
    bool timedOut = false;
    // Until the emulator has ended; what it wrote last is read after.
    while (!status) {
        std::vector<pollfd> polls;
        const auto wait = pacer.step(polls);
        if (outputOpen) polls.push_back({output[0], POLLIN, 0});
        poll(polls.data(), polls.size(), static_cast<int>(wait.count()));
        if (outputOpen) {
            char buffer[4096];
            ssize_t got;
            while ((got = read(output[0], buffer, sizeof buffer)) > 0) console.take(buffer, static_cast<std::size_t>(got));
            if (got == 0) outputOpen = false;
        }
        console.showNotices();
        int childStatus = 0;
        if (!status && waitpid(child, &childStatus, WNOHANG) == child) status = childStatus;
        if (!status && !timedOut && Clock::now() > deadline) {
            std::printf("pacer: the guest ran past %.0f s and was stopped\n", timeoutSeconds);
            kill(child, SIGKILL);
            timedOut = true;
        }
    }
    char buffer[4096];
    ssize_t got;
    while (outputOpen && (got = read(output[0], buffer, sizeof buffer)) > 0)
        console.take(buffer, static_cast<std::size_t>(got));
    console.finish();
    std::printf("pacer: end%s\n", pacer.counts().c_str());
    if (timedOut) return 124;
    if (WIFEXITED(*status)) return WEXITSTATUS(*status);
    return 128 + WTERMSIG(*status);
}
