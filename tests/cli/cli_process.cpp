#include "cli_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <thread>

#include "support/file_contents.h"

namespace brenmoor::test {
namespace {

constexpr std::chrono::seconds kLimit{60};

std::string capture(const std::vector<std::string>& command, int& exitCode) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        std::vector<char*> argv;
        for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, got);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

}  // namespace

CliResult runCli(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                 std::optional<int> signal, std::chrono::milliseconds signalAfter) {
    const std::filesystem::path outFile = directory / "cli.out";
    const std::filesystem::path errFile = directory / "cli.err";
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (::chdir(directory.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(BRENMOOR_CLI_PATH)};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    CliResult result;
    bool signalled = !signal;
    int status = 0;
    while (true) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        const auto now = std::chrono::steady_clock::now();
        if (ended == child) break;
        if (!signalled && now - started >= signalAfter) {
            ::kill(child, *signal);
            signalled = true;
        }
        if (now - started > kLimit) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    result.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outFile);
    result.err = readFile(errFile);
    return result;
}

std::string jsonQuery(const std::filesystem::path& file, const std::string& expression) {
    const std::string script = "import json, sys\n"
                               "try:\n    d = json.load(open(sys.argv[1]))\n"
                               "except Exception as e:\n    print('JSON ERROR', e); sys.exit(0)\n"
                               "print(" + expression + ", end='')\n";
    return pythonOutput(script, file);
}

std::string pythonOutput(const std::string& script, const std::filesystem::path& file) {
    int exitCode = 0;
    return capture({"python3", "-c", script, file.string()}, exitCode);
}

}  // namespace brenmoor::test
