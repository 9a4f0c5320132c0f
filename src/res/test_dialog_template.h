#pragma once
// The "Serial Communication Test" dialog: eight port panels, each built from the layout of
// the first panel at its own group box origin, and the identifiers every routine that
// addresses a panel's control goes by.

#include <array>

#include "res/dialog_template.h"

namespace brenmoor::res {

inline constexpr int kTestDialogTemplateId = 132;
inline constexpr int kTestDialogPanelCount = 8;

// The identified controls of one panel.
struct TestPanelIds {
    int enable;
    int packetCount;
    int sentText;      // the left box
    int receivedText;  // the right box
    int loopTest;
    int testForever;
    int error;
    int time;
    int hours;
    int minutes;
    int run;
    int stop;
    int transfer;
};

// By port index 0-7 (panel "Port1" to "Port8").
const std::array<TestPanelIds, kTestDialogPanelCount>& testPanelIds();

const DialogTemplate& testDialogTemplate();

}  // namespace brenmoor::res
