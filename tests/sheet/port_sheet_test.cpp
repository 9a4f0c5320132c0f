// The sheet as a whole: its caption, tabs and buttons, which pages OK commits, what
// survives Cancel, the COM numbering from the first page, and the command that runs it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "config/sheet/port_settings_command.h"
#include "res/port_page_template.h"
#include "sheet_driver.h"
#include "support/recording_message_sink.h"

using namespace brenmoor;
using namespace brenmoor::res;

namespace {

std::array<int, config::kPortCount> comBases(const config::SettingsTables& tables)
{
    std::array<int, config::kPortCount> bases{};
    for (int port = 0; port < config::kPortCount; ++port)
        bases[port] = tables.m_PortRegistry[port].nComBase;
    return bases;
}

}  // namespace

class PortSheetTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void opensOnPort1WithRenamedTabsAndNoApply();
    void onlyTheFirstPageChoosesComBase();
    void pagesNeverShownAreNotCommitted();
    void dataLengthChangeSurvivesCancel();
    void comBaseOnFirstPageNumbersTheOtherPorts_data();
    void comBaseOnFirstPageNumbersTheOtherPorts();
    void lastComBaseRunsPastTheList();
    void commandRunsTheSheetModally();
    void commandReportsASheetThatCouldNotBeShown();

private:
    config::SettingsTables tables_;
};

void PortSheetTest::init()
{
    tables_.m_PortRegistry = test::defaultRegistry();
}

void PortSheetTest::opensOnPort1WithRenamedTabsAndNoApply()
{
    test::SheetDriver driver(tables_);
    config::sheet::CPortSheet& sheet = driver.sheet();
    QCOMPARE(sheet.windowTitle(), QString("Ports Properties"));
    QCOMPARE(sheet.tabs()->count(), 8);
    QCOMPARE(sheet.tabs()->tabText(0), QString("Port "));
    QVERIFY(!sheet.page(0)->isInitialised());

    driver.open();
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(sheet.tabs()->tabText(i), QString("Port%1").arg(i + 1));
        QCOMPARE(sheet.page(i)->portIndex(), i);
        QCOMPARE(sheet.tabs()->widget(i), sheet.page(i));
    }
    QCOMPARE(sheet.tabs()->currentIndex(), 0);
    QVERIFY(sheet.page(0)->isInitialised());
    QVERIFY(!sheet.page(1)->isInitialised());
    // All eight tabs in sight, and each page shows the whole template.
    const QTabBar* bar = sheet.tabs()->tabBar();
    for (int i = 0; i < 8; ++i)
        QVERIFY(sheet.rect().contains(bar->mapTo(&sheet, bar->tabRect(i).bottomRight())));
    const QWidget* form = driver.controls(0).controls().front()->parentWidget();
    QCOMPARE(form->size(), driver.controls(0).units().toPixels(187, 271));
    QVERIFY(sheet.page(0)->rect().contains(form->geometry()));

    // OK and Cancel only: nothing ever marks a page changed, so there is no Apply.
    const QList<QAbstractButton*> buttons = sheet.buttons()->buttons();
    QCOMPARE(buttons.size(), 2);
    QVERIFY(sheet.buttons()->button(QDialogButtonBox::Ok));
    QVERIFY(sheet.buttons()->button(QDialogButtonBox::Cancel));
    QVERIFY(sheet.buttons()->button(QDialogButtonBox::Ok)->isDefault());
    driver.choose(0, kIdBaudList, "300");
    QVERIFY(!sheet.buttons()->button(QDialogButtonBox::Apply));
    QCOMPARE(sheet.buttons()->buttons().size(), 2);
}

void PortSheetTest::onlyTheFirstPageChoosesComBase()
{
    test::SheetDriver driver(tables_);
    driver.open();
    QVERIFY(driver.list(0, kIdComBaseList)->isEnabled());
    QCOMPARE(driver.list(0, kIdComBaseList)->currentText(), QString("COM4"));
    for (int port = 1; port < 8; ++port) {
        driver.selectTab(port);
        QVERIFY(!driver.list(port, kIdComBaseList)->isEnabled());
        QCOMPARE(driver.list(port, kIdComBaseList)->currentText(), QString("COM%1").arg(port + 4));
    }
}

void PortSheetTest::pagesNeverShownAreNotCommitted()
{
    test::SheetDriver driver(tables_);
    driver.open();
    driver.selectTab(3);
    driver.choose(3, kIdBaudList, "115200");
    driver.selectTab(0);
    driver.choose(0, kIdParityList, "Mark");
    // A page never shown still holds the template's blank state; committing it would
    // zero its record.
    for (int port : {1, 2, 4, 5, 6, 7})
        QVERIFY(!driver.sheet().page(port)->isInitialised());
    driver.pressOk();

    config::sheet::PortRegistry expected = test::defaultRegistry();
    expected[3].nBaud = 10;
    expected[0].nParity = 2;
    QCOMPARE(tables_.m_PortRegistry, expected);
}

