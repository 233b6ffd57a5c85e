#include "app/rom_save.h"

#include "app/families.h"
#include "rom/rom_buffer.h"
#include "rom/rom_checksum.h"
#include "rom/rom_file.h"

namespace morvi {

SaveOutcome saveRomFamilies(Workspace& ws, const SaveRequest& request, DiskSteps& steps, Notifier& notifier,
                            const std::function<bool()>& overwrite) {
    SaveOutcome out;
    // The families to write, in the registry's order.
    std::vector<Family> writing;
    for (Family f : families())
        if (request.has(f)) writing.push_back(f);
    if (writing.empty()) {
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
    // The families make themselves ready for the save (the monster model pruned, the character
    // tiles encoded) while the file is read: none of them needs another.
    std::vector<TaskThreads::Task> ready(writing.size());
    for (std::size_t i = 0; i < writing.size(); ++i)
        ws.helpers.start(ready[i], [&ws, &request, f = writing[i]] { f->prepareSave(ws, request.shownPicture(f)); });
    std::error_code error;
    const bool read = readWholeFile(path, copy, error);
    for (auto& task : ready) task.wait();
    if (!read) {
        out.error = "Error saving ROM: the ROM file can no longer be read (" + describeError(error) +
                    "). Nothing was saved; your changes are kept.";
        return out;
    }
    RomBuffer buffer(copy, ws.rom.romHasHeader);
    // The writers refuse before writing anything (and say why through the notifier).
    for (Family f : writing)
        if (!f->write(ws, buffer, notifier)) return out;

    if (!ws.romOnDisk.empty() && buffer.originalDiffersInWritten(ws.romOnDisk) && !(overwrite && overwrite())) {
        out.cancelled = true;
        return out;
    }
    // The header's checksum is worked out after the question: it follows from the whole file, so
    // another program's checksum is no change of theirs that this save would overwrite.
    if (!updateHeaderChecksum(buffer)) {
        out.error = "Error saving ROM: the header checksum could not be written. Nothing was saved.";
        return out;
    }
    // The families that were written must load from the result as an open would read them:
    // checked while the new file goes to the disk, before it replaces the ROM. A family may
    // read its part back whole (the monster model becomes what the file holds).
    const RomBytes result = buffer.bytes();
    WrittenCheck failed;
    auto check = [&] {
        for (Family f : writing) {
            failed = f->checkWritten(ws, result);
            if (!failed.ok) return false;
        }
        return true;
    };
    ReplaceOutcome written = replaceFileContents(path, copy, [&] { return buffer.original(); }, steps, check, ws.helpers);
    out.inPlace = written.inPlace;
    if (written.checkFailed) {
        if (failed.warning) notifier.notify(MessageKind::Warning, failed.warning);
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
    // The writers prune, renumber and commit: they work on copies, and the session keeps its own.
    for (Family f : families()) {
        if (!request.has(f)) continue;
        const FamilyModule::CopyWrite done = f->writeCopy(ws, request.shownPicture(f), buffer, notifier);
        if (done == FamilyModule::CopyWrite::Refused) return out; // the family said why
        if (done == FamilyModule::CopyWrite::WouldNotLoad) {
            out.error = "The ROM would not load again.";
            return out;
        }
    }
    if (!updateHeaderChecksum(buffer)) {
        out.error = "The header checksum could not be written.";
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
