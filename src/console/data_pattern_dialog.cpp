#include "console/data_pattern_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "config/send_file.h"
#include "console/send_file_chooser.h"
#include "console/text_length_limit.h"
#include "res/data_pattern_template.h"
#include "res/dialog_builder.h"

namespace brenmoor::console {
namespace {

// The record keeps line breaks as CR LF; the box shows them as its own line breaks.
QString shownText(const std::string& stored) {
    return QString::fromLatin1(stored.data(), static_cast<qsizetype>(stored.size())).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string storedText(const QString& shown) {
    const QByteArray bytes = QString(shown).replace(QChar('\n'), QStringLiteral("\r\n")).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void report(platform::MessageSink& messages, const std::string& text) {
    messages.showMessage({text, "Error", platform::MessageIcon::Warning, platform::MessageOwner::None});
}

}  // namespace

CDataPatternDlg::CDataPatternDlg(int portNumber, std::array<config::PortDataPattern, config::kPortCount>& patterns,
                                 SendFileChooser& files, platform::MessageSink& messages, QWidget* parent)
    : QDialog(parent),
      record_(patterns.at(static_cast<std::size_t>(portNumber - 1))),
      files_(files),
      messages_(messages) {
    const res::BuiltDialog built = res::buildDialog(res::dataPatternTemplate(), this);
    edit_ = built.multiLineEdit(res::kDataPatternEditId);
    quickBrown_ = built.radioButton(res::kDataPatternQuickBrownId);
    alphabets_ = built.radioButton(res::kDataPatternAlphabetsId);
    userPattern_ = built.radioButton(res::kDataPatternUserId);
    file_ = built.radioButton(res::kDataPatternFileId);
    QPushButton* ok = built.button(res::kDataPatternOkId);
    QPushButton* cancel = built.button(res::kDataPatternCancelId);
    if (!edit_ || !quickBrown_ || !alphabets_ || !userPattern_ || !file_ || !ok || !cancel) {
        edit_ = nullptr;
        return;
    }
    connect(ok, &QPushButton::clicked, this, &CDataPatternDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDataPatternDlg::reject);
    connect(quickBrown_, &QRadioButton::clicked, edit_, [this] { edit_->setEnabled(false); });
    connect(alphabets_, &QRadioButton::clicked, edit_, [this] { edit_->setEnabled(false); });
    connect(userPattern_, &QRadioButton::clicked, edit_, [this] { edit_->setEnabled(true); });
    connect(file_, &QRadioButton::clicked, this, [this] {
        edit_->setEnabled(false);
        chooseFile();
    });
    initialise();
}

int CDataPatternDlg::runModal() {
    if (!edit_) return -1;
    return exec();
}

void CDataPatternDlg::initialise() {
    edit_->setPlainText(shownText(record_.strUserPattern));
    // Set after the stored text, which is shown whole even when longer.
    new TextLengthLimit(edit_, static_cast<int>(config::kUserPatternLimit));
    alphabets_->setChecked(record_.nAlpha != 0);
    quickBrown_->setChecked(record_.nQuickBrown != 0);
    file_->setChecked(record_.nFile != 0);
    userPattern_->setChecked(record_.nUserData != 0);
    edit_->setEnabled(record_.nUserData != 0);
}

void CDataPatternDlg::chooseFile() {
    const std::optional<QString> path = files_.chooseSendFile(this);
    if (!path) return;
    if (!readFile(*path)) return;
    accept();
}

bool CDataPatternDlg::readFile(const QString& path) {
    switch (config::readSendFile(path.toStdString(), record_)) {
    case config::SendFileRead::Read:
        return true;
    case config::SendFileRead::CannotOpen:
        report(messages_, "Unable to open the file " + path.toStdString());
        return false;
    case config::SendFileRead::CannotRead:
        report(messages_, "Unable to read the file " + path.toStdString());
        return false;
    }
    return false;
}

void CDataPatternDlg::accept() {
    record_.nAlpha = alphabets_->isChecked() ? 1 : 0;
    record_.nQuickBrown = quickBrown_->isChecked() ? 1 : 0;
    record_.nFile = file_->isChecked() ? 1 : 0;
    record_.nUserData = userPattern_->isChecked() ? 1 : 0;
    if (record_.nUserData == 1) record_.strUserPattern = storedText(edit_->toPlainText());
    QDialog::accept();
}

}  // namespace brenmoor::console
