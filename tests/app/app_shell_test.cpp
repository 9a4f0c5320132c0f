// Start-up, shutdown and the commands the application object carries out.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <fstream>

#include "app/document_window.h"
#include "app/help_document.h"
#include "app/main_frame.h"
#include "app_test_support.h"
#include "config/registry_persistence.h"
#include "config/sheet/port_sheet.h"
#include "console/data_pattern_dialog.h"
#include "console/serial_test_dialog.h"
#include "engine/test_session.h"
#include "platform/driver_requests.h"
#include "platform/profile_store.h"
#include "res/command_ids.h"
#include "res/dialog_controls.h"
#include "res/port_page_template.h"
#include "res/test_dialog_template.h"
#include "support/file_contents.h"

using namespace brenmoor;

namespace {

const char* const kFields[] = {
    "nPortOpen", "nBaud",       "nDataBits", "nParity",   "nStopBits",   "nFlowCtrl", "nComBase",
    "nRS485",    "nIR",         "nDTR",      "nDTRHys",   "nRTS",        "nRTSHys",   "nTxFIFO",
    "nTxTrig",   "nRxFIFO",     "nRxTrig",   "nQuickBrown", "nAlpha",    "nFile",     "nUserData",
    "nTestForever", "nStopTime", "nStopError", "nLoopTest", "nDisONOFF", "strHrTime", "strMinTime"};

// Every one of the 224 values is in the profile.
void verifyAllValuesStored(const std::filesystem::path& profile) {
    QVERIFY(std::filesystem::exists(profile));
    platform::ProfileStore store(profile);
    const auto names = store.names(config::kPortSettingsSection);
    QCOMPARE(names.size(), std::size_t{224});
    for (int port = 0; port < 8; ++port) {
        for (const char* field : kFields) {
            const std::string name = config::portValueName(port, field);
            QVERIFY2(std::find(names.begin(), names.end(), name) != names.end(), name.c_str());
        }
    }
}

}  // namespace

class AppShellTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithEmptyProfile();
    void exitWritesEveryValueAndFrameworkSettings();
    void startFailureWritesNothing_data();
    void startFailureWritesNothing();
    void unwritableProfileReportedAtExit();
    void devicesFromProfileAndCommandLine();
    void simulatedCardWiredAndFaultedFromTheCommandLine();
    void terminationSignalClosesLikeTheWindow_data();
    void terminationSignalClosesLikeTheWindow();
    void signalWhileANestedWindowIsUp_data();
    void signalWhileANestedWindowIsUp();
    void testStartAndStopFromTheMenu();
    void closeDuringSessionWaitsForFinish();
    void configSaveThenLoadThroughTheDialog();
    void configCancelAndBlockedLoadDoNothing();
    void configLoadFailureReportedToMainWindow();
    void helpDocumentMissingIsReported();
    void helpDocumentFoundIsOpened();
    void helpDocumentFoundWhenInstalled();
    void documentFileOnCommandLine();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
};

