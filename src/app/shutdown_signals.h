#pragma once
// SIGTERM and SIGINT end the tool the way closing its window does. The handler only writes
// the signal's number into a socket; the window thread reads it and acts, so no work is
// done inside the handler.

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace brenmoor::app {

class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one instance at a time. The previous handlers come back
    // when it is destroyed.
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previousTerm_{};
    struct sigaction previousInt_{};
};

}  // namespace brenmoor::app
