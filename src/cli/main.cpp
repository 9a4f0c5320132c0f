// brenmoor-cli: the headless burn-in runner for the 8-port UART PCI card.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iostream>

#include "cli/burn_in_run.h"
#include "cli/report_writers.h"

namespace {

using namespace brenmoor::cli;

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// SIGINT and SIGTERM stay blocked in every thread and are taken here, between the run's
// steps, so no system call of a worker is ever interrupted by them.
bool waitForStopSignal(std::chrono::milliseconds limit) {
    const sigset_t set = stopSignals();
    timespec wait{static_cast<time_t>(limit.count() / 1000), static_cast<long>(limit.count() % 1000) * 1'000'000};
    while (true) {
        const int taken = sigtimedwait(&set, nullptr, &wait);
        if (taken == SIGINT || taken == SIGTERM) return true;
        if (taken < 0 && errno == EINTR) continue;
        return false;
    }
}

int writeReports(const CliOptions& options, const RunReport& report) {
    bool written = true;
    std::string error;
    if (options.json && !writeReportFile(*options.json, jsonReport(report), error)) {
        std::cerr << "brenmoor-cli: " << error << std::endl;
        written = false;
    }
    if (options.junit && !writeReportFile(*options.junit, junitReport(report), error)) {
        std::cerr << "brenmoor-cli: " << error << std::endl;
        written = false;
    }
    return written;
}

}  // namespace

int main(int argc, char* argv[]) {
    const ParsedCommandLine parsed = parseCliOptions({argv, argv + argc});
    if (parsed.help) {
        std::cout << helpText();
        return kAllPassed;
    }
    if (parsed.version) {
        std::cout << "brenmoor-cli " << BRENMOOR_VERSION << '\n';
        return kAllPassed;
    }
    if (!parsed.error.empty()) {
        std::cerr << "brenmoor-cli: " << parsed.error << "\nTry brenmoor-cli --help." << std::endl;
        return kSetupError;
    }
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    RunHooks hooks;
    hooks.waitForInterrupt = waitForStopSignal;
    hooks.progress = &std::cerr;
    hooks.terminal = isatty(STDERR_FILENO) != 0;
    BurnInRun run(parsed.options, hooks, std::cerr);
    const int code = run.run();
    if (code == kSetupError) return code;
    std::cout << summaryTable(run.report()) << std::flush;
    if (!writeReports(parsed.options, run.report())) return kSetupError;
    return code;
}
