#include "res/test_dialog_template.h"

#include <string>

namespace brenmoor::res {
namespace {

struct Origin {
    int x, y, width;
};

// Group box origins; panel 6 sits one unit further left and is one unit wider.
constexpr std::array<Origin, kTestDialogPanelCount> kPanelOrigins{{
    {10, 10, 270},
    {285, 10, 270},
    {10, 175, 270},
    {285, 175, 270},
    {10, 345, 270},
    {284, 345, 271},
    {10, 510, 270},
    {285, 510, 270},
}};
constexpr int kPanelHeight = 155;

// Panel 1's controls are laid out from its origin at (10, 10).
DluRect at(const Origin& o, int x, int y, int width, int height) {
    return {o.x + x - 10, o.y + y - 10, width, height};
}

void addPanel(std::vector<ControlTemplate>& controls, int port) {
    const Origin& o = kPanelOrigins[static_cast<std::size_t>(port)];
    const TestPanelIds& id = testPanelIds()[static_cast<std::size_t>(port)];
    const int number = port + 1;
    const char* errorCaption = (number == 2 || number == 5) ? " Error" : "Error";
    const char* timeCaption = (number == 4 || number == 5) ? " Time" : "Time";
    constexpr unsigned kTextBox = kStyleReadOnly | kStyleAutoHScroll | kStyleHScrollBar | kStyleVScrollBar | kStyleBorder;
    // Without sideways scrolling, entry stops when the box is full.
    constexpr unsigned kTimeBox = kStyleDigitsOnly | kStyleBorder | kStyleDisabled;

    // Group boxes come before the controls they frame, so those stay on top of them.
    controls.push_back(control(kNoId, ControlKind::GroupBox, "Port" + std::to_string(number), {o.x, o.y, o.width, kPanelHeight}));
    controls.push_back(control(id.enable, ControlKind::CheckBox, "Enable", at(o, 15, 20, 38, 10)));
    controls.push_back(control(kNoId, ControlKind::Label, "Packet Count:", at(o, 90, 20, 46, 8)));
    controls.push_back(control(id.packetCount, ControlKind::Edit, "", at(o, 145, 20, 40, 14),
                        kStyleReadOnly | kStyleDigitsOnly | kStyleAutoHScroll | kStyleBorder));
    controls.push_back(control(id.sentText, ControlKind::MultiLineEdit, "", at(o, 20, 41, 120, 64), kTextBox));
    controls.push_back(control(id.receivedText, ControlKind::MultiLineEdit, "", at(o, 155, 41, 120, 64), kTextBox));
    controls.push_back(control(id.loopTest, ControlKind::CheckBox, "Internal LoopTest", at(o, 15, 125, 71, 10)));
    controls.push_back(control(id.testForever, ControlKind::RadioButton, "Test Forever", at(o, 94, 125, 56, 10),
                        kStyleGroupStart));
    controls.push_back(control(kNoId, ControlKind::GroupBox, "Stop On", at(o, 150, 115, 80, 22)));
    controls.push_back(control(id.error, ControlKind::RadioButton, errorCaption, at(o, 162, 125, 31, 10), kStyleDisabled));
    controls.push_back(control(id.time, ControlKind::RadioButton, timeCaption, at(o, 196, 125, 29, 10), kStyleDisabled));
    // The hours box starts a new group, which closes the panel's radio group.
    controls.push_back(control(id.hours, ControlKind::Edit, "", at(o, 235, 120, 15, 14), kTimeBox | kStyleGroupStart));
    controls.push_back(control(kNoId, ControlKind::Label, " :", at(o, 251, 122, 8, 8)));
    controls.push_back(control(id.minutes, ControlKind::Edit, "", at(o, 259, 120, 15, 14), kTimeBox));
    controls.push_back(control(id.run, ControlKind::PushButton, "Run", at(o, 35, 145, 50, 14)));
    controls.push_back(control(id.stop, ControlKind::PushButton, "Stop", at(o, 120, 145, 50, 14)));
    controls.push_back(control(id.transfer, ControlKind::PushButton, "Transfer", at(o, 205, 145, 50, 14)));
}

}  // namespace

const std::array<TestPanelIds, kTestDialogPanelCount>& testPanelIds() {
    //                                  Enable Count Sent  Recv  Loop  Forev Error Time  Hours Mins  Run   Stop  Xfer
    static constexpr std::array<TestPanelIds, kTestDialogPanelCount> ids{{
        {1029, 1126, 1061, 1028, 1026, 1010, 1012, 1011, 1125, 1147, 1148, 1149, 1150},
        {1039, 1127, 1063, 1033, 1027, 1013, 1015, 1014, 1156, 1175, 1151, 1152, 1153},
        {1049, 1129, 1065, 1048, 1124, 1016, 1018, 1017, 1176, 1177, 1157, 1158, 1159},
        {1059, 1131, 1075, 1058, 1128, 1019, 1021, 1020, 1178, 1179, 1160, 1161, 1162},
        {1077, 1135, 1087, 1076, 1130, 1022, 1024, 1023, 1180, 1181, 1163, 1164, 1165},
        {1089, 1140, 1099, 1088, 1132, 1025, 1134, 1133, 1182, 1183, 1166, 1167, 1168},
        {1101, 1145, 1111, 1100, 1136, 1137, 1139, 1138, 1186, 1187, 1169, 1170, 1171},
        {1113, 1146, 1123, 1112, 1141, 1142, 1144, 1143, 1188, 1189, 1172, 1173, 1174},
    }};
    return ids;
}

const DialogTemplate& testDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d;
        d.resourceId = kTestDialogTemplateId;
        d.caption = "Serial Communication Test";
        d.widthDlu = 582;
        d.heightDlu = 681;
        for (int port = 0; port < kTestDialogPanelCount; ++port) addPanel(d.controls, port);
        return d;
    }();
    return t;
}

}  // namespace brenmoor::res
