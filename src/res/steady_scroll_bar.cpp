#include "res/steady_scroll_bar.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionSlider>

namespace brenmoor::res {
namespace {

// Enough for the places a followed end moves the slider between.
constexpr std::size_t kDrawingsKept = 4;

}  // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {
    // Its own background, the colour the frame beneath it would show, so a repaint of the bar
    // draws the bar alone and not the frame and the panel under it.
    setAutoFillBackground(true);
}

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
    // Under the mouse or while a button is down the bar shows hover and press, drawn anew.
    if (underMouse() || QApplication::mouseButtons() != Qt::NoButton) {
        QScrollBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, drawingAtRest());
}

const QPixmap& SteadyScrollBar::drawingAtRest() {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    const qreal ratio = devicePixelRatioF();
    const qint64 colours = palette().cacheKey();
    for (auto it = drawings_.begin(); it != drawings_.end(); ++it) {
        if (it->look == painted_ && it->size == size() && it->pixelRatio == ratio && it->state == option.state &&
            it->palette == colours) {
            std::rotate(drawings_.begin(), it, it + 1);
            return drawings_.front().pixmap;
        }
    }
    QPixmap pixmap(size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(palette().color(backgroundRole()));
    QPainter painter(&pixmap);
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    painter.end();
    if (drawings_.size() == kDrawingsKept) drawings_.pop_back();
    drawings_.insert(drawings_.begin(), Drawing{painted_, size(), ratio, option.state, colours, pixmap});
    return drawings_.front().pixmap;
}

}  // namespace brenmoor::res