void PortSheetTest::dataLengthChangeSurvivesCancel()
{
    test::SheetDriver driver(tables_);
    driver.open();
    driver.selectTab(5);
    driver.choose(5, kIdDataLengthList, "6");
    driver.choose(5, kIdBaudList, "110");
    driver.click(5, kIdOpenPortCheck);
    driver.click(5, kIdTxFifoCheck);
    driver.choose(5, kIdStopBitsList, "2");
    driver.pressCancel();

    config::sheet::PortRegistry expected = test::defaultRegistry();
    expected[5].nDataBits = 1;
    QCOMPARE(tables_.m_PortRegistry, expected);
}

void PortSheetTest::comBaseOnFirstPageNumbersTheOtherPorts_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("port0After");
    QTest::addColumn<int>("othersFrom");
    QTest::newRow("OK") << true << 4 << 5;
    // Cancel puts the others back, so the eight numbers still run on from port 0's.
    QTest::newRow("Cancel") << false << 3 << 4;
}

void PortSheetTest::comBaseOnFirstPageNumbersTheOtherPorts()
{
    QFETCH(bool, ok);
    QFETCH(int, port0After);
    QFETCH(int, othersFrom);
    test::SheetDriver driver(tables_);
    driver.open();
    driver.choose(0, kIdComBaseList, "COM5");
    // Ports 2 to 8 follow at once on COM6 to COM12; port 1 waits for OK.
    QCOMPARE(comBases(tables_), (std::array<int, 8>{3, 5, 6, 7, 8, 9, 10, 11}));
    if (ok)
        driver.pressOk();
    else
        driver.pressCancel();
    std::array<int, 8> expected{};
    expected[0] = port0After;
    for (int k = 1; k < 8; ++k)
        expected[k] = othersFrom + k - 1;
    QCOMPARE(comBases(tables_), expected);
}

void PortSheetTest::lastComBaseRunsPastTheList()
{
    test::SheetDriver driver(tables_);
    driver.open();
    // A page shown before the change keeps the number it showed.
    driver.selectTab(1);
    driver.selectTab(0);
    driver.choose(0, kIdComBaseList, "COM40");
    QCOMPARE(comBases(tables_), (std::array<int, 8>{3, 40, 41, 42, 43, 44, 45, 46}));
    QCOMPARE(driver.list(1, kIdComBaseList)->currentText(), QString("COM5"));
    // Pages first shown afterwards have no entry for positions past the list.
    for (int port : {2, 7}) {
        driver.selectTab(port);
        QCOMPARE(driver.list(port, kIdComBaseList)->currentIndex(), -1);
        QVERIFY(driver.list(port, kIdComBaseList)->currentText().isEmpty());
    }
    driver.pressOk();
    QCOMPARE(comBases(tables_), (std::array<int, 8>{39, 40, 41, 42, 43, 44, 45, 46}));
}

void PortSheetTest::commandRunsTheSheetModally()
{
    test::RecordingMessageSink messages;
    QWidget owner;
    owner.show();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<config::sheet::CPortSheet*>(QApplication::activeModalWidget());
        QVERIFY(sheet);
        wasModal = sheet->isModal() && sheet->parentWidget() == &owner;
        sheet->page(0)->controls().checkBox(kIdOpenPortCheck)->click();
        sheet->accept();
    });
    config::sheet::runPortSettingsCommand(&owner, tables_, messages);
    QVERIFY(wasModal);
    QCOMPARE(tables_.m_PortRegistry[0].nPortOpen, 0);
    QVERIFY(messages.messages().empty());
}

void PortSheetTest::commandReportsASheetThatCouldNotBeShown()
{
    test::RecordingMessageSink messages;
    QTimer::singleShot(0, [] {
        auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(sheet);
        sheet->done(-1);
    });
    config::sheet::runPortSettingsCommand(nullptr, tables_, messages);
    const platform::MessageBoxRequest expected{"Unable to display the Port Properties tabbed dialog", "Error",
                                               platform::MessageIcon::Warning, platform::MessageOwner::MainWindow};
    QCOMPARE(messages.messages().size(), std::size_t(1));
    QVERIFY(messages.messages().front() == expected);
    QCOMPARE(tables_.m_PortRegistry, test::defaultRegistry());
}

QTEST_MAIN(PortSheetTest)
#include "port_sheet_test.moc"
