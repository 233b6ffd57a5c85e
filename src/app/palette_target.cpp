#include "app/palette_target.h"

#include <algorithm>
#include <array>

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

namespace {

bool fixedPalette(const Workspace& ws, PaletteTarget t) {
    return t.family == Family::Characters && ws.characters.characters[std::size_t(t.index)].fixedPalette;
}

// Every picture using the palette shows its colours as the table holds them now.
void refreshSharers(Workspace& ws, PaletteTarget t) {
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
}

} // namespace

int targetColorCount(const Workspace& ws, PaletteTarget t) { return colorCountOf(ws, t); }

bool setTargetPalette(Workspace& ws, PaletteTarget t, std::span<const PaletteColor> colors, std::string& error) {
    if (fixedPalette(ws, t)) {
        error = "this character's palette is fixed and cannot be changed";
        return false;
    }
    const int n = std::min(int(colors.size()), colorCountOf(ws, t));
    for (int k = 0; k < n; ++k)
        if (PaletteColor* c = storedColor(ws, t, k)) *c = snesRounded(colors[std::size_t(k)]);
    refreshSharers(ws, t);
    return true;
}

bool targetColorEditable(const Workspace& ws, PaletteTarget t, int k) {
    return k > 0 && k < colorCountOf(ws, t) && !fixedPalette(ws, t) && storedColor(ws, t, k) != nullptr;
}

bool setTargetColor(Workspace& ws, PaletteTarget t, int k, PaletteColor color) {
    if (!targetColorEditable(ws, t, k)) return false;
    PaletteColor* stored = storedColor(ws, t, k);
    const PaletteColor rounded = snesRounded(color);
    if (*stored == rounded) return false;
    *stored = rounded;
    refreshSharers(ws, t);
    return true;
}

std::vector<PaletteColor> targetTableColors(const Workspace& ws, PaletteTarget t) {
    std::vector<PaletteColor> out;
    for (int k = 0; k < colorCountOf(ws, t); ++k) {
        const PaletteColor* c = storedColor(ws, t, k);
        out.push_back(c ? *c : PaletteColor{});
    }
    return out;
}

bool swapWithTransparent(Workspace& ws, PaletteTarget t, int k) {
    if (!targetColorEditable(ws, t, k)) return false;
    switch (t.family) {
    case Family::Monsters: {
        MonsterEntry& e = ws.monsters.entries[std::size_t(t.index)];
        makeTransparent(ws.monsters, e, k);
        commitEntry(ws.monsters, e);
        break;
    }
    case Family::Portraits: swapPortraitColor(ws.portraits, ws.portraits.portraits[std::size_t(t.index)], k); break;
    default: swapCharacterColor(ws.characters, ws.characters.characters[std::size_t(t.index)], k); break;
    }
    return true;
}

std::vector<int> swapOrder(int count, int from, int to) {
    std::vector<int> order(std::size_t(std::max(0, count)));
    for (int k = 0; k < count; ++k) order[std::size_t(k)] = k;
    if (from >= 0 && to >= 0 && from < count && to < count) std::swap(order[std::size_t(from)], order[std::size_t(to)]);
    return order;
}

std::vector<int> moveOrder(int count, int from, int to) {
    std::vector<int> order = swapOrder(count, 0, 0);
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return order;
    order.erase(order.begin() + from);
    order.insert(order.begin() + to, from);
    return order;
}

namespace {

using Renumber = std::array<std::uint8_t, 256>;

Renumber identity() {
    Renumber r{};
    for (int v = 0; v < 256; ++v) r[std::size_t(v)] = std::uint8_t(v);
    return r;
}

// Monster colours live in one table of 8-colour palettes; an entry shows the 8 or 16 starting
// at its palette number x 8. slotMove[s] is where the colour at table slot s went.
Renumber entryRenumber(const MonsterEntry& e, const std::vector<std::pair<std::int64_t, std::int64_t>>& moved) {
    Renumber r = identity();
    const std::int64_t base = std::int64_t(e.paletteNumber) * 8, count = e.colorCount == 8 ? 8 : 16;
    for (const auto& [from, to] : moved) {
        const std::int64_t a = from - base, b = to - base;
        // A colour that left this entry's window cannot be followed: those pixels keep their number.
        if (a >= 0 && a < count && b >= 0 && b < count) r[std::size_t(a)] = std::uint8_t(b);
    }
    return r;
}

void renumberMonsters(MonsterGraphics& mg, int current, const std::vector<std::pair<std::int64_t, std::int64_t>>& moved) {
    std::vector<int> entries{current};
    for (int e : entriesSharingPalette(mg, current)) entries.push_back(e);
    std::vector<bool> recordDone(kRecordSlotCount, false);
    const Renumber same = identity();
    for (int index : entries) {
        MonsterEntry& e = mg.entries[std::size_t(index)];
        if (e.recordIndex >= kRecordSlotCount || recordDone[e.recordIndex] || !e.image.hasPixels()) continue;
        const Renumber r = entryRenumber(e, moved);
        if (r == same) continue;
        // The record is renumbered once, by the first entry that needs it (the edited one first).
        recordDone[e.recordIndex] = true;
        const Mold& mold = mg.moldOf(e);
        for (int y = 0; y < e.image.height; ++y)
            for (int x = 0; x < e.image.width; ++x)
                // Cells outside the mold are not part of the picture and stay transparent.
                if (pixelInMold(mold, e.large, x, y)) e.image.setPixel(x, y, r[e.image.pixel(x, y)]);
        deriveMold(mg, e);
        commitEntry(mg, e);
        for (auto& other : mg.entries)
            if (&other != &e && other.recordIndex == e.recordIndex) decodeEntry(mg, other);
    }
}

void renumberPixels(IndexedImage& image, const Renumber& r) {
    for (auto& p : image.pixels) p = r[p];
}

} // namespace

