#include "console/test_console_window.h"

#include "console/serial_test_dialog.h"

namespace brenmoor::console {

TestConsoleWindow::TestConsoleWindow(SendFileChooser& files, QWidget* owner) : files_(files), owner_(owner) {}

TestConsoleWindow::~TestConsoleWindow() { closeConsole(); }

void TestConsoleWindow::closeConsole() { delete dialog_.data(); }

engine::ConsoleModel* TestConsoleWindow::create() {
    if (!engine_ || dialog_) return nullptr;
    auto* dialog = new CSerialTestDlg(*engine_, files_, owner_);
    if (!dialog->isComplete()) {
        delete dialog;
        return nullptr;
    }
    dialog_ = dialog;
    return &dialog->model();
}

void TestConsoleWindow::focus() {
    if (!dialog_) return;
    dialog_->activateWindow();
    dialog_->setFocus();
}

void TestConsoleWindow::placeAndShow(int x, int y, int width, int height) {
    if (!dialog_) return;
    // The size given is the outer frame's, whose own width is known only once it is shown.
    const auto fitFrame = [&] {
        const QSize frame = dialog_->frameGeometry().size() - dialog_->size();
        dialog_->resize(width - frame.width(), height - frame.height());
    };
    dialog_->move(x, y);
    fitFrame();
    dialog_->repaintChangedPanels();
    dialog_->show();
    fitFrame();
    dialog_->raise();
    dialog_->activateWindow();
}

}  // namespace brenmoor::console
