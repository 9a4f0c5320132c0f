#pragma once
// Counts the paint events of the widgets it is installed on: how a test sees whether a
// change repainted something.

#include <QEvent>
#include <QObject>

namespace brenmoor::test {

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }

    int paints = 0;
};

}  // namespace brenmoor::test
