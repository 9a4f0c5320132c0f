// The console end to end in the tool on the simulated card: Test Start from the menu, two
// ports run with the internal loopback, their stops, Test Stop, and the menus and panels
// once the session has finished.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/brenmoor_app.h"
#include "app/command_actions.h"
#include "app/main_frame.h"
#include "config/registry_persistence.h"
#include "console/serial_test_dialog.h"
#include "engine/port_tester.h"
#include "platform/profile_store.h"
#include "res/command_ids.h"
#include "res/read_only_text_view.h"
#include "res/test_dialog_template.h"
#include "support/recording_message_sink.h"
#include "support/temp_dir.h"

using namespace brenmoor;

namespace {

constexpr int kPatienceMs = 30000;
constexpr int kBaud921600Position = 13;

QAction* menuAction(app::CMainFrame& frame, int id) {
    for (QAction* top : frame.menuBar()->actions()) {
        if (!top->menu()) continue;
        for (QAction* item : top->menu()->actions())
            if (app::commandId(item) == id) return item;
    }
    return nullptr;
}

console::CSerialTestDlg* openConsole() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<console::CSerialTestDlg*>(w)) return d;
    return nullptr;
}

}  // namespace

class ConsoleAppTest : public QObject {
    Q_OBJECT
private slots:
    void wholeRunFromTheMenu();
};

void ConsoleAppTest::wholeRunFromTheMenu() {
    test::TempDir dir;
    const auto profile = dir.file("Brenmoor.ini");
    {
        platform::ProfileStore store(profile);
        for (int port : {0, 3}) {
            store.writeInt(config::kPortSettingsSection, config::portValueName(port, "nPortOpen"), 1);
            store.writeInt(config::kPortSettingsSection, config::portValueName(port, "nBaud"), kBaud921600Position);
        }
        QVERIFY(store.save());
    }
    test::RecordingMessageSink messages;
    app::CBrenmoorApp app({"brenmoor", "--simulated-card", "--profile", QString::fromStdString(profile.string())});
    app.setMessageSink(messages);
    QVERIFY(app.InitInstance());
    app::CMainFrame& frame = *app.mainFrame();
    QAction* start = menuAction(frame, res::kCmdTestStart);
    QAction* stop = menuAction(frame, res::kCmdTestStop);
    QVERIFY(start && stop);

    start->trigger();
    QVERIFY(!start->isEnabled());
    QVERIFY(stop->isEnabled());
    console::CSerialTestDlg* d = openConsole();
    QVERIFY(d);
    QVERIFY(d->isVisible());
    const res::BuiltDialog& c = d->controls();
    const auto& ids = res::testPanelIds();
    const QString alphabet = QString::fromLatin1(engine::kAlphabetLine).replace("\r\n", "\n");

    for (int port : {0, 3}) {
        QVERIFY(c.checkBox(ids[port].enable)->isChecked());
        QTest::mouseClick(c.checkBox(ids[port].loopTest), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(c.button(ids[port].run), Qt::LeftButton);
        QVERIFY(!c.button(ids[port].run)->isEnabled());
    }
    for (int port : {0, 3}) {
        QTRY_VERIFY_WITH_TIMEOUT(c.textView(ids[port].receivedText)->toPlainText().count(alphabet) >= 3, kPatienceMs);
        QVERIFY(c.textView(ids[port].sentText)->toPlainText().startsWith(alphabet + alphabet));
        const int count = c.edit(ids[port].packetCount)->text().toInt();
        QTRY_VERIFY_WITH_TIMEOUT(c.edit(ids[port].packetCount)->text().toInt() > count, kPatienceMs);
    }
    QCOMPARE(c.textView(ids[1].receivedText)->toPlainText(), QString());
    QVERIFY(messages.messages().empty());

    for (int port : {0, 3}) {
        QTest::mouseClick(c.button(ids[port].stop), Qt::LeftButton);
        QVERIFY(c.button(ids[port].run)->isEnabled());
    }
    stop->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), kPatienceMs);
    QVERIFY(!stop->isEnabled());
    QVERIFY(menuAction(frame, res::kCmdConfigLoad)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!c.button(ids[0].transfer)->isEnabled(), kPatienceMs);
    for (int port = 0; port < res::kTestDialogPanelCount; ++port) {
        QVERIFY(!c.button(ids[port].run)->isEnabled());
        QVERIFY(!c.button(ids[port].stop)->isEnabled());
        QVERIFY(!c.button(ids[port].transfer)->isEnabled());
        QVERIFY(c.checkBox(ids[port].enable)->isEnabled());
        QVERIFY(c.checkBox(ids[port].loopTest)->isEnabled());
        QVERIFY(c.radioButton(ids[port].testForever)->isEnabled());
    }
    // The console stays, showing what the session left, and the next Start reuses it.
    QVERIFY(c.textView(ids[3].receivedText)->toPlainText().count(alphabet) >= 3);
    start->trigger();
    QCOMPARE(openConsole(), d);
    QTRY_VERIFY_WITH_TIMEOUT(c.button(ids[3].run)->isEnabled(), kPatienceMs);
    stop->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), kPatienceMs);
    app.ExitInstance();
}

QTEST_MAIN(ConsoleAppTest)
#include "console_app_test.moc"
