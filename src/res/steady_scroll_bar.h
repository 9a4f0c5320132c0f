#pragma once
// A scroll bar that repaints only when what it draws changes, and draws a look it drew
// shortly before from a copy. A box that grows many times a second changes its scroll range
// each time, yet once the slider has shrunk to its least length at the end of the groove it
// looks the same after every change; and a box that follows the end of its last line moves
// its sideways slider back and forth between a few places. A plain scroll bar draws itself
// anew each time. The bar also passes through other looks on the way: a box sets the range
// before it moves the value to the end. So the check waits until the change is complete.

#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <vector>

namespace brenmoor::res {

class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What a range or value change can alter in the drawing: where the slider is, and
    // whether the bar and its two ends are usable.
    struct Look {
        QRect slider;
        bool usable = false;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    // A drawing of the bar at rest (no mouse over it or pressing it) and what it depends on.
    struct Drawing {
        Look look;
        QSize size;
        qreal pixelRatio = 1;
        QStyle::State state;
        qint64 palette = 0;
        QPixmap pixmap;
    };
    Look look() const;
    void repaintIfChanged();
    const QPixmap& drawingAtRest();

    Look painted_;
    bool everPainted_ = false;
    bool checkPending_ = false;
    // The latest drawings, most recent first.
    std::vector<Drawing> drawings_;
};

}  // namespace brenmoor::res
