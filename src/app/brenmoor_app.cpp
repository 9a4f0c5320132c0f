#include "app/brenmoor_app.h"

#include <QApplication>
#include <QDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QThread>
#include <cstdio>

#include "app/about_dialog.h"
#include "app/document_window.h"
#include "app/main_frame.h"
#include "app/serial_setup.h"
#include "app/shutdown_signals.h"
#include "app/thread_done_notices.h"
#include "config/config_file.h"
#include "config/registry_persistence.h"
#include "config/sheet/port_settings_command.h"
#include "console/serial_test_dialog.h"
#include "console/test_console_window.h"
#include "console/write_delay_dialog.h"
#include "engine/test_session.h"
#include "res/app_strings.h"
#include "res/command_ids.h"
#include "res/command_table.h"

namespace brenmoor::app {
namespace {

// How often a close that waits tries again.
constexpr int kCloseRetryMs = 10;

platform::MessageBoxRequest errorMessage(std::string text, platform::MessageOwner owner) {
    return {std::move(text), res::kErrorCaption, platform::MessageIcon::Warning, owner};
}

}  // namespace

CBrenmoorApp::CBrenmoorApp(QStringList arguments)
    : m_arguments(std::move(arguments)),
      m_tables(std::make_unique<config::SettingsTables>()),
      m_fileChooser(std::make_unique<QtFileChooser>()),
      m_helpDirectories(helpDocumentDirectories()) {
    identifyApplication();
    m_closeRetry.setSingleShot(true);
    m_closeRetry.setInterval(kCloseRetryMs);
    connect(&m_closeRetry, &QTimer::timeout, this, &CBrenmoorApp::closeMainWindow);
}

// The console goes before the session whose engine state it works with.
CBrenmoorApp::~CBrenmoorApp() {
    if (m_console) m_console->closeConsole();
    m_session.reset();
}

bool CBrenmoorApp::InitInstance() {
    const CommandLineResult parsed = parseCommandLine(m_arguments);
    if (!parsed.error.empty()) {
        reportStartFailure(parsed.error);
        return false;
    }
    m_options = parsed.options;

    // The profile takes the registry's place; the framework's own values come first.
    m_profile = std::make_unique<platform::ProfileStore>(platform::profileLocation(m_options.profile));
    m_recentFiles.read(*m_profile);
    m_previewPages = config::readPreviewPages(*m_profile);

    m_pMainWnd = std::make_unique<CMainFrame>(*this);
    m_qtMessages.setMainWindow(m_pMainWnd.get());
    m_notices = std::make_unique<ThreadDoneNotices>(*m_pMainWnd);
    m_signals = std::make_unique<ShutdownSignals>();
    connect(m_signals.get(), &ShutdownSignals::received, this, &CBrenmoorApp::closeMainWindow);

    // The command line: the serial back end, then the one document window.
    if (!chooseSerialBackend()) return false;
    if (m_options.documentFile) {
        const std::filesystem::path file(*m_options.documentFile);
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) {
            reportStartFailure("Unable to open the file " + file.string());
            return false;
        }
        openDocument(file);
    } else {
        newDocument();
    }

    // Without a window manager nothing maximises a window: it is given the screen then.
    if (const QScreen* screen = m_pMainWnd->screen()) m_pMainWnd->setGeometry(screen->availableGeometry());
    m_pMainWnd->showMaximized();
    m_pMainWnd->repaint();

    if (CChildFrame* document = m_pMainWnd->documentWindow()) {
        document->document()->SetTitle(QString::fromLatin1(res::kDocumentTitle));
    }

    config::ReadPortSettings(*m_tables, *m_profile);
    m_settingsRead = true;
    applySimulatedCardOptions();
    refreshBackendNote();
    m_pMainWnd->refreshCommands();
    return true;
}

