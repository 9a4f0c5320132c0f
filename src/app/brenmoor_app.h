#pragma once
// The one application object: owns the settings tables, the command flags, the profile,
// the serial back end, the test session and the main window; starts the tool, routes the
// commands and writes the settings back when the tool ends.

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/command_line.h"
#include "app/file_dialogs.h"
#include "app/frame_owner.h"
#include "app/help_document.h"
#include "app/qt_message_sink.h"
#include "config/framework_settings.h"
#include "config/port_settings.h"
#include "console/send_file_chooser.h"
#include "config/command_flags.h"
#include "platform/com_port_backend.h"
#include "platform/profile_store.h"
#include "platform/window_notice.h"

class QPrinter;

namespace brenmoor::console {
class TestConsoleWindow;
}
namespace brenmoor::engine {
class TestSession;
}

namespace brenmoor::app {

class CMainFrame;
class ShutdownSignals;
class ThreadDoneNotices;

class CBrenmoorApp : public QObject, public FrameOwner {
    Q_OBJECT
public:
    // `arguments` is the command line, the program name first. A QApplication must exist.
    explicit CBrenmoorApp(QStringList arguments);
    ~CBrenmoorApp() override;

    // Start-up; false when the tool cannot start (it then ends, writing nothing).
    bool InitInstance();
    // Shutdown: writes every setting back (once, and only when start-up read them) and
    // returns the exit code.
    int ExitInstance();
    // Start-up, the event loop, shutdown; the process's exit code.
    int Run();

    // FrameOwner
    const config::CommandFlags& commandFlags() const override { return m_flags; }
    void OnCommand(int id) override;
    std::vector<QString> recentFiles() const override;
    int sessionOpenPortCount() const override;
    void FinishSession() override;
    bool OnCloseRequest() override;

    // Test Start and Test Stop.
    void OnTestStart();
    void OnTestStop();

    config::SettingsTables& tables() { return *m_tables; }
    config::CommandFlags& flags() { return m_flags; }
    // These exist once start-up has got past the command line.
    CMainFrame* mainFrame() const { return m_pMainWnd.get(); }
    engine::TestSession& session() { return *m_session; }
    platform::ComPortBackend& backend() { return *m_backend; }
    platform::MainWindowNotices& notices();

    const config::RecentFileList& recentFileList() const { return m_recentFiles; }
    bool settingsRead() const { return m_settingsRead; }

    // Replacements for what would otherwise reach the operator or the desktop; set them
    // before start-up.
    void setMessageSink(platform::MessageSink& sink) { m_messages = &sink; }
    void setFileChooser(std::unique_ptr<FileChooser> chooser) { m_fileChooser = std::move(chooser); }
    void setDocumentOpener(DocumentOpener open) { m_openDocument = std::move(open); }
    void setHelpDocumentDirectories(std::vector<std::filesystem::path> directories) {
        m_helpDirectories = std::move(directories);
    }

private:
    void reportStartFailure(const std::string& text);
    bool chooseSerialBackend();
    void applySimulatedCardOptions();
    void newDocument();
    void openDocument(const std::filesystem::path& path);
    void openRecentFile(int index);
    void showAbout();
    void showPrintSetup();
    void closeMainWindow();
    void cancelModalWindows();
    void refreshBackendNote();

    QStringList m_arguments;
    CommandLine m_options;
    std::unique_ptr<config::SettingsTables> m_tables;
    config::CommandFlags m_flags;
    std::unique_ptr<platform::ProfileStore> m_profile;
    config::RecentFileList m_recentFiles;
    std::int32_t m_previewPages = config::kDefaultPreviewPages;

    QtMessageSink m_qtMessages;
    platform::MessageSink* m_messages = &m_qtMessages;
    std::unique_ptr<FileChooser> m_fileChooser;
    console::SendFileDialog m_sendFiles;
    DocumentOpener m_openDocument = openWithDesktop;
    std::vector<std::filesystem::path> m_helpDirectories;
    std::unique_ptr<QPrinter> m_printer;

    // Destroyed in reverse order: the session before the console, the notices and the
    // window it reports to, and before the back end whose ports it holds.
    std::unique_ptr<platform::ComPortBackend> m_backend;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    std::unique_ptr<ThreadDoneNotices> m_notices;
    std::unique_ptr<console::TestConsoleWindow> m_console;
    std::unique_ptr<engine::TestSession> m_session;
    std::unique_ptr<ShutdownSignals> m_signals;

    // The event loop level at which the tool's commands run: Run's main loop, or none while
    // someone else processes the events. Deeper means a box or dialog is running its own loop
    // under the code that opened it.
    int m_mainLoopLevel = 0;
    // Tries the close again while it waits for nested loops to return or a session to end.
    QTimer m_closeRetry;
    bool m_stopRequested = false;

    int m_documentCount = 0;
    bool m_settingsRead = false;
    bool m_shutDown = false;
    bool m_closed = false;
};

}  // namespace brenmoor::app
