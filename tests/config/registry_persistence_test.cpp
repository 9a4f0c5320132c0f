#include "config/registry_persistence.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "test_files.h"

namespace {

using namespace brenmoor::config;
using brenmoor::platform::ProfileStore;
using brenmoor::test::TempDir;
using brenmoor::test::writeFile;

constexpr int kAbsent = -999;

// The defaults table, field by field for ports 0 to 7, in the order the values are
// written (nDisONOFF, written only, after nLoopTest).
struct Row {
    const char* field;
    std::array<int, 8> values;
};
const Row kDefaults[] = {
    {"nPortOpen", {1, 0, 0, 0, 0, 0, 0, 0}},      {"nBaud", {6, 6, 6, 6, 6, 6, 6, 6}},
    {"nDataBits", {3, 3, 3, 3, 3, 3, 3, 3}},      {"nParity", {4, 4, 4, 4, 4, 4, 4, 4}},
    {"nStopBits", {0, 0, 0, 0, 0, 0, 0, 0}},      {"nFlowCtrl", {2, 2, 2, 2, 2, 2, 2, 2}},
    {"nComBase", {3, 4, 5, 6, 7, 8, 9, 10}},      {"nRS485", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"nIR", {0, 0, 0, 0, 0, 0, 0, 0}},            {"nDTR", {1, 0, 1, 0, 1, 0, 1, 0}},
    {"nDTRHys", {2, 1, 0, 3, 1, 1, 0, 4}},        {"nRTS", {0, 1, 0, 1, 0, 1, 0, 1}},
    {"nRTSHys", {2, 1, 0, 3, 1, 2, 0, 4}},        {"nTxFIFO", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"nTxTrig", {1, 17, 27, 37, 47, 33, 4, 14}},  {"nRxFIFO", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"nRxTrig", {3, 19, 29, 39, 49, 44, 5, 15}},  {"nQuickBrown", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"nAlpha", {1, 1, 1, 1, 1, 1, 1, 1}},         {"nFile", {0, 0, 0, 0, 0, 0, 0, 0}},
    {"nUserData", {0, 0, 0, 0, 0, 0, 0, 0}},      {"nTestForever", {0, 1, 1, 1, 0, 1, 1, 1}},
    {"nStopTime", {0, 0, 0, 0, 0, 0, 0, 0}},      {"nStopError", {1, 0, 0, 0, 1, 0, 0, 0}},
    {"nLoopTest", {0, 0, 0, 0, 0, 0, 0, 0}},      {"nDisONOFF", {1, 0, 0, 0, 0, 0, 0, 0}},
    {"strHrTime", {1, 2, 3, 4, 5, 6, 7, 8}},      {"strMinTime", {10, 20, 30, 40, 50, 60, 17, 18}},
};

std::string name(int port, const char* field) { return "m_PortRegistry[" + std::to_string(port) + "]." + field; }

class PortSettingsInProfile : public ::testing::Test {
protected:
    // A store loaded from `text`, or from no file at all.
    ProfileStore storeWith(const std::string& text) {
        writeFile(dir_.file("in.ini"), text);
        return ProfileStore(dir_.file("in.ini"));
    }
    std::unique_ptr<SettingsTables> readFrom(const ProfileStore& store) {
        auto tables = std::make_unique<SettingsTables>();
        ReadPortSettings(*tables, store);
        return tables;
    }
    // Runs shutdown's write into a fresh store and returns it.
    ProfileStore written(SettingsTables& tables) {
        ProfileStore out(dir_.file("out.ini"));
        WritePortSettings(tables, out);
        return out;
    }

    TempDir dir_;
};

TEST_F(PortSettingsInProfile, FirstStartGivesTheDefaultsAndWritesAll224Values) {
    ProfileStore empty(dir_.file("missing.ini"));
    auto tables = readFrom(empty);

    EXPECT_EQ(tables->m_PortRegistry[0].nPortOpen, 1);
    EXPECT_EQ(tables->m_PortRegistry[0].nComBase + 1, 4);  // COM4
    EXPECT_EQ(tables->m_strWriteDelay.text(), "10");
    const char* patterns[] = {"Yelk Corporation\r\n", "Yelk Corporation\r\n", "Hello World\r\n",
                              "Try,try and try until you succeed\r\n", "Octal Serial Port Driver User Interface\r\n",
                              "Yelk Corporation\r\n", "Yelk Corporation\r\n", "Yelk Corporation\r\n"};
    for (int port = 0; port < 8; ++port) {
        const auto& test = tables->m_PortTest[static_cast<std::size_t>(port)];
        EXPECT_EQ(tables->g_PortDataPattern[static_cast<std::size_t>(port)].strUserPattern, patterns[port]) << port;
        EXPECT_EQ(test.strHrTime, std::to_string(kDefaults[26].values[static_cast<std::size_t>(port)])) << port;
        EXPECT_EQ(test.strMinTime, std::to_string(kDefaults[27].values[static_cast<std::size_t>(port)])) << port;
        EXPECT_EQ(test.strTxData, "");
        EXPECT_EQ(test.strRxData, "");
    }

    const ProfileStore out = written(*tables);
    std::vector<std::string> expectedNames;
    for (int port = 0; port < 8; ++port) {
        for (const Row& row : kDefaults) {
            expectedNames.push_back(name(port, row.field));
            EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, row.field), kAbsent), row.values[static_cast<std::size_t>(port)])
                << name(port, row.field);
        }
    }
    EXPECT_EQ(out.names(kPortSettingsSection), expectedNames);
}

