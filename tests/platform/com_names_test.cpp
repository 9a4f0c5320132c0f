// COM names as the port open builds them, the device override form, and where each COM
// number is sent.

#include <gtest/gtest.h>

#include "platform/com_names.h"
#include "platform/com_resolver.h"

using namespace brenmoor::platform;

namespace {

TEST(ComNames, PlainUpToNineAndDevicePrefixedFromTen) {
    EXPECT_EQ(comDeviceName(1), "COM1");
    EXPECT_EQ(comDeviceName(9), "COM9");
    EXPECT_EQ(comDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(comDeviceName(255), "\\\\.\\COM255");
    for (int n = 1; n <= kMaxComNumber; ++n) EXPECT_EQ(parseComName(comDeviceName(n)), n) << n;
}

TEST(ComNames, ParsingAcceptsEitherFormAndRejectsEverythingElse) {
    EXPECT_EQ(parseComName("COM10"), 10);
    EXPECT_EQ(parseComName("com4"), 4);
    for (const char* bad : {"", "COM", "COM0", "COM01", "COM256", "COM1a", "COM-1", "COM+1", " COM1", "COM1 ",
                            "LPT1", "\\\\.\\", "\\\\.\\LPT1", "\\\\COM1", "COMCOM1"})
        EXPECT_EQ(parseComName(bad), std::nullopt) << '"' << bad << '"';
}

TEST(ComNames, DeviceOverridesParseOrSayWhatIsWrong) {
    std::string error;
    EXPECT_EQ(parseDeviceOverride("COM4=/dev/ttyUSB0", error), (DeviceOverride{4, "/dev/ttyUSB0"}));
    EXPECT_EQ(parseDeviceOverride("  COM10 = /dev/serial/by-id/usb-x ", error),
              (DeviceOverride{10, "/dev/serial/by-id/usb-x"}));

    const std::pair<const char*, const char*> bad[] = {
        {"COM4", "COMn=/path"},       {"COM4=", "absolute path"},     {"COM4=ttyUSB0", "ttyUSB0"},
        {"LPT1=/dev/lp0", "LPT1"},    {"=/dev/ttyS0", "COM port name"}, {"COM0=/dev/ttyS0", "COM0"}};
    for (const auto& [text, mentions] : bad) {
        error.clear();
        EXPECT_EQ(parseDeviceOverride(text, error), std::nullopt) << text;
        EXPECT_NE(error.find(mentions), std::string::npos) << text << " -> " << error;
    }
}

TEST(ComResolver, DefaultsToTtySOverridesReplaceAndTheSimulatedCardTakesEverything) {
    ComResolver resolver;
    EXPECT_EQ(resolver.resolve(1), (ResolvedPort{PortBackendKind::Device, "/dev/ttyS0"}));
    EXPECT_EQ(resolver.resolve(10), (ResolvedPort{PortBackendKind::Device, "/dev/ttyS9"}));

    resolver.setOverride({4, "/dev/ttyUSB0"});
    resolver.setOverride({4, "/dev/ttyUSB1"});  // the later one, from the command line, wins
    EXPECT_EQ(resolver.resolve(4).devicePath, "/dev/ttyUSB1");
    EXPECT_EQ(resolver.resolve(5).devicePath, "/dev/ttyS4");
    EXPECT_EQ(resolver.describe(4), "COM4: /dev/ttyUSB1");
    EXPECT_EQ(resolver.describe(12), "COM12: /dev/ttyS11");

    resolver.useSimulatedCard(true);
    EXPECT_EQ(resolver.resolve(4), (ResolvedPort{PortBackendKind::SimulatedCard, ""}));
    EXPECT_EQ(resolver.describe(4), "COM4: simulated card");
}

}  // namespace