void AppShellTest::firstStartWithEmptyProfile() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QVERIFY(frame.isVisible());
    QVERIFY(frame.windowState() & Qt::WindowMaximized);
    QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(frame.documentWindow()->document()->title(), QStringLiteral("Tolvane UART PCI Card Test Application"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane UART PCI Card Test Application - Quillet"));
    QCOMPARE(frame.currentMenu(), 129);

    const config::SettingsTables& tables = run.app().tables();
    QCOMPARE(tables.m_PortRegistry[0].nPortOpen, 1);
    for (int port = 1; port < 8; ++port) QCOMPARE(tables.m_PortRegistry[port].nPortOpen, 0);
    QCOMPARE(tables.m_PortRegistry[0].nComBase, 3);
    QCOMPARE(tables.m_strWriteDelay.text(), std::string("10"));

    QVERIFY(run.app().commandFlags().isIdle());
    QVERIFY(test::menuAction(frame, res::kCmdTestStart)->isEnabled());
    QVERIFY(test::menuAction(frame, res::kCmdExit)->isEnabled());
    QVERIFY(test::menuAction(frame, res::kCmdPortSettings)->isEnabled());
    QVERIFY(test::menuAction(frame, res::kCmdConfigLoad)->isEnabled());
    QVERIFY(!test::menuAction(frame, res::kCmdTestStop)->isEnabled());

    QVERIFY(run.messages().messages().empty());
    // Nothing is written before shutdown.
    QVERIFY(!std::filesystem::exists(run.profilePath()));
}

void AppShellTest::exitWritesEveryValueAndFrameworkSettings() {
    test::TempDir dir;
    const auto profile = dir.file("Brenmoor.ini");
    {
        // A profile holding one changed value and a stored file choice.
        std::ofstream(profile) << "[Version 1.0]\nm_PortRegistry[3].nBaud=9\nm_PortRegistry[5].nFile=1\n"
                                  "m_PortRegistry[5].nAlpha=0\n";
    }
    {
        app::CBrenmoorApp app({"brenmoor", "--profile", QString::fromStdString(profile.string())});
        test::RecordingMessageSink messages;
        app.setMessageSink(messages);
        QVERIFY(app.InitInstance());
        QVERIFY(test::menuAction(*app.mainFrame(), res::kCmdExit) != nullptr);
        test::menuAction(*app.mainFrame(), res::kCmdExit)->trigger();
        QVERIFY(!app.mainFrame()->isVisible());
        QVERIFY(messages.messages().empty());
    }
    verifyAllValuesStored(profile);
    platform::ProfileStore store(profile);
    const auto value = [&](int port, const char* field) {
        return store.readInt(config::kPortSettingsSection, config::portValueName(port, field), -999);
    };
    QCOMPARE(value(3, "nBaud"), 9);
    QCOMPARE(value(2, "nBaud"), 6);
    QCOMPARE(value(5, "nFile"), 0);
    QCOMPARE(value(5, "nAlpha"), 1);
    QCOMPARE(value(0, "nDisONOFF"), 1);
    QCOMPARE(value(7, "strMinTime"), 18);
    QVERIFY(store.readString("Settings", "PreviewPages").has_value());
}

void AppShellTest::startFailureWritesNothing_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--no-such-option"} << "Unknown option 'no-such-option'.";
    QTest::newRow("two documents") << QStringList{"a.txt", "b.txt"} << "Only one document can be opened: a.txt b.txt";
    QTest::newRow("missing document") << QStringList{"/nonexistent/doc.txt"}
                                      << "Unable to open the file /nonexistent/doc.txt";
    QTest::newRow("device without path") << QStringList{"--device", "COM4"}
                                         << "--device COM4: \"COM4\" is not of the form COMn=/path";
    QTest::newRow("device not a COM name") << QStringList{"--device", "TTY1=/dev/ttyS0"}
                                           << "--device TTY1=/dev/ttyS0: \"TTY1\" is not a COM port name (COM1 to COM255)";
    QTest::newRow("unknown simulated fault") << QStringList{"--simulated-card", "--sim-fault", "1:melt"}
                                             << "--sim-fault 1:melt: \"melt\" is not a fault (stall, read-error, "
                                                "hang-up or unplug)";
    QTest::newRow("simulated wiring without the card")
        << QStringList{"--sim-plug", "1"}
        << "--sim-plug, --sim-pair and --sim-fault need the simulated card (--simulated-card)";
}

void AppShellTest::startFailureWritesNothing() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    test::StartedApp run(arguments);
    QVERIFY(!run.started());
    QVERIFY(!run.app().settingsRead());
    QCOMPARE(run.messages().texts(), std::vector<std::string>{message.toStdString()});
    QCOMPARE(run.messages().messages().front().caption, std::string("Error"));
    run.app().ExitInstance();
    QVERIFY(!std::filesystem::exists(run.profilePath()));
}

void AppShellTest::unwritableProfileReportedAtExit() {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "not a directory";
    const auto profile = dir.file("plain") / "Brenmoor.ini";
    app::CBrenmoorApp app({"brenmoor", "--profile", QString::fromStdString(profile.string())});
    test::RecordingMessageSink messages;
    app.setMessageSink(messages);
    QVERIFY(app.InitInstance());
    app.mainFrame()->close();
    QCOMPARE(messages.texts(), std::vector<std::string>{"Unable to save the settings to " + profile.string()});
    QCOMPARE(messages.messages().front().caption, std::string("Error"));
}

