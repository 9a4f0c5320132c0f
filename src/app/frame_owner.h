#pragma once
// What the main window asks of the application: the command flags, the commands, the
// session's end and whether it may close.

#include <QString>
#include <vector>

#include "config/command_flags.h"

namespace brenmoor::app {

class FrameOwner {
public:
    virtual ~FrameOwner() = default;

    virtual const config::CommandFlags& commandFlags() const = 0;
    virtual void OnCommand(int id) = 0;
    // The recent-file list, most recent first.
    virtual std::vector<QString> recentFiles() const = 0;

    // The number of ports the current test session opened.
    virtual int sessionOpenPortCount() const = 0;
    // Runs once every worker thread of the session has reported its end.
    virtual void FinishSession() = 0;

    // The main window is asked to close: true lets it close now, false keeps it open (the
    // owner closes it itself later).
    virtual bool OnCloseRequest() = 0;
};

}  // namespace brenmoor::app
