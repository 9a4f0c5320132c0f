// The port page template as built in the dialog font: the controls the page binds, their
// lists, and a layout where every text fits its rectangle and no two controls overlap.
#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include "res/dialog_builder.h"
#include "res/dialog_controls.h"
#include "res/port_page_template.h"

using namespace brenmoor::res;

class PortPageTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void boundControlsHaveTheirKinds();
    void listEntries_data();
    void listEntries();
    void textsFitAndNothingOverlaps();
    void settingsFrameHoldsTheLineSettings();

private:
    QWidget* page_ = nullptr;
    std::unique_ptr<BuiltDialog> built_;
};

void PortPageTemplateTest::init()
{
    page_ = new QWidget;
    built_ = std::make_unique<BuiltDialog>(buildDialog(portPageTemplate(), page_));
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_));
}

void PortPageTemplateTest::cleanup()
{
    built_.reset();
    delete page_;
}

void PortPageTemplateTest::boundControlsHaveTheirKinds()
{
    QCOMPARE(page_->windowTitle(), QString("Port "));
    for (int id : {kIdBaudList, kIdDataLengthList, kIdParityList, kIdStopBitsList, kIdFlowControlList, kIdComBaseList,
                   kIdDtrHysteresisList, kIdRtsHysteresisList, kIdTxTriggerList, kIdRxTriggerList})
        QVERIFY2(built_->dropDownList(id), qPrintable(QString::number(id)));
    for (int id : {kIdRs485Check, kIdRxFifoCheck, kIdTxFifoCheck, kIdOpenPortCheck, kIdIrCheck})
        QVERIFY2(built_->checkBox(id), qPrintable(QString::number(id)));
    QVERIFY(built_->radioButton(kIdDtrRadio));
    QVERIFY(built_->radioButton(kIdRtsRadio));
    QCOMPARE(built_->checkBox(kIdRxFifoCheck)->text(), QString("Rx  FIFO"));
    QCOMPARE(built_->checkBox(kIdTxFifoCheck)->text(), QString("Tx  FIFO"));
    QCOMPARE(built_->checkBox(kIdIrCheck)->layoutDirection(), Qt::RightToLeft);

    // DTR and RTS are one group: a click on either clears the other.
    built_->radioButton(kIdDtrRadio)->setChecked(true);
    QTest::mouseClick(built_->radioButton(kIdRtsRadio), Qt::LeftButton);
    QVERIFY(!built_->radioButton(kIdDtrRadio)->isChecked());
}

void PortPageTemplateTest::listEntries_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("baud") << kIdBaudList << 14 << "110" << "921600";
    QTest::newRow("data length") << kIdDataLengthList << 4 << "5" << "8";
    QTest::newRow("parity") << kIdParityList << 5 << "Odd" << "None";
    QTest::newRow("flow control") << kIdFlowControlList << 3 << "Hardware" << "None";
    QTest::newRow("com base") << kIdComBaseList << 40 << "COM1" << "COM40";
    QTest::newRow("dtr hysteresis") << kIdDtrHysteresisList << 5 << "0" << "16";
    QTest::newRow("rts hysteresis") << kIdRtsHysteresisList << 5 << "0" << "16";
    QTest::newRow("tx trigger") << kIdTxTriggerList << 64 << "1" << "64";
    QTest::newRow("rx trigger") << kIdRxTriggerList << 64 << "1" << "64";
}

void PortPageTemplateTest::listEntries()
{
    QFETCH(int, id);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const QComboBox* list = built_->dropDownList(id);
    QCOMPARE(list->count(), count);
    QCOMPARE(list->itemText(0), first);
    QCOMPARE(list->itemText(count - 1), last);
}

void PortPageTemplateTest::textsFitAndNothingOverlaps()
{
    const std::vector<QWidget*>& controls = built_->controls();
    for (QWidget* w : controls) {
        if (const auto* label = qobject_cast<QLabel*>(w)) {
            QVERIFY2(w->fontMetrics().horizontalAdvance(label->text()) <= w->width(), qPrintable(label->text()));
        } else if (const auto* button = qobject_cast<QAbstractButton*>(w)) {
            QVERIFY2(w->fontMetrics().horizontalAdvance(button->text()) <= captionRoom(button), qPrintable(button->text()));
            QVERIFY2(w->height() >= w->fontMetrics().height(), qPrintable(button->text()));
        } else if (qobject_cast<QComboBox*>(w)) {
            QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(QString("list at %1").arg(w->y())));
        }
        QVERIFY(page_->rect().contains(w->geometry()));
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (qobject_cast<QGroupBox*>(controls[i]) || qobject_cast<QGroupBox*>(controls[j]))
                continue;
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(QString("controls %1 and %2 overlap").arg(i).arg(j)));
        }
    }
}

void PortPageTemplateTest::settingsFrameHoldsTheLineSettings()
{
    const auto* frame = qobject_cast<QGroupBox*>(built_->controls()[9]);
    QVERIFY(frame);
    QCOMPARE(frame->title(), QString("Settings"));
    for (int id : {kIdBaudList, kIdDataLengthList, kIdParityList, kIdStopBitsList, kIdFlowControlList})
        QVERIFY(frame->geometry().contains(built_->control(id)->geometry()));
    QVERIFY(!frame->geometry().intersects(built_->control(kIdComBaseList)->geometry()));
}

QTEST_MAIN(PortPageTemplateTest)
#include "port_page_template_test.moc"
