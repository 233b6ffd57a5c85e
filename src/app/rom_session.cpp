#include "app/rom_session.h"

#include <cstdio>
#include <memory>

namespace morvi {

bool loadRomFamilies(Workspace& ws, const std::string& path, bool hasHeader) {
    std::vector<std::uint8_t> file;
    if (path.size() > kRomPathCapacity || !readRomFile(path, file)) return false;
    return loadRomFamilies(ws, RomBytes(file, hasHeader));
}

bool loadRomFamilies(Workspace& ws, const RomBytes& rom) {
    // Read beside the current data: a reader that fails half-way must not leave some families
    // holding another file's pictures while romPath still names the old file.
    auto monsters = std::make_unique<MonsterGraphics>();
    auto portraits = std::make_unique<PortraitSet>();
    auto characters = std::make_unique<CharacterSet>();
    if (!loadMonsterGraphics(*monsters, rom) || !loadPortraits(*portraits, rom) || !loadCharacterSprites(*characters, rom))
        return false;
    ws.monsters = std::move(*monsters);
    ws.portraits = std::move(*portraits);
    ws.characters = std::move(*characters);
    return true;
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
    } else if (out.test == HeaderTest::NotRecognised) {
        out.error = "This file does not appear to be a valid Final Fantasy III ROM.";
        return out;
    } else {
        header = out.test == HeaderTest::Present;
    }
    if (path.size() > kRomPathCapacity || !loadRomFamilies(ws, RomBytes(file, header))) {
        out.error = kMsgLoadError;
        return out;
    }
    ws.rom.romHasHeader = header;
    ws.rom.romPath = path;
    out.ok = true;
    return out;
}

} // namespace morvi
