#pragma once
// The shell's dialog templates: the About box and the Write Delay dialog.

#include "res/dialog_template.h"

namespace brenmoor::res {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

inline constexpr int kAboutTemplateId = 100;
const DialogTemplate& aboutTemplate();

inline constexpr int kWriteDelayTemplateId = 137;
inline constexpr int kIdWriteDelayEdit = 1153;
inline constexpr int kWriteDelayMaxChars = 4;
const DialogTemplate& writeDelayTemplate();

}  // namespace brenmoor::res