void AppShellTest::devicesFromProfileAndCommandLine() {
    test::TempDir dir;
    const auto profile = dir.file("Brenmoor.ini");
    std::ofstream(profile) << "[Devices]\nCOM4=/dev/ttyUSB1\nCOM5=/dev/ttyUSB2\nCOM6=ttyUSB3\n"
                              "[Version 1.0]\nm_PortRegistry[1].nPortOpen=1\n";
    app::CBrenmoorApp app({"brenmoor", "--profile", QString::fromStdString(profile.string()), "--device",
                           "COM5=/dev/ttyACM0"});
    test::RecordingMessageSink messages;
    app.setMessageSink(messages);
    QVERIFY(app.InitInstance());
    // The command line wins over the profile; a bad profile entry is skipped with a message.
    QCOMPARE(app.mainFrame()->backendPane()->text(), QStringLiteral("COM4: /dev/ttyUSB1, COM5: /dev/ttyACM0"));
    QCOMPARE(messages.texts().size(), std::size_t{1});
    QVERIFY(messages.texts()[0].starts_with("The [Devices] entry COM6=ttyUSB3 in " + profile.string() + " is ignored: "));
    app.mainFrame()->close();

    // The simulated card switched on in the profile.
    std::ofstream(profile) << "[Devices]\nSimulatedCard=1\n";
    app::CBrenmoorApp simulated({"brenmoor", "--profile", QString::fromStdString(profile.string())});
    simulated.setMessageSink(messages);
    QVERIFY(simulated.InitInstance());
    QCOMPARE(simulated.mainFrame()->backendPane()->text(), QStringLiteral("Simulated card"));
    QVERIFY(simulated.mainFrame()->backendPane()->toolTip().startsWith("Port1 COM4: simulated card"));
}

void AppShellTest::simulatedCardWiredAndFaultedFromTheCommandLine() {
    // Port 1 on COM4 and port 2 on COM5 share a cable, port 3 (COM6) has a plug, port 4
    // (COM7) hangs up once the tool runs.
    test::StartedApp run({"--simulated-card", "--sim-pair", "1:2", "--sim-plug", "3", "--sim-fault", "4:hang-up"});
    QVERIFY(run.started());
    platform::SimulatedCard& card = run.app().backend().simulatedCard();
    platform::OpenError error;
    const auto echoes = [&](int from, int to) {
        const platform::SerialHandle sender = card.open("COM" + std::to_string(from), error);
        const platform::SerialHandle receiver = from == to ? sender : card.open("COM" + std::to_string(to), error);
        const std::uint8_t byte = 'x';
        std::uint8_t got = 0;
        std::size_t done = 0;
        const bool echoed = sender && receiver &&
                            sender->write(&byte, 1, std::chrono::milliseconds(1000), done) ==
                                platform::IoStatus::Completed &&
                            QTest::qWaitFor([&] {
                                std::size_t read = 0;
                                receiver->read(&got, 1, std::chrono::milliseconds(0), read);
                                return read == 1;
                            }) &&
                            got == byte;
        if (sender) sender->close();
        if (receiver) receiver->close();
        return echoed;
    };
    QVERIFY(echoes(4, 5));
    QVERIFY(echoes(6, 6));
    QVERIFY(!echoes(8, 8));
    QTRY_VERIFY(!card.open("COM7", error));
    QCOMPARE(error.kind, platform::OpenFailure::Absent);
}

void AppShellTest::terminationSignalClosesLikeTheWindow_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void AppShellTest::terminationSignalClosesLikeTheWindow() {
    QFETCH(int, signalNumber);
    test::StartedApp run;
    QVERIFY(run.started());
    run.app().tables().m_PortRegistry[2].nBaud = 11;
    std::raise(signalNumber);
    QTRY_VERIFY(!run.frame().isVisible());
    verifyAllValuesStored(run.profilePath());
    platform::ProfileStore store(run.profilePath());
    QCOMPARE(store.readInt(config::kPortSettingsSection, config::portValueName(2, "nBaud"), -1), 11);
}

