#pragma once
// Helpers for the test programs: scratch folders and small file utilities.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace morvi::testing {

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string testdata(const std::string& relative);

} // namespace morvi::testing
