#include "app/rom_save.h"

#include "rom/rom_buffer.h"
#include "rom/rom_file.h"

namespace morvi {

SaveOutcome saveRomFamilies(Workspace& ws, const SaveRequest& request, DiskSteps& steps, Notifier& notifier,
                            const std::function<bool()>& overwrite) {
    SaveOutcome out;
    if (!request.monsters && !request.portraits && !request.characters) {
        out.ok = true; // nothing to write: the file is left alone
        return out;
    }
    const std::string& path = ws.rom.romPath;
    // One copy of the file: read from the disk, written into by the families. What the writes
    // replaced is kept by the buffer, so the file as it was costs no second copy.
    std::vector<std::uint8_t> copy = std::move(ws.saveRoom);
    struct GiveBack {
        Workspace& ws;
        std::vector<std::uint8_t>& copy;
        ~GiveBack() {
            if (!copy.empty()) ws.saveRoom = std::move(copy);
        }
    } giveBack{ws, copy};
    // The monster model is made ready for the save, and the character tiles are encoded, while
    // the file is read: none of them needs another.
    CharacterTiles tiles;
    TaskThreads::Task monstersReady, charactersEncoded;
    if (request.monsters)
        ws.helpers.start(monstersReady, [&] { prepareMonstersForSave(ws.monsters, request.currentEntry); });
    if (request.characters) ws.helpers.start(charactersEncoded, [&] { tiles = encodeCharacterTiles(ws.characters); });
    std::error_code error;
    const bool read = readWholeFile(path, copy, error);
    monstersReady.wait();
    charactersEncoded.wait();
    if (!read) {
        out.error = "Error saving ROM: the ROM file can no longer be read (" + describeError(error) +
                    "). Nothing was saved; your changes are kept.";
        return out;
    }
    RomBuffer buffer(copy, ws.rom.romHasHeader);
    // The writers refuse before writing anything (and say why through the notifier).
    if (request.monsters && !saveMonsterGraphics(ws.monsters, buffer, notifier)) return out;
    if (request.portraits && !savePortraits(ws.portraits, buffer, notifier)) return out;
    if (request.characters && !saveCharacterSprites(ws.characters, tiles, buffer, notifier)) return out;

    if (!ws.romOnDisk.empty() && buffer.originalDiffersInWritten(ws.romOnDisk) && !(overwrite && overwrite())) {
        out.cancelled = true;
        return out;
    }
    // The families that were written must load from the result as an open would read them:
    // checked while the new file goes to the disk, before it replaces the ROM. The monster
    // graphics are read back whole (the model becomes what the file holds); for the others the
    // model already is what was written.
    const RomBytes result = buffer.bytes();
    bool monstersReloaded = true;
    auto check = [&] {
        monstersReloaded = !request.monsters || reloadMonstersFrom(ws.monsters, result);
        return monstersReloaded && (!request.portraits || canLoadPortraits(result)) &&
               (!request.characters || canLoadCharacterSprites(result));
    };
    ReplaceOutcome written = replaceFileContents(path, copy, [&] { return buffer.original(); }, steps, check, ws.helpers);
    out.inPlace = written.inPlace;
    if (written.checkFailed) {
        if (!monstersReloaded) notifier.notify(MessageKind::Warning, kMsgMonsterSaveError);
        else out.error = "Error saving ROM: the new ROM would not load again. Nothing was saved.";
        return out;
    }
    if (!written.ok) {
        out.error = "Error saving ROM: " + written.error + ". " +
                    (written.inPlace ? "" : "The ROM on disk was left as it was. ") + "Your changes are kept.";
        return out;
    }
    if (written.replaced.isOpen()) {
        ws.releasing.wait();
        ws.replacedRom = std::move(written.replaced);
        ws.helpers.start(ws.releasing, [&ws] { ws.replacedRom.close(); });
    }
    // The file as it was before this save is now the room of the next one.
    std::swap(ws.romOnDisk, copy);
    out.ok = true;
    return out;
}

SaveOutcome saveRomCopy(const Workspace& ws, const SaveRequest& request, const std::string& target, Notifier& notifier) {
    SaveOutcome out;
    std::vector<std::uint8_t> file;
    std::error_code error;
    if (!readWholeFile(ws.rom.romPath, file, error)) {
        out.error = "The ROM file can no longer be read (" + describeError(error) + ").";
        return out;
    }
    RomBuffer buffer(file, ws.rom.romHasHeader);
    // The writers prune, renumber and commit: they get copies, and the session keeps its own.
    if (request.monsters) {
        MonsterGraphics monsters = ws.monsters;
        prepareMonstersForSave(monsters, request.currentEntry);
        if (!saveMonsterGraphics(monsters, buffer, notifier) || !reloadMonstersFrom(monsters, buffer.bytes())) return out;
    }
    if (request.portraits) {
        PortraitSet portraits = ws.portraits;
        if (!savePortraits(portraits, buffer, notifier)) return out;
    }
    if (request.characters) {
        CharacterSet characters = ws.characters;
        if (!saveCharacterSprites(characters, buffer, notifier)) return out;
    }
    const RomBytes result = buffer.bytes();
    if ((request.portraits && !canLoadPortraits(result)) || (request.characters && !canLoadCharacterSprites(result))) {
        out.error = "The ROM would not load again.";
        return out;
    }
    if (!writeReplacing(target, [&](const std::string& temp) { return writeWholeFile(temp, file); })) {
        out.error = "The file \"" + target + "\" could not be written.";
        return out;
    }
    out.ok = true;
    return out;
}

} // namespace morvi
