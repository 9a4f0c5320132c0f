#pragma once
// A read-only, multi-line text box that scrolls in both directions and never breaks a line,
// for text that grows many times a second. It keeps the text and where each line starts,
// lays out and paints only the lines in view, and measures a line once per content, since
// the lines of a stream repeat. The operator can select with the mouse (drag, or
// double-click for a word), copy (Ctrl+C, or Copy in the context menu), select everything
// and scroll back through the whole text.
//
// It looks as a plain-text edit of the same font does: the text starts one document margin
// in from the left and top, line after line at the font's height, on the base colour. Its
// scroll bars are shown always or never, as the dialog builder sets them; a bar shown only
// as needed would not come and go with the text.

#include <QAbstractScrollArea>
#include <QHash>
#include <QStaticText>
#include <QString>
#include <vector>

class QMenu;

namespace brenmoor::res {

class ReadOnlyTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReadOnlyTextView(QWidget* parent = nullptr);

    // Text with '\n' line breaks. Changing the text drops the selection.
    QString toPlainText() const { return text_; }
    void setPlainText(const QString& text);
    void append(const QString& text);

    // Scrolls to the last line, from the left edge when the last line fits the width and far
    // enough right to show its end when it does not.
    void showEnd();

    bool hasSelection() const { return anchor_ != position_; }
    QString selectedText() const;
    void selectAll();
    void copy() const;

    // The menu the operator's right click opens: Copy and Select All.
    QMenu* createContextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int lineCount() const { return static_cast<int>(lineStarts_.size()); }
    QString line(int index) const;
    int lineEnd(int index) const;
    int lineHeight() const { return lineHeight_; }
    // Where line `index` is drawn in the viewport, given the present scroll.
    int lineTop(int index) const;
    int textLeft() const;
    // The glyphs of a line, from the cache. A growing last line passes through prefixes of
    // the lines before it, so it repeats too.
    const QStaticText& shaped(int index);
    void measureFrom(int firstLine);
    void updateScrollRanges();
    // The character position nearest to a viewport point.
    int positionAt(const QPoint& point) const;
    void select(int anchor, int position);
    void scrollTowards(const QPoint& point);
    // Repaints the rows whose text or place changed since the last check. A box that follows
    // the end of lines that repeat mostly shows the same rows after an append. The check
    // waits until a change is complete: an append lengthens the text before the view moves
    // to the end, and the rows in between are never shown.
    void repaintChangedRowsLater();
    void repaintChangedRows();

    QString text_;
    std::vector<int> lineStarts_{0};
    // The font's height, asked for on every row drawn and so kept.
    int lineHeight_ = 1;
    // The widest line so far, in pixels; a box only grows until it is emptied.
    int widest_ = 0;
    // Shaped lines by content, so a line that repeats is laid out once.
    QHash<QString, QStaticText> shapedLines_;
    // The line measured last, which the next line in a stream most often repeats.
    QString lastMeasured_;
    // What each row in view shows, as of the last repaintChangedRows().
    struct Row {
        int top = 0;
        int left = 0;
        QString text;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows_;
    bool rowsSelected_ = false;
    bool rowsCheckPending_ = false;
    int anchor_ = 0;
    int position_ = 0;
    bool selecting_ = false;
};

}  // namespace brenmoor::res
