#include "app/rom_session.h"

#include <cstdio>

namespace morvi {

bool loadRomFamilies(Workspace& ws, const std::string& path) {
    return loadMonsterGraphics(ws.monsters, path, ws.rom) && loadPortraits(ws.portraits, path, ws.rom) &&
           loadCharacterSprites(ws.characters, path, ws.rom);
}

OpenOutcome openRom(Workspace& ws, const std::string& path, HeaderChoice choice) {
    OpenOutcome out;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        out.error = kMsgLoadError;
        return out;
    }
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
    const bool previous = ws.rom.romHasHeader;
    ws.rom.romHasHeader = header;
    if (path.size() > kRomPathCapacity || !loadRomFamilies(ws, path)) {
        ws.rom.romHasHeader = previous;
        out.error = kMsgLoadError;
        return out;
    }
    ws.rom.romPath = path;
    out.ok = true;
    return out;
}

} // namespace morvi
