#pragma once
// A test session on the simulated card with the real console window: the workers' end
// notices are queued to the window thread, which finishes the session at the last one, as
// the main window does.

#include <QObject>
#include <memory>

#include "config/port_settings.h"
#include "console/send_file_chooser.h"
#include "console/serial_test_dialog.h"
#include "console/test_console_window.h"
#include "config/command_flags.h"
#include "engine/test_session.h"
#include "platform/simulated_card.h"
#include "platform/window_notice.h"
#include "support/recording_message_sink.h"

namespace brenmoor::test {

class ScriptedFileChooser : public console::SendFileChooser {
public:
    std::optional<QString> chooseSendFile(QWidget*) override { return answer; }
    std::optional<QString> answer;
};

class QueuedNotices : public QObject, public platform::MainWindowNotices {
public:
    void postThreadDone(int port) override;
    void updateWindow() override {}

    engine::TestSession* session = nullptr;
    int finishCount = 0;

private:
    int ended_ = 0;
};

// The settings start from the defaults of an empty profile.
class ConsoleSession {
public:
    ConsoleSession();
    // Finishes a session still running, then destroys the console before the engine.
    ~ConsoleSession();

    // Marks the port for testing (COM 4 + port) at 921600 bit/s.
    void markPort(int port);
    // Stop, then wait until the session has finished; false when it did not.
    bool stopAndFinish();

    console::CSerialTestDlg* dialog() const { return window.dialog(); }
    engine::EngineState& engine() { return session.engine(); }

    std::unique_ptr<config::SettingsTables> tables;
    platform::SimulatedCard card;
    RecordingMessageSink messages;
    ScriptedFileChooser files;
    config::CommandFlags flags;
    QueuedNotices notices;
    console::TestConsoleWindow window{files};
    engine::TestSession session;
};

}  // namespace brenmoor::test
