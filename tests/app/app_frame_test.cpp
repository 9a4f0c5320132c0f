// The main window: menus, toolbar, enabling, status bar, document window and the count of
// end-of-thread reports.

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <fstream>
#include <latch>
#include <thread>

#include "app/document_window.h"
#include "app/frame_owner.h"
#include "app/main_frame.h"
#include "app/thread_done_notices.h"
#include "engine/test_session.h"
#include "app_test_support.h"
#include "res/command_ids.h"

using namespace brenmoor;

namespace {

// The texts of a menu's items, "-" for a separator.
QStringList itemTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible()) continue;
        QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
        if (!a->shortcut().isEmpty()) text += QLatin1Char('\t') + a->shortcut().toString();
        texts << text;
    }
    return texts;
}

QStringList menuBarTitles(app::CMainFrame& frame) {
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions()) titles << a->text();
    return titles;
}

QMenu* menuTitled(app::CMainFrame& frame, const QString& title) {
    for (QAction* a : frame.menuBar()->actions()) {
        if (a->text() == title) return a->menu();
    }
    return nullptr;
}

// An owner that counts the finishes, for the frame alone.
class CountingOwner : public app::FrameOwner {
public:
    const config::CommandFlags& commandFlags() const override { return flags; }
    void OnCommand(int) override {}
    std::vector<QString> recentFiles() const override { return {}; }
    int sessionOpenPortCount() const override { return openPorts; }
    void FinishSession() override {
        ++finishes;
        flags.setIdle();
    }
    bool OnCloseRequest() override { return true; }

    config::CommandFlags flags;
    int openPorts = 0;
    int finishes = 0;
};

// Posts `count` reports at once from as many threads.
void postFromThreads(platform::MainWindowNotices& notices, int count) {
    std::latch go(count);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&notices, &go, i] {
            go.arrive_and_wait();
            notices.postThreadDone(i);
        });
    }
    for (auto& t : threads) t.join();
}

}  // namespace

class AppFrameTest : public QObject {
    Q_OBJECT
private slots:
    void documentMenuTexts();
    void noDocumentMenuAfterClosingTheDocumentWindow();
    void newShortcutOnlyWithoutDocumentWindow();
    void recentFileListInTheFileMenu();
    void toolbarButtons();
    void enablingOfEveryCommand_data();
    void enablingOfEveryCommand();
    void enablingRefreshedWhenMenuOpens();
    void statusBarPrompts();
    void lockKeyPanes();
    void backendNoteShown();
    void documentWindowFillsClientArea();
    void threadEndCountFinishesAtOpenPortsPlusOne_data();
    void threadEndCountFinishesAtOpenPortsPlusOne();
    void startStaysDisabledUntilLastReport();
};

void AppFrameTest::documentMenuTexts() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QCOMPARE(menuBarTitles(frame), (QStringList{"&Test", "&Config", "&Setup", "&View", "&Help"}));
    QCOMPARE(itemTexts(menuTitled(frame, "&Test")), (QStringList{"&Start...", "Sto&p", "-", "Delay", "-", "E&xit"}));
    QCOMPARE(itemTexts(menuTitled(frame, "&Config")), (QStringList{"&Load...", "&Save..."}));
    QCOMPARE(itemTexts(menuTitled(frame, "&Setup")), (QStringList{"Por&t Settings..."}));
    QCOMPARE(itemTexts(menuTitled(frame, "&View")), (QStringList{"&Toolbar", "&Status Bar"}));
    QCOMPARE(itemTexts(menuTitled(frame, "&Help")), (QStringList{"&About Quillet..."}));
    // The help document command has no menu item, but the window carries its action.
    QVERIFY(test::menuAction(frame, res::kCmdHelpDocument) == nullptr);
    QVERIFY(frame.actions().contains(frame.commands().action(res::kCmdHelpDocument)));
}

void AppFrameTest::noDocumentMenuAfterClosingTheDocumentWindow() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    frame.documentWindow()->close();
    QTRY_COMPARE(frame.currentMenu(), 128);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Quillet"));
    QCOMPARE(menuBarTitles(frame), (QStringList{"&File", "&View", "&Help"}));
    QCOMPARE(itemTexts(menuTitled(frame, "&File")),
             (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "P&rint Setup...", "-", "Recent File", "-", "E&xit"}));
    QCOMPARE(itemTexts(menuTitled(frame, "&Help")), (QStringList{"&About Brenmoor..."}));

    test::menuAction(frame, res::kCmdFileNew)->trigger();
    QCOMPARE(frame.currentMenu(), 129);
    QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Serial2 - Quillet"));
}

