#pragma once
// Helpers for the test programs: scratch folders and small file utilities.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <string>
#include <vector>

#include "family/workspace.h"
#include "image/indexed_image.h"
#include "rom/file_io.h"

namespace morvi::testing {

// What a picture looks like: each pixel's colour, colour 0 (always transparent) as 0.
inline std::vector<std::uint32_t> lookOf(const IndexedImage& image) {
    std::vector<std::uint32_t> out;
    out.reserve(image.pixels.size());
    for (std::uint8_t p : image.pixels) out.push_back(p == 0 ? 0u : image.palette[p].toRgb32());
    return out;
}

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
// A workspace with the demo ROM's families loaded (no backgrounds), as an open ROM has them.
std::unique_ptr<Workspace> demoWorkspace();

// Thrown by ScriptedSteps to stop a save where it stands, as a crash or a power cut would.
struct Crash {};

// Counts the disk steps of a save and stops it or fails it at one of them.
class ScriptedSteps : public DiskSteps {
public:
    enum class Mode { None, Stop, FailFrom, FailOnce };
    Mode mode = Mode::None;
    int at = -1;
    std::errc error = std::errc::no_space_on_device;
    std::vector<std::string> seen;
    std::map<std::string, std::errc> forced; // steps that always fail
    std::error_code before(const char* step) override {
        const int k = int(seen.size());
        seen.emplace_back(step);
        if (mode == Mode::Stop && k == at) throw Crash{};
        if ((mode == Mode::FailFrom && k >= at) || (mode == Mode::FailOnce && k == at)) return std::make_error_code(error);
        if (const auto it = forced.find(step); it != forced.end()) return std::make_error_code(it->second);
        return {};
    }
};

} // namespace morvi::testing
