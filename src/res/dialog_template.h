#pragma once
// Dialog layouts as data: caption, size in dialog units, font, and the controls in tab
// order with their identifiers, kinds, captions, rectangles and styles. One builder turns
// a template into widgets (dialog_builder.h).

#include <string>
#include <utility>
#include <vector>

namespace brenmoor::res {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    Label,
    Edit,          // single line
    MultiLineEdit,
    DropDownList,  // selection only, no typing
};

// Style flags a control may carry beyond its kind. Focus follows the kind (labels and
// group boxes take none, every other control is reached by Tab) and the tab order is the
// template's order; kStyleTabStop marks the transcribed templates' tab stops and changes
// nothing. Multi-line edits always scroll vertically as text arrives.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleGroupStart = 1u << 0,   // starts a group: radio buttons up to the next start form one
    kStyleTabStop = 1u << 1,
    kStyleDisabled = 1u << 2,     // greyed in the template
    kStyleReadOnly = 1u << 3,     // edits
    kStyleDigitsOnly = 1u << 4,   // single-line edits take digits only
    kStyleAutoHScroll = 1u << 5,  // edits scroll sideways; a single-line edit without it takes
                                  // no more text than it shows, a multi-line one wraps
    kStyleHScrollBar = 1u << 6,   // multi-line edits
    kStyleVScrollBar = 1u << 7,   // multi-line edits, and drop-down lists' open lists
    kStyleTextLeft = 1u << 8,     // check box with its text on the left, box at the right edge
    kStyleRightAlign = 1u << 9,   // labels and edits
    kStyleBorder = 1u << 10,      // edits and labels draw a frame
    kStyleWordWrap = 1u << 11,    // labels break their text into lines
};

struct DluRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const DluRect&) const = default;
};

// Controls without an identifier (labels, group boxes) carry kNoId.
inline constexpr int kNoId = -1;

struct ControlTemplate {
    int id = kNoId;
    ControlKind kind = ControlKind::Label;
    std::string caption;
    DluRect rect;
    unsigned style = kStyleNone;
    std::vector<std::string> items;  // drop-down list entries, in order
};

// A control without drop-down entries, as most template rows are.
inline ControlTemplate control(int id, ControlKind kind, std::string caption, DluRect rect,
                               unsigned style = kStyleNone) {
    return {id, kind, std::move(caption), rect, style, {}};
}

struct DialogTemplate {
    int resourceId = 0;
    std::string caption;
    int widthDlu = 0;
    int heightDlu = 0;
    // The layouts were drawn for an 8-point face whose dialog units are 6 x 13 pixels at
    // 96 dpi. This condensed face has the same metrics there, so every template keeps the
    // proportions it was drawn with.
    std::string fontFace = "DejaVu Sans Condensed";
    int fontPoints = 8;
    std::vector<ControlTemplate> controls;  // in tab order
};

}  // namespace brenmoor::res
