#include "console/traffic_box.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <string_view>

namespace brenmoor::console {
namespace {

// Bytes as single-byte characters; a CR LF pair, or a CR alone, is one line break.
QString displayText(std::string_view bytes) {
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

}  // namespace

TrafficBox::TrafficBox(QPlainTextEdit* edit) : edit_(edit) {
    // The traffic is a record, not an edit the operator could take back.
    edit_->setUndoRedoEnabled(false);
}

void TrafficBox::show(const std::string& text) {
    std::string_view wanted = text;
    if (!wanted.empty() && wanted.back() == '\r') wanted.remove_suffix(1);
    if (wanted == shown_) return;

    if (wanted.size() > shown_.size() && wanted.substr(0, shown_.size()) == shown_) {
        QTextCursor end(edit_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(displayText(wanted.substr(shown_.size())));
    } else {
        edit_->setPlainText(displayText(wanted));
    }
    shown_.assign(wanted);
    // The last line is the one appends grow, up to the whole box when the text has no line
    // breaks. It keeps its shaped glyphs, so drawing it and placing the cursor on it do not
    // shape it again; a change to its text discards them.
    edit_->document()->lastBlock().layout()->setCacheEnabled(true);
    followEnd();
}

void TrafficBox::followEnd() {
    // The view jumps to the end without a painted step on the way: a box that scrolls while
    // it paints lays out every line it passes to measure the step, lines it never shows.
    // It is painted once, where it comes to rest.
    QWidget* viewport = edit_->viewport();
    const bool painting = viewport->updatesEnabled();
    if (painting) viewport->setUpdatesEnabled(false);
    QScrollBar* vertical = edit_->verticalScrollBar();
    vertical->setValue(vertical->maximum());
    edit_->moveCursor(QTextCursor::End);
    // From the left edge, so a short last line shows whole; a long one still scrolls in.
    edit_->horizontalScrollBar()->setValue(0);
    edit_->ensureCursorVisible();
    if (painting) viewport->setUpdatesEnabled(true);
}

}  // namespace brenmoor::console
