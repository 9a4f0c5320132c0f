#include "app/shutdown_signals.h"

#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace brenmoor::app {
namespace {

// [0] is written by the handler, [1] read on the window thread.
int g_signalSocket[2] = {-1, -1};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalSocket[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (g_signalSocket[0] != -1) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) != 0) {
        g_signalSocket[0] = g_signalSocket[1] = -1;
        return;
    }
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm_);
    ::sigaction(SIGINT, &action, &previousInt_);
    notifier_ = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::readSignal);
}

ShutdownSignals::~ShutdownSignals() {
    if (notifier_ == nullptr) return;
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    ::sigaction(SIGINT, &previousInt_, nullptr);
    delete notifier_;
    ::close(g_signalSocket[0]);
    ::close(g_signalSocket[1]);
    g_signalSocket[0] = g_signalSocket[1] = -1;
}

void ShutdownSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(g_signalSocket[1], &byte, 1) == 1) emit received(byte);
}

}  // namespace brenmoor::app
