// The test console over a session on the simulated card: its layout, how the panels open,
// what the clicks change and the traffic boxes.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTest>
#include <QTimer>

#include "console/data_pattern_dialog.h"
#include "console_session.h"
#include "res/read_only_text_view.h"
#include "res/test_dialog_template.h"
#include "support/paint_counter.h"

using namespace brenmoor;
using console::CSerialTestDlg;
using test::ConsoleSession;

namespace {

constexpr int kPatienceMs = 30000;

const res::TestPanelIds& ids(int port) { return res::testPanelIds()[static_cast<std::size_t>(port)]; }

QPushButton* button(CSerialTestDlg* d, int id) { return d->controls().button(id); }
QCheckBox* checkBox(CSerialTestDlg* d, int id) { return d->controls().checkBox(id); }
QRadioButton* radio(CSerialTestDlg* d, int id) { return d->controls().radioButton(id); }
QLineEdit* edit(CSerialTestDlg* d, int id) { return d->controls().edit(id); }
res::ReadOnlyTextView* box(CSerialTestDlg* d, int id) { return d->controls().textView(id); }

// Scrolls the panel into view and clicks the control, as the operator would.
void click(CSerialTestDlg* d, QWidget* control) {
    QVERIFY(control->isEnabled());
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, control->height() / 2));
    Q_UNUSED(d);
}

// "line <n>" CR LF for each n from `from`, `count` of them.
std::string numberedLines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

}  // namespace

class SerialTestDialogTest : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void opensWithTheStoredChoicesPlacedAndScrollable();
    void openingSizeShowsTheRightHandPanelsWhole();
    void severalChoicesOpenCheckedAndAClickLeavesOneInItsPanelOnly();
    void timeChoiceEnablesTheTimeBoxesAndKeepsTyping();
    void runGreysThePanelAndStopRestoresIt();
    void runOnAPortNotOpenChangesNothing();
    void enterDoesNothingEscapeHidesAndTheSessionGoesOn();
    void trafficBoxesFollowTheEnd();
    void boxesOutOfViewWaitUntilTheyComeIntoView();
    void boxScrollBarsRepaintOnlyWhenTheirLookChanges();
    void transferOpensThePortsDataPattern();
    void secondSessionReusesThePanels();
    void destroyingTheConsoleClearsTheEnginesPointer();
};

void SerialTestDialogTest::layout() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QString("Serial Communication Test"));
    QCOMPARE(d->content()->size(), d->controls().units().toPixels(582, 681));
    QCOMPARE(d->fullSize(), d->content()->size());
    QCOMPARE(d->controls().controls().size(), std::size_t(136));
    QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(d->windowFlags() & Qt::WindowSystemMenuHint));

    // Panel 7: every identified control is there, of its kind, inside the "Port7" frame.
    QGroupBox* frame = nullptr;
    for (QGroupBox* g : d->content()->findChildren<QGroupBox*>())
        if (g->title() == "Port7") frame = g;
    QVERIFY(frame);
    const res::TestPanelIds& p = ids(6);
    const std::vector<std::pair<int, const char*>> expected = {
        {1101, "QCheckBox"}, {1145, "QLineEdit"}, {1111, "brenmoor::res::ReadOnlyTextView"}, {1100, "brenmoor::res::ReadOnlyTextView"},
        {1136, "QCheckBox"}, {1137, "QRadioButton"}, {1139, "QRadioButton"}, {1138, "QRadioButton"},
        {1186, "QLineEdit"}, {1187, "QLineEdit"}, {1169, "QPushButton"}, {1170, "QPushButton"},
        {1171, "QPushButton"}};
    for (const auto& [id, kind] : expected) {
        QWidget* w = d->controls().control(id);
        QVERIFY2(w && w->inherits(kind), qPrintable(QString::number(id)));
        QVERIFY2(frame->geometry().contains(w->geometry()), qPrintable(QString::number(id)));
    }
    QCOMPARE(p.sentText, 1111);
    // The sent-text box is the left one of the pair.
    QVERIFY(box(d, p.sentText)->x() < box(d, p.receivedText)->x());
    QCOMPARE(radio(d, ids(1).error)->text(), QString(" Error"));
    QCOMPARE(radio(d, ids(4).time)->text(), QString(" Time"));
    QCOMPARE(radio(d, ids(0).time)->text(), QString("Time"));
}