void AppShellTest::signalWhileANestedWindowIsUp_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("box from a panel click, SIGTERM") << "box" << SIGTERM;
    QTest::newRow("Transfer dialog, SIGINT") << "transfer" << SIGINT;
    QTest::newRow("Ports Properties sheet, SIGTERM") << "sheet" << SIGTERM;
}

// The whole tool runs, with real boxes, each with its own event loop. A signal arrives
// while a box raised by a panel's click, the Transfer dialog or the sheet is up: the tool
// ends (the window's code after the box or dialog still runs on a live console), writes
// every setting, and a sheet's COM renumbering counts as cancelled.
void AppShellTest::signalWhileANestedWindowIsUp() {
    QFETCH(QString, window);
    QFETCH(int, signalNumber);
    test::TempDir dir;
    const auto profile = dir.file("Brenmoor.ini");
    app::CBrenmoorApp app({"brenmoor", "--simulated-card", "--profile", QString::fromStdString(profile.string())});

    QPointer<console::CSerialTestDlg> console;
    int consoleEndLevel = -1;
    bool clicking = false;  // a panel's button is being clicked
    bool signalled = false;
    // Whether the window the row is about is up, as the panel click or the command made it;
    // for the sheet, after the first page's ComBase has renumbered ports 1 to 7.
    const auto ready = [&](QWidget* up) {
        if (auto* sheet = qobject_cast<config::sheet::CPortSheet*>(up)) {
            sheet->page(0)->controls().dropDownList(res::kIdComBaseList)->setCurrentIndex(9);
            return app.tables().m_PortRegistry[7].nComBase == 16;
        }
        if (window == "box") return clicking && qobject_cast<QMessageBox*>(up) != nullptr;
        return clicking && qobject_cast<console::CDataPatternDlg*>(up) != nullptr;
    };
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        QWidget* up = QApplication::activeModalWidget();
        if (signalled || up == nullptr || !ready(up)) return;
        signalled = true;
        std::raise(signalNumber);
    });
    QTimer::singleShot(0, [&] {
        watch.start(5);
        app::CMainFrame& frame = *app.mainFrame();
        if (window == "sheet") {
            test::menuAction(frame, res::kCmdPortSettings)->trigger();
            return;
        }
        test::menuAction(frame, res::kCmdTestStart)->trigger();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<console::CSerialTestDlg*>(w)) console = dialog;
        }
        QVERIFY(console);
        connect(console, &QObject::destroyed, [&] { consoleEndLevel = QThread::currentThread()->loopLevel(); });
        const res::TestPanelIds& panel = res::testPanelIds()[0];
        clicking = true;
        if (window == "box") {
            // The card refuses port 0's loopback request, so the click raises a box.
            app.backend().simulatedCard().setRequestRefused(app.tables().m_PortRegistry[0].nComBase + 1,
                                                            platform::IOCTL_SET_LOOPBACK, true);
            console->controls().checkBox(panel.loopTest)->click();
        } else {
            console->controls().button(panel.transfer)->click();
        }
        clicking = false;
    });

    QCOMPARE(app.Run(), 0);
    QVERIFY(signalled);
    QVERIFY(!app.mainFrame()->isVisible());
    QVERIFY(!app.session().inProgress());
    if (window != "sheet") {
        // Freed in the main loop (level 1), not in the loop of the box or dialog.
        QVERIFY(!console);
        QCOMPARE(consoleEndLevel, 1);
    }
    verifyAllValuesStored(profile);
    platform::ProfileStore store(profile);
    for (int port = 0; port < 8; ++port) {
        QCOMPARE(store.readInt(config::kPortSettingsSection, config::portValueName(port, "nComBase"), -1), 3 + port);
    }
}

