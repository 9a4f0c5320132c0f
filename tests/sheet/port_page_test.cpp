// One page of the sheet: filling from the record, the reactions to the operator, and what
// OK stores, including records the lists cannot show.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include "res/dialog_controls.h"
#include "res/port_page_template.h"
#include "sheet_driver.h"

using namespace brenmoor;
using namespace brenmoor::res;
using config::PortRegistryEntry;

Q_DECLARE_METATYPE(PortRegistryEntry)

namespace {

QStringList entries(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// A record unlike the defaults in every field the page shows.
PortRegistryEntry unusualRecord()
{
    PortRegistryEntry r;
    r.nBaud = 13;
    r.nDataBits = 0;
    r.nParity = 0;
    r.nStopBits = 1;
    r.nComBase = 39;
    r.nRS485 = 1;
    r.nIR = 0;
    r.nRTS = 1;
    r.nDTR = 0;
    r.nTxFIFO = 1;
    r.nRxFIFO = 1;
    r.nFlowCtrl = 0;
    r.nPortOpen = 1;
    r.nDTRHys = 4;
    r.nRTSHys = 3;
    r.nRxTrig = 63;
    r.nTxTrig = 0;
    return r;
}

}  // namespace

class PortPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void recordSurvivesOpenAndOk_data();
    void recordSurvivesOpenAndOk();
    void stopBitChoicesFollowStoredDataLength_data();
    void stopBitChoicesFollowStoredDataLength();
    void dataLengthChangeRefillsStopBitsAndIsStoredAtOnce();
    void stopBitListOpensOnStoredStopBits();
    void irPrevailsOverRs485();
    void dtrAndRtsBothSet_data();
    void dtrAndRtsBothSet();
    void fifoOptionsGateTriggerLists();
    void valueOutsideItsListShowsNothingAndIsKept();

private:
    config::SettingsTables tables_;
};

void PortPageTest::init()
{
    tables_.m_PortRegistry = test::defaultRegistry();
}

void PortPageTest::recordSurvivesOpenAndOk_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<PortRegistryEntry>("record");
    QTest::newRow("defaults of port 1") << 0 << config::portDefaults(0).registry;
    QTest::newRow("defaults of port 8") << 7 << config::portDefaults(7).registry;
    QTest::newRow("every field changed, first page") << 0 << unusualRecord();
    PortRegistryEntry other = unusualRecord();
    other.nComBase = 12;
    QTest::newRow("every field changed, other page") << 4 << other;
}

// Every field goes to its own control and comes back from it unchanged.
void PortPageTest::recordSurvivesOpenAndOk()
{
    QFETCH(int, port);
    QFETCH(PortRegistryEntry, record);
    tables_.m_PortRegistry[port] = record;
    const config::sheet::PortRegistry before = tables_.m_PortRegistry;
    test::SheetDriver driver(tables_);
    driver.open();
    if (port != 0)
        driver.selectTab(port);
    driver.pressOk();
    QCOMPARE(tables_.m_PortRegistry, before);
}

void PortPageTest::stopBitChoicesFollowStoredDataLength_data()
{
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<QString>("second");
    QTest::newRow("5 bits") << 0 << "1.5";
    QTest::newRow("6 bits") << 1 << "2";
    QTest::newRow("7 bits") << 2 << "2";
    QTest::newRow("8 bits") << 3 << "2";
}

void PortPageTest::stopBitChoicesFollowStoredDataLength()
{
    QFETCH(int, dataBits);
    QFETCH(QString, second);
    tables_.m_PortRegistry[0].nDataBits = dataBits;
    tables_.m_PortRegistry[0].nStopBits = 1;
    test::SheetDriver driver(tables_);
    driver.open();
    const QComboBox* stopBits = driver.list(0, kIdStopBitsList);
    QCOMPARE(entries(stopBits), QStringList({"1", second}));
    QCOMPARE(stopBits->currentIndex(), 1);
}

