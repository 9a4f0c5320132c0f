// The read-only text view of the traffic boxes: it draws what a read-only plain-text edit of
// the same font and size draws, follows the end, and lets the operator select, copy and
// scroll back.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "res/read_only_text_view.h"
#include "support/paint_counter.h"

using brenmoor::res::ReadOnlyTextView;

namespace {

constexpr QSize kBoxSize(180, 104);

QString numberedLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i) text += QStringLiteral("line %1\n").arg(i);
    return text;
}

// Both boxes the way the dialog builder makes them: framed, bars always on, no wrapping.
template <typename Box>
void shape(Box* box) {
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->resize(kBoxSize);
    box->show();
}

// Runs what the boxes deferred, then the repaint that follows it.
void settle() {
    for (int round = 0; round < 3; ++round) QApplication::processEvents();
}

QImage picture(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

class ReadOnlyTextViewTest : public QObject {
    Q_OBJECT
private slots:
    void drawsWhatAPlainTextEditDraws_data();
    void drawsWhatAPlainTextEditDraws();
    void appendFollowsTheEndAndDropsTheSelection();
    void mouseSelectsAndCopies();
    void contextMenuOffersCopyAndSelectAll();
    void scrollBarsRepaintOnlyWhenTheirLookChanges();
    void repaintsOnlyChangedRowsAndStillShowsWhatAWholeDrawingShows();
};

void ReadOnlyTextViewTest::drawsWhatAPlainTextEditDraws_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("two short lines") << QStringLiteral("The quick brown fox\njumps") << true;
    QTest::newRow("many lines, at the top") << numberedLines(40) << false;
    QTest::newRow("many lines, at the end") << numberedLines(40) << true;
    QTest::newRow("long last line, at the end")
        << numberedLines(12) + QString(60, QLatin1Char('w')) << true;
    QTest::newRow("long last line, at the end, line break after it")
        << numberedLines(12) + QString(60, QLatin1Char('w')) + QLatin1Char('\n') << true;
}

void ReadOnlyTextViewTest::drawsWhatAPlainTextEditDraws() {
    QFETCH(QString, text);
    QFETCH(bool, atEnd);
    QWidget window;
    QFont font(QStringLiteral("DejaVu Sans Condensed"), 8);
    window.setFont(font);
    auto* edit = new QPlainTextEdit(&window);
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    shape(edit);
    auto* view = new ReadOnlyTextView(&window);
    view->move(0, kBoxSize.height() + 10);
    shape(view);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    edit->setPlainText(text);
    view->setPlainText(text);
    if (atEnd) {
        edit->moveCursor(QTextCursor::End);
        edit->horizontalScrollBar()->setValue(0);
        edit->ensureCursorVisible();
        view->showEnd();
    }
    // Neither shows a cursor; the edit's is drawn only while it has focus.
    settle();
    for (Qt::Orientation o : {Qt::Vertical, Qt::Horizontal}) {
        QScrollBar* e = o == Qt::Vertical ? edit->verticalScrollBar() : edit->horizontalScrollBar();
        QScrollBar* v = o == Qt::Vertical ? view->verticalScrollBar() : view->horizontalScrollBar();
        QCOMPARE(v->maximum(), e->maximum());
        QCOMPARE(v->value(), e->value());
        QCOMPARE(v->pageStep(), e->pageStep());
    }
    QCOMPARE(picture(view), picture(edit));

    // Scrolled to the other corner and back, the bars draw each look afresh or from a copy
    // and still match.
    for (int pass = 0; pass < 2; ++pass) {
        for (QAbstractScrollArea* box : {static_cast<QAbstractScrollArea*>(edit), static_cast<QAbstractScrollArea*>(view)}) {
            QScrollBar* v = box->verticalScrollBar();
            QScrollBar* h = box->horizontalScrollBar();
            v->setValue(v->value() == v->minimum() ? v->maximum() : v->minimum());
            h->setValue(h->value() == h->minimum() ? h->maximum() : h->minimum());
        }
        settle();
        QCOMPARE(picture(view), picture(edit));
    }
}

void ReadOnlyTextViewTest::appendFollowsTheEndAndDropsTheSelection() {
    ReadOnlyTextView view;
    shape(&view);
    view.setPlainText(numberedLines(30));
    view.selectAll();
    view.verticalScrollBar()->setValue(0);
    view.horizontalScrollBar()->setValue(5);

    // An append that completes a line and starts the next one.
    view.append(QStringLiteral("tail\nend"));
    view.showEnd();
    QVERIFY(view.toPlainText().endsWith(QStringLiteral("line 29\ntail\nend")));
    QVERIFY(!view.hasSelection());
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QVERIFY(view.verticalScrollBar()->maximum() > 0);
    QCOMPARE(view.horizontalScrollBar()->value(), 0);

    // A last line too wide for the box brings its end into view; one that fits shows whole.
    view.append(QString(80, QLatin1Char('w')));
    view.showEnd();
    QVERIFY(view.horizontalScrollBar()->value() > 0);
    view.append(QStringLiteral("\nshort"));
    view.showEnd();
    QCOMPARE(view.horizontalScrollBar()->value(), 0);

    view.setPlainText(QString());
    view.showEnd();
    QCOMPARE(view.toPlainText(), QString());
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
}

