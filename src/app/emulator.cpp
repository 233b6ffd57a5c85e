#include "app/emulator.h"

#include <cstdlib>
#include <filesystem>

namespace morvi {

std::optional<std::vector<std::string>> splitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote) quote = 0;
            else if (c == '\\' && quote == '"' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) word += line[++i];
            else word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) return std::nullopt;
    if (inWord) words.push_back(word);
    return words;
}

std::vector<std::string> emulatorCommand(const std::string& line, const std::string& romPath) {
    auto words = splitCommandLine(line);
    if (!words || words->empty()) return {};
    bool placed = false;
    for (std::size_t k = 1; k < words->size(); ++k) {
        std::string& w = (*words)[k];
        for (std::size_t at = w.find("%ROM%"); at != std::string::npos; at = w.find("%ROM%", at + romPath.size())) {
            w.replace(at, 5, romPath);
            placed = true;
        }
    }
    if (!placed) words->push_back(romPath);
    return *words;
}

std::string quoteWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"'\\") == std::string::npos) return word;
    std::string q = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

std::string findEmulator(const std::string& searchPath, const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> dirs;
    std::size_t at = 0;
    while (at <= searchPath.size()) {
        const std::size_t end = searchPath.find(':', at);
        const std::string dir = searchPath.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!dir.empty()) dirs.push_back(dir);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    for (const char* usual : {"/usr/games", "/usr/local/games", "/usr/bin", "/usr/local/bin"}) dirs.push_back(usual);
    auto find = [&](const std::string& name) -> std::string {
        for (const auto& d : dirs)
            if (exists(d + "/" + name)) return d + "/" + name;
        return {};
    };
    if (auto p = find("mednafen"); !p.empty()) return quoteWord(p) + " -sound 0 %ROM%";
    if (auto p = find("retroarch"); !p.empty()) {
        for (const char* libretro : {"/usr/lib/x86_64-linux-gnu/libretro", "/usr/lib/libretro", "/usr/local/lib/libretro"})
            for (const char* core : {"snes9x_libretro.so", "bsnes_libretro.so", "bsnes_mercury_balanced_libretro.so", "mesen-s_libretro.so"}) {
                const std::string lib = std::string(libretro) + "/" + core;
                if (exists(lib)) return quoteWord(p) + " -L " + quoteWord(lib) + " %ROM%";
            }
    }
    for (const char* name : {"snes9x-gtk", "snes9x", "bsnes"})
        if (auto p = find(name); !p.empty()) return quoteWord(p) + " %ROM%";
    return {};
}

std::string findEmulator() {
    const char* path = std::getenv("PATH");
    return findEmulator(path ? path : "", [](const std::string& file) {
        std::error_code ec;
        return std::filesystem::is_regular_file(file, ec);
    });
}

} // namespace morvi
