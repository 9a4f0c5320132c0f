#include "platform/profile_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

#include "platform/safe_file.h"

namespace brenmoor::platform {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool readsBackAsIs(std::string_view text) {
    return text.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos && trimmed(text) == text;
}

const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

std::filesystem::path homeDirectory() {
    if (const char* home = nonEmptyEnv("HOME")) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
    return {};
}

// A whole 32-bit decimal number with an optional sign, and nothing else.
std::optional<std::int32_t> parseInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::filesystem::path profileLocation(const std::optional<std::string>& optionValue) {
    if (optionValue && !optionValue->empty()) return *optionValue;
    if (const char* path = nonEmptyEnv("BRENMOOR_PROFILE")) return path;
    std::filesystem::path base;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (const char* config = nonEmptyEnv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        base = config;
    } else {
        base = homeDirectory() / ".config";
    }
    return base / "Brenmoor" / "Brenmoor.ini";
}

ProfileStore::ProfileStore(std::filesystem::path path) : path_(std::move(path)) { load(); }

void ProfileStore::load() {
    OpenOutcome outcome{};
    InputFile file = openRegularFile(path_, outcome);
    if (!file) {
        unreadable_ = outcome == OpenOutcome::Refused;
        return;
    }
    std::string line;
    bool keep = true;
    std::size_t current = 0;
    for (int c = std::getc(file.get());; c = std::getc(file.get())) {
        if (c == EOF || c == '\n') {
            if (keep && !(c == EOF && line.empty())) addLine(line, current);
            if (c == EOF) break;
            line.clear();
            keep = true;
        } else if (keep) {
            if (c == '\0' || line.size() == kMaxLineLength) {
                keep = false;
                line.clear();
            } else {
                line.push_back(static_cast<char>(c));
            }
        }
    }
    // A read error part-way: what was read stands, but the rest of the file was never
    // seen, so it must not be replaced.
    if (std::ferror(file.get())) unreadable_ = true;
}

void ProfileStore::addLine(std::string_view line, std::size_t& current) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view content = trimmed(line);
    if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
        const std::string_view name = trimmed(content.substr(1, content.size() - 2));
        // A repeated header continues the first section of that name.
        current = sectionIndex(name);
        if (current == kNone) {
            sections_.push_back({std::string(name), true, {}});
            current = sections_.size() - 1;
        }
        return;
    }
    if (sections_.empty()) sections_.push_back({"", false, {}});
    std::vector<Line>& lines = sections_[current].lines;
    const auto equals = content.find('=');
    const std::string_view name = equals == std::string_view::npos ? std::string_view{} : trimmed(content.substr(0, equals));
    if (name.empty()) {
        lines.push_back({"", std::string(line)});
        return;
    }
    const std::string_view value = trimmed(content.substr(equals + 1));
    auto same = std::ranges::find_if(lines, [&](const Line& l) { return !l.name.empty() && sameName(l.name, name); });
    if (same != lines.end()) {
        same->text = value;
    } else {
        lines.push_back({std::string(name), std::string(value)});
    }
}

std::size_t ProfileStore::sectionIndex(std::string_view name) const {
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].hasHeader && sameName(sections_[i].name, name)) return i;
    }
    return kNone;
}

const ProfileStore::Line* ProfileStore::find(std::string_view section, std::string_view name) const {
    const std::size_t index = sectionIndex(section);
    if (index == kNone) return nullptr;
    for (const Line& l : sections_[index].lines) {
        if (!l.name.empty() && sameName(l.name, name)) return &l;
    }
    return nullptr;
}

std::int32_t ProfileStore::readInt(std::string_view section, std::string_view name, std::int32_t fallback) const {
    const Line* line = find(section, name);
    return line == nullptr ? fallback : parseInt(line->text).value_or(fallback);
}

void ProfileStore::writeInt(std::string_view section, std::string_view name, std::int32_t value) {
    writeString(section, name, std::to_string(value));
}

std::optional<std::string> ProfileStore::readString(std::string_view section, std::string_view name) const {
    const Line* line = find(section, name);
    if (line == nullptr) return std::nullopt;
    return line->text;
}

bool ProfileStore::writeString(std::string_view section, std::string_view name, std::string_view value) {
    if (name.empty() || name.front() == '[' || name.find('=') != std::string_view::npos || !readsBackAsIs(name) ||
        !readsBackAsIs(value) || !readsBackAsIs(section) || section.find(']') != std::string_view::npos) {
        return false;
    }
    std::size_t index = sectionIndex(section);
    if (index == kNone) {
        sections_.push_back({std::string(section), true, {}});
        index = sections_.size() - 1;
    }
    std::vector<Line>& lines = sections_[index].lines;
    auto same = std::ranges::find_if(lines, [&](const Line& l) { return !l.name.empty() && sameName(l.name, name); });
    if (same != lines.end()) {
        same->text = value;
        return true;
    }
    // A new value goes after the section's last value, before the blank or kept lines
    // that end it.
    auto lastValue = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return !l.name.empty(); });
    lines.insert(lastValue.base(), Line{std::string(name), std::string(value)});
    return true;
}

void ProfileStore::remove(std::string_view section, std::string_view name) {
    const std::size_t index = sectionIndex(section);
    if (index == kNone) return;
    std::erase_if(sections_[index].lines, [&](const Line& l) { return !l.name.empty() && sameName(l.name, name); });
}

std::vector<std::string> ProfileStore::names(std::string_view section) const {
    std::vector<std::string> out;
    const std::size_t index = sectionIndex(section);
    if (index == kNone) return out;
    for (const Line& l : sections_[index].lines) {
        if (!l.name.empty()) out.push_back(l.name);
    }
    return out;
}

std::string ProfileStore::render() const {
    std::string out;
    for (const Section& s : sections_) {
        if (s.hasHeader) out += "[" + s.name + "]\n";
        for (const Line& l : s.lines) out += (l.name.empty() ? l.text : l.name + "=" + l.text) + "\n";
    }
    return out;
}

bool ProfileStore::save() const {
    if (unreadable_) return false;
    if (const auto dir = path_.parent_path(); !dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) return false;
    }
    FileReplacement out(path_);
    return out.open() && out.write(render()) && out.commit();
}

}  // namespace brenmoor::platform
