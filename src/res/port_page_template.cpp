#include "res/port_page_template.h"

#include <string>
#include <vector>

namespace brenmoor::res {

namespace {

std::vector<std::string> numbered(const std::string& prefix, int first, int last)
{
    std::vector<std::string> items;
    for (int n = first; n <= last; ++n)
        items.push_back(prefix + std::to_string(n));
    return items;
}

ControlTemplate list(int id, DluRect rect, std::vector<std::string> items)
{
    return {id, ControlKind::DropDownList, "", rect, kStyleVScrollBar, std::move(items)};
}

ControlTemplate label(const char* caption, DluRect rect)
{
    return {kNoId, ControlKind::Label, caption, rect, kStyleNone, {}};
}

ControlTemplate check(int id, const char* caption, DluRect rect, unsigned style = kStyleNone)
{
    return {id, ControlKind::CheckBox, caption, rect, style, {}};
}

ControlTemplate radio(int id, const char* caption, DluRect rect, unsigned style = kStyleNone)
{
    return {id, ControlKind::RadioButton, caption, rect, style, {}};
}

DialogTemplate makePortPageTemplate()
{
    const std::vector<std::string> hysteresis = {"0", "4", "6", "8", "16"};
    DialogTemplate t;
    t.caption = "Port ";
    t.widthDlu = 187;
    t.heightDlu = 271;
    t.controls = {
        list(kIdBaudList, {70, 30, 85, 50},
             {"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400",
              "460800", "921600"}),
        list(kIdDataLengthList, {70, 50, 85, 42}, {"5", "6", "7", "8"}),
        list(kIdParityList, {70, 70, 85, 59}, {"Odd", "Even", "Mark", "Space", "None"}),
        list(kIdStopBitsList, {70, 90, 85, 50}, {}),
        label("Baud Rate:", {15, 36, 37, 8}),
        label("Parity:", {15, 70, 20, 8}),
        label("Stop Bits:", {15, 90, 31, 8}),
        label("Data Length:", {15, 52, 42, 8}),
        check(kIdRs485Check, "RS485", {10, 161, 38, 10}),
        {kNoId, ControlKind::GroupBox, "Settings", {3, 20, 160, 110}, kStyleNone, {}},
        label("Hysteresis:", {55, 180, 38, 8}),
        label("Hysteresis:", {55, 200, 43, 8}),
        label("Trigger Level:", {55, 217, 44, 8}),
        label("Flow Control:", {15, 110, 42, 8}),
        list(kIdFlowControlList, {70, 110, 85, 47}, {"Hardware", "Software", "None"}),
        list(kIdComBaseList, {70, 140, 85, 62}, numbered("COM", 1, 40)),
        label("ComBase:", {15, 140, 33, 8}),
        check(kIdRxFifoCheck, "Rx  FIFO", {10, 234, 40, 10}),
        label("Trigger Level:", {55, 235, 44, 8}),
        check(kIdTxFifoCheck, "Tx  FIFO", {10, 216, 43, 10}),
        check(kIdOpenPortCheck, "Open Port For Testing", {5, 5, 85, 10}),
        radio(kIdDtrRadio, "DTR", {10, 180, 31, 10}, kStyleGroupStart),
        radio(kIdRtsRadio, "RTS", {10, 198, 31, 10}),
        list(kIdDtrHysteresisList, {105, 175, 48, 48}, hysteresis),
        list(kIdRtsHysteresisList, {105, 193, 48, 44}, hysteresis),
        list(kIdTxTriggerList, {105, 211, 48, 49}, numbered("", 1, 64)),
        list(kIdRxTriggerList, {105, 229, 48, 49}, numbered("", 1, 64)),
        check(kIdIrCheck, "IR", {107, 158, 42, 12}, kStyleTextLeft | kStyleRightAlign),
    };
    return t;
}

}  // namespace

const DialogTemplate& portPageTemplate()
{
    static const DialogTemplate page = makePortPageTemplate();
    return page;
}

}  // namespace brenmoor::res
