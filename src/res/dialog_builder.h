#pragma once
// Turns a dialog template into Qt widgets on a parent widget: each control at its
// rectangle converted from dialog units by the dialog font, in the template's tab order,
// addressed afterwards by identifier.

#include <QSize>
#include <map>
#include <vector>

#include "res/dialog_template.h"
#include "res/dialog_units.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace brenmoor::res {

class BuiltDialog;
class DropDownList;
class ReadOnlyTextView;

// Builds every control of `dialog` as a child of `parent`, gives the parent the dialog font
// and the template's caption as window title, and resizes it to the template's size.
BuiltDialog buildDialog(const DialogTemplate& dialog, QWidget* parent);

// The controls of one built template. The widgets belong to the parent they were built
// on; this is only their index. The accessors answer null for an identifier the template
// lacks or that names a control of another kind.
class BuiltDialog {
public:
    BuiltDialog(DialogUnits units, QSize size) : units_(units), size_(size) {}

    QWidget* control(int id) const;
    QPushButton* button(int id) const;
    QCheckBox* checkBox(int id) const;
    QRadioButton* radioButton(int id) const;
    QLineEdit* edit(int id) const;
    // An editable multi-line edit, or one that breaks its lines at the right edge.
    QPlainTextEdit* multiLineEdit(int id) const;
    // A read-only multi-line edit that scrolls sideways.
    ReadOnlyTextView* textView(int id) const;
    DropDownList* dropDownList(int id) const;

    // Every control, identified or not, in template order.
    const std::vector<QWidget*>& controls() const { return controls_; }
    const DialogUnits& units() const { return units_; }
    // The template's size in pixels.
    QSize size() const { return size_; }

private:
    friend BuiltDialog buildDialog(const DialogTemplate& dialog, QWidget* parent);
    void add(int id, QWidget* widget);

    DialogUnits units_;
    QSize size_;
    std::vector<QWidget*> controls_;
    std::map<int, QWidget*> byId_;
};

}  // namespace brenmoor::res
