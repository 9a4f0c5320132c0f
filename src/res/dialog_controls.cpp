#include "res/dialog_controls.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <algorithm>

namespace brenmoor::res {

void DropDownList::showPopup()
{
    emit aboutToDropDown();
    QComboBox::showPopup();
}

bool TemplateCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

GroupedRadioButton::GroupedRadioButton(const QString& text, std::shared_ptr<RadioGroup> group, QWidget* parent)
    : QRadioButton(text, parent), group_(std::move(group))
{
    // Qt's own exclusivity spans every radio button of one parent widget; the template's
    // groups are finer than that.
    setAutoExclusive(false);
    group_->emplace_back(this);
}

bool GroupedRadioButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void GroupedRadioButton::nextCheckState()
{
    for (const QPointer<GroupedRadioButton>& other : *group_) {
        if (other && other != this)
            other->setChecked(false);
    }
    setChecked(true);
}

EditEntryValidator::EditEntryValidator(QLineEdit* edit, bool digitsOnly, bool stopWhenFull)
    : QValidator(edit), edit_(edit), digitsOnly_(digitsOnly), stopWhenFull_(stopWhenFull)
{
}

QValidator::State EditEntryValidator::validate(QString& input, int&) const
{
    if (digitsOnly_ && !std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return Invalid;
    if (stopWhenFull_ && !fitsBox(input))
        return Invalid;
    return Acceptable;
}

bool EditEntryValidator::fitsBox(const QString& text) const
{
    // The text area as QLineEdit lays it out: the style's contents rectangle, less the text
    // margins, the fixed two-pixel side margins and room for the cursor.
    QStyleOptionFrame option;
    option.initFrom(edit_);
    option.rect = edit_->rect();
    option.lineWidth = edit_->hasFrame() ? edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit_) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = edit_->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit_);
    const QMargins margins = edit_->textMargins();
    constexpr int kSideMargin = 2;
    constexpr int kCursorWidth = 1;
    const int available = contents.width() - margins.left() - margins.right() - 2 * kSideMargin - kCursorWidth;
    return edit_->fontMetrics().horizontalAdvance(text) <= available;
}

int captionRoom(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto element = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                   : QStyle::SE_CheckBoxContents;
    return button->style()->subElementRect(element, &option, button).width();
}

}  // namespace brenmoor::res
