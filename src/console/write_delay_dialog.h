#pragma once
// The Write Delay dialog: the pause after each packet, one text of at most four digits for
// all ports. OK stores the box's text unchanged; Cancel stores nothing.

#include <QDialog>

#include "config/write_delay.h"
#include "platform/message_box.h"
#include "res/app_dialog_templates.h"

class QLineEdit;

namespace brenmoor::console {

class CWriteDelayDlg : public QDialog {
    Q_OBJECT
public:
    CWriteDelayDlg(config::WriteDelay& writeDelay, QWidget* parent = nullptr,
                   const res::DialogTemplate& layout = res::writeDelayTemplate());

    // False when the template lacked a control the dialog needs: it cannot be shown then.
    bool isComplete() const { return edit_ != nullptr; }
    QLineEdit* delayEdit() const { return edit_; }

    void accept() override;

private:
    config::WriteDelay& m_strWriteDelay;
    QLineEdit* edit_ = nullptr;
};

// The Delay command: runs the dialog modally under the active window; a dialog that cannot
// be shown is reported. Returns the dialog's result, -1 when it could not be shown.
int runWriteDelayCommand(config::WriteDelay& writeDelay, platform::MessageSink& messages,
                         const res::DialogTemplate& layout = res::writeDelayTemplate());

}  // namespace brenmoor::console
