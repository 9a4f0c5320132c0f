// The scrolling frame as a window: scroll bars and their ranges by window size, the
// content moving by steps, scroll-back on resize, and the size grip.
#include <QLabel>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTest>

#include "console/scrolling_dialog.h"

using brenmoor::console::CScrollingDialog;

namespace {

// A frame over plain content of a given size with a marker at its far corner.
class Frame : public CScrollingDialog {
public:
    explicit Frame(QSize full) {
        content()->resize(full);
        corner = new QLabel("corner", content());
        corner->setGeometry(full.width() - 40, full.height() - 20, 40, 20);
        initialiseFrame();
    }
    QLabel* corner;
};

constexpr QSize kFull{900, 700};

// The window size whose client area, once both scroll bars show, is `client`.
QSize windowWithBothBars(const Frame& f, QSize client) {
    return client + QSize(f.verticalScrollBar()->width(), f.horizontalScrollBar()->height());
}

}  // namespace

class ScrollingDialogTest : public QObject {
    Q_OBJECT
private slots:
    void fullSizeHasNoScrollingAndShowsTheGrip();
    void smallerWindowGetsRangesAndHidesTheGrip();
    void strayPixelsGiveNoRange();
    void pagingAndThumb();
    void resizeReturnsToTopLeft();
    void maximisedHidesTheGripWhereItWas();
};

void ScrollingDialogTest::fullSizeHasNoScrollingAndShowsTheGrip() {
    Frame f(kFull);
    f.show();
    QCOMPARE(f.fullSize(), kFull);
    QCOMPARE(f.horizontalRange(), 0);
    QCOMPARE(f.verticalRange(), 0);
    QVERIFY(!f.horizontalScrollBar()->isVisible());
    QVERIFY(!f.verticalScrollBar()->isVisible());
    QVERIFY(f.sizeGrip()->isVisible());
    QCOMPARE(f.sizeGrip()->geometry().bottomRight(), f.rect().bottomRight());

    // Larger than the full size: still nothing to scroll, grip at the new corner.
    f.resize(kFull + QSize(60, 30));
    QCOMPARE(f.horizontalRange(), 0);
    QCOMPARE(f.verticalRange(), 0);
    QVERIFY(f.sizeGrip()->isVisible());
    QCOMPARE(f.sizeGrip()->geometry().bottomRight(), f.rect().bottomRight());
}

void ScrollingDialogTest::smallerWindowGetsRangesAndHidesTheGrip() {
    Frame f(kFull);
    f.show();
    const QSize client = kFull - QSize(100, 50);
    f.resize(windowWithBothBars(f, client));
    QCOMPARE(f.clientSize(), client);
    QCOMPARE(f.horizontalRange(), 12);
    QCOMPARE(f.verticalRange(), 12);
    QVERIFY(f.horizontalScrollBar()->isVisible());
    QVERIFY(f.verticalScrollBar()->isVisible());
    QCOMPARE(f.horizontalScrollBar()->maximum(), 12);
    QCOMPARE(f.verticalScrollBar()->maximum(), 12);
    QVERIFY(!f.sizeGrip()->isVisible());
}

void ScrollingDialogTest::strayPixelsGiveNoRange() {
    Frame f(kFull);
    f.show();
    f.resize(kFull - QSize(7, 3));
    QCOMPARE(f.horizontalRange(), 0);
    QCOMPARE(f.verticalRange(), 0);
    QVERIFY(!f.horizontalScrollBar()->isVisible());
    QVERIFY(!f.verticalScrollBar()->isVisible());
    QCOMPARE(f.content()->pos(), QPoint(0, 0));

    // A shortfall in one direction only shows that direction's bar alone.
    f.resize(kFull.width() - 80, kFull.height() + f.horizontalScrollBar()->height());
    QCOMPARE(f.horizontalRange(), 10);
    QCOMPARE(f.verticalRange(), 0);
    QVERIFY(f.horizontalScrollBar()->isVisible());
    QVERIFY(!f.verticalScrollBar()->isVisible());
}

void ScrollingDialogTest::pagingAndThumb() {
    Frame f(kFull);
    f.show();
    f.resize(windowWithBothBars(f, kFull - QSize(100, 200)));
    QCOMPARE(f.verticalRange(), 50);
    QScrollBar* v = f.verticalScrollBar();
    QScrollBar* h = f.horizontalScrollBar();

    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(f.verticalPosition(), 50);
    QCOMPARE(v->value(), 50);
    QCOMPARE(f.content()->y(), -200);
    // The far corner of the content is now in view.
    QVERIFY(f.corner->mapTo(&f, QPoint(0, 0)).y() + f.corner->height() <= f.clientSize().height());

    h->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(f.horizontalPosition(), 8);
    QCOMPARE(f.content()->x(), -64);
    h->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(f.horizontalPosition(), 12);  // only what is left
    QCOMPARE(f.content()->x(), -96);
    h->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(f.content()->x(), -88);

    v->setSliderDown(true);
    v->setSliderPosition(21);
    QCOMPARE(f.verticalPosition(), 21);
    QCOMPARE(f.content()->y(), -84);
    v->setSliderPosition(9);
    QCOMPARE(f.content()->y(), -36);
    v->setSliderDown(false);
    QCOMPARE(f.verticalPosition(), 9);
    QCOMPARE(f.content()->y(), -36);

    v->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(f.content()->y(), 0);
    QCOMPARE(v->value(), 0);
}

void ScrollingDialogTest::resizeReturnsToTopLeft() {
    Frame f(kFull);
    f.show();
    f.resize(windowWithBothBars(f, kFull - QSize(200, 200)));
    f.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    f.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(f.content()->pos(), QPoint(-64, -4));

    f.resize(f.size() + QSize(1, 1));
    QCOMPARE(f.content()->pos(), QPoint(0, 0));
    QCOMPARE(f.horizontalPosition(), 0);
    QCOMPARE(f.verticalPosition(), 0);
    QCOMPARE(f.horizontalScrollBar()->value(), 0);
    QCOMPARE(f.verticalScrollBar()->value(), 0);
}

void ScrollingDialogTest::maximisedHidesTheGripWhereItWas() {
    Frame f(QSize(300, 200));
    f.show();
    QVERIFY(f.sizeGrip()->isVisible());
    const QPoint gripAt = f.sizeGrip()->pos();
    f.showMaximized();
    QTRY_VERIFY(f.isMaximized());
    QCOMPARE(f.horizontalRange(), 0);
    QCOMPARE(f.verticalRange(), 0);
    QVERIFY(!f.sizeGrip()->isVisible());
    QCOMPARE(f.sizeGrip()->pos(), gripAt);
}

QTEST_MAIN(ScrollingDialogTest)
#include "scrolling_dialog_test.moc"
