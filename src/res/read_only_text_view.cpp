#include "res/read_only_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>

#include "res/steady_scroll_bar.h"

namespace brenmoor::res {
namespace {

// A plain-text edit's defaults: the margin round its text and its tab stops.
constexpr int kDocumentMargin = 4;
constexpr qreal kTabStopDistance = 80;
// A screenful of distinct lines many times over; past it the cache starts again.
constexpr qsizetype kShapedLineLimit = 512;

QTextOption lineOption() {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(kTabStopDistance);
    return option;
}

// Floor division, for points above the first line in view.
int floorDiv(int value, int divisor) { return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor); }

QStaticText shape(const QString& line, const QFont& font) {
    QStaticText text(line);
    text.setTextFormat(Qt::PlainText);
    text.setTextOption(lineOption());
    text.prepare(QTransform(), font);
    return text;
}

QString shortcutText(QKeySequence::StandardKey key) {
    return QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

}  // namespace

ReadOnlyTextView::ReadOnlyTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal));
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
    // The frame lays its scroll bars out again after every change of their range, to show
    // or hide bars shown as needed, and repaints both bars each time. The builder shows this
    // view's bars always or never, so a range change never moves them.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        disconnect(bar, SIGNAL(rangeChanged(int, int)), this, SLOT(_q_showOrHideScrollBars()));
    viewport()->setCursor(Qt::IBeamCursor);
    lineHeight_ = std::max(1, fontMetrics().height());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
    updateScrollRanges();
}

void ReadOnlyTextView::setPlainText(const QString& text) {
    text_.clear();
    lineStarts_.assign(1, 0);
    widest_ = 0;
    lastMeasured_.clear();
    append(text);
}

void ReadOnlyTextView::append(const QString& text) {
    const int firstChanged = lineCount() - 1;
    const int from = static_cast<int>(text_.size());
    text_ += text;
    for (int i = from; i < text_.size(); ++i)
        if (text_[i] == QLatin1Char('\n')) lineStarts_.push_back(i + 1);
    anchor_ = position_ = static_cast<int>(text_.size());
    measureFrom(firstChanged);
    updateScrollRanges();
    repaintChangedRowsLater();
}

void ReadOnlyTextView::showEnd() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    // The end of the last line, where a plain-text edit puts its cursor, centred when it
    // lies beyond the right edge.
    QScrollBar* horizontal = horizontalScrollBar();
    const int endX = kDocumentMargin + qCeil(shaped(lineCount() - 1).size().width());
    horizontal->setValue(endX + 1 > viewport()->width() ? endX - viewport()->width() / 2 : 0);
}

QString ReadOnlyTextView::selectedText() const {
    const int from = std::min(anchor_, position_);
    return text_.mid(from, std::max(anchor_, position_) - from);
}

void ReadOnlyTextView::selectAll() { select(0, static_cast<int>(text_.size())); }

void ReadOnlyTextView::copy() const {
    if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

QMenu* ReadOnlyTextView::createContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copyAction = menu->addAction(tr("&Copy") + shortcutText(QKeySequence::Copy), this, &ReadOnlyTextView::copy);
    copyAction->setEnabled(hasSelection());
    menu->addSeparator();
    QAction* selectAllAction =
        menu->addAction(tr("Select All") + shortcutText(QKeySequence::SelectAll), this, &ReadOnlyTextView::selectAll);
    selectAllAction->setEnabled(!text_.isEmpty());
    return menu;
}

QString ReadOnlyTextView::line(int index) const {
    const int start = lineStarts_[static_cast<std::size_t>(index)];
    return text_.mid(start, lineEnd(index) - start);
}

int ReadOnlyTextView::lineEnd(int index) const {
    return index + 1 < lineCount() ? lineStarts_[static_cast<std::size_t>(index) + 1] - 1
                                   : static_cast<int>(text_.size());
}

int ReadOnlyTextView::lineTop(int index) const {
    // The top margin belongs to the first line: it scrolls away with it.
    const int top = verticalScrollBar()->value();
    return (top == 0 ? kDocumentMargin : 0) + (index - top) * lineHeight();
}

int ReadOnlyTextView::textLeft() const { return kDocumentMargin - horizontalScrollBar()->value(); }

const QStaticText& ReadOnlyTextView::shaped(int index) {
    const QString text = line(index);
    auto found = shapedLines_.constFind(text);
    if (found != shapedLines_.constEnd()) return *found;
    if (shapedLines_.size() >= kShapedLineLimit) shapedLines_.clear();
    return *shapedLines_.insert(text, shape(text, font()));
}

void ReadOnlyTextView::measureFrom(int firstLine) {
    for (int i = firstLine; i < lineCount(); ++i) {
        const int start = lineStarts_[static_cast<std::size_t>(i)];
        const QStringView text = QStringView(text_).mid(start, lineEnd(i) - start);
        if (text == lastMeasured_) continue;
        widest_ = std::max(widest_, qCeil(shaped(i).size().width()));
        lastMeasured_ = text.toString();
    }
}

void ReadOnlyTextView::updateScrollRanges() {
    // As a plain-text edit counts them: whole lines that fit above the bottom margin, and
    // the widest line between the side margins.
    const int room = viewport()->height() - 2 * kDocumentMargin - 1;
    const int fit = std::max(1, room / lineHeight());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(std::min(fit, lineCount()));
    vertical->setRange(0, std::max(0, lineCount() - fit));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(viewport()->width());
    horizontal->setRange(0, std::max(0, widest_ + 2 * kDocumentMargin - 1 - viewport()->width()));
}

