#pragma once
// Runs brenmoor-cli as a rack would: its own process, its exit code, what it printed, the
// files it wrote; and reads its JSON report through python3's json module.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brenmoor::test {

struct CliResult {
    int exitCode = -1;  // -1 when it did not end by itself
    std::string out;
    std::string err;
    std::chrono::milliseconds took{0};
};

// Runs the executable with `arguments` in `directory`; with `signal`, sends it after
// `signalAfter`. A run that outlives its limit is killed and reported with exit code -1.
CliResult runCli(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                 std::optional<int> signal = std::nullopt,
                 std::chrono::milliseconds signalAfter = std::chrono::milliseconds(0));

// Evaluates a Python expression over the parsed JSON file `d` and returns what it prints;
// "JSON ERROR ..." when the file does not parse.
std::string jsonQuery(const std::filesystem::path& file, const std::string& expression);

// Runs a Python script with `file` as its argument and returns what it printed.
std::string pythonOutput(const std::string& script, const std::filesystem::path& file);

}  // namespace brenmoor::test
