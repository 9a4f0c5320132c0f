#pragma once
// The "Data Pattern" dialog: the four choices of what a port transmits and the user
// pattern's edit box.

#include "res/dialog_template.h"

namespace brenmoor::res {

inline constexpr int kDataPatternOkId = 1;
inline constexpr int kDataPatternCancelId = 2;
inline constexpr int kDataPatternEditId = 1063;
inline constexpr int kDataPatternQuickBrownId = 1010;
inline constexpr int kDataPatternAlphabetsId = 1011;
inline constexpr int kDataPatternUserId = 1012;
inline constexpr int kDataPatternFileId = 1013;

const DialogTemplate& dataPatternTemplate();

}  // namespace brenmoor::res
