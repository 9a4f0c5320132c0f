#include "platform/profile_store.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <system_error>

#include "platform/safe_file.h"

namespace brenmoor::platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names match without regard to ASCII case: this is the key they are looked up by.
std::string folded(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = lowerAscii(c);
    return key;
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
    std::vector<char> buffer(64 * 1024);
    std::string line;
    bool dropped = false;
    bool started = false;  // the line has had a byte other than a blank
    bool opensWithBracket = false;
    bool atStart = true;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0;) {
        std::string_view chunk(buffer.data(), n);
        // An editor may put the mark first; it is no part of the first line.
        if (atStart && chunk.starts_with(kByteOrderMark)) chunk.remove_prefix(kByteOrderMark.size());
        atStart = false;
        for (const char c : chunk) {
            if (c == '\n') {
                addLine(line, dropped, opensWithBracket);
                line.clear();
                dropped = started = opensWithBracket = false;
                continue;
            }
            if (!started && c != ' ' && c != '\t') {
                started = true;
                opensWithBracket = c == '[';
            }
            if (dropped) continue;
            if (c == '\0' || line.size() == kMaxLineLength) {
                dropped = true;
                line.clear();
            } else {
                line.push_back(c);
            }
        }
    }
    if (dropped || !line.empty()) addLine(line, dropped, opensWithBracket);
    current_ = kNone;
    // A read error part-way: what was read stands, but the rest of the file was never
    // seen, so it must not be replaced.
    if (std::ferror(file.get())) unreadable_ = true;
}

void ProfileStore::addLine(std::string_view line, bool dropped, bool opensWithBracket) {
    if (dropped) {
        // A damaged header still ends its section; "[" stands in for it in the file.
        if (opensWithBracket) {
            startSection("", false);
            sections_[current_].lines.push_back({"", "[", ""});
        }
        return;
    }
    const std::string_view raw = line;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view content = trimmed(line);
    const auto equals = content.find('=');
    if (content.starts_with('[') || (equals == std::string_view::npos && content.ends_with(']'))) {
        if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
            const std::string_view name = trimmed(content.substr(1, content.size() - 2));
            // A repeated header continues the first section of that name.
            current_ = sectionIndex(name);
            if (current_ == kNone) startSection(std::string(name), true);
        } else {
            startSection("", false);
            sections_[current_].lines.push_back({"", std::string(raw), ""});
        }
        return;
    }
    if (current_ == kNone) startSection("", false);
    Section& section = sections_[current_];
    const std::string_view name =
        equals == std::string_view::npos ? std::string_view{} : trimmed(content.substr(0, equals));
    if (name.empty()) {
        section.lines.push_back({"", std::string(raw), ""});
        return;
    }
    addValue(section, name, trimmed(content.substr(equals + 1)), raw);
}

void ProfileStore::startSection(std::string name, bool hasHeader) {
    if (hasHeader) sectionsByName_.emplace(folded(name), sections_.size());
    sections_.push_back({std::move(name), hasHeader, {}, {}, 0});
    current_ = sections_.size() - 1;
}

void ProfileStore::addValue(Section& section, std::string_view name, std::string_view value, std::string_view line) {
    // Written back as "name=value", a value ending in a carriage return would lose it.
    Line entry{std::string(name), std::string(value), value.ends_with('\r') ? std::string(line) : std::string()};
    const auto [at, added] = section.byName.try_emplace(folded(name), section.lines.size());
    if (added) {
        section.lines.push_back(std::move(entry));
        section.valueEnd = section.lines.size();
    } else {
        section.lines[at->second] = std::move(entry);
    }
}

std::size_t ProfileStore::sectionIndex(std::string_view name) const {
    const auto at = sectionsByName_.find(folded(name));
    return at == sectionsByName_.end() ? kNone : at->second;
}

const ProfileStore::Line* ProfileStore::find(std::string_view section, std::string_view name) const {
    const std::size_t index = sectionIndex(section);
    if (index == kNone) return nullptr;
    const Section& s = sections_[index];
    const auto at = s.byName.find(folded(name));
    return at == s.byName.end() ? nullptr : &s.lines[at->second];
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
        !readsBackAsIs(value) || !readsBackAsIs(section) || section.find(']') != std::string_view::npos ||
        name.size() + 1 + value.size() > kMaxLineLength || section.size() + 2 > kMaxLineLength) {
        return false;
    }
    std::size_t index = sectionIndex(section);
    if (index == kNone) {
        startSection(std::string(section), true);
        index = current_;
        current_ = kNone;
    }
    Section& s = sections_[index];
    // A new value goes after the section's last value, before the blank or kept lines
    // that end it; only lines without a name move.
    const auto [at, added] = s.byName.try_emplace(folded(name), s.valueEnd);
    if (added) {
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(s.valueEnd),
                       Line{std::string(name), std::string(value), ""});
        ++s.valueEnd;
    } else {
        Line& line = s.lines[at->second];
        line.text = value;
        line.asRead.clear();
    }
    return true;
}

void ProfileStore::remove(std::string_view section, std::string_view name) {
    const std::size_t index = sectionIndex(section);
    if (index == kNone) return;
    Section& s = sections_[index];
    const auto at = s.byName.find(folded(name));
    if (at == s.byName.end()) return;
    s.lines.erase(s.lines.begin() + static_cast<std::ptrdiff_t>(at->second));
    s.byName.clear();
    s.valueEnd = 0;
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        if (s.lines[i].name.empty()) continue;
        s.byName.emplace(folded(s.lines[i].name), i);
        s.valueEnd = i + 1;
    }
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
        for (const Line& l : s.lines) {
            if (l.name.empty()) out += l.text;
            else if (!l.asRead.empty()) out += l.asRead;
            else out += l.name + "=" + l.text;
            out += '\n';
        }
    }
    // A first line that itself starts with the mark keeps it behind one more, since
    // loading skips one.
    if (std::string_view(out).starts_with(kByteOrderMark)) out.insert(0, kByteOrderMark);
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
