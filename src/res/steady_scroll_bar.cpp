#include "res/steady_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace brenmoor::res {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

SteadyScrollBar::Look SteadyScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            minimum() < maximum(), value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange) {
    // Hover, press and resize repaint through their own events; only the slider's own
    // changes wait for the check.
    if (checkPending_) return;
    checkPending_ = true;
    QMetaObject::invokeMethod(this, &SteadyScrollBar::repaintIfChanged, Qt::QueuedConnection);
}

void SteadyScrollBar::repaintIfChanged() {
    checkPending_ = false;
    if (!everPainted_ || look() != painted_) update();
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
    painted_ = look();
    everPainted_ = true;
    QScrollBar::paintEvent(event);
}

}  // namespace brenmoor::res