bool CBrenmoorApp::chooseSerialBackend() {
    platform::SerialSetup setup = makeSerialBackend(m_options, *m_profile);
    if (!setup.error.empty()) {
        reportStartFailure(setup.error);
        return false;
    }
    for (const std::string& warning : setup.warnings) {
        m_messages->showMessage(errorMessage(warning, platform::MessageOwner::MainWindow));
    }
    m_backend = std::move(setup.backend);
    m_console = std::make_unique<console::TestConsoleWindow>(m_sendFiles);
    m_session = std::make_unique<engine::TestSession>(*m_tables, m_flags, *m_backend, *m_messages, *m_notices,
                                                      *m_console);
    m_console->attach(m_session->engine());
    return true;
}

// The ports reach the card at the COM numbers the settings give them when the tool starts.
void CBrenmoorApp::applySimulatedCardOptions() {
    const platform::SimulatedCardOptions& options = m_options.simulated;
    const auto comOf = [this](int port) { return static_cast<int>(config::comNumber(m_tables->m_PortRegistry[port - 1])); };
    platform::SimulatedCard& card = m_backend->simulatedCard();
    platform::wireSimulatedCard(card, options, comOf);
    for (const platform::SimulatedFault& fault : options.faults) {
        const int com = comOf(fault.port);
        QTimer::singleShot(fault.after, this, [&card, fault, com] { platform::injectSimulatedFault(card, fault.kind, com); });
    }
}

void CBrenmoorApp::reportStartFailure(const std::string& text) {
    std::fprintf(stderr, "brenmoor: %s\n", text.c_str());
    m_messages->showMessage(errorMessage(text, platform::MessageOwner::None));
}

int CBrenmoorApp::ExitInstance() {
    if (!m_shutDown && m_settingsRead && m_profile) {
        m_shutDown = true;
        config::WritePortSettings(*m_tables, *m_profile);
        m_recentFiles.write(*m_profile);
        config::writePreviewPages(*m_profile, m_previewPages);
        // Losing every setting silently is worse than a box at exit.
        if (!m_profile->save()) {
            const std::string text = "Unable to save the settings to " + m_profile->path().string();
            std::fprintf(stderr, "brenmoor: %s\n", text.c_str());
            m_messages->showMessage(errorMessage(text, platform::MessageOwner::None));
        }
    }
    return 0;
}

int CBrenmoorApp::Run() {
    if (!InitInstance()) return 1;
    // A signal may have closed the window while a box of the start-up was up.
    if (!m_closed) {
        m_mainLoopLevel = QThread::currentThread()->loopLevel() + 1;
        QApplication::exec();
    }
    return ExitInstance();
}

bool CBrenmoorApp::OnCloseRequest() {
    // A box or dialog still up would hold the end, or be freed under the code that opened
    // it: each is cancelled as its Cancel button would (a cancelled sheet puts back the COM
    // numbers it changed, before the settings are written).
    cancelModalWindows();
    const bool nested = QThread::currentThread()->loopLevel() > m_mainLoopLevel;
    const bool running = m_session && m_session->inProgress();
    if (nested || running) {
        // Closing frees the console and what the session used: it waits until the cancelled
        // windows' loops have returned to the code that opened them, and until the session
        // has finished, so no thread outlives the tool. Boxes raised meanwhile are cancelled
        // at the next try.
        if (running && !nested && !m_stopRequested) {
            m_stopRequested = true;
            m_session->StopThen([this] { QTimer::singleShot(0, this, &CBrenmoorApp::closeMainWindow); });
        }
        m_closeRetry.start();
        return false;
    }
    m_closeRetry.stop();
    ExitInstance();
    if (m_console) m_console->closeConsole();
    m_closed = true;
    QCoreApplication::exit(0);
    return true;
}

void CBrenmoorApp::cancelModalWindows() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) break;
    }
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal) break;
    }
}

void CBrenmoorApp::closeMainWindow() {
    if (m_pMainWnd) m_pMainWnd->close();
}

