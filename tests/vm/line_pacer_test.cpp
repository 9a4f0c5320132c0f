// The line pacer on the host, with a probe in the emulator's place: lines cross and come
// back, the counts follow the marks, the emulator's status comes through, a line is paced,
// a plug can be pulled and a run that does not end is stopped.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

struct PacerRun {
    std::string output;
    int status = -1;
};

PacerRun runPacer(const std::string& arguments) {
    const std::string command = std::string(LINE_PACER) + " " + arguments + " 2>&1";
    PacerRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(LinePacer, CarriesEachLineBothWaysCountsAtTheMarksAndPassesTheStatusOn) {
    const PacerRun run = runPacer("--line pair:a:b:0 --line echo:c:9600 -- " LINE_PACER_PROBE " cross");
    EXPECT_EQ(run.status, 7) << run.output;
    EXPECT_NE(run.output.find("probe: b got ping, a got pong\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("pacer: probe a=4 b=4 c=96\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("pacer: end a=4 b=4 c=96\n"), std::string::npos) << run.output;

    // 96 bytes at 960 bytes a second take 0.1 s out and back; a loaded host only slows
    // that down, so only the lower bound is checked.
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match, std::regex("plug returned 96 bytes in ([0-9.]+) s")))
        << run.output;
    EXPECT_GE(std::stod(match[1].str()), 0.09);
}

TEST(LinePacer, APulledPlugReturnsItsBytesThenTakesTheRestToNowhere) {
    const PacerRun run = runPacer("--line echo:c:0:pull=40 -- " LINE_PACER_PROBE " pull");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("probe: pulled plug returned 40 bytes\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("pacer: c plug pulled after 40 bytes\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("pacer: end c=96\n"), std::string::npos) << run.output;
}

TEST(LinePacer, StopsAnEmulatorThatRunsPastTheTimeOut) {
    const PacerRun run = runPacer("--timeout 0.2 --line echo:c:0 -- " LINE_PACER_PROBE " hang");
    EXPECT_EQ(run.status, 124) << run.output;
    EXPECT_NE(run.output.find("pacer: the guest ran past"), std::string::npos) << run.output;
}

TEST(LinePacer, RefusesALineItCannotRead) {
    for (const char* line : {"echo:c", "pair:a:9600", "echo:c:fast", "wire:a:b:0", "echo:c:0:pull=0",
                             "echo:c:0:pull=many", "echo:c:0:40", "pair:a:b:0:pull=40"}) {
        const PacerRun run = runPacer(std::string("--line ") + line + " -- " LINE_PACER_PROBE " cross");
        EXPECT_EQ(run.status, 2) << line << ": " << run.output;
    }
}

}  // namespace
