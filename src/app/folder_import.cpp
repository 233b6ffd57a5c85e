#include "app/folder_import.h"

#include "app/families.h"
#include "family/family_module.h"

namespace morvi {

namespace {

constexpr int kMostColors = 16;

} // namespace

ImportPalettes::ImportPalettes(Workspace& ws) {
    for (Family f : families())
        for (int picture = 0; picture < f->pictureCount(); ++picture)
            for (int k = 0; k < kMostColors; ++k)
                if (const PaletteColor* c = f->storedColor(ws, picture, k)) m_original.emplace(c, *c);
}

void ImportPalettes::applied(Workspace& ws, PaletteTarget picture, const std::string& name) {
    FilePalette file{name, picture, {}, {}, false};
    const int count = picture.family->colorCount(ws, picture.index);
    for (int k = 0; k < count; ++k) {
        PaletteColor* c = picture.family->storedColor(ws, picture.index, k);
        if (!c) continue;
        file.slots.push_back(c);
        file.colors.push_back(*c);
        // A place no picture showed before the import (a 3-bit monster's that became 16) has
        // no colour of the ROM's to differ from.
        const auto was = m_original.find(c);
        file.changed = file.changed || (was != m_original.end() && !(was->second == *c));
    }
    m_files.push_back(std::move(file));
}

std::string ImportPalettes::settle(Workspace& ws) const {
    // The colour each place ends with: that of the files that changed their palette, which must
    // agree wherever their palettes meet.
    std::map<PaletteColor*, std::pair<PaletteColor, const FilePalette*>> wanted;
    for (const FilePalette& file : m_files) {
        if (!file.changed) continue;
        for (std::size_t i = 0; i < file.slots.size(); ++i) {
            const auto [at, fresh] = wanted.try_emplace(file.slots[i], file.colors[i], &file);
            if (!fresh && !(at->second.first == file.colors[i]))
                return at->second.second->name + " and " + file.name +
                       " both change one palette, to different colours; keep the one you mean and import again";
        }
    }
    std::map<std::pair<Family, int>, bool> shown; // the pictures whose palettes changed here
    for (const auto& [place, want] : wanted) {
        if (*place == want.first) continue;
        *place = want.first;
        shown[{want.second->picture.family, want.second->picture.index}] = true;
    }
    for (const auto& [picture, yes] : shown) picture.first->paletteChanged(ws, picture.second);
    return "";
}

} // namespace morvi