void AppFrameTest::newShortcutOnlyWithoutDocumentWindow() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));

    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Tolvane UART PCI Card Test Application - Quillet"));

    // Ctrl+F4 closes the document window; Ctrl+N then opens a new one.
    QTest::keyClick(&frame, Qt::Key_F4, Qt::ControlModifier);
    QTRY_COMPARE(frame.currentMenu(), 128);
    QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(frame.currentMenu(), 129);
    QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
}

void AppFrameTest::recentFileListInTheFileMenu() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    frame.documentWindow()->close();
    QTRY_COMPARE(frame.currentMenu(), 128);
    QMenu* file = menuTitled(frame, "&File");

    // No entries: the greyed placeholder.
    emit file->aboutToShow();
    QAction* placeholder = file->actions().at(5);
    QCOMPARE(placeholder->text(), QStringLiteral("Recent File"));
    QVERIFY(!placeholder->isEnabled());

    // Opening two documents lists them, most recent first; an entry opens its file again.
    const auto a = run.dir().file("a.dat");
    const auto b = run.dir().file("b&c.dat");
    std::ofstream(a) << "a";
    std::ofstream(b) << "b";
    for (const auto& path : {a, b}) {
        run.files().answers.push_back(path);
        test::menuAction(frame, res::kCmdFileOpen)->trigger();
        QCOMPARE(frame.currentMenu(), 129);
        frame.documentWindow()->close();
        QTRY_COMPARE(frame.currentMenu(), 128);
    }
    emit file->aboutToShow();
    QStringList texts = itemTexts(file);
    QCOMPARE(texts.mid(5, 2), (QStringList{"&1 " + QString::fromStdString(b.string()).replace("&", "&&"),
                                           "&2 " + QString::fromStdString(a.string())}));
    file->actions().at(6)->trigger();
    QCOMPARE(frame.windowTitle(), QStringLiteral("a.dat - Quillet"));

    // An entry whose file has gone is reported and leaves the list.
    frame.documentWindow()->close();
    QTRY_COMPARE(frame.currentMenu(), 128);
    std::filesystem::remove(b);
    emit file->aboutToShow();
    file->actions().at(6)->trigger();  // "a" moved to the top, b second
    QCOMPARE(run.messages().texts(), std::vector<std::string>{"Unable to open the file " + b.string()});
    QCOMPARE(run.app().recentFileList().entries(), std::vector<std::string>{a.string()});
    QCOMPARE(frame.currentMenu(), 128);
}

void AppFrameTest::toolbarButtons() {
    test::StartedApp run;
    QVERIFY(run.started());
    QToolBar* bar = run.frame().toolBar();
    const QList<QAction*> buttons = bar->actions();
    const int expected[] = {res::kCmdPortSettings, res::kCmdTestStart, res::kCmdTestStop,
                            res::kCmdConfigLoad,   res::kCmdConfigSave, res::kCmdAbout};
    const QStringList tips{"PortSettings", "Test Start", "Test Stop", "Load Config", "Save Config", "About"};
    QCOMPARE(buttons.size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(app::commandId(buttons[i]), expected[i]);
        QCOMPARE(buttons[i]->toolTip(), tips[i]);
        QVERIFY(!buttons[i]->icon().isNull());
        QVERIFY(bar->widgetForAction(buttons[i]) != nullptr);
    }
    QCOMPARE(bar->iconSize(), QSize(15, 14));
}