bool reorderTargetPalette(Workspace& ws, PaletteTarget t, std::span<const int> order, std::string& error) {
    const int n = colorCountOf(ws, t);
    std::vector<bool> seen(std::size_t(n), false);
    bool valid = int(order.size()) == n;
    for (std::size_t k = 0; valid && k < order.size(); ++k) {
        valid = order[k] >= 0 && order[k] < n && !seen[std::size_t(order[k])];
        if (valid) seen[std::size_t(order[k])] = true;
    }
    if (!valid) {
        error = "the new order is not one of the palette's colours";
        return false;
    }
    if (fixedPalette(ws, t)) {
        error = "this character's palette is fixed and cannot be changed";
        return false;
    }
    bool anyMoved = false;
    for (int k = 0; k < n; ++k) anyMoved = anyMoved || order[std::size_t(k)] != k;
    if (!anyMoved) return true;
    // Old colour order[k] goes to place k: pixels of order[k] become k.
    Renumber r = identity();
    for (int k = 0; k < n; ++k) r[std::size_t(order[std::size_t(k)])] = std::uint8_t(k);
    const std::vector<PaletteColor> old = targetPalette(ws, t);
    for (int k = 0; k < n; ++k)
        if (PaletteColor* c = storedColor(ws, t, k)) *c = old[std::size_t(order[std::size_t(k)])];
    switch (t.family) {
    case Family::Monsters: {
        const std::int64_t base = std::int64_t(ws.monsters.entries[std::size_t(t.index)].paletteNumber) * 8;
        std::vector<std::pair<std::int64_t, std::int64_t>> moved;
        for (int k = 0; k < n; ++k)
            if (order[std::size_t(k)] != k) moved.emplace_back(base + order[std::size_t(k)], base + k);
        renumberMonsters(ws.monsters, t.index, moved);
        for (auto& e : ws.monsters.entries) setEntryPalette(ws.monsters, e, e.paletteNumber);
        break;
    }
    case Family::Portraits: {
        const auto number = ws.portraits.portraits[std::size_t(t.index)].paletteNumber;
        for (auto& p : ws.portraits.portraits)
            if (p.paletteNumber == number) renumberPixels(p.image, r);
        for (auto& p : ws.portraits.portraits) reloadPortraitPalette(ws.portraits, p);
        break;
    }
    default: {
        const auto number = ws.characters.characters[std::size_t(t.index)].paletteNumber;
        for (auto& ch : ws.characters.characters) {
            if (ch.paletteNumber != number || ch.fixedPalette) continue;
            for (auto& v : ch.tileStore) v = r[v];
            rebuildSprites(ws.characters, ch);
        }
        for (auto& ch : ws.characters.characters) reloadCharacterPalette(ws.characters, ch);
        break;
    }
    }
    return true;
}

std::uint32_t colorsUsed(const Workspace& ws, PaletteTarget t) {
    std::uint32_t used = 0;
    auto add = [&used](const IndexedImage& image) {
        for (std::uint8_t p : image.pixels)
            if (p < 32) used |= 1u << p;
    };
    switch (t.family) {
    case Family::Monsters: add(ws.monsters.entries[std::size_t(t.index)].image); break;
    case Family::Portraits: add(ws.portraits.portraits[std::size_t(t.index)].image); break;
    default:
        for (const auto& sprite : ws.characters.characters[std::size_t(t.index)].sprites) add(sprite);
        break;
    }
    return used;
}

} // namespace morvi
