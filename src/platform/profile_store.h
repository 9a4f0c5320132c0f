#pragma once
// The per-user profile: an INI file of named sections and "name=value" lines, in place of
// the registry. Value names are written literally ("m_PortRegistry[0].nBaud=6") so a
// person can read and edit the file by name. Section and value names match without
// regard to ASCII case, as registry names do.
//
// Loading keeps whatever it can read: a missing, empty, truncated or damaged file gives a
// store holding every readable value, and the readers' defaults stand in for the rest.
// Lines the store does not understand are kept as they are and written back; a line
// holding a NUL byte or longer than kMaxLineLength is dropped. When a name occurs twice in
// a section, the last value wins.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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
    };
    struct Section {
        std::string name;
        bool hasHeader = true;  // false only for lines before the first header
        std::vector<Line> lines;
    };

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void load();
    // Files one line read from the file; `current` is the index of the section it is in.
    void addLine(std::string_view line, std::size_t& current);
    std::size_t sectionIndex(std::string_view name) const;
    // The line holding the value, or null.
    const Line* find(std::string_view section, std::string_view name) const;
    std::string render() const;

    std::filesystem::path path_;
    std::vector<Section> sections_;
    bool unreadable_ = false;
};

}  // namespace brenmoor::platform
