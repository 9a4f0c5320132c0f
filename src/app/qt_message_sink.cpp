#include "app/qt_message_sink.h"

#include <QMessageBox>
#include <QThread>

#include "res/app_strings.h"

namespace brenmoor::app {

std::unique_ptr<QMessageBox> makeMessageBox(const platform::MessageBoxRequest& request, QWidget* owner) {
    const QString caption =
        request.caption.empty() ? QString::fromLatin1(res::kAppTitle) : QString::fromStdString(request.caption);
    const QMessageBox::Icon icon =
        request.icon == platform::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    auto box = std::make_unique<QMessageBox>(icon, caption, QString::fromStdString(request.text), QMessageBox::Ok, owner);
    // The reason is one short line: shown under the text at once rather than behind a
    // "Show Details" button.
    if (!request.detail.empty()) box->setInformativeText(QString::fromStdString(request.detail));
    return box;
}

QtMessageSink::QtMessageSink(Presenter present) : present_(std::move(present)) {}

void QtMessageSink::setMainWindow(QWidget* window) { mainWindow_ = window; }

void QtMessageSink::showMessage(const platform::MessageBoxRequest& request) {
    if (QThread::currentThread() == thread()) {
        present(request);
        return;
    }
    QMetaObject::invokeMethod(this, [this, &request] { present(request); }, Qt::BlockingQueuedConnection);
}

void QtMessageSink::present(const platform::MessageBoxRequest& request) {
    QWidget* owner = request.owner == platform::MessageOwner::MainWindow ? mainWindow_.data() : nullptr;
    present_(request, owner);
}

void QtMessageSink::runMessageBox(const platform::MessageBoxRequest& request, QWidget* owner) {
    makeMessageBox(request, owner)->exec();
}

}  // namespace brenmoor::app
