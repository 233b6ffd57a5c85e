#include "app/rom_session.h"

#include <cstdio>
#include <memory>

namespace morvi {

bool loadRomFamilies(Workspace& ws, const std::string& path, bool hasHeader) {
    RomState rom = ws.rom;
    rom.romHasHeader = hasHeader;
    // Read beside the current data: a reader that fails half-way must not leave some families
    // holding another file's pictures while romPath still names the old file.
    auto monsters = std::make_unique<MonsterGraphics>();
    auto portraits = std::make_unique<PortraitSet>();
    auto characters = std::make_unique<CharacterSet>();
    if (path.size() > kRomPathCapacity || !loadMonsterGraphics(*monsters, path, rom) ||
        !loadPortraits(*portraits, path, rom) || !loadCharacterSprites(*characters, path, rom))
        return false;
    ws.monsters = std::move(*monsters);
    ws.portraits = std::move(*portraits);
    ws.characters = std::move(*characters);
    return true;
}

OpenOutcome openRom(Workspace& ws, const std::string& path, HeaderChoice choice) {
    OpenOutcome out;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        out.error = kMsgLoadError;
        return out;
    }
    out.opened = true;
    out.test = detectRomHeader(file);
    std::fclose(file);
    bool header = ws.rom.romHasHeader;
    if (choice == HeaderChoice::Present || choice == HeaderChoice::Absent) {
        header = choice == HeaderChoice::Present;
    } else if (out.test == HeaderTest::NotRecognised) {
        out.error = "This file does not appear to be a valid Final Fantasy III ROM.";
        return out;
    } else {
        header = out.test == HeaderTest::Present;
    }
    if (!loadRomFamilies(ws, path, header)) {
        out.error = kMsgLoadError;
        return out;
    }
    ws.rom.romHasHeader = header;
    ws.rom.romPath = path;
    out.ok = true;
    return out;
}

} // namespace morvi