void AppFrameTest::enablingOfEveryCommand_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("idle");
    QTest::addColumn<bool>("running");
    QTest::newRow("Port Settings") << res::kCmdPortSettings << true << false;
    QTest::newRow("Test Start") << res::kCmdTestStart << true << false;
    QTest::newRow("Test Stop") << res::kCmdTestStop << false << true;
    QTest::newRow("Config Load") << res::kCmdConfigLoad << true << false;
    QTest::newRow("Config Save") << res::kCmdConfigSave << true << true;
    QTest::newRow("About") << res::kCmdAbout << true << true;
    QTest::newRow("Delay") << res::kCmdWriteDelay << true << true;
    QTest::newRow("Exit") << res::kCmdExit << true << false;
    QTest::newRow("Help document") << res::kCmdHelpDocument << true << true;
    QTest::newRow("New") << res::kCmdFileNew << true << true;
    QTest::newRow("Open") << res::kCmdFileOpen << true << true;
    QTest::newRow("Print Setup") << res::kCmdPrintSetup << true << true;
    QTest::newRow("View Toolbar") << res::kCmdViewToolbar << true << true;
    QTest::newRow("View Status Bar") << res::kCmdViewStatusBar << true << true;
    QTest::newRow("Help") << res::kCmdHelp << true << true;
}

void AppFrameTest::enablingOfEveryCommand() {
    QFETCH(int, id);
    QFETCH(bool, idle);
    QFETCH(bool, running);
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    const auto actions = frame.commands().actionsFor(id);
    QVERIFY(!actions.empty());
    QToolBar* bar = frame.toolBar();
    const auto check = [&](bool expected) {
        frame.refreshCommands();
        for (QAction* a : actions) {
            QCOMPARE(a->isEnabled(), expected);
            if (QWidget* button = bar->widgetForAction(a)) QCOMPARE(button->isEnabled(), expected);
        }
    };
    check(idle);
    run.app().flags().setRunning();
    check(running);
    run.app().flags().setIdle();
    check(idle);
}

void AppFrameTest::enablingRefreshedWhenMenuOpens() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QAction* start = test::menuAction(frame, res::kCmdTestStart);
    QVERIFY(start->isEnabled());
    // The flags change without telling the window; opening the menu re-evaluates them.
    run.app().flags().setRunning();
    QMenu* testMenu = menuTitled(frame, "&Test");
    testMenu->popup(QPoint(0, 0));
    QTRY_VERIFY(testMenu->isVisible());
    QVERIFY(!start->isEnabled());
    QVERIFY(test::menuAction(frame, res::kCmdTestStop)->isEnabled());
    testMenu->hide();
    // A command refreshes the enabling after it has run.
    run.app().flags().setIdle();
    test::menuAction(frame, res::kCmdViewToolbar)->trigger();
    QVERIFY(start->isEnabled());
    QVERIFY(!test::menuAction(frame, res::kCmdTestStop)->isEnabled());
}

void AppFrameTest::statusBarPrompts() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QStatusBar* bar = frame.statusBar();
    QCOMPARE(frame.messagePane()->text(), QStringLiteral("For Help, press F1"));
    QVERIFY(bar->currentMessage().isEmpty());

    QMenu* testMenu = menuTitled(frame, "&Test");
    testMenu->popup(QPoint(0, 0));
    QTRY_VERIFY(testMenu->isVisible());
    testMenu->setActiveAction(test::menuAction(frame, res::kCmdTestStart));
    QCOMPARE(bar->currentMessage(), QStringLiteral("Opens the dialog for testing  the selected serial ports"));
    QVERIFY(!frame.messagePane()->isVisible());
    testMenu->hide();
    QTRY_VERIFY(bar->currentMessage().isEmpty());
    QVERIFY(frame.messagePane()->isVisible());

    // Resting on a toolbar button shows its prompt too.
    QWidget* button = frame.toolBar()->widgetForAction(test::menuAction(frame, res::kCmdConfigSave));
    QStatusTipEvent tip(button->statusTip());
    QApplication::sendEvent(button, &tip);
    QCOMPARE(bar->currentMessage(), QStringLiteral("Saves the Port Configuration to a file"));
}

void AppFrameTest::lockKeyPanes() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    const auto paneTexts = [&] {
        QStringList texts;
        for (QLabel* label : frame.statusBar()->findChildren<QLabel*>()) {
            if (label != frame.messagePane() && label != frame.backendPane()) texts << label->text();
        }
        return texts;
    };
    // No X11 display under the offscreen platform: the panes stay empty.
    QCOMPARE(paneTexts(), (QStringList{"", "", ""}));
    frame.showLockKeys(app::LockKeyState{true, false, true});
    QCOMPARE(paneTexts(), (QStringList{"CAP", "", "SCRL"}));
    frame.showLockKeys(std::nullopt);
    QCOMPARE(paneTexts(), (QStringList{"", "", ""}));
}

