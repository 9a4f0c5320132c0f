#include "res/data_pattern_template.h"

#include <string>

namespace brenmoor::res {

const DialogTemplate& dataPatternTemplate() {
    static const DialogTemplate t{
        .caption = "Data Pattern",
        .widthDlu = 307,
        .heightDlu = 95,
        .controls = {
            control(kDataPatternOkId, ControlKind::DefaultPushButton, "OK", {245, 20, 50, 14}),
            control(kDataPatternCancelId, ControlKind::PushButton, "Cancel", {245, 45, 50, 14}),
            // No sideways scrolling: long lines wrap at the right edge.
            control(kDataPatternEditId, ControlKind::MultiLineEdit, "", {80, 5, 141, 80}, kStyleBorder | kStyleVScrollBar),
            control(kDataPatternQuickBrownId, ControlKind::RadioButton, "Quick Brown", {10, 10, 57, 10}, kStyleGroupStart),
            control(kDataPatternAlphabetsId, ControlKind::RadioButton, "Alphabets", {10, 30, 47, 10}),
            control(kDataPatternUserId, ControlKind::RadioButton, "User Pattern", {10, 50, 55, 10}),
            control(kDataPatternFileId, ControlKind::RadioButton, "File", {10, 70, 27, 10}),
        },
    };
    return t;
}

}  // namespace brenmoor::res
