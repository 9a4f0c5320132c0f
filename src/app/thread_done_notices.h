#pragma once
// The worker threads' notices to the main window, queued to the window thread. Posting
// never waits, so a worker can report from anywhere, also while the window thread is busy.

#include <atomic>

#include "platform/window_notice.h"

namespace brenmoor::app {

class CMainFrame;

class ThreadDoneNotices final : public platform::MainWindowNotices {
public:
    explicit ThreadDoneNotices(CMainFrame& frame);

    void postThreadDone(int port) override;
    void updateWindow() override;

private:
    CMainFrame& frame_;
    // A repaint already queued covers every request made before it runs.
    std::atomic<bool> repaintQueued_{false};
};

}  // namespace brenmoor::app
