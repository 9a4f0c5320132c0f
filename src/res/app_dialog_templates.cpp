#include "res/app_dialog_templates.h"

#include <string>

namespace brenmoor::res {

const DialogTemplate& aboutTemplate() {
    static const DialogTemplate t{
        .resourceId = kAboutTemplateId,
        .caption = "About Application",
        .widthDlu = 260,
        .heightDlu = 72,
        .controls = {
            control(kNoId, ControlKind::Label, "UART PCI Card Test Application", {10, 8, 240, 8}),
            control(kNoId, ControlKind::Label, "Version 1.4.0.0", {10, 20, 240, 8}),
            control(kNoId, ControlKind::Label, "Test and configuration tool for the 8-port UART PCI card",
                    {10, 32, 240, 8}),
            control(kIdOk, ControlKind::DefaultPushButton, "OK", {105, 50, 50, 14}, kStyleTabStop | kStyleGroupStart),
        },
    };
    return t;
}

const DialogTemplate& writeDelayTemplate() {
    static const DialogTemplate t{
        .resourceId = kWriteDelayTemplateId,
        .caption = "Write Delay",
        .widthDlu = 147,
        .heightDlu = 71,
        .controls = {
            control(kIdOk, ControlKind::DefaultPushButton, "OK", {15, 50, 50, 14}, kStyleTabStop),
            control(kIdCancel, ControlKind::PushButton, "Cancel", {80, 50, 50, 14}, kStyleTabStop),
            control(kIdWriteDelayEdit, ControlKind::Edit, "", {15, 20, 40, 14},
                    kStyleBorder | kStyleDigitsOnly | kStyleAutoHScroll | kStyleTabStop),
            control(kNoId, ControlKind::Label, "Enter the required delay", {15, 5, 76, 8}),
            control(kNoId, ControlKind::Label, "msecs", {61, 25, 21, 8}),
        },
    };
    return t;
}

}  // namespace brenmoor::res
