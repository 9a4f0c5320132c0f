#pragma once
// One headless run: reads the settings, opens and runs the ports through the same test
// session the window drives, stops each port when its time or packet count is reached,
// waits for the last bytes to come back, finishes the session and judges every port.
//
// The calling thread plays the window thread: it starts the session, clicks Run and Stop,
// takes the workers' end notices and finishes the session.

#include <chrono>
#include <functional>
#include <iosfwd>

#include "cli/cli_options.h"
#include "cli/run_report.h"

namespace brenmoor::cli {

enum ExitCode : int { kAllPassed = 0, kSomeFailed = 1, kSetupError = 2, kInterrupted = 3 };

struct RunHooks {
    // Waits up to the given time; true as soon as the run is asked to stop.
    std::function<bool(std::chrono::milliseconds)> waitForInterrupt;
    // Progress goes here unless the run is quiet; `terminal` redraws a table in place.
    std::ostream* progress = nullptr;
    bool terminal = false;
};

class BurnInRun {
public:
    BurnInRun(CliOptions options, RunHooks hooks, std::ostream& messages);

    // Runs and returns the exit code; the report is complete for codes 0, 1 and 3.
    int run();
    const RunReport& report() const { return report_; }

private:
    CliOptions options_;
    RunHooks hooks_;
    std::ostream& messages_;
    RunReport report_;
};

}  // namespace brenmoor::cli