void ReadOnlyTextViewTest::mouseSelectsAndCopies() {
    ReadOnlyTextView view;
    shape(&view);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setPlainText(numberedLines(200));
    view.showEnd();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();

    // Scrolled back to the top, a drag across the first line selects it from its start.
    view.verticalScrollBar()->setValue(0);
    QWidget* surface = view.viewport();
    const int firstLineMiddle = 4 + view.fontMetrics().height() / 2;
    const int lineEnd = 4 + view.fontMetrics().horizontalAdvance(QStringLiteral("line 0"));
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(1, firstLineMiddle));
    QTest::mouseMove(surface, QPoint(lineEnd + 1, firstLineMiddle));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(lineEnd + 1, firstLineMiddle));
    QCOMPARE(view.selectedText(), QStringLiteral("line 0"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("line 0"));

    // A drag down to the next line takes the line break with it.
    const int secondLineMiddle = firstLineMiddle + view.fontMetrics().height();
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(1, firstLineMiddle));
    QTest::mouseMove(surface, QPoint(lineEnd + 1, secondLineMiddle));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(lineEnd + 1, secondLineMiddle));
    QCOMPARE(view.selectedText(), QStringLiteral("line 0\nline 1"));

    // A double click takes the word under the mouse.
    QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(lineEnd - 1, secondLineMiddle));
    QCOMPARE(view.selectedText(), QStringLiteral("1"));

    // The last line is reachable too: Ctrl+A and Ctrl+C copy the whole text.
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), numberedLines(200));
}

void ReadOnlyTextViewTest::contextMenuOffersCopyAndSelectAll() {
    ReadOnlyTextView view;
    shape(&view);
    QApplication::clipboard()->clear();
    const auto actions = [&view] {
        std::unique_ptr<QMenu> menu(view.createContextMenu());
        QList<QAction*> found;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) found.push_back(a);
        return std::make_pair(std::move(menu), found);
    };
    {
        auto [menu, found] = actions();
        QCOMPARE(found.size(), 2);
        QVERIFY(found[0]->text().startsWith(QStringLiteral("&Copy\t")));
        QVERIFY(found[1]->text().startsWith(QStringLiteral("Select All\t")));
        // Nothing to copy or select in an empty box.
        QVERIFY(!found[0]->isEnabled());
        QVERIFY(!found[1]->isEnabled());
    }
    view.setPlainText(QStringLiteral("abc\ndef"));
    {
        auto [menu, found] = actions();
        QVERIFY(!found[0]->isEnabled());
        QVERIFY(found[1]->isEnabled());
        found[1]->trigger();
    }
    {
        auto [menu, found] = actions();
        QVERIFY(found[0]->isEnabled());
        found[0]->trigger();
    }
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc\ndef"));
}

void ReadOnlyTextViewTest::scrollBarsRepaintOnlyWhenTheirLookChanges() {
    ReadOnlyTextView view;
    shape(&view);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QScrollBar* vertical = view.verticalScrollBar();
    brenmoor::test::PaintCounter counter;
    vertical->installEventFilter(&counter);
    const auto grow = [&](int lines) {
        view.append(numberedLines(lines));
        view.showEnd();
        settle();
    };

    // Enough lines that the slider is at its least length at the end of the groove, where
    // more lines leave it.
    grow(300);
    QVERIFY(counter.paints > 0);
    counter.paints = 0;
    for (int i = 0; i < 5; ++i) grow(70);
    QCOMPARE(counter.paints, 0);
    QCOMPARE(vertical->value(), vertical->maximum());

    // Emptied, the slider fills the groove again, and that is painted.
    view.setPlainText(QString());
    view.showEnd();
    settle();
    QVERIFY(counter.paints > 0);
}

void ReadOnlyTextViewTest::repaintsOnlyChangedRowsAndStillShowsWhatAWholeDrawingShows() {
    ReadOnlyTextView view;
    shape(&view);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    struct PaintedRegion : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } viewport;
    view.viewport()->installEventFilter(&viewport);
    // What the window shows, against the view drawn whole afresh.
    const auto check = [&view](const char* step) {
        settle();
        const QImage shown = view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(shown.copy(view.rect()) == picture(&view), step);
    };
    const QString repeated = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz.\n");
    const auto stream = [&](int characters) {
        QString text;
        while (text.size() < characters) text += repeated;
        view.append(text.left(characters));
        view.showEnd();
    };

    stream(repeated.size() * 20);
    check("filled");
    // Whole repeated lines move every row up by the same text: nothing to draw again.
    viewport.painted = QRegion();
    stream(repeated.size() * 3);
    settle();
    QVERIFY(viewport.painted.isEmpty());
    check("whole lines");
    // Pieces that end inside a line change the last row, and the sideways place with it.
    for (int piece : {10, 20, 30, 17, 40, 3}) {
        viewport.painted = QRegion();
        stream(piece);
        settle();
        QVERIFY(!viewport.painted.isEmpty());
        QVERIFY(viewport.painted.boundingRect().height() < view.viewport()->height());
        check("piece");
    }
    view.selectAll();
    check("selected");
    stream(5);
    check("append after a selection");
    view.verticalScrollBar()->setValue(3);
    check("scrolled back");
    view.setPlainText(QStringLiteral("short"));
    view.showEnd();
    check("emptied and refilled");
}

QTEST_MAIN(ReadOnlyTextViewTest)
#include "read_only_text_view_test.moc"
