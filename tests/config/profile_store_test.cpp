#include "platform/profile_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/as_nobody.h"
#include "support/temp_dir.h"
#include "test_files.h"

namespace {

using brenmoor::platform::profileLocation;
using brenmoor::platform::ProfileStore;
using brenmoor::test::directoryEntries;
using brenmoor::test::readFile;
using brenmoor::test::TempDir;
using brenmoor::test::writeFile;

constexpr const char* kSection = "Version 1.0";
constexpr int kAbsent = -999;

// Sets or clears environment variables for one test and puts them back afterwards.
class ScopedEnv {
public:
    void set(const char* name, const char* value) {
        if (const char* old = std::getenv(name)) saved_.push_back({name, std::string(old)});
        else saved_.push_back({name, std::nullopt});
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(ProfileLocation, OptionThenVariableThenXdgThenHome) {
    struct Case {
        std::optional<std::string> option;
        const char* profileVar;
        const char* xdg;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/p.ini", "/env/p.ini", "/xdg", "/opt/p.ini"},
        {std::nullopt, "/env/p.ini", "/xdg", "/env/p.ini"},
        {"", "/env/p.ini", "/xdg", "/env/p.ini"},
        {std::nullopt, nullptr, "/xdg", "/xdg/Brenmoor/Brenmoor.ini"},
        {std::nullopt, "", "/xdg", "/xdg/Brenmoor/Brenmoor.ini"},
        {std::nullopt, nullptr, nullptr, "/home/op/.config/Brenmoor/Brenmoor.ini"},
        {std::nullopt, nullptr, "", "/home/op/.config/Brenmoor/Brenmoor.ini"},
        {std::nullopt, nullptr, "relative/dir", "/home/op/.config/Brenmoor/Brenmoor.ini"},
    };
    for (const auto& c : cases) {
        ScopedEnv env;
        env.set("HOME", "/home/op");
        env.set("BRENMOOR_PROFILE", c.profileVar);
        env.set("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(profileLocation(c.option), c.expected) << c.option.value_or("(none)") << " / "
                                                         << (c.profileVar ? c.profileVar : "(unset)") << " / "
                                                         << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST(ProfileStore, MissingFileIsEmptyAndSaveCreatesTheDirectory) {
    TempDir dir;
    const auto path = dir.path() / "new" / "deeper" / "Brenmoor.ini";
    ProfileStore store(path);
    EXPECT_EQ(store.readInt(kSection, "m_PortRegistry[0].nBaud", kAbsent), kAbsent);
    EXPECT_TRUE(store.names(kSection).empty());

    store.writeInt(kSection, "m_PortRegistry[0].nBaud", 6);
    store.writeInt(kSection, "m_PortRegistry[0].strHrTime", -3);
    store.writeString("Devices", "COM4", "/dev/ttyUSB0");
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readFile(path),
              "[Version 1.0]\n"
              "m_PortRegistry[0].nBaud=6\n"
              "m_PortRegistry[0].strHrTime=-3\n"
              "[Devices]\n"
              "COM4=/dev/ttyUSB0\n");
    EXPECT_EQ(directoryEntries(path.parent_path()), std::set<std::string>{"Brenmoor.ini"});
}

// Each damaged file keeps the values that can still be read; the rest give the default.
TEST(ProfileStore, DamagedFilesKeepWhatIsReadable) {
    const std::string valid = "[Version 1.0]\nm_PortRegistry[0].nBaud=7\n";
    struct Expect {
        const char* name;
        int value;
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<Expect> expected;
    };
    const Case cases[] = {
        {"empty", "", {{"m_PortRegistry[0].nBaud", kAbsent}}},
        {"truncated mid-line", valid + "m_PortRegistry[0].nPar", {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}}},
        {"truncated after =", valid + "m_PortRegistry[0].nParity=", {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}}},
        {"binary around a valid part",
         std::string("\x7f\x45\x4c\x46\x02\x01\x00\x00\xff\xfe=\x01\n", 13) + valid + std::string("\x00\x00=9\n\xc3\x28\n", 8),
         {{"m_PortRegistry[0].nBaud", 7}}},
        {"NUL inside a value line", valid + std::string("m_PortRegistry[0].nParity=3\0\nm_PortRegistry[0].nIR=1\n", 52),
         {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}, {"m_PortRegistry[0].nIR", 1}}},
        {"bad lines", "garbage\n=5\n[unterminated\n" + valid + "no equals here\n]\n", {{"m_PortRegistry[0].nBaud", 7}}},
        {"huge line", std::string(1 << 20, 'x') + "\n" + valid + "m_PortRegistry[0].nParity=" + std::string(200000, '1') + "\n",
         {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}}},
        {"numbers beyond 32 bits and non-numbers",
         valid + "a=2147483647\nb=-2147483648\nc=2147483648\nd=-2147483649\ne=12abc\nf=0x10\ng=\nh= +9 \ni=1 2\n",
         {{"a", 2147483647}, {"b", -2147483647 - 1}, {"c", kAbsent}, {"d", kAbsent}, {"e", kAbsent},
          {"f", kAbsent}, {"g", kAbsent}, {"h", 9}, {"i", kAbsent}}},
        {"duplicate names: the last wins, whatever the case", valid + "m_PortRegistry[0].nBaud=8\nM_PORTREGISTRY[0].NBAUD=9\n",
         {{"m_PortRegistry[0].nBaud", 9}}},
        {"repeated section header continues it", valid + "[Other]\nx=1\n[version 1.0]\nm_PortRegistry[0].nIR=1\n",
         {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nIR", 1}}},
        {"CRLF lines and blanks around names", "[ Version 1.0 ]\r\n  m_PortRegistry[0].nBaud = 7\r\n", {{"m_PortRegistry[0].nBaud", 7}}},
        {"values before any section belong to none", "m_PortRegistry[0].nBaud=5\n", {{"m_PortRegistry[0].nBaud", kAbsent}}},
        {"byte-order mark first", "\xEF\xBB\xBF" + valid, {{"m_PortRegistry[0].nBaud", 7}}},
        // The values after a damaged header are in no section, least of all the one before.
        {"header without its ']'", valid + "[Devices\nm_PortRegistry[0].nParity=2\n[Version 1.0]\nm_PortRegistry[0].nIR=1\n",
         {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}, {"m_PortRegistry[0].nIR", 1}}},
        {"header without its '['", valid + "Devices]\nm_PortRegistry[0].nParity=2\n", {{"m_PortRegistry[0].nParity", kAbsent}}},
        {"header with a NUL", valid + std::string("[Dev\0ices]\nm_PortRegistry[0].nParity=2\n", 39),
         {{"m_PortRegistry[0].nBaud", 7}, {"m_PortRegistry[0].nParity", kAbsent}}},
        {"header longer than a line may be", valid + "[" + std::string(ProfileStore::kMaxLineLength, 'D') + "]\nm_PortRegistry[0].nParity=2\n",
         {{"m_PortRegistry[0].nParity", kAbsent}}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto path = dir.file("Brenmoor.ini");
        writeFile(path, c.bytes);
        ProfileStore store(path);
        for (const auto& e : c.expected) EXPECT_EQ(store.readInt(kSection, e.name, kAbsent), e.value) << c.what << ": " << e.name;
        // What was read survives a save and a fresh load, and the file saved is text.
        ASSERT_TRUE(store.save()) << c.what;
        EXPECT_EQ(readFile(path).find('\0'), std::string::npos) << c.what;
        ProfileStore again(path);
        for (const auto& e : c.expected) EXPECT_EQ(again.readInt(kSection, e.name, kAbsent), e.value) << c.what << " (reloaded): " << e.name;
    }
}

TEST(ProfileStore, SaveKeepsOtherSectionsValuesAndLinesInPlace) {
    TempDir dir;
    const auto path = dir.file("Brenmoor.ini");
    writeFile(path,
              "; written by hand\n"
              "[Other Version]\n"
              "m_PortRegistry[0].nBaud=13\n"
              "\n"
              "[Version 1.0]\n"
              "m_PortRegistry[0].nBaud=2\n"
              "not a value\n"
              "\n"
              "[Devices]\n"
              "COM4=/dev/ttyUSB0\n"
              "com5 = /dev/serial/by-id/usb-x=y\n");
    ProfileStore store(path);
    EXPECT_EQ(store.names("devices"), (std::vector<std::string>{"COM4", "com5"}));
    EXPECT_EQ(store.readString("Devices", "COM5"), "/dev/serial/by-id/usb-x=y");
    EXPECT_EQ(store.readString("Devices", "COM6"), std::nullopt);

    store.writeInt(kSection, "m_PortRegistry[0].nBaud", 6);
    store.writeInt(kSection, "m_PortRegistry[0].nDataBits", 3);
    store.remove("Devices", "COM4");
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readFile(path),
              "; written by hand\n"
              "[Other Version]\n"
              "m_PortRegistry[0].nBaud=13\n"
              "\n"
              "[Version 1.0]\n"
              "m_PortRegistry[0].nBaud=6\n"
              "m_PortRegistry[0].nDataBits=3\n"
              "not a value\n"
              "\n"
              "[Devices]\n"
              "com5=/dev/serial/by-id/usb-x=y\n");
}

TEST(ProfileStore, RefusesTextsThatWouldNotReadBack) {
    TempDir dir;
    ProfileStore store(dir.file("Brenmoor.ini"));
    struct Case {
        std::string name, value;
    };
    const Case refused[] = {
        {"File1", "/tmp/a\nFile2=/etc/passwd"}, {"File1", "/tmp/a\r"}, {"File1", std::string("/tmp/\0a", 7)},
        {"File1", " /tmp/a"},                   {"File1", "/tmp/a "},  {"Fi=le1", "x"},
        {"", "x"},                              {"[Settings]", "x"},  {"File\n1", "x"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(store.writeString("Recent File List", c.name, c.value)) << c.name << "=" << c.value;
    }
    EXPECT_TRUE(store.names("Recent File List").empty());
    EXPECT_TRUE(store.writeString("Recent File List", "File1", "/tmp/with = and ; inside"));
    ASSERT_TRUE(store.save());
    EXPECT_EQ(ProfileStore(dir.file("Brenmoor.ini")).readString("Recent File List", "File1"), "/tmp/with = and ; inside");
}

// What a load reads through every section the damaged inputs below can name: each
// section's names in order, with their values.
std::string readable(const ProfileStore& store) {
    std::string out;
    for (const char* section : {"Version 1.0", "Devices", "Other", ""}) {
        out += std::string("[") + section + "]\n";
        for (const std::string& name : store.names(section)) out += name + "=" + store.readString(section, name).value_or("?") + "\n";
    }
    return out;
}

// A profile of random lines from the kinds that damage makes: headers whole and broken,
// values with odd blanks and line ends, repeated names in other cases, NUL bytes, marks.
std::string damagedProfile(std::mt19937& random) {
    const char* const lines[] = {"[Version 1.0]", "[ version 1.0 ]", "[Devices]", "[Other]", "[]", "[Version 1.0",
                                 "Version 1.0]",  "[Dev",            "]",         "[",       "garbage", "",
                                 "  ",            "; note",          "=5"};
    const char* const names[] = {"m_PortRegistry[0].nBaud", "M_PORTREGISTRY[0].NBAUD", "m_PortRegistry[1].nParity",
                                 "COM4", " x ", "a]"};
    const char* const values[] = {"7", " 8 ", "", "-3", "=", "a=b", "9\r", "[x]"};
    const char* const ends[] = {"\n", "\r\n", "\r\r\n", "\r \r\n", "\r\r\r\n"};
    const auto pick = [&random](const auto& table) { return table[random() % std::size(table)]; };
    std::string out = random() % 4 == 0 ? "\xEF\xBB\xBF" : "";
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
        std::string line = random() % 2 == 0 ? std::string(pick(lines)) : std::string(pick(names)) + "=" + pick(values);
        switch (random() % 12) {
        case 0: line.insert(random() % (line.size() + 1), 1, '\0'); break;
        case 1: line.insert(0, "\xEF\xBB\xBF"); break;
        case 2: line.insert(0, "  "); break;
        default: break;
        }
        out += line + pick(ends);
    }
    if (random() % 4 == 0 && !out.empty()) out.pop_back();  // no line end at the end
    return out;
}

// Loads `bytes`, writes a few values, saves and loads again: the second load reads
// exactly what the first store held, and every value written.
void expectSaveReadsBackUnchanged(const std::string& what, const std::string& bytes) {
    TempDir dir;
    const auto path = dir.file("Brenmoor.ini");
    writeFile(path, bytes);
    ProfileStore store(path);
    store.writeInt(kSection, "m_PortRegistry[0].nBaud", 11);
    store.writeInt(kSection, "m_PortRegistry[2].nIR", 1);
    store.writeString("Devices", "COM4", "/dev/ttyUSB0");
    store.writeString("Other", "x", "y");
    ASSERT_TRUE(store.save()) << what;
    const std::string saved = readFile(path);
    ProfileStore again(path);
    EXPECT_EQ(readable(again), readable(store)) << what << "\nfile read:\n" << ::testing::PrintToString(bytes)
                                                << "\nfile saved:\n" << ::testing::PrintToString(saved);
    EXPECT_EQ(again.readInt(kSection, "m_PortRegistry[0].nBaud", kAbsent), 11) << what;
    EXPECT_EQ(again.readInt(kSection, "m_PortRegistry[2].nIR", kAbsent), 1) << what;
    EXPECT_EQ(again.readString("Devices", "COM4"), "/dev/ttyUSB0") << what;
    EXPECT_EQ(again.readString("Other", "x"), "y") << what;
}

TEST(ProfileStore, SaveNeverChangesWhatTheNextLoadReads) {
    const std::string valid = "[Version 1.0]\nm_PortRegistry[0].nBaud=7\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty header ending in CR CR LF", valid + "[]\r\r\nm_PortRegistry[0].nParity=2\n"},
        {"header ending in CR CR LF", valid + "[Devices]\r\r\nm_PortRegistry[0].nParity=2\n"},
        {"value ending in CR CR LF", valid + "m_PortRegistry[0].nParity=2\r\r\nCOM4=x\r\r\n"},
        {"damaged header before a repeated section", valid + "[Devices\nCOM4=/dev/a\n[Version 1.0]\nm_PortRegistry[0].nIR=5\n"},
        {"mark first and on a later line", "\xEF\xBB\xBF" + valid + "\xEF\xBB\xBF[Devices]\nCOM4=/dev/a\n"},
        // Once the dropped first line is gone, the marked one is first in the file.
        {"dropped line before a marked one", std::string("\0\n", 2) + "\xEF\xBB\xBF[Devices]\nCOM5=/dev/b\n"},
        {"duplicate names with different line ends", valid + "M_PORTREGISTRY[0].NBAUD=8\r\r\nm_portregistry[0].nbaud=9\r\n"},
        {"no line end at the end", valid + "[Other]\nx=1\r"},
    };
    for (const auto& [what, bytes] : cases) expectSaveReadsBackUnchanged(what, bytes);

