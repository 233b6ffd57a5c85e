#include "app/picture_source.h"

#include "app/picture_transfer.h"
#include "image/region.h"

#include <algorithm>

namespace morvi {

namespace {

// Runs op and tells whether what `state` reads differs after it.
template <class State, class Op> bool changes(State state, Op op) {
    const auto before = state();
    op();
    return before != state();
}

} // namespace

void PictureSource::show(int index) {
    settle();
    m_index = index;
}

bool PictureSource::setColor(int k, PaletteColor color) {
    if (!setTargetColor(m_ws, paletteTarget(), k, color)) return false;
    edited();
    return true;
}

bool PictureSource::makeTransparent(int k) {
    if (!swapWithTransparent(m_ws, paletteTarget(), k)) return false;
    edited();
    return true;
}

// --- monsters ---

const IndexedImage& MonsterSource::picture() const { return entry().image; }

bool MonsterSource::writePixels(std::span<const PixelWrite> writes) {
    if (setEntryPixels(m_ws.monsters, entry(), writes) == 0) return false;
    m_edited = true;
    return true;
}

bool MonsterSource::clear() {
    m_edited = true;
    return changes([&] { return entry().image.pixels; }, [&] { blankEntry(m_ws.monsters, entry()); });
}

bool MonsterSource::flip(bool vertical) {
    m_edited = true;
    return changes([&] { return entry().image.pixels; }, [&] { flipEntry(m_ws.monsters, entry(), vertical ? 1 : 0); });
}

PictureLimits MonsterSource::importLimits() const { return {kMonsterImportSide, kMonsterImportSide, true}; }

std::string MonsterSource::importPicture(const IndexedImage& image) {
    importMonsterEntry(m_ws.monsters, m_index, image);
    m_edited = true;
    return "";
}

IndexedImage MonsterSource::clipboardPicture() const {
    const Extent used = usedExtent(m_ws.monsters, entry());
    return copyRegion(entry().image, {0, 0, used.width, used.height});
}

void MonsterSource::settle() {
    if (!m_edited) return;
    m_edited = false;
    settleEntry(m_ws.monsters, entry());
}

void MonsterSource::restored() {
    // Entries sharing a restored record or palette show it again.
    m_edited = false;
    redecodeEntries(m_ws.monsters);
}

// --- portraits ---

const IndexedImage& PortraitSource::picture() const { return m_ws.portraits.portraits[std::size_t(m_index)].image; }

bool PortraitSource::writePixels(std::span<const PixelWrite> writes) {
    return setPortraitPixels(m_ws.portraits.portraits[std::size_t(m_index)], writes) > 0;
}

bool PortraitSource::clear() {
    auto& record = m_ws.portraits.portraits[std::size_t(m_index)];
    return changes([&] { return record.image.pixels; }, [&] { clearPortrait(record); });
}

bool PortraitSource::flip(bool vertical) {
    auto& record = m_ws.portraits.portraits[std::size_t(m_index)];
    return changes([&] { return record.image.pixels; }, [&] { flipPortrait(record, vertical ? 1 : 0); });
}

PictureLimits PortraitSource::importLimits() const { return {kPortraitSide, kPortraitSide, false}; }

std::string PortraitSource::importPicture(const IndexedImage& image) {
    importPortrait(m_ws.portraits, m_index, image);
    return "";
}

IndexedImage PortraitSource::clipboardPicture() const { return picture(); }

// --- characters ---

const IndexedImage& CharacterSource::picture() const { return character().sprites[std::size_t(m_sprite)]; }

bool CharacterSource::writePixels(std::span<const PixelWrite> writes) {
    return setSpritePixels(m_ws.characters, character(), m_sprite, writes) > 0;
}

// Clear and flip act on every sprite: the sheet tells whether they changed.
bool CharacterSource::clear() {
    return changes([&] { return buildSpriteSheet(character(), -1).pixels; },
                   [&] { clearCharacterSprites(m_ws.characters, character()); });
}

bool CharacterSource::flip(bool vertical) {
    return changes([&] { return buildSpriteSheet(character(), -1).pixels; },
                   [&] { flipCharacterSprites(m_ws.characters, character(), vertical ? 1 : 0); });
}

PictureLimits CharacterSource::importLimits() const {
    return {kCharacterImportSide, kCharacterImportSide, false, kSheetWidth, kFullSheetHeight};
}

std::string CharacterSource::importPicture(const IndexedImage& image) { return importCharacterSheet(m_ws.characters, m_index, image); }

IndexedImage CharacterSource::clipboardPicture() const { return buildSpriteSheet(character(), -1); }

void CharacterSource::restored() { rebuildSprites(m_ws.characters, character()); }

ImageLoadResult loadForImport(const std::string& path, const PictureLimits& limits, IndexedImage& out) {
    IndexedImage image;
    const ImageLoadResult result = loadImageFile(image, path, kImportColorLimit, std::max(limits.width, limits.exactWidth),
                                                 std::max(limits.height, limits.exactHeight));
    if (result != ImageLoadResult::Read) return result;
    if (!fitsImport(image.width, image.height, limits.width, limits.height, limits.exactWidth, limits.exactHeight))
        return ImageLoadResult::TooLarge;
    out = std::move(image);
    return result;
}

std::unique_ptr<PictureSource> makePictureSource(Workspace& ws, Family family) {
    switch (family) {
    case Family::Monsters: return std::make_unique<MonsterSource>(ws);
    case Family::Portraits: return std::make_unique<PortraitSource>(ws);
    default: return std::make_unique<CharacterSource>(ws);
    }
}

} // namespace morvi
