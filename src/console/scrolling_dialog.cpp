#include "console/scrolling_dialog.h"

#include <QAbstractSlider>
#include <QEvent>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStyle>

namespace brenmoor::console {
namespace {

ScrollRequest requestFor(int sliderAction) {
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollRequest::LineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollRequest::LineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollRequest::PageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollRequest::PageForward;
    case QAbstractSlider::SliderMove: return ScrollRequest::ThumbTrack;
    case QAbstractSlider::SliderToMinimum: return ScrollRequest::ToStart;
    case QAbstractSlider::SliderToMaximum: return ScrollRequest::ToEnd;
    default: return ScrollRequest::EndScroll;
    }
}

}  // namespace

CScrollingDialog::CScrollingDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags),
      viewport_(new QWidget(this)),
      content_(new QWidget(viewport_)),
      horizontalBar_(new QScrollBar(Qt::Horizontal, this)),
      verticalBar_(new QScrollBar(Qt::Vertical, this)) {
    for (QScrollBar* bar : {horizontalBar_, verticalBar_}) {
        bar->setRange(0, 0);
        bar->setSingleStep(1);
        bar->hide();
    }
    for (auto [bar, axis] : {std::pair{horizontalBar_, ScrollAxis::Horizontal}, std::pair{verticalBar_, ScrollAxis::Vertical}}) {
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, axis = axis](int action) { applyScroll(axis, requestFor(action)); });
        connect(bar, &QAbstractSlider::sliderReleased, this,
                [this, axis = axis] { applyScroll(axis, ScrollRequest::ThumbPosition); });
    }
}

void CScrollingDialog::initialiseFrame() {
    horizontal_ = {};
    vertical_ = {};
    resize(content_->size());
    viewport_->setGeometry(rect());
    fullSize_ = size();
    ready_ = true;
    const QSize extents = barExtents();
    grip_ = new QSizeGrip(this);
    grip_->resize(extents.width(), extents.height());
    grip_->move(width() - grip_->width(), height() - grip_->height());
    grip_->show();
    grip_->raise();
}

QSize CScrollingDialog::barExtents() const {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalBar_);
    return {extent, extent};
}

QSize CScrollingDialog::clientSize() const { return viewport_->size(); }

void CScrollingDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!ready_) return;
    scrollBack();
    recompute();
}

void CScrollingDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The grip follows the maximised state itself; settle it by the excess as well.
    if (event->type() == QEvent::WindowStateChange && ready_) recompute();
}

void CScrollingDialog::scrollBack() {
    horizontal_.position = 0;
    vertical_.position = 0;
    placeContent();
    horizontalBar_->setValue(0);
    verticalBar_->setValue(0);
}

void CScrollingDialog::recompute() {
    const bool maximised = isMaximized();
    const QSize extents = barExtents();
    // A scroll bar takes room from the client area, which may call for the other one.
    bool horizontalShown = false;
    bool verticalShown = false;
    QSize client;
    for (;;) {
        client = QSize(width() - (verticalShown ? extents.width() : 0),
                       height() - (horizontalShown ? extents.height() : 0));
        horizontal_.excess = scrollExcess(ScrollAxis::Horizontal, fullSize_.width(), client.width());
        vertical_.excess = scrollExcess(ScrollAxis::Vertical, fullSize_.height(), client.height());
        const bool needHorizontal = scrollRange(horizontal_.excess) > 0;
        const bool needVertical = scrollRange(vertical_.excess) > 0;
        if (needHorizontal == horizontalShown && needVertical == verticalShown) break;
        horizontalShown = needHorizontal;
        verticalShown = needVertical;
    }

    grip_->setVisible(sizeGripVisible(horizontal_.excess, vertical_.excess, maximised));

    for (auto [state, bar] : {std::pair{&horizontal_, horizontalBar_}, std::pair{&vertical_, verticalBar_}}) {
        state->range = scrollRange(state->excess);
        state->position = std::min(state->position, state->range);
        bar->setRange(0, state->range);
        bar->setValue(state->position);
        bar->setVisible(state->range > 0);
    }
    horizontalBar_->setPageStep(std::max(1, client.width() / kHorizontalStepPixels));
    verticalBar_->setPageStep(std::max(1, client.height() / kVerticalStepPixels));

    viewport_->setGeometry(0, 0, client.width(), client.height());
    horizontalBar_->setGeometry(0, client.height(), client.width(), extents.height());
    verticalBar_->setGeometry(client.width(), 0, extents.width(), client.height());
    placeContent();

    if (!maximised) {
        grip_->move(client.width() - grip_->width(), client.height() - grip_->height());
        grip_->raise();
    }
}

void CScrollingDialog::placeContent() {
    content_->move(-horizontal_.position * kHorizontalStepPixels, -vertical_.position * kVerticalStepPixels);
    visibleAreaChanged();
}

void CScrollingDialog::applyScroll(ScrollAxis axis, ScrollRequest request) {
    const bool horizontal = axis == ScrollAxis::Horizontal;
    ScrollState& state = horizontal ? horizontal_ : vertical_;
    QScrollBar* bar = horizontal ? horizontalBar_ : verticalBar_;
    const int change = scrollChange(axis, request, state, bar->sliderPosition());
    if (change != 0) {
        state.position += change;
        placeContent();
    }
    // The bar has already moved its own way; it shows what the table decided instead.
    bar->setSliderPosition(state.position);
}

}  // namespace brenmoor::console
