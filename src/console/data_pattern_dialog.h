#pragma once
// The "Data Pattern" dialog: chooses what one port transmits (the sentence, the alphabet
// line, the operator's own text or a file's contents) and stores the choice in the port's
// data pattern record.

#include <QDialog>

#include "config/port_settings.h"
#include "platform/message_box.h"

class QPlainTextEdit;
class QRadioButton;

namespace brenmoor::console {

class SendFileChooser;

class CDataPatternDlg : public QDialog {
    Q_OBJECT
public:
    // `portNumber` is 1 to 8; the dialog edits patterns[portNumber - 1].
    CDataPatternDlg(int portNumber, std::array<config::PortDataPattern, config::kPortCount>& patterns,
                    SendFileChooser& files, platform::MessageSink& messages, QWidget* parent = nullptr);

    // The modal run: QDialog::Accepted or Rejected, or -1 when the dialog could not be built.
    int runModal();

    // Stores the choice and closes with OK.
    void accept() override;

    QRadioButton* quickBrownButton() const { return quickBrown_; }
    QRadioButton* alphabetsButton() const { return alphabets_; }
    QRadioButton* userPatternButton() const { return userPattern_; }
    QRadioButton* fileButton() const { return file_; }
    QPlainTextEdit* patternEdit() const { return edit_; }

private:
    void initialise();
    void chooseFile();
    // False, after its message, when the file could not be read; the record is then unchanged.
    bool readFile(const QString& path);

    config::PortDataPattern& record_;
    SendFileChooser& files_;
    platform::MessageSink& messages_;
    QPlainTextEdit* edit_ = nullptr;
    QRadioButton* quickBrown_ = nullptr;
    QRadioButton* alphabets_ = nullptr;
    QRadioButton* userPattern_ = nullptr;
    QRadioButton* file_ = nullptr;
};

}  // namespace brenmoor::console
