// Stands in for the emulator under line_pacer in line_pacer_test: finds the lines in the
// "-chardev socket,id=ID,fd=N" arguments the pacer adds, and plays the guest's part.
//
//   line_pacer_probe cross   "ping" out on a, back in on b; "pong" out on b, in on a;
//                            96 bytes out and back on the plug c, timed; then a mark
//   line_pacer_probe pull    96 bytes out on the plug c, which is pulled part-way: says
//                            how many came back before nothing more did
//   line_pacer_probe hang    never ends

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>

namespace {

std::map<std::string, int> lines(int argc, char** argv) {
    std::map<std::string, int> found;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-chardev") != 0) continue;
        const std::string chardev = argv[i + 1];
        const auto id = chardev.find("id=");
        const auto fd = chardev.find(",fd=");
        if (id == std::string::npos || fd == std::string::npos) continue;
        found[chardev.substr(id + 3, fd - id - 3)] = std::stoi(chardev.substr(fd + 4));
    }
    return found;
}

std::string receive(int fd, std::size_t count) {
    std::string got;
    while (got.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

bool send(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = write(fd, text.data() + sent, text.size() - sent);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "hang") == 0) {
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    std::map<std::string, int> fds = lines(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "pull") == 0) {
        if (fds.count("c") == 0) {
            std::printf("probe: no line c\n");
            return 1;
        }
        // An unpaced plug takes the 96 bytes in one read and returns what passes in one
        // write, so anything returned beyond the pull would be waiting already.
        send(fds["c"], std::string(96, 'x'));
        std::string back = receive(fds["c"], 40);
        fcntl(fds["c"], F_SETFL, fcntl(fds["c"], F_GETFL) | O_NONBLOCK);
        char extra[96];
        const ssize_t more = read(fds["c"], extra, sizeof extra);
        if (more > 0) back.append(extra, static_cast<std::size_t>(more));
        std::printf("probe: pulled plug returned %zu bytes\n", back.size());
        return 0;
    }
    if (fds.count("a") == 0 || fds.count("b") == 0 || fds.count("c") == 0) {
        std::printf("probe: no lines a, b and c\n");
        return 1;
    }
    send(fds["a"], "ping");
    const std::string ping = receive(fds["b"], 4);
    send(fds["b"], "pong");
    const std::string pong = receive(fds["a"], 4);
    std::printf("probe: b got %s, a got %s\n", ping.c_str(), pong.c_str());

    const std::string block(96, 'x');
    const auto started = std::chrono::steady_clock::now();
    send(fds["c"], block);
    const std::string back = receive(fds["c"], block.size());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("probe: plug returned %zu bytes in %.3f s\n", back == block ? back.size() : 0, seconds);
    std::printf("brenmoor-vm: mark probe\n");
    std::fflush(stdout);
    return 7;
}
