#pragma once
// The console window as the test session makes and shows it: one CSerialTestDlg, made by
// the first session start and reused by every later one.

#include <QPointer>

#include "engine/console_window.h"
#include "engine/engine_state.h"

class QWidget;

namespace brenmoor::console {

class CSerialTestDlg;
class SendFileChooser;

class TestConsoleWindow : public engine::ConsoleWindow {
public:
    // `owner` (the main window, or none) keeps the console above it and destroys it with it.
    TestConsoleWindow(SendFileChooser& files, QWidget* owner = nullptr);
    // Destroys the console if it still exists.
    ~TestConsoleWindow() override;

    // The engine the console works with. The console must be destroyed (closeConsole, or
    // with its owner) before that engine state is.
    void attach(engine::EngineState& engine) { engine_ = &engine; }
    void closeConsole();

    engine::ConsoleModel* create() override;
    void focus() override;
    void placeAndShow(int x, int y, int width, int height) override;

    CSerialTestDlg* dialog() const { return dialog_; }

private:
    SendFileChooser& files_;
    QWidget* owner_;
    engine::EngineState* engine_ = nullptr;
    QPointer<CSerialTestDlg> dialog_;
};

}  // namespace brenmoor::console
