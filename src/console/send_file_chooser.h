#pragma once
// Where the data pattern dialog asks the operator for the file a port is to send. The
// window side shows the "Send File" open dialog; tests answer with a path of their own.

#include <QString>
#include <optional>

class QWidget;

namespace brenmoor::console {

class SendFileChooser {
public:
    virtual ~SendFileChooser() = default;
    // The chosen file, or nothing when the operator cancelled.
    virtual std::optional<QString> chooseSendFile(QWidget* parent) = 0;
};

// The standard open-file dialog: "Send File", text files only, existing files only.
class SendFileDialog : public SendFileChooser {
public:
    std::optional<QString> chooseSendFile(QWidget* parent) override;
};

}  // namespace brenmoor::console