void SerialTestDialogTest::opensWithTheStoredChoicesPlacedAndScrollable() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->frameGeometry().topLeft(), QPoint(100, 100));
    QCOMPARE(d->frameGeometry().size(), QSize(860, 580));
    QVERIFY(d->horizontalRange() > 0 && d->verticalRange() > 0);
    QVERIFY(d->verticalScrollBar()->isVisible());
    QVERIFY(!d->sizeGrip()->isVisible());

    for (int port = 0; port < 8; ++port) {
        const res::TestPanelIds& p = ids(port);
        const bool stopsOnError = port == 0 || port == 4;
        QCOMPARE(radio(d, p.error)->isChecked(), stopsOnError);
        QCOMPARE(radio(d, p.testForever)->isChecked(), !stopsOnError);
        QVERIFY(!radio(d, p.time)->isChecked());
        QVERIFY(!radio(d, p.error)->isEnabled());
        QVERIFY(!radio(d, p.time)->isEnabled());
        QVERIFY(!edit(d, p.hours)->isEnabled());
        QVERIFY(!edit(d, p.minutes)->isEnabled());
        QCOMPARE(edit(d, p.hours)->text(), QString::number(port + 1));
        QCOMPARE(edit(d, p.packetCount)->text(), QString("0"));
        QCOMPARE(checkBox(d, p.enable)->isChecked(), port == 0);  // only port 0 is marked
        QVERIFY(!checkBox(d, p.loopTest)->isChecked());
        QVERIFY(button(d, p.run)->isEnabled());
        QVERIFY(button(d, p.transfer)->isEnabled());
        QVERIFY(!button(d, p.stop)->isEnabled());
    }
}

void SerialTestDialogTest::openingSizeShowsTheRightHandPanelsWhole() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QCOMPARE(d->frameGeometry().size(), QSize(860, 580));
    QCOMPARE(d->content()->pos(), QPoint(0, 0));
    const QRect client(QPoint(0, 0), d->clientSize());
    const auto onScreen = [d](int id) {
        QWidget* w = d->controls().control(id);
        return QRect(w->mapTo(d, QPoint(0, 0)), w->size());
    };
    for (int port = 0; port < 8; ++port) {
        const res::TestPanelIds& p = ids(port);
        for (int id : {p.sentText, p.receivedText, p.run, p.stop, p.transfer}) {
            const QRect r = onScreen(id);
            // Every column fits the width; the top row fits the height as well.
            QVERIFY2(r.right() <= client.right(), qPrintable(QString::number(id)));
            if (port < 2) QVERIFY2(client.contains(r), qPrintable(QString::number(id)));
        }
    }
    // What is left to scroll sideways is the margin right of the panels, and only that.
    int rightmost = 0;
    for (QWidget* w : d->controls().controls()) rightmost = std::max(rightmost, w->geometry().right());
    QVERIFY(rightmost <= client.right());
    QVERIFY(d->horizontalRange() > 0);
    QVERIFY(d->fullSize().width() - client.width() <= d->controls().units().toPixelsX(30));
}

void SerialTestDialogTest::severalChoicesOpenCheckedAndAClickLeavesOneInItsPanelOnly() {
    ConsoleSession s;
    for (int port : {2, 3}) {
        s.tables->m_PortTest[port].nTestForever = 1;
        s.tables->m_PortTest[port].nStopError = 1;
    }
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QVERIFY(radio(d, ids(2).testForever)->isChecked() && radio(d, ids(2).error)->isChecked());

    click(d, radio(d, ids(2).testForever));
    QVERIFY(radio(d, ids(2).testForever)->isChecked());
    QVERIFY(!radio(d, ids(2).error)->isChecked());
    QVERIFY(!radio(d, ids(2).time)->isChecked());
    // The neighbouring panel keeps both.
    QVERIFY(radio(d, ids(3).testForever)->isChecked() && radio(d, ids(3).error)->isChecked());
    // Nothing is written back to the settings.
    QCOMPARE(s.tables->m_PortTest[2].nStopError, 1);
}

