#include "app/palette_target.h"

#include <algorithm>

#include "imagefile/palette_file.h"

namespace morvi {

std::optional<PaletteTarget> parsePaletteTarget(const std::string& text, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon), digits = colon == std::string::npos ? "" : text.substr(colon + 1);
    PaletteTarget t;
    int last = 0;
    if (kind == "monster") t.family = Family::Monsters, last = kMonsterEntryCount - 1;
    else if (kind == "portrait") t.family = Family::Portraits, last = kPortraitCount - 1;
    else if (kind == "character") t.family = Family::Characters, last = kCharacterCount - 1;
    else {
        error = "a target is monster:N, portrait:N or character:N";
        return std::nullopt;
    }
    if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(digits) > last) {
        error = "the number of a " + kind + " runs from 0 to " + std::to_string(last);
        return std::nullopt;
    }
    t.index = std::stoi(digits);
    return t;
}

namespace {

// Where colour k of the target's palette is stored; null outside it.
template <typename W> auto storedColor(W& ws, PaletteTarget t, int k) -> decltype(&ws.monsters.palettes[0]) {
    switch (t.family) {
    case Family::Monsters: {
        const MonsterEntry& e = ws.monsters.entries[std::size_t(t.index)];
        const std::int64_t at = std::int64_t(e.paletteNumber) * 8 + k;
        if (k >= (e.colorCount == 8 ? 8 : 16) || at < 0 || at >= kMonsterPaletteColors) return nullptr;
        return &ws.monsters.palettes[std::size_t(at)];
    }
    case Family::Portraits: {
        const std::size_t at = std::size_t(ws.portraits.portraits[std::size_t(t.index)].paletteNumber) * 16 + std::size_t(k);
        return k < 16 && at < ws.portraits.palettes.size() ? &ws.portraits.palettes[at] : nullptr;
    }
    default: {
        const std::size_t at = std::size_t(ws.characters.characters[std::size_t(t.index)].paletteNumber) * 16 + std::size_t(k);
        return k < 16 && at < ws.characters.palettes.size() ? &ws.characters.palettes[at] : nullptr;
    }
    }
}

int colorCountOf(const Workspace& ws, PaletteTarget t) {
    return t.family == Family::Monsters && ws.monsters.entries[std::size_t(t.index)].colorCount == 8 ? 8 : 16;
}

} // namespace

std::vector<PaletteColor> targetPalette(const Workspace& ws, PaletteTarget t) {
    std::vector<PaletteColor> out;
    for (int k = 0; k < colorCountOf(ws, t); ++k) {
        if (t.family == Family::Characters && ws.characters.characters[std::size_t(t.index)].fixedPalette) {
            out.push_back(ws.characters.characters[std::size_t(t.index)].sprites[0].palette[std::size_t(k)]);
            continue;
        }
        const PaletteColor* c = storedColor(ws, t, k);
        out.push_back(c ? *c : PaletteColor{});
    }
    return out;
}

bool setTargetPalette(Workspace& ws, PaletteTarget t, std::span<const PaletteColor> colors, std::string& error) {
    if (t.family == Family::Characters && ws.characters.characters[std::size_t(t.index)].fixedPalette) {
        error = "this character's palette is fixed and cannot be changed";
        return false;
    }
    const int n = std::min(int(colors.size()), colorCountOf(ws, t));
    for (int k = 0; k < n; ++k)
        if (PaletteColor* c = storedColor(ws, t, k)) *c = snesRounded(colors[std::size_t(k)]);
    // Every picture using the palette shows the new colours.
    switch (t.family) {
    case Family::Monsters:
        for (auto& e : ws.monsters.entries) setEntryPalette(ws.monsters, e, e.paletteNumber);
        break;
    case Family::Portraits:
        for (auto& r : ws.portraits.portraits) reloadPortraitPalette(ws.portraits, r);
        break;
    default:
        for (auto& ch : ws.characters.characters) reloadCharacterPalette(ws.characters, ch);
        break;
    }
    return true;
}

} // namespace morvi
