// The frame's arithmetic on its own: excess, range, the request table with its clamp, and
// when the size grip shows.
#include <QTest>

#include "console/scroll_arithmetic.h"

using namespace brenmoor::console;

Q_DECLARE_METATYPE(brenmoor::console::ScrollAxis)
Q_DECLARE_METATYPE(brenmoor::console::ScrollRequest)

class ScrollArithmeticTest : public QObject {
    Q_OBJECT
private slots:
    void excessAndRange_data();
    void excessAndRange();
    void requestTable_data();
    void requestTable();
    void sizeGrip();
};

void ScrollArithmeticTest::excessAndRange_data() {
    QTest::addColumn<ScrollAxis>("axis");
    QTest::addColumn<int>("full");
    QTest::addColumn<int>("client");
    QTest::addColumn<int>("excess");
    QTest::addColumn<int>("range");
    QTest::newRow("100 px narrower") << ScrollAxis::Horizontal << 900 << 800 << 12 << 12;
    QTest::newRow("50 px lower") << ScrollAxis::Vertical << 900 << 850 << 12 << 12;
    QTest::newRow("7 px narrower") << ScrollAxis::Horizontal << 900 << 893 << 0 << 0;
    QTest::newRow("3 px lower") << ScrollAxis::Vertical << 900 << 897 << 0 << 0;
    QTest::newRow("exactly one step") << ScrollAxis::Horizontal << 900 << 892 << 1 << 1;
    // Larger than the full size: negative excess, truncated toward zero, and no range.
    QTest::newRow("15 px wider") << ScrollAxis::Horizontal << 900 << 915 << -1 << 0;
    QTest::newRow("7 px taller") << ScrollAxis::Vertical << 900 << 907 << -1 << 0;
    QTest::newRow("3 px taller") << ScrollAxis::Vertical << 900 << 903 << 0 << 0;
}

void ScrollArithmeticTest::excessAndRange() {
    QFETCH(ScrollAxis, axis);
    QFETCH(int, full);
    QFETCH(int, client);
    QFETCH(int, excess);
    QFETCH(int, range);
    QCOMPARE(scrollExcess(axis, full, client), excess);
    QCOMPARE(scrollRange(scrollExcess(axis, full, client)), range);
}

void ScrollArithmeticTest::requestTable_data() {
    QTest::addColumn<ScrollAxis>("axis");
    QTest::addColumn<ScrollRequest>("request");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("excess");
    QTest::addColumn<int>("thumb");
    QTest::addColumn<int>("change");
    const auto H = ScrollAxis::Horizontal;
    const auto V = ScrollAxis::Vertical;
    QTest::newRow("line right") << H << ScrollRequest::LineForward << 3 << 12 << 12 << 0 << 1;
    QTest::newRow("line left at 0 is clamped") << H << ScrollRequest::LineBack << 0 << 12 << 12 << 0 << 0;
    QTest::newRow("line down at the bottom is clamped") << V << ScrollRequest::LineForward << 12 << 12 << 12 << 0 << 0;
    QTest::newRow("page right is 8 steps") << H << ScrollRequest::PageForward << 0 << 30 << 30 << 0 << 8;
    QTest::newRow("page right near the end") << H << ScrollRequest::PageForward << 9 << 12 << 12 << 0 << 3;
    QTest::newRow("page left") << H << ScrollRequest::PageBack << 10 << 12 << 12 << 0 << -8;
    QTest::newRow("page down from the top goes to the bottom") << V << ScrollRequest::PageForward << 0 << 57 << 57 << 0 << 57;
    QTest::newRow("page up from the middle goes to the top") << V << ScrollRequest::PageBack << 20 << 57 << 57 << 0 << -20;
    // Below one step of excess a vertical page asks for a single step, which the clamp
    // then keeps at nothing since there is no range.
    QTest::newRow("page down without excess") << V << ScrollRequest::PageForward << 0 << 0 << -5 << 0 << 0;
    QTest::newRow("thumb track") << V << ScrollRequest::ThumbTrack << 4 << 40 << 40 << 31 << 27;
    QTest::newRow("thumb track beyond the range") << H << ScrollRequest::ThumbTrack << 4 << 10 << 10 << 99 << 6;
    QTest::newRow("thumb released") << V << ScrollRequest::ThumbPosition << 4 << 40 << 40 << 31 << 0;
    QTest::newRow("to the top") << V << ScrollRequest::ToStart << 17 << 40 << 40 << 0 << -17;
    QTest::newRow("to the right end") << H << ScrollRequest::ToEnd << 5 << 12 << 12 << 0 << 7;
    QTest::newRow("end of scrolling") << H << ScrollRequest::EndScroll << 5 << 12 << 12 << 0 << 0;
}

void ScrollArithmeticTest::requestTable() {
    QFETCH(ScrollAxis, axis);
    QFETCH(ScrollRequest, request);
    QFETCH(int, position);
    QFETCH(int, range);
    QFETCH(int, excess);
    QFETCH(int, thumb);
    QFETCH(int, change);
    QCOMPARE(scrollChange(axis, request, ScrollState{position, range, excess}, thumb), change);
}

void ScrollArithmeticTest::sizeGrip() {
    QVERIFY(sizeGripVisible(0, 0, false));
    QVERIFY(sizeGripVisible(-3, -1, false));
    QVERIFY(!sizeGripVisible(1, 0, false));
    QVERIFY(!sizeGripVisible(0, 1, false));
    QVERIFY(!sizeGripVisible(-3, -1, true));
}

QTEST_APPLESS_MAIN(ScrollArithmeticTest)
#include "scroll_arithmetic_test.moc"