void SerialTestDialogTest::timeChoiceEnablesTheTimeBoxesAndKeepsTyping() {
    ConsoleSession s;
    s.tables->m_PortTest[5].nStopTime = 1;
    s.tables->m_PortTest[5].nTestForever = 0;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    const res::TestPanelIds& p = ids(5);
    QVERIFY(radio(d, p.time)->isChecked());
    QVERIFY(edit(d, p.hours)->isEnabled() && edit(d, p.minutes)->isEnabled());

    edit(d, p.hours)->clear();
    QTest::keyClicks(edit(d, p.hours), "4x2");  // digits only
    d->repaintChangedPanels();
    QCOMPARE(edit(d, p.hours)->text(), QString("42"));

    click(d, radio(d, p.testForever));
    QVERIFY(!edit(d, p.hours)->isEnabled() && !edit(d, p.minutes)->isEnabled());
    QVERIFY(!radio(d, p.time)->isChecked());
    QCOMPARE(edit(d, p.hours)->text(), QString("42"));
}

void SerialTestDialogTest::runGreysThePanelAndStopRestoresIt() {
    ConsoleSession s;
    s.markPort(1);
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    const res::TestPanelIds& p = ids(1);
    click(d, button(d, p.run));
    for (int id : {p.run, p.transfer, p.loopTest, p.testForever, p.time, p.enable})
        QVERIFY2(!d->controls().control(id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(button(d, p.stop)->isEnabled());
    QCOMPARE(s.engine().runningPortCount.load(), 1);
    // The first packet went out on the window thread.
    QTRY_VERIFY_WITH_TIMEOUT(edit(d, p.packetCount)->text().toInt() >= 1, kPatienceMs);
    // Other panels are untouched.
    QVERIFY(button(d, ids(0).run)->isEnabled());

    click(d, button(d, p.stop));
    for (int id : {p.run, p.transfer, p.loopTest, p.testForever, p.enable})
        QVERIFY2(d->controls().control(id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(!button(d, p.stop)->isEnabled());
    QVERIFY(!radio(d, p.time)->isEnabled());
    QCOMPARE(s.engine().runningPortCount.load(), 0);
    // The last count stays on show.
    QVERIFY(edit(d, p.packetCount)->text().toInt() >= 1);
}

void SerialTestDialogTest::runOnAPortNotOpenChangesNothing() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    const res::TestPanelIds& p = ids(3);  // not marked
    click(d, button(d, p.run));
    QVERIFY(button(d, p.run)->isEnabled());
    QVERIFY(!button(d, p.stop)->isEnabled());
    QCOMPARE(s.engine().runningPortCount.load(), 0);
    QVERIFY(s.messages.messages().empty());
}

void SerialTestDialogTest::enterDoesNothingEscapeHidesAndTheSessionGoesOn() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    const res::TestPanelIds& p = ids(0);
    click(d, button(d, p.run));
    button(d, p.stop)->setFocus();
    QTest::keyClick(d, Qt::Key_Return);
    QTest::keyClick(d, Qt::Key_Enter);
    QVERIFY(d->isVisible());
    QVERIFY(button(d, p.stop)->isEnabled());  // not clicked by Enter

    QTest::keyClick(d, Qt::Key_Escape);
    QVERIFY(!d->isVisible());
    QVERIFY(s.session.inProgress());
    const int before = s.engine().portRunState[0].packetsSent.load();
    QTRY_VERIFY_WITH_TIMEOUT(s.engine().portRunState[0].packetsSent.load() > before + 2, kPatienceMs);
    QVERIFY(s.stopAndFinish());
}

void SerialTestDialogTest::trafficBoxesFollowTheEnd() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    engine::ConsoleModel& model = d->model();
    res::ReadOnlyTextView* received = box(d, ids(2).receivedText);

    const std::string lines = numberedLines(0, 40);
    model.appendReceivedText(2, lines);
    d->repaintChangedPanels();
    QCOMPARE(received->toPlainText(), QString::fromStdString(lines).replace("\r\n", "\n"));

    // The operator scrolls to the top and selects a word with the mouse; the next text
    // still goes to the end and the view follows it.
    received->verticalScrollBar()->setValue(0);
    QTest::mouseDClick(received->viewport(), Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(received->selectedText(), QString("line"));
    // A CR LF pair split over two blocks is still one line break.
    model.appendReceivedText(2, "tail\r");
    d->repaintChangedPanels();
    model.appendReceivedText(2, "\nend");
    d->repaintChangedPanels();
    QVERIFY(received->toPlainText().endsWith("line 39\ntail\nend"));
    QVERIFY(!received->hasSelection());
    QCOMPARE(received->verticalScrollBar()->value(), received->verticalScrollBar()->maximum());

    // A last line wider than the box scrolls its end into view; a last line that fits
    // shows whole, even when its end was already in view where the box had scrolled to.
    const int columns = received->viewport()->width() / received->fontMetrics().horizontalAdvance('w');
    model.appendReceivedText(2, std::string(static_cast<std::size_t>(columns * 3 / 2), 'w'));
    d->repaintChangedPanels();
    QVERIFY(received->horizontalScrollBar()->value() > 0);
    model.appendReceivedText(2, "\r\n" + std::string(static_cast<std::size_t>(columns * 3 / 4), 'v'));
    d->repaintChangedPanels();
    QCOMPARE(received->horizontalScrollBar()->value(), 0);
    // A last line that grows past the edge scrolls again.
    model.appendReceivedText(2, std::string(static_cast<std::size_t>(columns), 'v'));
    d->repaintChangedPanels();
    QVERIFY(received->horizontalScrollBar()->value() > 0);

    // Bytes show as single-byte characters, a lone CR as a line break.
    model.appendReceivedText(2, "\r\xe9t\xe9\rx");
    d->repaintChangedPanels();
    QVERIFY(received->toPlainText().endsWith(QString::fromLatin1("\n\xe9t\xe9\nx")));

    // Text from a worker thread arrives with the next batch, without an explicit repaint.
    std::thread worker([&] { model.appendSentText(2, "from a worker"); });
    worker.join();
    QTRY_COMPARE_WITH_TIMEOUT(box(d, ids(2).sentText)->toPlainText(), QString("from a worker"), kPatienceMs);

    // The model empties a box that would overflow; so does the window.
    model.appendReceivedText(2, std::string(engine::kTextBoxLimit, 'x'));
    d->repaintChangedPanels();
    QCOMPARE(received->toPlainText(), QString());
    QCOMPARE(box(d, ids(2).sentText)->toPlainText(), QString("from a worker"));
}

void SerialTestDialogTest::boxesOutOfViewWaitUntilTheyComeIntoView() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    engine::ConsoleModel& model = d->model();
    // At the opening size the top rows show and the bottom row (panels 7 and 8) does not.
    res::ReadOnlyTextView* shown = box(d, ids(0).receivedText);
    res::ReadOnlyTextView* below = box(d, ids(6).receivedText);
    const std::string lines = numberedLines(0, 40);
    const QString expected = QString::fromStdString(lines).replace("\r\n", "\n");
    for (int port : {0, 6}) {
        model.appendReceivedText(port, lines);
        model.setPacketCount(port, "17");
    }
    d->repaintChangedPanels();
    QCOMPARE(shown->toPlainText(), expected);
    QCOMPARE(below->toPlainText(), QString());
    // Only the boxes wait; the rest of the panel is current.
    QCOMPARE(edit(d, ids(6).packetCount)->text(), QString("17"));

    // Scrolled into view, the box shows what the model holds, with its end in view.
    d->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(below->toPlainText(), expected);
    QCOMPARE(below->verticalScrollBar()->value(), below->verticalScrollBar()->maximum());
    QVERIFY(below->verticalScrollBar()->maximum() > 0);

    // Scrolled away again, it waits; a window large enough to show everything brings it up.
    d->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    model.appendReceivedText(6, "more");
    d->repaintChangedPanels();
    QCOMPARE(below->toPlainText(), expected);
    d->resize(d->fullSize());
    QCOMPARE(below->toPlainText(), expected + "more");

    // A hidden console changes no box; shown again, it catches up.
    d->hide();
    model.appendReceivedText(0, "hidden");
    d->repaintChangedPanels();
    QCOMPARE(shown->toPlainText(), expected);
    d->show();
    QCOMPARE(shown->toPlainText(), expected + "hidden");
}

void SerialTestDialogTest::boxScrollBarsRepaintOnlyWhenTheirLookChanges() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    // Reached as any scroll area, so the check holds whatever widget shows the box.
    auto* area = qobject_cast<QAbstractScrollArea*>(d->controls().control(ids(1).receivedText));
    QVERIFY(area);
    test::PaintCounter counter;
    for (QScrollBar* bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) bar->installEventFilter(&counter);
    int line = 0;
    const auto batch = [&](int lines) {
        d->model().appendReceivedText(1, numberedLines(line, lines));
        line += lines;
        d->repaintChangedPanels();
        // The bars check their look once the change is complete, then repaint.
        for (int round = 0; round < 3; ++round) QApplication::processEvents();
    };

    // Once the slider is at its least length at the end, more lines leave both bars as
    // they are, and they are not drawn again.
    batch(150);
    counter.paints = 0;
    for (int i = 0; i < 5; ++i) batch(30);
    QCOMPARE(counter.paints, 0);
    QCOMPARE(area->verticalScrollBar()->value(), area->verticalScrollBar()->maximum());
}

