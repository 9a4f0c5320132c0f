#pragma once
// The per-user profile: an INI file of named sections and "name=value" lines, in place of
// the registry. Value names are written literally ("m_PortRegistry[0].nBaud=6") so a
// person can read and edit the file by name. Section and value names match without
// regard to ASCII case, as registry names do.
//
// Loading keeps whatever it can read: a missing, empty, truncated or damaged file gives a
// store holding every readable value, and the readers' defaults stand in for the rest.
// A UTF-8 byte-order mark at the start is skipped. Lines the store does not understand are
// kept byte for byte and written back; a line holding a NUL byte or longer than
// kMaxLineLength is dropped. When a name occurs twice in a section, the last value wins. A
// damaged section header (a line that opens with '[' but is no header, or one with no '='
// that ends with ']') ends the section before it: the values after it, up to the next
// header, belong to no section. A save never changes what the next load reads, and loading
// takes time in proportion to the file's size.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brenmoor::platform {

// Where the profile lives: the --profile option's value when given, else the file named
// by BRENMOOR_PROFILE, else $XDG_CONFIG_HOME/Brenmoor/Brenmoor.ini, else
// ~/.config/Brenmoor/Brenmoor.ini. Empty values count as not given.
std::filesystem::path profileLocation(const std::optional<std::string>& optionValue);

class ProfileStore {
public:
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    // Loads the profile at `path`; a missing file gives an empty store.
    explicit ProfileStore(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // The stored value, or `fallback` when it is missing or not a 32-bit decimal number.
    std::int32_t readInt(std::string_view section, std::string_view name, std::int32_t fallback) const;
    void writeInt(std::string_view section, std::string_view name, std::int32_t value);

    std::optional<std::string> readString(std::string_view section, std::string_view name) const;
    // False, storing nothing, when the text could not be read back as it is: a line break
    // or NUL in the name or value, an '=' in the name, or blanks at either end.
    bool writeString(std::string_view section, std::string_view name, std::string_view value);
    void remove(std::string_view section, std::string_view name);

    // The value names of a section, in file order.
    std::vector<std::string> names(std::string_view section) const;

    // Writes the whole store to its file atomically, creating the directory when missing.
    // False when any step failed (the old file is then whole and no temporary file is
    // left), and when the file was there at load but could not be read, so a profile
    // this run never saw is not replaced.
    bool save() const;

private:
    struct Line {
        std::string name;  // empty: a line kept as it was read
        std::string text;  // the value, or the whole kept line
        // The value line as read, when "name=text" would read back otherwise (a value that
        // ends in a carriage return loses it); empty once the value is written.
        std::string asRead;
    };
    struct Section {
        std::string name;
        // False for the lines before the first header and for those after a damaged one:
        // they are kept, but no name reaches them.
        bool hasHeader = true;
        std::vector<Line> lines;
        std::unordered_map<std::string, std::size_t> byName;  // folded name -> line
        std::size_t valueEnd = 0;  // one past the last value line
    };

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void load();
    // Files one line read from the file. `dropped`: the line could not be kept;
    // `opensWithBracket`: its first byte other than a blank is '['.
    void addLine(std::string_view line, bool dropped, bool opensWithBracket);
    void startSection(std::string name, bool hasHeader);
    void addValue(Section& section, std::string_view name, std::string_view value, std::string_view line);
    std::size_t sectionIndex(std::string_view name) const;
    // The line holding the value, or null.
    const Line* find(std::string_view section, std::string_view name) const;
    std::string render() const;

    std::filesystem::path path_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionsByName_;  // folded name -> header section
    std::size_t current_ = kNone;  // while loading: the section the next line goes to
    bool unreadable_ = false;
};

}  // namespace brenmoor::platform