void PortPageTest::dataLengthChangeRefillsStopBitsAndIsStoredAtOnce()
{
    tables_.m_PortRegistry[0].nStopBits = 1;
    test::SheetDriver driver(tables_);
    driver.open();
    const QComboBox* stopBits = driver.list(0, kIdStopBitsList);
    QCOMPARE(stopBits->currentText(), QString("2"));

    driver.choose(0, kIdDataLengthList, "5");
    QCOMPARE(entries(stopBits), QStringList({"1", "1.5"}));
    QCOMPARE(stopBits->currentText(), QString("1"));
    QCOMPARE(tables_.m_PortRegistry[0].nDataBits, 0);
    QCOMPARE(tables_.m_PortRegistry[0].nStopBits, 1);

    driver.choose(0, kIdDataLengthList, "8");
    QCOMPARE(entries(stopBits), QStringList({"1", "2"}));
    QCOMPARE(stopBits->currentText(), QString("1"));
    QCOMPARE(tables_.m_PortRegistry[0].nDataBits, 3);
    QCOMPARE(tables_.m_PortRegistry[0].nStopBits, 1);

    driver.pressOk();
    QCOMPARE(tables_.m_PortRegistry[0].nStopBits, 0);
}

void PortPageTest::stopBitListOpensOnStoredStopBits()
{
    tables_.m_PortRegistry[0].nStopBits = 1;
    test::SheetDriver driver(tables_);
    driver.open();
    QComboBox* stopBits = driver.list(0, kIdStopBitsList);

    // The operator picks "1"; the list opens again on the stored second entry, not on
    // the one on screen.
    driver.choose(0, kIdStopBitsList, "1");
    stopBits->showPopup();
    QCOMPARE(stopBits->currentIndex(), 1);
    QCOMPARE(stopBits->view()->currentIndex().row(), 1);
    stopBits->hidePopup();

    // After a change to five bits the list reopens with "1.5" and the stored position.
    driver.choose(0, kIdDataLengthList, "5");
    QCOMPARE(stopBits->currentText(), QString("1"));
    stopBits->showPopup();
    QCOMPARE(entries(stopBits), QStringList({"1", "1.5"}));
    QCOMPARE(stopBits->currentText(), QString("1.5"));
    stopBits->hidePopup();
}

void PortPageTest::irPrevailsOverRs485()
{
    tables_.m_PortRegistry[0].nIR = 1;
    tables_.m_PortRegistry[0].nRS485 = 1;
    test::SheetDriver driver(tables_);
    driver.open();
    const res::BuiltDialog& c = driver.controls(0);
    QVERIFY(c.checkBox(kIdIrCheck)->isChecked());
    QVERIFY(!c.checkBox(kIdRs485Check)->isChecked());
    QVERIFY(c.checkBox(kIdIrCheck)->isEnabled() && c.checkBox(kIdRs485Check)->isEnabled());

    // Checking one clears the other; clearing one leaves the other alone.
    driver.click(0, kIdRs485Check);
    QVERIFY(c.checkBox(kIdRs485Check)->isChecked());
    QVERIFY(!c.checkBox(kIdIrCheck)->isChecked());
    driver.click(0, kIdRs485Check);
    QVERIFY(!c.checkBox(kIdRs485Check)->isChecked());
    QVERIFY(!c.checkBox(kIdIrCheck)->isChecked());
    driver.click(0, kIdRs485Check);
    driver.click(0, kIdIrCheck);
    QVERIFY(c.checkBox(kIdIrCheck)->isChecked());
    QVERIFY(!c.checkBox(kIdRs485Check)->isChecked());

    driver.pressOk();
    QCOMPARE(tables_.m_PortRegistry[0].nIR, 1);
    QCOMPARE(tables_.m_PortRegistry[0].nRS485, 0);
}

void PortPageTest::dtrAndRtsBothSet_data()
{
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("dtrListEnabled");
    QTest::addColumn<bool>("rtsListEnabled");
    QTest::addColumn<int>("nDTR");
    QTest::addColumn<int>("nRTS");
    QTest::newRow("untouched") << 0 << false << true << 1 << 1;
    QTest::newRow("DTR clicked") << kIdDtrRadio << true << false << 1 << 0;
    QTest::newRow("RTS clicked") << kIdRtsRadio << false << true << 0 << 1;
}

void PortPageTest::dtrAndRtsBothSet()
{
    QFETCH(int, clicked);
    QFETCH(bool, dtrListEnabled);
    QFETCH(bool, rtsListEnabled);
    QFETCH(int, nDTR);
    QFETCH(int, nRTS);
    tables_.m_PortRegistry[2].nDTR = 1;
    tables_.m_PortRegistry[2].nRTS = 1;
    test::SheetDriver driver(tables_);
    driver.open();
    driver.selectTab(2);
    const res::BuiltDialog& c = driver.controls(2);
    QVERIFY(c.radioButton(kIdDtrRadio)->isChecked());
    QVERIFY(c.radioButton(kIdRtsRadio)->isChecked());
    if (clicked)
        driver.click(2, clicked);
    QCOMPARE(c.dropDownList(kIdDtrHysteresisList)->isEnabled(), dtrListEnabled);
    QCOMPARE(c.dropDownList(kIdRtsHysteresisList)->isEnabled(), rtsListEnabled);
    driver.pressOk();
    QCOMPARE(tables_.m_PortRegistry[2].nDTR, nDTR);
    QCOMPARE(tables_.m_PortRegistry[2].nRTS, nRTS);
}

