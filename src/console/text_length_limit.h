#pragma once
// An input limit for a multi-line edit, counted as the stored text counts it: a line break
// is the pair CR LF, two characters. Typing or pasting beyond the limit keeps what fits;
// text already in the box when the limit is set is left whole, however long.

#include <QObject>

class QPlainTextEdit;

namespace brenmoor::console {

class TextLengthLimit : public QObject {
    Q_OBJECT
public:
    TextLengthLimit(QPlainTextEdit* edit, int limit);

    // The box's text length with each line break counted twice.
    static int storedLength(const QPlainTextEdit* edit);

private:
    void trimInsertion(int position, int removed, int added);

    QPlainTextEdit* edit_;
    int limit_;
    bool trimming_ = false;
};

}  // namespace brenmoor::console