void CBrenmoorApp::OnCommand(int id) {
    if (!res::isCommandEnabled(id, m_flags)) return;
    switch (id) {
    case res::kCmdPortSettings:
        config::sheet::runPortSettingsCommand(m_pMainWnd.get(), *m_tables, *m_messages);
        refreshBackendNote();
        break;
    case res::kCmdTestStart: OnTestStart(); break;
    case res::kCmdTestStop: OnTestStop(); break;
    case res::kCmdConfigLoad:
        if (const auto path = m_fileChooser->choose(FileDialogKind::ConfigLoad, m_pMainWnd.get())) {
            config::ConfigFile::Load(*path, m_tables->m_PortRegistry, *m_messages);
            refreshBackendNote();
        }
        break;
    case res::kCmdConfigSave:
        if (const auto path = m_fileChooser->choose(FileDialogKind::ConfigSave, m_pMainWnd.get())) {
            config::ConfigFile::Save(*path, m_tables->m_PortRegistry, *m_messages);
        }
        break;
    case res::kCmdAbout: showAbout(); break;
    case res::kCmdWriteDelay: console::runWriteDelayCommand(m_tables->m_strWriteDelay, *m_messages); break;
    case res::kCmdExit: closeMainWindow(); break;
    case res::kCmdHelpDocument:
    case res::kCmdHelp: runHelpDocumentCommand(m_helpDirectories, m_openDocument, *m_messages); break;
    case res::kCmdFileNew: newDocument(); break;
    case res::kCmdFileOpen:
        if (const auto path = m_fileChooser->choose(FileDialogKind::OpenDocument, m_pMainWnd.get())) {
            openDocument(*path);
        }
        break;
    case res::kCmdPrintSetup: showPrintSetup(); break;
    default:
        if (id >= res::kCmdRecentFile1 && id < res::kCmdRecentFile1 + res::kRecentFileCount) {
            openRecentFile(id - res::kCmdRecentFile1);
        }
        break;
    }
}

void CBrenmoorApp::OnTestStart() {
    m_session->Start();
    refreshBackendNote();
}

void CBrenmoorApp::OnTestStop() { m_session->Stop(); }

void CBrenmoorApp::FinishSession() { m_session->FinishSession(); }

int CBrenmoorApp::sessionOpenPortCount() const { return m_session->threadCount() - 1; }

platform::MainWindowNotices& CBrenmoorApp::notices() { return *m_notices; }

std::vector<QString> CBrenmoorApp::recentFiles() const {
    std::vector<QString> files;
    for (const std::string& entry : m_recentFiles.entries()) files.push_back(QString::fromStdString(entry));
    return files;
}

void CBrenmoorApp::refreshBackendNote() {
    const BackendNote note = describeBackend(*m_backend, *m_tables);
    m_pMainWnd->setBackendNote(note.text, note.details);
}

// There is one document window at most; New and Open are offered only while none is open.
void CBrenmoorApp::newDocument() {
    if (m_pMainWnd->documentWindow() != nullptr) return;
    ++m_documentCount;
    m_pMainWnd->newDocumentWindow(QString::fromLatin1(res::kDocumentName) + QString::number(m_documentCount));
}

// A document holds nothing, so opening a file gives an empty document named after it.
void CBrenmoorApp::openDocument(const std::filesystem::path& path) {
    if (m_pMainWnd->documentWindow() != nullptr) return;
    m_pMainWnd->newDocumentWindow(QString::fromStdString(path.filename().string()));
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    m_recentFiles.add((error ? path : absolute).string());
}

void CBrenmoorApp::openRecentFile(int index) {
    const auto& entries = m_recentFiles.entries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const std::filesystem::path path(entries[static_cast<std::size_t>(index)]);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) {
        openDocument(path);
        return;
    }
    // A file that has gone leaves the list.
    config::RecentFileList remaining;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (*it != path.string()) remaining.add(*it);
    }
    m_recentFiles = remaining;
    m_messages->showMessage(errorMessage("Unable to open the file " + path.string(), platform::MessageOwner::MainWindow));
}

void CBrenmoorApp::showAbout() {
    CAboutDlg about(m_pMainWnd.get());
    about.exec();
}

void CBrenmoorApp::showPrintSetup() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    QPageSetupDialog dialog(m_printer.get(), m_pMainWnd.get());
    dialog.exec();
}

}  // namespace brenmoor::app
