#pragma once
// Notices from worker threads to the main window, queued to the window thread: the
// end-of-thread report and the request to repaint. Posting never waits.

namespace brenmoor::platform {

class MainWindowNotices {
public:
    virtual ~MainWindowNotices() = default;
    // One worker thread of a test session has ended; `port` is its port index, or 0 for
    // the transmit thread (the receiver does not look at it).
    virtual void postThreadDone(int port) = 0;
    // Asks the main window to repaint what is pending.
    virtual void updateWindow() = 0;
};

}  // namespace brenmoor::platform
