// The burn-in runner as a rack runs it: its own process over the eight ports of the
// simulated card at 921600 bit/s with no write delay, internal loopback, for a while. The
// line use comes from its JSON report; CPU time and peak memory from the kernel's account
// of the whole process, start-up and report included.
//
//   cli_bench [seconds]   (default 30)
//
// Prints one "name: value" line per figure.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// The report's per-port "line_use" values, in port order.
std::vector<double> lineUses(const std::string& json) {
    std::vector<double> uses;
    const std::string key = "\"line_use\": ";
    for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + key.size()))
        uses.push_back(std::strtod(json.c_str() + at + key.size(), nullptr));
    return uses;
}

}  // namespace

int main(int argc, char** argv) {
    const int runSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("brenmoor-cli-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    const std::string report = (directory / "run.json").string();
    const std::string profile = (directory / "absent.ini").string();
    const std::string duration = std::to_string(runSeconds);
    std::vector<std::string> arguments{BRENMOOR_CLI_PATH, "--simulated-card", "--profile", profile,
                                       "--ports",         "1-8",              "--baud",    "921600",
                                       "--delay",         "0",                "--seconds", duration,
                                       "--quiet",         "--json",           report};

    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        // Its summary table would come between the figures.
        if (std::freopen("/dev/null", "w", stdout) == nullptr) ::_exit(126);
        std::vector<char*> argvOut;
        for (std::string& argument : arguments) argvOut.push_back(argument.data());
        argvOut.push_back(nullptr);
        ::execv(argvOut[0], argvOut.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
        std::fprintf(stderr, "brenmoor-cli did not start\n");
        return 1;
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::ifstream in(report);
    std::ostringstream json;
    json << in.rdbuf();
    std::filesystem::remove_all(directory);
    const std::vector<double> uses = lineUses(json.str());

    std::printf("duration_s: %.1f\n", wall);
    std::printf("exit_code: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    for (std::size_t port = 0; port < uses.size(); ++port) std::printf("line_use_port%zu: %.4f\n", port + 1, uses[port]);
    std::printf("line_use_min: %.4f\n", uses.empty() ? 0.0 : *std::min_element(uses.begin(), uses.end()));
    std::printf("process_cpu_cores: %.3f\n", (seconds(usage.ru_utime) + seconds(usage.ru_stime)) / wall);
    std::printf("peak_rss_kib: %ld\n", usage.ru_maxrss);
    return uses.size() == 8 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