    std::mt19937 random(20261210);
    for (int i = 0; i < 100; ++i) expectSaveReadsBackUnchanged("generated #" + std::to_string(i), damagedProfile(random));
}

class FailingSave : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("Brenmoor.ini");
        writeFile(path_, kOld);
    }
    // The store loaded from the old file with a change that makes it longer.
    ProfileStore changedStore() const {
        ProfileStore store(path_);
        for (int port = 0; port < 8; ++port) store.writeInt(kSection, "m_PortRegistry[" + std::to_string(port) + "].nBaud", 9);
        return store;
    }
    void expectOldFileWhole() const {
        EXPECT_EQ(readFile(path_), kOld);
        EXPECT_EQ(directoryEntries(dir_.path()), std::set<std::string>{"Brenmoor.ini"});
    }

    // What `action` gives for the user who owns the directory and the file. Root writes
    // into read-only directories and reads any file, so under root it runs as nobody, made
    // their owner for the while.
    std::string asOwner(const std::function<std::string()>& action) const {
        if (::geteuid() != 0) return action();
        const auto own = [this](uid_t user) {
            for (const auto& node : {dir_.path(), path_}) EXPECT_EQ(::chown(node.c_str(), user, user), 0) << node;
        };
        own(brenmoor::test::kNobody);
        std::string outcome = brenmoor::test::runAsNobody(action);
        own(0);
        return outcome;
    }

    static constexpr const char* kOld = "[Version 1.0]\nm_PortRegistry[0].nBaud=6\n";
    TempDir dir_;
    std::filesystem::path path_;
};

