#pragma once
// A scroll bar that repaints only when what it draws changes. A box that grows many times a
// second changes its scroll range each time, yet once the slider has shrunk to its least
// length at the end of the groove it looks the same after every change; a plain scroll bar
// repaints anyway. The bar also passes through other looks on the way: a box sets the range
// before it moves the value to the end. So the check waits until the change is complete.

#include <QRect>
#include <QScrollBar>

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
    Look look() const;
    void repaintIfChanged();

    Look painted_;
    bool everPainted_ = false;
    bool checkPending_ = false;
};

}  // namespace brenmoor::res
