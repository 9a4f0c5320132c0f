// Dialog units to pixels: the platform's rounding (half away from zero) at the base units
// of the dialog font (6 x 13) and of a wider face (7 x 13).
#include <QTest>

#include "res/dialog_units.h"

using brenmoor::res::DialogUnits;
using brenmoor::res::DluRect;
using brenmoor::res::mulDiv;

class DialogUnitsTest : public QObject {
    Q_OBJECT
private slots:
    void horizontalAndVerticalPixels_data();
    void horizontalAndVerticalPixels();
    void rectangleConvertsEachEdge();
    void mulDivRoundsHalfAwayFromZero_data();
    void mulDivRoundsHalfAwayFromZero();
    void unitsFollowTheFontSize();
};

void DialogUnitsTest::horizontalAndVerticalPixels_data()
{
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<int>("dlu");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    // x = dlu * baseX / 4, y = dlu * baseY / 8, halves rounded up in magnitude.
    QTest::newRow("6x13 zero") << 6 << 13 << 0 << 0 << 0;
    QTest::newRow("6x13 one") << 6 << 13 << 1 << 2 << 2;          // 1.5, 1.625
    QTest::newRow("6x13 three") << 6 << 13 << 3 << 5 << 5;        // 4.5, 4.875
    QTest::newRow("6x13 four") << 6 << 13 << 4 << 6 << 7;         // 6, 6.5
    QTest::newRow("6x13 page width") << 6 << 13 << 187 << 281 << 304;   // 280.5, 303.875
    QTest::newRow("6x13 page height") << 6 << 13 << 271 << 407 << 440; // 406.5, 440.375
    QTest::newRow("6x13 negative") << 6 << 13 << -1 << -2 << -2;  // -1.5, -1.625
    QTest::newRow("7x13 one") << 7 << 13 << 1 << 2 << 2;          // 1.75
    QTest::newRow("7x13 two") << 7 << 13 << 2 << 4 << 3;          // 3.5, 3.25
    QTest::newRow("7x13 label width") << 7 << 13 << 42 << 74 << 68;     // 73.5, 68.25
    QTest::newRow("7x13 test dialog") << 7 << 13 << 582 << 1019 << 946; // 1018.5, 945.75
}

void DialogUnitsTest::horizontalAndVerticalPixels()
{
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(int, dlu);
    QFETCH(int, x);
    QFETCH(int, y);
    const DialogUnits units(baseX, baseY);
    QCOMPARE(units.toPixelsX(dlu), x);
    QCOMPARE(units.toPixelsY(dlu), y);
}

void DialogUnitsTest::rectangleConvertsEachEdge()
{
    const DialogUnits units(6, 13);
    // The stop-bit list: 70, 90, 85, 50.
    QCOMPARE(units.toPixels(DluRect{70, 90, 85, 50}), QRect(105, 146, 128, 81));
    QCOMPARE(units.toPixels(187, 271), QSize(281, 440));
}

void DialogUnitsTest::mulDivRoundsHalfAwayFromZero_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<int>("result");
    QTest::newRow("exact") << 8 << 6 << 4 << 12;
    QTest::newRow("below half") << 5 << 1 << 4 << 1;
    QTest::newRow("half up") << 3 << 1 << 2 << 2;
    QTest::newRow("half down for negatives") << -3 << 1 << 2 << -2;
    QTest::newRow("negative denominator") << 3 << 1 << -2 << -2;
    QTest::newRow("no 32-bit overflow") << 2000000000 << 3 << 4 << 1500000000;
    QTest::newRow("zero denominator") << 5 << 1 << 0 << -1;
}

void DialogUnitsTest::mulDivRoundsHalfAwayFromZero()
{
    QFETCH(int, number);
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(int, result);
    QCOMPARE(mulDiv(number, numerator, denominator), result);
}

void DialogUnitsTest::unitsFollowTheFontSize()
{
    // A bigger font gives bigger units: layouts grow with their text.
    QFont small("DejaVu Sans");
    small.setPixelSize(11);
    QFont large = small;
    large.setPixelSize(22);
    const DialogUnits a = DialogUnits::fromFont(small);
    const DialogUnits b = DialogUnits::fromFont(large);
    QVERIFY(a.baseX() > 0 && a.baseY() > 0);
    QVERIFY(b.baseX() >= 2 * a.baseX() - 1 && b.baseX() <= 2 * a.baseX() + 1);
    QVERIFY(b.baseY() >= 2 * a.baseY() - 2 && b.baseY() <= 2 * a.baseY() + 2);
    // The average width is the alphabet's advance over 52, rounded.
    const int advance = QFontMetrics(small).horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QVERIFY(std::abs(a.baseX() * 52 - advance) <= 26);
}

QTEST_MAIN(DialogUnitsTest)
#include "dialog_units_test.moc"
