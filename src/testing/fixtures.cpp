#include "testing/fixtures.h"

#include "app/rom_session.h"
#include "demo/demo_rom.h"
#include "rom/file_io.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace morvi::testing {

std::unique_ptr<Workspace> demoWorkspace() {
    auto ws = Workspace::create();
    const RomImage rom = buildDemoRom();
    if (!loadRomFamilies(*ws, RomBytes(rom.bytes, false))) throw std::runtime_error("the demo ROM did not load");
    return ws;
}

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("morvi-test-" + std::to_string(rd()) + "-" + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary | std::ios::ate);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::uint8_t> bytes(std::size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in) throw std::runtime_error("cannot read " + path);
    return bytes;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string testdata(const std::string& relative) {
    return std::string(MORVI_TESTDATA_DIR) + "/" + relative;
}

} // namespace morvi::testing