int ReadOnlyTextView::positionAt(const QPoint& point) const {
    const int top = verticalScrollBar()->value();
    const int y = point.y() - (top == 0 ? kDocumentMargin : 0);
    const int index = std::clamp(top + floorDiv(y, lineHeight()), 0, lineCount() - 1);
    QTextLayout layout(line(index), font());
    layout.setTextOption(lineOption());
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    layout.endLayout();
    return lineStarts_[static_cast<std::size_t>(index)] + textLine.xToCursor(point.x() - textLeft());
}

void ReadOnlyTextView::select(int anchor, int position) {
    if (anchor == anchor_ && position == position_) return;
    anchor_ = anchor;
    position_ = position;
    repaintChangedRowsLater();
}

void ReadOnlyTextView::scrollTowards(const QPoint& point) {
    // A drag past an edge scrolls the text under the mouse, a line or a character per move.
    const QRect view = viewport()->rect();
    if (point.y() < view.top()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (point.y() > view.bottom()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (point.x() < view.left()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (point.x() > view.right()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void ReadOnlyTextView::repaintChangedRowsLater() {
    if (rowsCheckPending_) return;
    rowsCheckPending_ = true;
    QMetaObject::invokeMethod(this, &ReadOnlyTextView::repaintChangedRows, Qt::QueuedConnection);
}

void ReadOnlyTextView::repaintChangedRows() {
    rowsCheckPending_ = false;
    std::vector<Row> rows;
    const int height = lineHeight();
    for (int i = verticalScrollBar()->value(); i < lineCount() && lineTop(i) < viewport()->height(); ++i)
        rows.push_back({lineTop(i), textLeft(), line(i)});
    // A selection is drawn over rows and line breaks alike: the view is drawn whole.
    const bool selected = hasSelection();
    if (selected || rowsSelected_) {
        viewport()->update();
    } else {
        QRegion changed;
        const int width = viewport()->width();
        for (std::size_t r = 0; r < std::max(rows.size(), rows_.size()); ++r) {
            const bool isNew = r < rows.size();
            const bool wasShown = r < rows_.size();
            if (isNew && wasShown && rows[r] == rows_[r]) continue;
            if (isNew) changed += QRect(0, rows[r].top, width, height);
            if (wasShown) changed += QRect(0, rows_[r].top, width, height);
        }
        if (!changed.isEmpty()) viewport()->update(changed);
    }
    rows_ = std::move(rows);
    rowsSelected_ = selected;
}

void ReadOnlyTextView::scrollContentsBy(int, int) { repaintChangedRowsLater(); }

void ReadOnlyTextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    const int selectionStart = std::min(anchor_, position_);
    const int selectionEnd = std::max(anchor_, position_);
    const int height = lineHeight();
    const int left = textLeft();
    const QRect view = viewport()->rect();
    for (int i = verticalScrollBar()->value(); i < lineCount(); ++i) {
        const int top = lineTop(i);
        if (top >= view.height()) break;
        // Most repaints are of the rows an append changed.
        if (!event->region().intersects(QRect(0, top, view.width(), height))) continue;
        const QStaticText& glyphs = shaped(i);
        const int start = lineStarts_[static_cast<std::size_t>(i)];
        const int end = lineEnd(i);
        if (selectionEnd <= start || selectionStart > end) {
            painter.setPen(colours.color(QPalette::Text));
            painter.drawStaticText(left, top, glyphs);
            continue;
        }
        // A selected stretch, and the line break after it when the selection runs on.
        QTextLayout layout(glyphs.text(), font());
        layout.setTextOption(lineOption());
        layout.beginLayout();
        QTextLine textLine = layout.createLine();
        layout.endLayout();
        const qreal from = textLine.cursorToX(std::max(selectionStart - start, 0));
        qreal to = textLine.cursorToX(std::min(selectionEnd, end) - start);
        if (selectionEnd > end) to += fontMetrics().horizontalAdvance(QLatin1Char(' '));
        const QRect highlight(left + qFloor(from), top, qCeil(to - from), height);
        painter.fillRect(highlight, colours.brush(QPalette::Highlight));
        painter.save();
        painter.setClipRegion(QRegion(view).subtracted(highlight));
        painter.setPen(colours.color(QPalette::Text));
        painter.drawStaticText(left, top, glyphs);
        painter.setClipRect(highlight);
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawStaticText(left, top, glyphs);
        painter.restore();
    }
}

void ReadOnlyTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
    repaintChangedRowsLater();
}

void ReadOnlyTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        shapedLines_.clear();
        lineHeight_ = std::max(1, fontMetrics().height());
        horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth());
        widest_ = 0;
        lastMeasured_.clear();
        measureFrom(0);
        updateScrollRanges();
        rows_.clear();
        viewport()->update();
    }
}

void ReadOnlyTextView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReadOnlyTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int at = positionAt(event->position().toPoint());
    select(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
    selecting_ = true;
}

void ReadOnlyTextView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_) return;
    const QPoint point = event->position().toPoint();
    scrollTowards(point);
    select(anchor_, positionAt(point));
}

void ReadOnlyTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    selecting_ = false;
    QClipboard* clipboard = QApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection()) clipboard->setText(selectedText(), QClipboard::Selection);
}

void ReadOnlyTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The word under the mouse: the run of characters between blanks and line breaks.
    const int at = positionAt(event->position().toPoint());
    int from = at;
    int to = at;
    while (from > 0 && !text_[from - 1].isSpace()) --from;
    while (to < text_.size() && !text_[to].isSpace()) ++to;
    select(from, to);
    selecting_ = false;
}

void ReadOnlyTextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace brenmoor::res
