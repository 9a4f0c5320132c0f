#pragma once
// The "Serial Communication Test" console: eight port panels over the engine's console
// model. The panels show the model, repainted in batches so that heavy traffic never
// floods the window thread; the operator's clicks go to the engine's panel actions, which
// change the model, and the dialog shows the result.

#include <QTimer>
#include <array>
#include <memory>

#include "console/scrolling_dialog.h"
#include "console/traffic_box.h"
#include "engine/console_model.h"
#include "engine/engine_state.h"
#include "engine/panel_actions.h"
#include "res/dialog_builder.h"
#include "res/test_dialog_template.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace brenmoor::console {

class SendFileChooser;

// How long changes gather before the panels are repainted.
inline constexpr int kRepaintIntervalMs = 30;

class CSerialTestDlg : public CScrollingDialog {
    Q_OBJECT
public:
    // The dialog lives until its owner (the main window, or none) destroys it; until then
    // it is what the engine's g_pTestDlg points at, through its model.
    CSerialTestDlg(engine::EngineState& engine, SendFileChooser& files, QWidget* owner = nullptr);
    ~CSerialTestDlg() override;

    // False when the template lacked one of the panels' controls.
    bool isComplete() const { return complete_; }

    engine::ConsoleModel& model() { return model_; }
    const res::BuiltDialog& controls() const { return built_; }

    // Repaints every panel whose model changed, now rather than at the next batch.
    void repaintChangedPanels();

    // Enter does nothing; Escape hides the window (QDialog::reject) and the session goes on.
    void accept() override {}

protected:
    void showEvent(QShowEvent* event) override;
    void visibleAreaChanged() override;

private:
    struct Panel {
        QCheckBox* enable;
        QLineEdit* packetCount;
        std::unique_ptr<TrafficBox> sent;
        std::unique_ptr<TrafficBox> received;
        QCheckBox* loopTest;
        QRadioButton* testForever;
        QRadioButton* error;
        QRadioButton* time;
        QLineEdit* hours;
        QLineEdit* minutes;
        QPushButton* run;
        QPushButton* stop;
        QPushButton* transfer;
    };

    bool bindPanel(int port);
    void connectPanel(int port);
    void showPanel(int port);
    // Whether any of the panel's traffic boxes lies in the part of the content on show.
    bool textsInView(const Panel& panel) const;
    void catchUpTexts();
    void afterClick();
    void openDataPattern(int port);

    engine::EngineState& engine_;
    SendFileChooser& files_;
    engine::ConsoleModel model_;
    engine::PanelActions actions_;
    res::BuiltDialog built_;
    std::array<Panel, res::kTestDialogPanelCount> panels_{};
    QTimer repaintTimer_;
    // Ports whose traffic boxes were left behind the model while out of view, one bit each.
    // The boxes are the costly part of a repaint, and a box no one sees needs none.
    std::uint32_t textsBehind_ = 0;
    bool complete_ = false;
};

}  // namespace brenmoor::console
