#include "console/text_length_limit.h"

#include <QPlainTextEdit>
#include <algorithm>
#include <QTextCursor>
#include <QTextDocument>

namespace brenmoor::console {

TextLengthLimit::TextLengthLimit(QPlainTextEdit* edit, int limit) : QObject(edit), edit_(edit), limit_(limit) {
    connect(edit->document(), &QTextDocument::contentsChange, this, &TextLengthLimit::trimInsertion);
}

namespace {

// Every line break is stored as CR LF: a paragraph's end (Enter) and a line break within a
// paragraph (Shift+Enter) alike.
int storedCharacters(QChar c) { return c == QChar::ParagraphSeparator || c == QChar::LineSeparator ? 2 : 1; }

}  // namespace

int TextLengthLimit::storedLength(const QPlainTextEdit* edit) {
    const QTextDocument* doc = edit->document();
    // characterCount() holds one separator per block, the last one included, which is not
    // stored.
    int length = 0;
    for (int i = 0; i < doc->characterCount() - 1; ++i) length += storedCharacters(doc->characterAt(i));
    return length;
}

void TextLengthLimit::trimInsertion(int position, int, int added) {
    if (trimming_ || added <= 0) return;
    int excess = storedLength(edit_) - limit_;
    if (excess <= 0) return;

    const QTextDocument* doc = edit_->document();
    const int end = std::min(position + added, doc->characterCount() - 1);
    int start = end;
    while (start > position && excess > 0) {
        --start;
        excess -= storedCharacters(doc->characterAt(start));
    }
    if (start == end) return;
    trimming_ = true;
    QTextCursor cursor(edit_->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    trimming_ = false;
}

}  // namespace brenmoor::console
