#pragma once
// The control classes the dialog builder makes where a plain Qt widget lacks a behaviour
// the templates ask for: a drop-down list that announces its opening, radio buttons whose
// group is a run of the template rather than their parent widget, and the entry rule of
// single-line edits.

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <QValidator>
#include <memory>
#include <vector>

class QAbstractButton;
class QLineEdit;

namespace brenmoor::res {

// Drop-down list (selection only) that signals just before its list opens, whether by
// mouse or keyboard, so a handler can refill it and choose the entry it opens on.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void aboutToDropDown();
};

// A check box that answers a click anywhere in its rectangle, not only on its box and text.
class TemplateCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint& pos) const override;
};

class GroupedRadioButton;
using RadioGroup = std::vector<QPointer<GroupedRadioButton>>;

// A click anywhere in its rectangle checks this button and clears the other buttons of its
// group, and those only.
// Setting the check state from code touches no other button, so a dialog can show two
// buttons of one group checked after initialisation, as its settings may demand.
class GroupedRadioButton : public QRadioButton {
    Q_OBJECT
public:
    GroupedRadioButton(const QString& text, std::shared_ptr<RadioGroup> group, QWidget* parent);

protected:
    bool hitButton(const QPoint& pos) const override;
    void nextCheckState() override;

private:
    std::shared_ptr<RadioGroup> group_;
};

// Typing rule of a single-line edit: optionally digits only, and optionally no more text
// than the box shows (an edit without horizontal scrolling stops taking characters when
// it is full).
class EditEntryValidator : public QValidator {
    Q_OBJECT
public:
    EditEntryValidator(QLineEdit* edit, bool digitsOnly, bool stopWhenFull);

    State validate(QString& input, int& pos) const override;

private:
    bool fitsBox(const QString& text) const;

    QLineEdit* edit_;
    bool digitsOnly_;
    bool stopWhenFull_;
};

// The width a check box or radio button gives its caption, as the style lays it out beside
// the box.
int captionRoom(const QAbstractButton* button);

}  // namespace brenmoor::res