TEST_F(FailingSave, WriteFailingPartWay) {
    const ProfileStore store = changedStore();
    {
        brenmoor::test::FileSizeLimit limit(64);
        EXPECT_FALSE(store.save());
    }
    expectOldFileWhole();
}

TEST_F(FailingSave, ReadOnlyDirectory) {
    ::chmod(dir_.path().c_str(), 0500);
    EXPECT_EQ(asOwner([this] { return changedStore().save() ? "saved" : "refused"; }), "refused");
    ::chmod(dir_.path().c_str(), 0700);
    expectOldFileWhole();
}

TEST_F(FailingSave, FileThatCouldNotBeReadIsNotReplaced) {
    ::chmod(path_.c_str(), 0200);
    const std::string outcome = asOwner([this] {
        const ProfileStore store = changedStore();
        return std::to_string(store.readInt(kSection, "m_PortRegistry[0].nBaud", kAbsent)) +
               (store.save() ? " saved" : " refused");
    });
    EXPECT_EQ(outcome, "9 refused");
    ::chmod(path_.c_str(), 0600);
    expectOldFileWhole();
}

TEST(ProfileStore, PathThatIsNoRegularFileIsNeitherWaitedOnNorReplaced) {
    TempDir dir;
    const auto fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto directory = dir.file("dir.ini");
    std::filesystem::create_directory(directory);
    for (const auto& path : {fifo, directory}) {
        ProfileStore store(path);  // a FIFO without a writer would block a plain open
        EXPECT_TRUE(store.names(kSection).empty());
        store.writeInt(kSection, "m_PortRegistry[0].nBaud", 6);
        EXPECT_FALSE(store.save()) << path;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_EQ(directoryEntries(dir.path()), (std::set<std::string>{"dir.ini", "fifo.ini"}));
}

}  // namespace
