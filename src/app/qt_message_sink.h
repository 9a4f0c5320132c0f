#pragma once
// Message boxes on the window thread. A box asked for on a worker thread is shown by the
// window thread while the worker waits for it to be dismissed; one asked for on the window
// thread is shown directly (a blocking queued call to one's own thread would never return).

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/message_box.h"

class QMessageBox;
class QWidget;

namespace brenmoor::app {

// The box for a request: its text, the detail (when there is one) as informative text below
// it, an OK button, the warning icon or none, the caption (the application's title when the
// request has none) and its owner (null for none).
std::unique_ptr<QMessageBox> makeMessageBox(const platform::MessageBoxRequest& request, QWidget* owner);

class QtMessageSink : public QObject, public platform::MessageSink {
    Q_OBJECT
public:
    // Shows the box and returns when it is dismissed; always called on the window thread.
    using Presenter = std::function<void(const platform::MessageBoxRequest&, QWidget* owner)>;

    // Lives on the thread that makes it, which must be the window thread.
    explicit QtMessageSink(Presenter present = runMessageBox);

    // The window that owns boxes asking for the main window; none until set.
    void setMainWindow(QWidget* window);

    void showMessage(const platform::MessageBoxRequest& request) override;

    static void runMessageBox(const platform::MessageBoxRequest& request, QWidget* owner);

private:
    void present(const platform::MessageBoxRequest& request);

    Presenter present_;
    QPointer<QWidget> mainWindow_;
};

}  // namespace brenmoor::app