void PortPageTest::fifoOptionsGateTriggerLists()
{
    tables_.m_PortRegistry[1].nTxTrig = 17;
    tables_.m_PortRegistry[1].nRxTrig = 19;
    tables_.m_PortRegistry[1].nDTR = 0;
    tables_.m_PortRegistry[1].nRTS = 0;
    test::SheetDriver driver(tables_);
    driver.open();
    driver.selectTab(1);
    const res::BuiltDialog& c = driver.controls(1);
    // With neither line chosen both hysteresis lists stay open to change.
    QVERIFY(c.dropDownList(kIdDtrHysteresisList)->isEnabled());
    QVERIFY(c.dropDownList(kIdRtsHysteresisList)->isEnabled());
    QVERIFY(!c.dropDownList(kIdTxTriggerList)->isEnabled());
    QVERIFY(!c.dropDownList(kIdRxTriggerList)->isEnabled());
    QCOMPARE(c.dropDownList(kIdTxTriggerList)->currentText(), QString("18"));

    // A level chosen while the option was on is stored after the option is switched off.
    driver.click(1, kIdTxFifoCheck);
    QVERIFY(c.dropDownList(kIdTxTriggerList)->isEnabled());
    QVERIFY(!c.dropDownList(kIdRxTriggerList)->isEnabled());
    driver.choose(1, kIdTxTriggerList, "30");
    driver.click(1, kIdTxFifoCheck);
    QVERIFY(!c.dropDownList(kIdTxTriggerList)->isEnabled());
    driver.click(1, kIdRxFifoCheck);
    QVERIFY(c.dropDownList(kIdRxTriggerList)->isEnabled());

    driver.pressOk();
    const PortRegistryEntry& r = tables_.m_PortRegistry[1];
    QCOMPARE(r.nTxFIFO, 0);
    QCOMPARE(r.nTxTrig, 29);
    QCOMPARE(r.nRxFIFO, 1);
    QCOMPARE(r.nRxTrig, 19);
}

void PortPageTest::valueOutsideItsListShowsNothingAndIsKept()
{
    struct Case {
        const char* name;
        int id;
        std::int32_t PortRegistryEntry::*field;
        std::int32_t value;
    };
    const Case cases[] = {
        {"baud 20", kIdBaudList, &PortRegistryEntry::nBaud, 20},
        {"data length 9", kIdDataLengthList, &PortRegistryEntry::nDataBits, 9},
        {"parity -1", kIdParityList, &PortRegistryEntry::nParity, -1},
        {"stop bits 2", kIdStopBitsList, &PortRegistryEntry::nStopBits, 2},
        {"flow control 3", kIdFlowControlList, &PortRegistryEntry::nFlowCtrl, 3},
        {"com base 40", kIdComBaseList, &PortRegistryEntry::nComBase, 40},
        {"rts hysteresis 5", kIdRtsHysteresisList, &PortRegistryEntry::nRTSHys, 5},
        {"rx trigger 64", kIdRxTriggerList, &PortRegistryEntry::nRxTrig, 64},
    };
    for (const Case& c : cases) {
        tables_.m_PortRegistry = test::defaultRegistry();
        tables_.m_PortRegistry[0].*c.field = c.value;
        const config::sheet::PortRegistry before = tables_.m_PortRegistry;
        test::SheetDriver driver(tables_);
        driver.open();
        QComboBox* list = driver.list(0, c.id);
        QVERIFY2(list->currentIndex() == -1, c.name);
        QVERIFY2(list->currentText().isEmpty(), c.name);
        // Opening the stop-bit list stores the data length on screen; with none shown the
        // stored one stays.
        QComboBox* stopBits = driver.list(0, kIdStopBitsList);
        stopBits->showPopup();
        stopBits->hidePopup();
        driver.pressOk();
        QVERIFY2(tables_.m_PortRegistry == before, c.name);
    }
}

QTEST_MAIN(PortPageTest)
#include "port_page_test.moc"
