#pragma once
// A file's bytes, written and read whole, for tests that set up or check files.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace brenmoor::test {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Empty when the file cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace brenmoor::test
