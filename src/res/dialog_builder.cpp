#include "res/dialog_builder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "res/dialog_controls.h"
#include "res/read_only_text_view.h"

namespace brenmoor::res {

namespace {

bool has(const ControlTemplate& control, unsigned style) { return (control.style & style) != 0; }

Qt::ScrollBarPolicy barPolicy(const ControlTemplate& control, unsigned style, Qt::ScrollBarPolicy shown)
{
    return has(control, style) ? shown : Qt::ScrollBarAlwaysOff;
}

QWidget* makeLabel(const ControlTemplate& control, QWidget* parent)
{
    auto* label = new QLabel(QString::fromStdString(control.caption), parent);
    label->setAlignment((has(control, kStyleRightAlign) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    label->setWordWrap(has(control, kStyleWordWrap));
    if (has(control, kStyleBorder))
        label->setFrameShape(QFrame::Box);
    return label;
}

QWidget* makeEdit(const ControlTemplate& control, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(has(control, kStyleReadOnly));
    edit->setFrame(has(control, kStyleBorder));
    if (has(control, kStyleRightAlign))
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const bool stopWhenFull = !has(control, kStyleAutoHScroll);
    if (has(control, kStyleDigitsOnly) || stopWhenFull)
        edit->setValidator(new EditEntryValidator(edit, has(control, kStyleDigitsOnly), stopWhenFull));
    return edit;
}

QWidget* makeMultiLineEdit(const ControlTemplate& control, QWidget* parent)
{
    // A read-only box that scrolls sideways only shows text, often text that grows fast: a
    // view of its own does that without an editor's document.
    if (has(control, kStyleReadOnly) && has(control, kStyleAutoHScroll)) {
        auto* view = new ReadOnlyTextView(parent);
        if (!has(control, kStyleBorder))
            view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(barPolicy(control, kStyleHScrollBar, Qt::ScrollBarAlwaysOn));
        view->setVerticalScrollBarPolicy(barPolicy(control, kStyleVScrollBar, Qt::ScrollBarAlwaysOn));
        return view;
    }
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(has(control, kStyleReadOnly));
    if (!has(control, kStyleBorder))
        edit->setFrameShape(QFrame::NoFrame);
    // Without horizontal scrolling a multi-line box breaks its lines at the right edge.
    edit->setLineWrapMode(has(control, kStyleAutoHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(barPolicy(control, kStyleHScrollBar, Qt::ScrollBarAlwaysOn));
    edit->setVerticalScrollBarPolicy(barPolicy(control, kStyleVScrollBar, Qt::ScrollBarAlwaysOn));
    return edit;
}

QWidget* makeDropDownList(const ControlTemplate& control, QWidget* parent)
{
    auto* list = new DropDownList(parent);
    for (const std::string& item : control.items)
        list->addItem(QString::fromStdString(item));
    list->view()->setVerticalScrollBarPolicy(barPolicy(control, kStyleVScrollBar, Qt::ScrollBarAsNeeded));
    return list;
}

QWidget* makeCheckBox(const ControlTemplate& control, QWidget* parent)
{
    auto* box = new TemplateCheckBox(QString::fromStdString(control.caption), parent);
    // Text on the left puts the box at the right edge with the text right against it.
    if (has(control, kStyleTextLeft))
        box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

QWidget* makeControl(const ControlTemplate& control, QWidget* parent, const std::shared_ptr<RadioGroup>& group)
{
    const QString caption = QString::fromStdString(control.caption);
    switch (control.kind) {
    case ControlKind::PushButton:
        return new QPushButton(caption, parent);
    case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(caption, parent);
        button->setDefault(true);
        return button;
    }
    case ControlKind::CheckBox:
        return makeCheckBox(control, parent);
    case ControlKind::RadioButton:
        return new GroupedRadioButton(caption, group, parent);
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(caption, parent);
        // A frame drawn around its neighbours must not take their clicks.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case ControlKind::Label:
        return makeLabel(control, parent);
    case ControlKind::Edit:
        return makeEdit(control, parent);
    case ControlKind::MultiLineEdit:
        return makeMultiLineEdit(control, parent);
    case ControlKind::DropDownList:
        return makeDropDownList(control, parent);
    }
    return nullptr;
}

// A drop-down list's rectangle spans the closed box and its open list. The closed box
// keeps its natural height; the open list shows as many entries as the rest of the
// rectangle holds at one font height per entry, at least one.
QRect placeDropDownList(const QRect& rect, DropDownList* list, const DialogUnits& units)
{
    const int closedHeight = list->sizeHint().height();
    list->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / units.baseY()));
    return QRect(rect.topLeft(), QSize(rect.width(), closedHeight));
}

// A caption on one line is never cut off. Where the dialog font sets it a few pixels wider
// than the face the layout was drawn for, its label, check box or radio button grows by
// what the caption lacks, away from the side the caption is aligned to.
void fitCaption(QWidget* widget)
{
    int shortfall = 0;
    bool growLeft = false;
    if (const auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->wordWrap())
            return;
        shortfall = label->fontMetrics().horizontalAdvance(label->text()) - label->width();
        growLeft = (label->alignment() & Qt::AlignRight) != 0;
    } else if (const auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (!qobject_cast<const QCheckBox*>(button) && !qobject_cast<const QRadioButton*>(button))
            return;
        shortfall = button->fontMetrics().horizontalAdvance(button->text()) - captionRoom(button);
        growLeft = button->layoutDirection() == Qt::RightToLeft;
    }
    if (shortfall <= 0)
        return;
    QRect grown = widget->geometry();
    if (growLeft)
        grown.setLeft(grown.left() - shortfall);
    else
        grown.setWidth(grown.width() + shortfall);
    widget->setGeometry(grown);
}

}  // namespace

QWidget* BuiltDialog::control(int id) const
{
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

QPushButton* BuiltDialog::button(int id) const { return qobject_cast<QPushButton*>(control(id)); }
QCheckBox* BuiltDialog::checkBox(int id) const { return qobject_cast<QCheckBox*>(control(id)); }
QRadioButton* BuiltDialog::radioButton(int id) const { return qobject_cast<QRadioButton*>(control(id)); }
QLineEdit* BuiltDialog::edit(int id) const { return qobject_cast<QLineEdit*>(control(id)); }
QPlainTextEdit* BuiltDialog::multiLineEdit(int id) const { return qobject_cast<QPlainTextEdit*>(control(id)); }
ReadOnlyTextView* BuiltDialog::textView(int id) const { return qobject_cast<ReadOnlyTextView*>(control(id)); }
DropDownList* BuiltDialog::dropDownList(int id) const { return qobject_cast<DropDownList*>(control(id)); }

void BuiltDialog::add(int id, QWidget* widget)
{
    controls_.push_back(widget);
    if (id != kNoId) {
        const bool unique = byId_.emplace(id, widget).second;
        Q_ASSERT_X(unique, "buildDialog", "two controls of one template share an identifier");
    }
}

BuiltDialog buildDialog(const DialogTemplate& dialog, QWidget* parent)
{
    const QFont font = dialogFont(dialog);
    parent->setFont(font);
    parent->setWindowTitle(QString::fromStdString(dialog.caption));
    const DialogUnits units = DialogUnits::fromFont(font);
    BuiltDialog built(units, units.toPixels(dialog.widthDlu, dialog.heightDlu));

    // A radio group runs from a control that starts a group up to the next one.
    auto group = std::make_shared<RadioGroup>();
    QWidget* previousInTabOrder = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        if (has(control, kStyleGroupStart) && !group->empty())
            group = std::make_shared<RadioGroup>();
        QWidget* widget = makeControl(control, parent, group);
        QRect rect = units.toPixels(control.rect);
        if (auto* list = qobject_cast<DropDownList*>(widget))
            rect = placeDropDownList(rect, list, units);
        widget->setGeometry(rect);
        fitCaption(widget);
        widget->setEnabled(!has(control, kStyleDisabled));
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (previousInTabOrder)
                QWidget::setTabOrder(previousInTabOrder, widget);
            previousInTabOrder = widget;
        }
        built.add(control.id, widget);
    }

    // Frames go beneath the controls they surround, the first template's frame lowest.
    const std::vector<QWidget*>& controls = built.controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if (qobject_cast<QGroupBox*>(*it))
            (*it)->lower();
    }

    parent->resize(built.size());
    return built;
}

}  // namespace brenmoor::res
