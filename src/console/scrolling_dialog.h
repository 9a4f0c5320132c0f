#pragma once
// A dialog whose content is laid out larger than the window may be: made smaller than that
// size, it scrolls the whole content with its own horizontal and vertical scroll bars; while
// everything is visible it offers a size grip at its bottom-right corner instead.

#include <QDialog>
#include <QSize>

#include "console/scroll_arithmetic.h"

class QScrollBar;
class QSizeGrip;

namespace brenmoor::console {

class CScrollingDialog : public QDialog {
    Q_OBJECT
public:
    explicit CScrollingDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // What derived dialogs build their controls on, sized to show all of them.
    QWidget* content() const { return content_; }

    int horizontalExcess() const { return horizontal_.excess; }
    int verticalExcess() const { return vertical_.excess; }
    int horizontalRange() const { return horizontal_.range; }
    int verticalRange() const { return vertical_.range; }
    int horizontalPosition() const { return horizontal_.position; }
    int verticalPosition() const { return vertical_.position; }
    QSize fullSize() const { return fullSize_; }
    // The size of the area the content shows in: the window less the visible scroll bars.
    QSize clientSize() const;

    QScrollBar* horizontalScrollBar() const { return horizontalBar_; }
    QScrollBar* verticalScrollBar() const { return verticalBar_; }
    QSizeGrip* sizeGrip() const { return grip_; }

protected:
    // Fixes the full size at the content's present size and makes the frame ready; derived
    // dialogs call it once their content is built, before they fill it.
    void initialiseFrame();

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Called whenever another part of the content may have come into view: it moved, or
    // the window changed size.
    virtual void visibleAreaChanged() {}

private:
    void scrollBack();
    void recompute();
    void placeContent();
    void applyScroll(ScrollAxis axis, ScrollRequest request);
    QSize barExtents() const;

    QWidget* viewport_;
    QWidget* content_;
    QScrollBar* horizontalBar_;
    QScrollBar* verticalBar_;
    QSizeGrip* grip_ = nullptr;
    ScrollState horizontal_;
    ScrollState vertical_;
    QSize fullSize_;
    bool ready_ = false;
};

}  // namespace brenmoor::console