void SerialTestDialogTest::transferOpensThePortsDataPattern() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    QString title;
    QTimer::singleShot(0, [&] {
        auto* pattern = qobject_cast<console::CDataPatternDlg*>(QApplication::activeModalWidget());
        QVERIFY(pattern);
        title = pattern->windowTitle();
        QTest::mouseClick(pattern->quickBrownButton(), Qt::LeftButton);
        pattern->accept();
    });
    click(d, button(d, ids(6).transfer));
    QCOMPARE(title, QString("Data Pattern"));
    QCOMPARE(s.tables->g_PortDataPattern[6].nQuickBrown, 1);
    QCOMPARE(s.tables->g_PortDataPattern[6].nAlpha, 0);
    QCOMPARE(s.tables->g_PortDataPattern[5].nQuickBrown, 0);
    QVERIFY(s.messages.messages().empty());
}

void SerialTestDialogTest::secondSessionReusesThePanels() {
    ConsoleSession s;
    s.session.Start();
    CSerialTestDlg* d = s.dialog();
    click(d, radio(d, ids(6).testForever));
    d->model().appendReceivedText(6, "kept");
    click(d, checkBox(d, ids(6).enable));
    QVERIFY(checkBox(d, ids(6).enable)->isChecked());
    d->resize(500, 400);
    QVERIFY(s.stopAndFinish());

    s.session.Start();
    QCOMPARE(s.dialog(), d);
    QCOMPARE(d->frameGeometry().size(), QSize(860, 580));
    // Panel 7 is below the opening view.
    d->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(box(d, ids(6).receivedText)->toPlainText(), QString("kept"));
    QVERIFY(checkBox(d, ids(6).enable)->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(button(d, ids(6).run)->isEnabled(), kPatienceMs);
    QVERIFY(!button(d, ids(6).stop)->isEnabled());
}

void SerialTestDialogTest::destroyingTheConsoleClearsTheEnginesPointer() {
    ConsoleSession s;
    s.session.Start();
    QVERIFY(s.stopAndFinish());
    QVERIFY(s.engine().g_pTestDlg.load() == &s.dialog()->model());
    s.window.closeConsole();
    QVERIFY(!s.dialog());
    QVERIFY(s.engine().g_pTestDlg.load() == nullptr);
}

QTEST_MAIN(SerialTestDialogTest)
#include "serial_test_dialog_test.moc"