void AppShellTest::testStartAndStopFromTheMenu() {
    test::StartedApp run({"--simulated-card"});
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QAction* start = test::menuAction(frame, res::kCmdTestStart);
    QAction* stop = test::menuAction(frame, res::kCmdTestStop);

    start->trigger();
    QVERIFY(run.messages().messages().empty());
    QVERIFY(run.app().session().inProgress());
    QVERIFY(!start->isEnabled());
    QVERIFY(stop->isEnabled());
    QVERIFY(!test::menuAction(frame, res::kCmdConfigLoad)->isEnabled());

    stop->trigger();
    // Stop changes nothing until both threads of the one open port have reported.
    QVERIFY(!start->isEnabled());
    QTRY_VERIFY(!run.app().session().inProgress());
    QVERIFY(start->isEnabled());
    QVERIFY(!stop->isEnabled());
    QCOMPARE(frame.threadEndCount(), 0);

    // No port selected: the session's message, and the menus stay idle.
    run.app().tables().m_PortRegistry[0].nPortOpen = 0;
    start->trigger();
    QCOMPARE(run.messages().texts(), std::vector<std::string>{"Unable to open any communication port"});
    QVERIFY(start->isEnabled());
}

void AppShellTest::closeDuringSessionWaitsForFinish() {
    test::StartedApp run({"--simulated-card"});
    QVERIFY(run.started());
    run.app().tables().m_PortRegistry[1].nPortOpen = 1;
    test::menuAction(run.frame(), res::kCmdTestStart)->trigger();
    QVERIFY(run.app().session().inProgress());

    // Closing stops the session; the window closes and the settings are written only
    // once every thread has ended.
    QVERIFY(!run.frame().close());
    QVERIFY(run.frame().isVisible());
    QVERIFY(!std::filesystem::exists(run.profilePath()));
    QTRY_VERIFY(!run.frame().isVisible());
    QVERIFY(!run.app().session().inProgress());
    QVERIFY(run.app().commandFlags().isIdle());
    verifyAllValuesStored(run.profilePath());
}

void AppShellTest::configSaveThenLoadThroughTheDialog() {
    test::StartedApp run;
    QVERIFY(run.started());
    config::SettingsTables& tables = run.app().tables();
    const auto file = run.dir().file("ports.txt");
    const auto before = tables.m_PortRegistry;

    run.files().answers.push_back(file);
    test::menuAction(run.frame(), res::kCmdConfigSave)->trigger();
    QCOMPARE(run.files().asked, std::vector{app::FileDialogKind::ConfigSave});
    const std::string saved = test::readFile(file);
    QCOMPARE(saved.substr(0, saved.find('\n')), std::string("SERIAL0 6 3 4 0 2 3 0 0 1 2 0 2 0 1 0"));

    tables.m_PortRegistry[0].nBaud = 13;
    tables.m_PortRegistry[4].nParity = 1;
    run.files().answers.push_back(file);
    test::menuAction(run.frame(), res::kCmdConfigLoad)->trigger();
    QVERIFY(tables.m_PortRegistry == before);
    QVERIFY(run.messages().messages().empty());
}

void AppShellTest::configCancelAndBlockedLoadDoNothing() {
    test::StartedApp run;
    QVERIFY(run.started());
    config::SettingsTables& tables = run.app().tables();
    const auto before = tables.m_PortRegistry;

    // Cancel in either dialog.
    test::menuAction(run.frame(), res::kCmdConfigSave)->trigger();
    test::menuAction(run.frame(), res::kCmdConfigLoad)->trigger();
    QCOMPARE(run.files().asked.size(), std::size_t{2});
    QVERIFY(tables.m_PortRegistry == before);
    QVERIFY(std::filesystem::is_empty(run.dir().path()));

    // While a session runs, Load is refused even when asked for directly.
    run.app().flags().setRunning();
    run.app().OnCommand(res::kCmdConfigLoad);
    QCOMPARE(run.files().asked.size(), std::size_t{2});
    run.app().flags().setIdle();
}

void AppShellTest::configLoadFailureReportedToMainWindow() {
    test::StartedApp run;
    QVERIFY(run.started());
    run.files().answers.push_back(run.dir().file("missing.txt"));
    test::menuAction(run.frame(), res::kCmdConfigLoad)->trigger();
    const auto messages = run.messages().messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, std::string("Unable to Load the file"));
    QCOMPARE(messages[0].caption, std::string("Error"));
    QVERIFY(messages[0].owner == platform::MessageOwner::MainWindow);
}

