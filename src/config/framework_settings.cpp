#include "config/framework_settings.h"

#include <algorithm>

namespace brenmoor::config {
namespace {

std::string fileName(std::size_t number) { return "File" + std::to_string(number); }

}  // namespace

void RecentFileList::add(const std::string& path) {
    if (path.empty()) return;
    std::erase(entries_, path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > kCapacity) entries_.resize(kCapacity);
}

void RecentFileList::read(const platform::ProfileStore& store) {
    entries_.clear();
    for (std::size_t number = 1; number <= kCapacity; ++number) {
        auto entry = store.readString(kRecentFileSection, fileName(number));
        if (!entry || entry->empty()) break;
        entries_.push_back(std::move(*entry));
    }
}

void RecentFileList::write(platform::ProfileStore& store) const {
    std::size_t number = 1;
    for (const std::string& entry : entries_) {
        if (store.writeString(kRecentFileSection, fileName(number), entry)) ++number;
    }
    for (; number <= kCapacity; ++number) store.remove(kRecentFileSection, fileName(number));
}

std::int32_t readPreviewPages(const platform::ProfileStore& store) {
    return store.readInt(kFrameworkSettingsSection, kPreviewPagesName, kDefaultPreviewPages);
}

void writePreviewPages(platform::ProfileStore& store, std::int32_t pages) {
    store.writeInt(kFrameworkSettingsSection, kPreviewPagesName, pages);
}

}  // namespace brenmoor::config
