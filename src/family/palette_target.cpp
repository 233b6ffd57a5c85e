#include "family/palette_target.h"

#include <algorithm>

#include "imagefile/palette_file.h"

namespace morvi {

namespace {

const PaletteColor* storedColor(const Workspace& ws, PaletteTarget t, int k) {
    // The module hands out the colour's place; reading it through a const workspace is safe.
    return t.family->storedColor(const_cast<Workspace&>(ws), t.index, k);
}

bool fixedPalette(const Workspace& ws, PaletteTarget t, std::string& error) {
    error = t.family->fixedPalette(ws, t.index);
    return !error.empty();
}

} // namespace

int targetColorCount(const Workspace& ws, PaletteTarget t) { return t.family->colorCount(ws, t.index); }

std::vector<PaletteColor> targetPalette(const Workspace& ws, PaletteTarget t) {
    if (!t.family->fixedPalette(ws, t.index).empty()) {
        std::vector<PaletteColor> fixed = t.family->fixedColors(ws, t.index);
        fixed.resize(std::size_t(targetColorCount(ws, t)));
        return fixed;
    }
    return targetTableColors(ws, t);
}

std::vector<PaletteColor> targetTableColors(const Workspace& ws, PaletteTarget t) {
    std::vector<PaletteColor> out;
    for (int k = 0; k < targetColorCount(ws, t); ++k) {
        const PaletteColor* c = storedColor(ws, t, k);
        out.push_back(c ? *c : PaletteColor{});
    }
    return out;
}

bool setTargetPalette(Workspace& ws, PaletteTarget t, std::span<const PaletteColor> colors, std::string& error) {
    if (fixedPalette(ws, t, error)) return false;
    const int n = std::min(int(colors.size()), targetColorCount(ws, t));
    for (int k = 0; k < n; ++k)
        if (PaletteColor* c = t.family->storedColor(ws, t.index, k); c && (k == 0 || t.family->colorEditable(ws, t.index, k)))
            *c = snesRounded(colors[std::size_t(k)]);
    t.family->paletteChanged(ws, t.index);
    return true;
}

bool targetColorEditable(const Workspace& ws, PaletteTarget t, int k) {
    return k > 0 && k < targetColorCount(ws, t) && t.family->fixedPalette(ws, t.index).empty() &&
           storedColor(ws, t, k) != nullptr && t.family->colorEditable(ws, t.index, k);
}

bool setTargetColor(Workspace& ws, PaletteTarget t, int k, PaletteColor color) {
    if (!targetColorEditable(ws, t, k)) return false;
    PaletteColor* stored = t.family->storedColor(ws, t.index, k);
    const PaletteColor rounded = snesRounded(color);
    if (*stored == rounded) return false;
    *stored = rounded;
    t.family->paletteChanged(ws, t.index);
    return true;
}

bool swapWithTransparent(Workspace& ws, PaletteTarget t, int k) {
    if (!targetColorEditable(ws, t, k)) return false;
    t.family->swapWithTransparent(ws, t.index, k);
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

bool reorderTargetPalette(Workspace& ws, PaletteTarget t, std::span<const int> order, std::string& error) {
    const int n = targetColorCount(ws, t);
    std::vector<bool> seen(std::size_t(n), false);
    bool valid = int(order.size()) == n;
    for (std::size_t k = 0; valid && k < order.size(); ++k) {
        valid = order[k] >= 0 && order[k] < n && !seen[std::size_t(order[k])];
        if (valid) seen[std::size_t(order[k])] = true;
    }
    // A colour the family does not let the user edit stays where it is.
    for (int k = 1; valid && k < n; ++k)
        if (order[std::size_t(k)] != k) valid = t.family->colorEditable(ws, t.index, k) && t.family->colorEditable(ws, t.index, order[std::size_t(k)]);
    if (!valid) {
        error = "the new order is not one of the palette's colours";
        return false;
    }
    if (fixedPalette(ws, t, error)) return false;
    bool anyMoved = false;
    for (int k = 0; k < n; ++k) anyMoved = anyMoved || order[std::size_t(k)] != k;
    if (!anyMoved) return true;
    const std::vector<PaletteColor> old = targetPalette(ws, t);
    for (int k = 0; k < n; ++k)
        if (PaletteColor* c = t.family->storedColor(ws, t.index, k)) *c = old[std::size_t(order[std::size_t(k)])];
    t.family->renumberPixels(ws, t.index, order);
    t.family->paletteChanged(ws, t.index);
    return true;
}

std::uint32_t colorsUsed(const Workspace& ws, PaletteTarget t) { return t.family->colorsUsed(ws, t.index); }

std::array<std::uint8_t, 256> renumbering(std::span<const int> order) {
    std::array<std::uint8_t, 256> r{};
    for (int v = 0; v < 256; ++v) r[std::size_t(v)] = std::uint8_t(v);
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] >= 0 && order[k] < 256) r[std::size_t(order[k])] = std::uint8_t(k);
    return r;
}

std::uint32_t pixelColors(const IndexedImage& image) {
    std::uint32_t used = 0;
    for (std::uint8_t p : image.pixels)
        if (p < 32) used |= 1u << p;
    return used;
}

} // namespace morvi