void AppShellTest::helpDocumentMissingIsReported() {
    test::StartedApp run;
    QVERIFY(run.started());
    test::TempDir empty;
    run.app().setHelpDocumentDirectories({empty.path()});
    int opened = 0;
    run.app().setDocumentOpener([&](const QUrl&) { return ++opened, true; });

    run.frame().commands().action(res::kCmdHelpDocument)->trigger();
    QCOMPARE(opened, 0);
    const auto messages = run.messages().messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0], (platform::MessageBoxRequest{
                              "The configuration help file for Serial driver user interface is missing", "Error",
                              platform::MessageIcon::Warning, platform::MessageOwner::MainWindow}));
}

void AppShellTest::helpDocumentFoundIsOpened() {
    test::StartedApp run;
    QVERIFY(run.started());
    test::TempDir first;
    test::TempDir second;
    std::ofstream(second.file("BrenmoorConfig.doc")) << "help";
    // A directory of that name is not the document.
    std::filesystem::create_directory(first.file("BrenmoorConfig.doc"));
    run.app().setHelpDocumentDirectories({first.path(), second.path()});
    QUrl openedUrl;
    run.app().setDocumentOpener([&](const QUrl& url) { return openedUrl = url, true; });

    run.frame().commands().action(res::kCmdHelpDocument)->trigger();
    QCOMPARE(openedUrl, QUrl::fromLocalFile(QString::fromStdString(second.file("BrenmoorConfig.doc").string())));
    QVERIFY(run.messages().messages().empty());
}

void AppShellTest::helpDocumentFoundWhenInstalled() {
    // An installed tree: the executable in bin/, the document in share/brenmoor/.
    test::TempDir prefix;
    const auto bin = prefix.file("bin");
    const auto data = prefix.file("share") / "brenmoor";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(data);
    std::ofstream(data / "BrenmoorConfig.doc") << "installed";

    const auto directories = app::helpDocumentDirectories(bin);
    QCOMPARE(directories.size(), std::size_t{3});
    QVERIFY(directories[0] == std::filesystem::current_path());
    // The current directory left out: whatever a developer's holds does not count here.
    const std::vector<std::filesystem::path> installed(directories.begin() + 1, directories.end());
    const auto isFound = [&](const std::filesystem::path& document) {
        const auto found = app::findHelpDocument(installed);
        return found && std::filesystem::equivalent(*found, document);
    };
    QVERIFY(isFound(data / "BrenmoorConfig.doc"));
    // A document beside the executable (a build tree) comes first.
    std::ofstream(bin / "BrenmoorConfig.doc") << "beside";
    QVERIFY(isFound(bin / "BrenmoorConfig.doc"));
}

void AppShellTest::documentFileOnCommandLine() {
    test::TempDir dir;
    const auto document = dir.file("notes.txt");
    std::ofstream(document) << "x";
    test::StartedApp run({QString::fromStdString(document.string())});
    QVERIFY(run.started());
    QCOMPARE(run.frame().mdiArea()->subWindowList().size(), 1);
    QCOMPARE(run.app().recentFileList().entries(), std::vector<std::string>{document.string()});
}


void AppShellTest::helpAndVersionNeedNoDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");  // what the output holds
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringLiteral("Brenmoor " BRENMOOR_VERSION "\n");
    QTest::newRow("-h") << QStringList{"-h"} << 0 << QStringLiteral("--simulated-card");
    QTest::newRow("a bad option with --help") << QStringList{"--bogus", "--help"} << 1 << QStringLiteral("bogus");
}

// On a machine with no display (a terminal, a package check), the window system must not be
// opened just to print text: it aborts there.
void AppShellTest::helpAndVersionNeedNoDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(BRENMOOR_EXECUTABLE), arguments);
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    const QString output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    QVERIFY2(output.contains(printed), qPrintable(output));
}

QTEST_MAIN(AppShellTest)
#include "app_shell_test.moc"
