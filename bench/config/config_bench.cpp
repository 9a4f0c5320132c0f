// Figures for the profile store, one "name: value" line each: the time to load damaged
// profiles of 40,000 and 400,000 lines (best of three loads), and the time per line, which
// stays flat when loading is linear in the file's size.
//
// The damage is the kind that made loading slow: many distinct names in one section,
// repeated names, broken headers, lines ending in CR CR LF.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/profile_store.h"
#include "support/temp_dir.h"

using namespace brenmoor;
using Clock = std::chrono::steady_clock;

namespace {

std::string damagedProfile(int lines) {
    std::string out = "[Version 1.0]\n";
    for (int i = 0; i < lines; ++i) {
        switch (i % 10) {
        case 0: out += "[Version 1.0\n"; break;
        case 1: out += "[version 1.0]\r\n"; break;
        case 2: out += "M_PORTREGISTRY[" + std::to_string(i % 8) + "].NBAUD=" + std::to_string(i) + "\r\n"; break;
        case 3: out += "garbage line " + std::to_string(i) + "\r\r\n"; break;
        default: out += "name" + std::to_string(i) + "=" + std::to_string(i) + "\n"; break;
        }
    }
    return out;
}

// The best of three loads; a negative time when the store did not read what the file holds.
double bestLoadSeconds(const std::filesystem::path& path) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        const platform::ProfileStore store(path);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        if (store.readInt("Version 1.0", "name4", -1) != 4) return -1;
    }
    return best;
}

}  // namespace

int main() {
    test::TempDir dir;
    for (const int lines : {40000, 400000}) {
        const auto path = dir.file("Brenmoor.ini");
        std::ofstream(path, std::ios::binary) << damagedProfile(lines);
        const double seconds = bestLoadSeconds(path);
        if (seconds < 0) {
            std::fprintf(stderr, "the store did not read the profile's values\n");
            return 1;
        }
        std::printf("profile load, %d damaged lines (ms): %.1f\n", lines, seconds * 1e3);
        std::printf("profile load, %d damaged lines, per line (us): %.3f\n", lines, seconds * 1e6 / lines);
    }
    return 0;
}
