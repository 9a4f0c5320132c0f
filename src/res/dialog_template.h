#pragma once
// Dialog layouts as data: caption, size in dialog units, font, and the controls in tab
// order with their identifiers, kinds, captions, rectangles and styles. One builder turns
// a template into widgets (dialog_builder.h).

#include <string>
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

// Style flags a control may carry beyond its kind.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleGroupStart = 1u << 0,   // first of a radio group
    kStyleTabStop = 1u << 1,
    kStyleDisabled = 1u << 2,     // greyed in the template
    kStyleReadOnly = 1u << 3,
    kStyleDigitsOnly = 1u << 4,
    kStyleAutoHScroll = 1u << 5,
    kStyleAutoVScroll = 1u << 6,
    kStyleHScrollBar = 1u << 7,
    kStyleVScrollBar = 1u << 8,
    kStyleWantReturn = 1u << 9,
    kStyleTextLeft = 1u << 10,    // check box with its text on the left
    kStyleRightAlign = 1u << 11,
    kStyleBorder = 1u << 12,
    kStyleWordWrap = 1u << 13,
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

struct DialogTemplate {
    int resourceId = 0;
    std::string caption;
    int widthDlu = 0;
    int heightDlu = 0;
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    std::vector<ControlTemplate> controls;  // in tab order
};

}  // namespace brenmoor::res