void AppFrameTest::backendNoteShown() {
    test::StartedApp simulated({"--simulated-card"});
    QVERIFY(simulated.started());
    QCOMPARE(simulated.frame().backendPane()->text(), QStringLiteral("Simulated card"));

    test::StartedApp devices({"--device", "COM4=/dev/ttyUSB7"});
    QVERIFY(devices.started());
    QCOMPARE(devices.frame().backendPane()->text(), QStringLiteral("COM4: /dev/ttyUSB7"));
}

void AppFrameTest::documentWindowFillsClientArea() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    QMdiArea* area = frame.mdiArea();
    const auto fills = [&] { return frame.documentWindow()->geometry() == area->viewport()->rect(); };
    // The maximised size arrives from the platform after start-up.
    QTRY_COMPARE(frame.frameGeometry(), frame.screen()->availableGeometry());
    QTRY_VERIFY(fills());
    const int heightWithBars = area->viewport()->height();

    test::menuAction(frame, res::kCmdViewToolbar)->trigger();
    QVERIFY(frame.toolBar()->isHidden());
    QVERIFY(!test::menuAction(frame, res::kCmdViewToolbar)->isChecked());
    QTRY_VERIFY(area->viewport()->height() > heightWithBars);
    QTRY_VERIFY(fills());

    test::menuAction(frame, res::kCmdViewStatusBar)->trigger();
    QVERIFY(frame.statusBar()->isHidden());
    QTRY_VERIFY(fills());

    test::menuAction(frame, res::kCmdViewToolbar)->trigger();
    test::menuAction(frame, res::kCmdViewStatusBar)->trigger();
    QVERIFY(test::menuAction(frame, res::kCmdViewToolbar)->isChecked());
    QTRY_COMPARE(area->viewport()->height(), heightWithBars);
    QTRY_VERIFY(fills());

    // Resizing the main window keeps the document window filling it.
    frame.showNormal();
    frame.resize(500, 400);
    QTRY_COMPARE(frame.size(), QSize(500, 400));
    QTRY_VERIFY(fills());
}

void AppFrameTest::threadEndCountFinishesAtOpenPortsPlusOne_data() {
    QTest::addColumn<int>("openPorts");
    QTest::newRow("1 port") << 1;
    QTest::newRow("3 ports") << 3;
    QTest::newRow("8 ports") << 8;
}

void AppFrameTest::threadEndCountFinishesAtOpenPortsPlusOne() {
    QFETCH(int, openPorts);
    CountingOwner owner;
    owner.openPorts = openPorts;
    app::CMainFrame frame(owner);
    app::ThreadDoneNotices notices(frame);

    // Two sessions in a row: all but the last report, then the last one.
    for (int session = 1; session <= 2; ++session) {
        owner.flags.setRunning();
        postFromThreads(notices, openPorts);
        QTRY_COMPARE(frame.threadEndCount(), openPorts);
        QCOMPARE(owner.finishes, session - 1);
        postFromThreads(notices, 1);
        QTRY_COMPARE(owner.finishes, session);
        QCOMPARE(frame.threadEndCount(), 0);
    }
    QCoreApplication::processEvents();
    QCOMPARE(owner.finishes, 2);
}

void AppFrameTest::startStaysDisabledUntilLastReport() {
    test::StartedApp run;
    QVERIFY(run.started());
    app::CMainFrame& frame = run.frame();
    // The count of a session that opened three ports, without its threads.
    run.app().session().engine().ports.openCount = 3;
    run.app().flags().setRunning();
    QAction* start = test::menuAction(frame, res::kCmdTestStart);
    frame.refreshCommands();

    postFromThreads(run.app().notices(), 3);
    QTRY_COMPARE(frame.threadEndCount(), 3);
    frame.refreshCommands();
    QVERIFY(!start->isEnabled());
    QVERIFY(!run.app().commandFlags().isIdle());

    postFromThreads(run.app().notices(), 1);
    QTRY_VERIFY(start->isEnabled());
    QVERIFY(run.app().commandFlags().isIdle());
    QVERIFY(!test::menuAction(frame, res::kCmdTestStop)->isEnabled());
}

QTEST_MAIN(AppFrameTest)
#include "app_frame_test.moc"
