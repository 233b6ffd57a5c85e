#include "rom/rom_file.h"

#include <cctype>

#include "rom/rom_bytes.h"

#include <filesystem>

namespace morvi {

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::error_code ignored;
    return readWholeFile(path, out, ignored);
}

bool readRomFile(const std::string& path, std::vector<std::uint8_t>& out) {
    // For reading and writing, as the editor opens a ROM: one it cannot write is refused.
    std::error_code ignored;
    return readWholeFile(path, out, ignored, "r+b");
}

bool writeWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
    std::FILE* file = openFile(path, "wb");
    if (!file) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

bool writeReplacing(const std::string& path, const std::function<bool(const std::string& temp)>& write) {
    const std::string temp = path + ".morvi-part";
    std::error_code ec;
    if (!write(temp)) {
        std::filesystem::remove(pathFromUtf8(temp), ec);
        return false;
    }
    std::filesystem::rename(pathFromUtf8(temp), pathFromUtf8(path), ec);
    if (ec) {
        std::filesystem::remove(pathFromUtf8(temp), ec);
        return false;
    }
    return true;
}

std::string withExtension(const std::string& path, const std::string& extension) {
    const std::filesystem::path p = pathFromUtf8(path);
    std::filesystem::path out = p;
    out.replace_extension(pathFromUtf8(extension));
    return pathToUtf8(out);
}

std::string findBesideFile(const std::string& path, const std::string& extension) {
    const std::string exact = withExtension(path, extension);
    std::error_code ec;
    if (std::filesystem::is_regular_file(pathFromUtf8(exact), ec)) return exact;
    auto lower = [](std::string s) {
        for (auto& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::filesystem::path wanted = pathFromUtf8(exact);
    const std::string wantedName = lower(pathToUtf8(wanted.filename()));
    std::filesystem::path folder = wanted.parent_path();
    if (folder.empty()) folder = ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (lower(pathToUtf8(it->path().filename())) != wantedName) continue;
        std::error_code kind;
        if (it->is_regular_file(kind)) return pathToUtf8(wanted.parent_path() / it->path().filename());
    }
    return "";
}

bool writeFilePair(const std::string& first, std::span<const std::uint8_t> firstBytes, const std::string& second,
                   std::span<const std::uint8_t> secondBytes) {
    const std::string firstTemp = first + ".morvi-part", secondTemp = second + ".morvi-part";
    std::error_code ec;
    bool ok = writeWholeFile(firstTemp, firstBytes) && writeWholeFile(secondTemp, secondBytes);
    if (ok) {
        std::filesystem::rename(pathFromUtf8(firstTemp), pathFromUtf8(first), ec);
        ok = !ec;
    }
    if (ok) {
        std::filesystem::rename(pathFromUtf8(secondTemp), pathFromUtf8(second), ec);
        if (ec) {
            std::error_code ignored;
            std::filesystem::remove(pathFromUtf8(first), ignored);
            ok = false;
        }
    }
    std::filesystem::remove(pathFromUtf8(firstTemp), ec);
    std::filesystem::remove(pathFromUtf8(secondTemp), ec);
    return ok;
}

} // namespace morvi
