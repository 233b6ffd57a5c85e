#include "app/rom_save.h"

#include "rom/rom_buffer.h"

namespace morvi {

bool changedInRanges(std::span<const std::uint8_t> disk, std::span<const std::uint8_t> baseline,
                     const std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges) {
    for (const auto& [start, end] : ranges) {
        for (std::uint64_t at = start; at < end; ++at) {
            const bool onDisk = at < disk.size(), before = at < baseline.size();
            if (onDisk != before) return true;
            if (!onDisk) break;
            if (disk[std::size_t(at)] != baseline[std::size_t(at)]) return true;
        }
    }
    return false;
}

SaveOutcome saveRomFamilies(Workspace& ws, const SaveRequest& request, DiskSteps& steps, Notifier& notifier,
                            const std::function<bool()>& overwrite) {
    SaveOutcome out;
    if (!request.monsters && !request.portraits && !request.characters) {
        out.ok = true; // nothing to write: the file is left alone
        return out;
    }
    const std::string& path = ws.rom.romPath;
    std::vector<std::uint8_t> disk;
    std::error_code error;
    if (!readWholeFile(path, disk, error)) {
        out.error = "Error saving ROM: the ROM file can no longer be read (" + describeError(error) +
                    "). Nothing was saved; your changes are kept.";
        return out;
    }
    std::vector<std::uint8_t> copy = disk;
    RomBuffer buffer(copy, ws.rom.romHasHeader);
    // The writers refuse before writing anything (and say why through the notifier).
    if (request.monsters && !saveMonstersToRom(ws.monsters, request.currentEntry, buffer, notifier)) return out;
    if (request.portraits && !savePortraits(ws.portraits, buffer, notifier)) return out;
    if (request.characters && !saveCharacterSprites(ws.characters, buffer, notifier)) return out;

    if (!ws.romOnDisk.empty() && changedInRanges(disk, ws.romOnDisk, buffer.written()) && !(overwrite && overwrite())) {
        out.cancelled = true;
        return out;
    }
    const RomBytes result = buffer.bytes();
    if (!canLoadMonsterGraphics(result) || !canLoadPortraits(result) || !canLoadCharacterSprites(result)) {
        out.error = "Error saving ROM: the new ROM would not load again. Nothing was saved.";
        return out;
    }
    const ReplaceOutcome written = replaceFileContents(path, copy, disk, steps);
    out.inPlace = written.inPlace;
    if (!written.ok) {
        out.error = "Error saving ROM: " + written.error + ". " +
                    (written.inPlace ? "" : "The ROM on disk was left as it was. ") + "Your changes are kept.";
        return out;
    }
    ws.romOnDisk = std::move(copy);
    out.ok = true;
    return out;
}

} // namespace morvi
