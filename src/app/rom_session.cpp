#include "app/rom_session.h"

#include <cstdio>

#include "app/families.h"

namespace morvi {

bool loadRomFamilies(Workspace& ws, const std::string& path, bool hasHeader) {
    std::vector<std::uint8_t> file;
    if (path.size() > kRomPathCapacity || !readRomFile(path, file)) return false;
    return loadRomFamilies(ws, RomBytes(file, hasHeader));
}

bool loadRomFamilies(Workspace& ws, const RomBytes& rom) {
    // All or nothing: a file one family refuses must not leave the others holding its pictures
    // while romPath still names the old file. Each reader refuses only in the checks it makes
    // before changing anything, so every check comes first; the reads then cannot fail and
    // fill the families in place.
    for (Family f : families())
        if (!f->canLoad(rom)) return false;
    bool loaded = true;
    for (Family f : families()) loaded = f->load(ws, rom) && loaded;
    return loaded;
}

std::optional<bool> headerFromTest(HeaderTest test) {
    if (test == HeaderTest::Present) return true;
    if (test == HeaderTest::Absent) return false;
    return std::nullopt;
}

OpenOutcome openRom(Workspace& ws, const std::string& path, HeaderChoice choice) {
    OpenOutcome out;
    // One read of the file: the header test and all three families see the same bytes.
    std::vector<std::uint8_t> file;
    if (!readRomFile(path, file)) {
        out.error = kMsgLoadError;
        return out;
    }
    out.opened = true;
    out.test = detectRomHeader(std::span<const std::uint8_t>(file));
    bool header = ws.rom.romHasHeader;
    if (choice == HeaderChoice::Present || choice == HeaderChoice::Absent) {
        header = choice == HeaderChoice::Present;
    } else if (const auto detected = headerFromTest(out.test)) {
        header = *detected;
    } else {
        out.error = "This file does not appear to be a valid Final Fantasy III ROM.";
        return out;
    }
    if (path.size() > kRomPathCapacity || !loadRomFamilies(ws, RomBytes(file, header))) {
        out.error = kMsgLoadError;
        return out;
    }
    ws.rom.romHasHeader = header;
    ws.rom.romPath = path;
    ws.romOnDisk = std::move(file);
    out.ok = true;
    return out;
}

} // namespace morvi