TEST_F(PortSettingsInProfile, OneStoredValueChangesOnlyItself) {
    const ProfileStore store = storeWith("[Version 1.0]\nm_PortRegistry[3].nBaud=9\n");
    auto tables = readFrom(store);
    EXPECT_EQ(tables->m_PortRegistry[3].nBaud, 9);  // 57600 bits/s

    const ProfileStore out = written(*tables);
    for (int port = 0; port < 8; ++port) {
        for (const Row& row : kDefaults) {
            const int expected = port == 3 && std::string(row.field) == "nBaud" ? 9 : row.values[static_cast<std::size_t>(port)];
            EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, row.field), kAbsent), expected) << name(port, row.field);
        }
    }
}

TEST_F(PortSettingsInProfile, StoredValuesAreTakenAsTheyAre) {
    const ProfileStore store = storeWith(
        "[Version 1.0]\n"
        "m_PortRegistry[0].nBaud=99\n"
        "m_PortRegistry[1].nComBase=-1\n"
        "m_PortRegistry[2].nRxTrig=2147483647\n"
        "m_PortRegistry[7].nParity=bogus\n");
    auto tables = readFrom(store);
    EXPECT_EQ(tables->m_PortRegistry[0].nBaud, 99);
    EXPECT_EQ(tables->m_PortRegistry[1].nComBase, -1);
    EXPECT_EQ(tables->m_PortRegistry[2].nRxTrig, 2147483647);
    EXPECT_EQ(tables->m_PortRegistry[7].nParity, 4);  // unreadable: the default
}

TEST_F(PortSettingsInProfile, StoredFileChoiceComesBackAsTheAlphabetLine) {
    const ProfileStore store = storeWith(
        "[Version 1.0]\n"
        "m_PortRegistry[0].nFile=1\nm_PortRegistry[0].nAlpha=0\n"
        "m_PortRegistry[1].nQuickBrown=1\nm_PortRegistry[1].nAlpha=0\n"
        "m_PortRegistry[2].nUserData=1\nm_PortRegistry[2].nAlpha=0\n"
        "m_PortRegistry[3].nFile=1\nm_PortRegistry[3].nUserData=1\nm_PortRegistry[3].nAlpha=0\n");
    auto tables = readFrom(store);
    struct Expect {
        int quick, alpha, file, user;
    };
    const Expect expected[] = {{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {0, 1, 0, 1}};
    const ProfileStore out = written(*tables);
    for (int port = 0; port < 4; ++port) {
        const auto& e = expected[port];
        const auto& p = tables->g_PortDataPattern[static_cast<std::size_t>(port)];
        EXPECT_EQ((std::array{p.nQuickBrown, p.nAlpha, p.nFile, p.nUserData}), (std::array{e.quick, e.alpha, e.file, e.user})) << port;
        EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, "nFile"), kAbsent), e.file) << port;
        EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, "nAlpha"), kAbsent), e.alpha) << port;
    }
}

TEST_F(PortSettingsInProfile, StopTimesReadAsTextAndSurviveARun) {
    const ProfileStore store = storeWith(
        "[Version 1.0]\n"
        "m_PortRegistry[0].strHrTime=0\nm_PortRegistry[0].strMinTime=-15\n"
        "m_PortRegistry[1].strHrTime=-2147483648\nm_PortRegistry[1].strMinTime=2147483647\n"
        "m_PortRegistry[2].strHrTime=99999\n");
    auto tables = readFrom(store);
    EXPECT_EQ(tables->m_PortTest[0].strHrTime, "0");
    EXPECT_EQ(tables->m_PortTest[0].strMinTime, "-15");
    EXPECT_EQ(tables->m_PortTest[1].strHrTime, "-2147483648");
    EXPECT_EQ(tables->m_PortTest[2].strHrTime, "99999");

    const ProfileStore out = written(*tables);
    const int expectedHours[] = {0, -2147483647 - 1, 99999, 4, 5, 6, 7, 8};
    const int expectedMinutes[] = {-15, 2147483647, 30, 40, 50, 60, 17, 18};
    for (int port = 0; port < 8; ++port) {
        EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, "strHrTime"), kAbsent), expectedHours[port]) << port;
        EXPECT_EQ(out.readInt(kPortSettingsSection, name(port, "strMinTime"), kAbsent), expectedMinutes[port]) << port;
    }
}

TEST_F(PortSettingsInProfile, ShutdownWritesWhatTheTablesHoldNow) {
    const ProfileStore store = storeWith("[Version 1.0]\nm_PortRegistry[2].nPortOpen=1\n");
    auto tables = readFrom(store);
    // Changes made while running: the port deselected, stop times edited as text.
    tables->m_PortRegistry[2].nPortOpen = 0;
    tables->m_PortRegistry[5].nBaud = 13;
    tables->m_PortTest[4].strHrTime = " 12h";
    tables->m_PortTest[4].strMinTime = "";
    tables->m_PortTest[6].strHrTime = "-7";

    const ProfileStore out = written(*tables);
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(2, "nPortOpen"), kAbsent), 0);
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(2, "nDisONOFF"), kAbsent), 1);  // as read at start-up
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(5, "nBaud"), kAbsent), 13);
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(4, "strHrTime"), kAbsent), 12);
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(4, "strMinTime"), kAbsent), 0);
    EXPECT_EQ(out.readInt(kPortSettingsSection, name(6, "strHrTime"), kAbsent), -7);
    EXPECT_EQ(tables->m_StopTime[4], (StopTime{12, 0}));
}

}  // namespace
