// Whole runs of brenmoor-cli on the simulated card, as separate processes.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "cli_process.h"
#include "support/file_contents.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace brenmoor::test {
namespace {

class CliRunTest : public ::testing::Test {
protected:
    // A short run at a fast rate: the options every test shares, then its own.
    CliResult run(std::vector<std::string> own, std::optional<int> signal = std::nullopt,
                  std::chrono::milliseconds signalAfter = {}) {
        std::vector<std::string> arguments{"--simulated-card", "--profile", profile().string(), "--baud", "115200",
                                           "--delay", "0", "--json", "r.json", "--junit", "r.xml"};
        arguments.insert(arguments.end(), own.begin(), own.end());
        return runCli(arguments, dir.path(), signal, signalAfter);
    }
    std::filesystem::path profile() const { return dir.file("profile.ini"); }
    void writeProfile(const std::string& text) { std::ofstream(profile()) << text; }
    // A value from the JSON report, `d` being the whole object.
    std::string json(const std::string& expression) { return jsonQuery(dir.file("r.json"), expression); }
    std::string port(int number, const std::string& field) {
        return json("[p for p in d['ports'] if p['port'] == " + std::to_string(number) + "][0]['" + field + "']");
    }

    TempDir dir;
};

TEST_F(CliRunTest, InternallyLoopedPortsPassAndTheProfileIsLeftAlone) {
    const std::string profileText = "[Version 1.0]\nm_PortRegistry[0].nPortOpen=0\n";
    writeProfile(profileText);
    const CliResult result = run({"--ports", "1,2,8", "--packets", "30", "--quiet"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(json("d['verdict']"), "pass");
    EXPECT_EQ(json("[p['port'] for p in d['ports']]"), "[1, 2, 8]");
    for (int number : {1, 2, 8}) {
        EXPECT_EQ(port(number, "verdict"), "pass");
        EXPECT_EQ(port(number, "return_path"), "internal");
        EXPECT_EQ(port(number, "bytes_received"), port(number, "bytes_sent"));
        EXPECT_GE(std::stoi(port(number, "packets")), 30);
    }
    // The summary holds a row per port and the verdict; quiet means nothing else.
    EXPECT_NE(result.out.find("COM11"), std::string::npos);
    EXPECT_NE(result.out.find(": pass"), std::string::npos);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readFile(profile()), profileText);
}

TEST_F(CliRunTest, APortWithNoReturnPathFailsWithEverythingMissing) {
    // Port 2 expects a plug the card does not have; port 1 runs on its internal loopback.
    const CliResult result = run({"--ports", "1,2", "--packets", "20", "--plug", "2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(port(1, "verdict"), "pass");
    EXPECT_EQ(port(2, "verdict"), "fail");
    EXPECT_EQ(port(2, "bytes_received"), "0");
    EXPECT_NE(port(2, "bytes_sent"), "0");
    EXPECT_EQ(port(2, "missing"), port(2, "bytes_sent"));
    EXPECT_EQ(port(2, "reason"), port(2, "missing") + " bytes missing");
}

TEST_F(CliRunTest, ANullModemPairWithDifferentDataLengthsFailsAtTheFirstMismatch) {
    // Port 1 takes six data bits: of "0123@" sent by port 2 the digits survive and '@'
    // loses its seventh bit. Port 2 fills its top bits from port 1's stop bit at once.
    writeProfile("[Version 1.0]\nm_PortRegistry[0].nDataBits=1\n");
    // Long enough that the comparison runs while the ports send, not only at the end.
    const CliResult result = run({"--ports", "1,2", "--seconds", "3", "--pattern", "user:0123@", "--pair", "1:2",
                                  "--sim-pair", "1:2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(port(1, "framing"), "6N1");
    EXPECT_EQ(port(1, "return_path"), "pair:2");
    EXPECT_EQ(port(1, "first_mismatch_offset"), "4");
    EXPECT_EQ(port(1, "reason"), "first mismatch at byte 4");
    EXPECT_EQ(port(2, "first_mismatch_offset"), "0");
    // One '@' in each of port 2's packets; port 1 runs first, so it missed none of them.
    EXPECT_EQ(port(1, "mismatches"), port(2, "packets"));
}

TEST_F(CliRunTest, ParityErrorsAreCountedForTheCheckingEnd) {
    // Port 1 checks even parity; port 2 sends none, so port 1 reads its stop bit as parity
    // and flags every character whose parity bit should have been 0. Port 2 takes port 1's
    // parity bit for its stop bit and gets the data intact.
    writeProfile("[Version 1.0]\nm_PortRegistry[0].nParity=1\n");
    const CliResult result = run({"--ports", "1,2", "--packets", "10", "--pair", "1:2", "--sim-pair", "1:2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(port(1, "framing"), "8E1");
    EXPECT_NE(port(1, "mismatches"), "0");
    EXPECT_EQ(port(1, "line_errors"), "{'frame': 0, 'parity': " + port(1, "mismatches") + ", 'overrun': 0, 'break': 0}");
    EXPECT_EQ(port(2, "verdict"), "pass");
    EXPECT_EQ(port(2, "line_errors"), "{'frame': 0, 'parity': 0, 'overrun': 0, 'break': 0}");
}

TEST_F(CliRunTest, PairPassesOnAWiredPair) {
    const CliResult result = run({"--ports", "3-6", "--packets", "100", "--pair", "3:6", "--pair", "4:5",
                                  "--sim-pair", "3:6", "--sim-pair", "4:5"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(port(3, "return_path"), "pair:6");
    EXPECT_EQ(port(5, "return_path"), "pair:4");
    for (int number : {3, 4, 5, 6}) EXPECT_EQ(port(number, "verdict"), "pass");
}

TEST_F(CliRunTest, AnInjectedStallFailsWithTheWriteMessage) {
    const CliResult result = run({"--ports", "1,2", "--seconds", "1", "--sim-fault", "1:stall@0.2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(port(1, "verdict"), "fail");
    EXPECT_EQ(port(1, "messages"), "['Write Error: Write Timeout']");
    EXPECT_NE(result.err.find("Write Error: Write Timeout"), std::string::npos);
    EXPECT_EQ(port(2, "verdict"), "pass");
    EXPECT_EQ(port(2, "messages"), "[]");
}

TEST_F(CliRunTest, AHangUpFailsThatPortAndTheOthersGoOn) {
    const CliResult result = run({"--ports", "1-3", "--seconds", "1", "--sim-fault", "2:hang-up@0.2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(port(2, "verdict"), "fail");
    EXPECT_EQ(port(2, "messages"), "['Error: Port2 (COM5) is no longer available; its test has stopped']");
    for (int number : {1, 3}) {
        EXPECT_EQ(port(number, "verdict"), "pass");
        // They sent for the whole second, port 2 for a fifth of it.
        EXPECT_GT(std::stol(port(number, "bytes_sent")), 3 * std::stol(port(2, "bytes_sent")));
    }
}

TEST_F(CliRunTest, TheJsonReportHoldsEveryField) {
    const CliResult result = run({"--ports", "4", "--packets", "5", "--pattern", "sentence", "--plug", "4",
                                  "--sim-plug", "4"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(json("sorted(d.keys())"),
              "['backend', 'interrupted', 'messages', 'ports', 'seconds', 'started', 'tool', 'verdict', 'version']");
    EXPECT_EQ(json("sorted(d['ports'][0].keys())"),
              "['baud', 'bytes_received', 'bytes_sent', 'com', 'device', 'extra', 'first_mismatch_offset', "
              "'framing', 'line_errors', 'line_use', 'messages', 'mismatches', 'missing', 'packets', 'pattern', "
              "'port', 'reason', 'return_path', 'verdict']");
    EXPECT_EQ(json("sorted(d['ports'][0]['line_errors'].keys())"), "['break', 'frame', 'overrun', 'parity']");
    EXPECT_EQ(json("(d['tool'], d['backend'], d['interrupted'])"), "('brenmoor-cli', 'simulated card', False)");
    EXPECT_EQ(json("__import__('re').fullmatch(r'\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ', d['started']) is not None"),
              "True");
    EXPECT_EQ(json("tuple(d['ports'][0][k] for k in ('port', 'com', 'device', 'baud', 'framing', 'pattern', "
                   "'return_path', 'first_mismatch_offset', 'reason'))"),
              "(4, 'COM7', 'simulated card', 115200, '8N1', 'sentence', 'plug', None, '')");
    EXPECT_EQ(json("0 < d['ports'][0]['line_use'] <= 1.05 and d['seconds'] > 0"), "True");
}

TEST_F(CliRunTest, TheJunitFileParsesWithAFailurePerFailedPort) {
    const CliResult result = run({"--ports", "1,2", "--packets", "10", "--plug", "2"});
    ASSERT_EQ(result.exitCode, 1) << result.err;
    const std::string script =
        "import sys, xml.etree.ElementTree as E\n"
        "s = E.parse(sys.argv[1]).getroot()\n"
        "print(s.tag, s.get('tests'), s.get('failures'), "
        "[(c.get('name'), [f.get('message') for f in c.findall('failure')]) for c in s.findall('testcase')])\n";
    EXPECT_EQ(pythonOutput(script, dir.file("r.xml")),
              "testsuite 2 1 [('Port1 COM4', []), ('Port2 COM5', ['" + port(2, "reason") + "'])]\n");
}

struct ExitCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string errorText;  // what standard error says about it; empty: it says nothing

    friend void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }
};

class CliExitCodeTest : public CliRunTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(CliExitCodeTest, TellsTheOutcome) {
    const CliResult result = run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
    if (GetParam().errorText.empty()) EXPECT_EQ(result.err, "");
    else EXPECT_NE(result.err.find(GetParam().errorText), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CliExitCodeTest,
    ::testing::Values(
        ExitCase{"AllPassed", {"--ports", "1", "--packets", "5"}, 0, ""},
        ExitCase{"OneFailed", {"--ports", "1,2", "--packets", "5", "--plug", "1"}, 1, ""},
        ExitCase{"BadOption", {"--colour"}, 2, "unknown option --colour"},
        ExitCase{"RateNotInList", {"--baud", "250000"}, 2, "--baud: \"250000\" is not a rate of the list"},
        ExitCase{"BadDeviceValue", {"--device", "COM4"}, 2, "--device COM4"},
        ExitCase{"PairPortNotTested", {"--ports", "1", "--pair", "1:2"}, 2, "both ports must be tested"},
        ExitCase{"UnreadablePatternFile", {"--pattern", "file:/nonexistent/pattern"}, 2, "unable to read"},
        // Read as a file it would never end.
        ExitCase{"PatternFileIsADevice", {"--pattern", "file:/dev/zero"}, 2, "unable to read the file /dev/zero"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliRunTest, NoPortOpenedIsASetUpErrorThatSaysWhy) {
    // Every COM number goes to a device, and this one is not there.
    const CliResult result = runCli({"--profile", profile().string(), "--ports", "1", "--device",
                                     "COM4=/nonexistent/brenmoor-tty", "--json", "r.json"},
                                    dir.path());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Unable to open the communication port COM4"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("no port could be opened"), std::string::npos) << result.err;
}

TEST_F(CliRunTest, APseudoTerminalWithAnEchoingFarEndPassesOnThePosixPath) {
    PtyPair pty;
    std::atomic<bool> echoing{true};
    std::thread echo([&] {
        std::uint8_t buffer[512];
        pollfd master{pty.masterFd(), POLLIN, 0};
        while (echoing.load()) {
            if (::poll(&master, 1, 20) <= 0) continue;
            const ssize_t got = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (got > 0) pty.send({buffer, buffer + got});
        }
    });
    // A pseudo-terminal has no internal loopback: its far end is the plug.
    const CliResult result = runCli({"--profile", profile().string(), "--device", "COM4=" + pty.slavePath(),
                                     "--ports", "1", "--plug", "1", "--packets", "20", "--baud", "115200", "--delay", "0", "--json",
                                     "r.json"},
                                    dir.path());
    echoing = false;
    echo.join();
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(json("d['backend']"), "devices");
    EXPECT_EQ(port(1, "device"), pty.slavePath());
    EXPECT_EQ(port(1, "bytes_received"), port(1, "bytes_sent"));
}

TEST_F(CliRunTest, SigintOrSigtermMidRunStopsTheSessionAndStillWritesTheReport) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(dir.file("r.json"));
        std::filesystem::remove(dir.file("r.xml"));
        const CliResult result = run({"--ports", "1,2", "--seconds", "60"}, signal, std::chrono::milliseconds(500));
        ASSERT_EQ(result.exitCode, 3) << result.err;
        EXPECT_LT(result.took, std::chrono::seconds(10));
        EXPECT_EQ(json("d['interrupted']"), "True");
        EXPECT_EQ(pythonOutput("import sys, xml.dom.minidom as m; print(m.parse(sys.argv[1]).documentElement.tagName)",
                               dir.file("r.xml")),
                  "testsuite\n");
        // What was sent up to the stop came back: the stop was the normal one.
        EXPECT_EQ(port(1, "verdict"), "pass");
        EXPECT_NE(port(1, "bytes_sent"), "0");
        EXPECT_NE(result.out.find("Interrupted after"), std::string::npos);
    }
}

}  // namespace
}  // namespace brenmoor::test
