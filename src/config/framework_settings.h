#pragma once
// The framework's own values in the profile: the recent-file list ("Recent File List",
// File1 to File4, most recent first) and "PreviewPages" in "Settings". Read at start-up,
// written back at exit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_store.h"

namespace brenmoor::config {

inline constexpr std::string_view kRecentFileSection = "Recent File List";
inline constexpr std::string_view kFrameworkSettingsSection = "Settings";
inline constexpr std::string_view kPreviewPagesName = "PreviewPages";
inline constexpr std::int32_t kDefaultPreviewPages = 0;

class RecentFileList {
public:
    static constexpr std::size_t kCapacity = 4;

    // Puts `path` first; an entry already in the list moves up, a fifth pushes the oldest
    // out. An empty path is ignored.
    void add(const std::string& path);
    const std::vector<std::string>& entries() const { return entries_; }

    // Reads File1, File2, ... up to the first entry that is missing or empty.
    void read(const platform::ProfileStore& store);
    // Writes the list as File1..Filen and removes the names beyond it. A path the profile
    // cannot hold (a line break in it) is left out and the rest are numbered on.
    void write(platform::ProfileStore& store) const;

private:
    std::vector<std::string> entries_;
};

std::int32_t readPreviewPages(const platform::ProfileStore& store);
void writePreviewPages(platform::ProfileStore& store, std::int32_t pages);

}  // namespace brenmoor::config
