#pragma once
// The shared pool of monster and esper battle graphics: 415 entries drawing their tiles from
// 450 graphics record slots, arranged by small (8 x 8 cells) and large (16 x 16 cells) molds and
// coloured by 768 palettes of 8 colours. The reader, the editing operations and the repacking
// writer all work on one MonsterGraphics.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/notifier.h"
#include "rom/rom_buffer.h"
#include "rom/rom_bytes.h"
#include "rom/rom_state.h"
#include "image/indexed_image.h"
#include "image/raster.h"

namespace morvi {

// ROM layout (offsets without copier header).
constexpr std::uint32_t kMonsterInfoOffset = 0x127000;
constexpr std::uint32_t kMonsterPaletteOffset = 0x127820;
constexpr std::uint32_t kMonsterNamesOffset = 0xFC050;
constexpr std::uint32_t kEsperNamesOffset = 0x26F6E1;
constexpr std::uint32_t kMoldPointersOffset = 0x12A820;
constexpr std::uint32_t kSmallMoldsOffset = 0x12A824;
constexpr std::uint32_t kMoldAreaEnd = 0x12B300;  // last byte read as mold data
constexpr std::uint32_t kMoldBank = 0x120000;
constexpr std::uint32_t kMonsterGraphicsOffset = 0x297000;
constexpr std::size_t kGraphicsRegionRead = 0x39000;
constexpr std::size_t kTileBufferSize = 0x49000;

constexpr int kMonsterEntryCount = 415;
constexpr int kMonsterCount = 384;
constexpr int kEsperCount = 27;
constexpr int kFirstEsper = 384;
constexpr int kRecordSlotCount = 450;
constexpr int kMonsterPaletteCount = 768;
constexpr int kMonsterPaletteColors = kMonsterPaletteCount * 8;
constexpr int kInfoRecordBytes = 5;
constexpr int kMonsterNameLength = 10;
constexpr int kEsperNameLength = 8;

constexpr int kSpaceLimit = 226240;       // bytes of tile data the writer may fill
constexpr int kMoldSpaceLimit = 2780;     // bytes of molds the writer may fill
constexpr int kPaddedSmallMolds = 128;    // small molds written when large ones are few
constexpr int kLargeMoldsWithoutPadding = 54;
constexpr std::uint16_t kSmallMoldPointer = 0xA824;
constexpr int kMaxStoredMoldNumber = 255; // byte 4 of an info record

constexpr int kSmallMoldSide = 8;
constexpr int kLargeMoldSide = 16;
// One mold; a small mold uses the first 64 cells, the rest stay 0.
using Mold = std::array<std::uint8_t, kLargeMoldSide * kLargeMoldSide>;
// Whether picture pixel (x, y) lies in a cell the mold keeps (the rest is never drawn).
inline bool pixelInMold(const Mold& mold, bool large, int x, int y) {
    const int side = large ? kLargeMoldSide : kSmallMoldSide, cx = x / 8, cy = y / 8;
    return x >= 0 && y >= 0 && cx < side && cy < side && mold[std::size_t(cy * side + cx)];
}

struct GraphicsRecord {
    std::uint8_t colorCount = 16;
    std::int32_t moldNumber = 0;
    std::uint8_t large = 0;
    std::uint16_t size = 0;
    std::int32_t graphicsOffset = -1; // in units of 8 bytes; -1 marks a slot never handed out
    std::uint8_t inUse = 1;
    std::vector<std::uint8_t> tileData;
};

struct MonsterEntry {
    std::string name;
    IndexedImage image;
    std::uint16_t recordIndex = 0;
    std::int32_t paletteNumber = 0;
    std::uint8_t colorCount = 16;
    std::int32_t moldNumber = 0;
    std::uint8_t large = 0;
    std::uint16_t graphicsOffset = 0;

    int side() const { return large ? 128 : 64; }
};

struct MonsterGraphics {
    std::array<PaletteColor, kMonsterPaletteColors> palettes{};
    std::array<GraphicsRecord, kRecordSlotCount> records;
    std::array<MonsterEntry, kMonsterEntryCount> entries;
    std::vector<Mold> smallMolds;
    std::vector<Mold> largeMolds;
    std::int32_t recordCount = 0;
    std::vector<std::uint8_t> tileBuffer;
    std::vector<std::uint8_t> moldBuffer;
    int spaceLimit = kSpaceLimit;
    int moldSpaceLimit = kMoldSpaceLimit;

    // Back to a model of nothing, as constructed. A field added above must be reset here.
    void clear();
    std::vector<Mold>& molds(bool large) { return large ? largeMolds : smallMolds; }
    const std::vector<Mold>& molds(bool large) const { return large ? largeMolds : smallMolds; }
    // The entry's mold; a number beyond its table gives a mold of cell (0, 0) only.
    const Mold& moldOf(const MonsterEntry& entry) const;
    GraphicsRecord& recordOf(const MonsterEntry& entry) { return records[entry.recordIndex]; }
    // Colour k of the 6144-colour table; colours beyond it read as black.
    PaletteColor paletteColor(std::int64_t k) const {
        return k >= 0 && k < kMonsterPaletteColors ? palettes[std::size_t(k)] : PaletteColor{};
    }
};

// --- reader and the operations that keep an entry and its record in step ---
char gameTextToAscii(std::uint8_t code);
// Refills the model from the ROM; false (model unchanged) when the file cannot be opened or is
// too short for the tables read.
bool loadMonsterGraphics(MonsterGraphics& mg, const std::string& path, const RomState& rom);
// The same from a ROM held in memory.
bool loadMonsterGraphics(MonsterGraphics& mg, const RomBytes& rom);
// The checks the loader makes, alone: true exactly when loadMonsterGraphics would accept the bytes.
bool canLoadMonsterGraphics(const RomBytes& rom);
void parseInfoRecord(MonsterGraphics& mg, MonsterEntry& entry, std::span<const std::uint8_t, 5> bytes);
// Rebuilds the image from the record's shape; tiles come from source, or from the record.
void decodeEntry(MonsterGraphics& mg, MonsterEntry& entry, std::span<const std::uint8_t> source);
void decodeEntry(MonsterGraphics& mg, MonsterEntry& entry);
// The bytes of tile data an entry's shape takes through `mold` (8 for an empty mold).
std::uint16_t tileDataSize(const Mold& mold, const MonsterEntry& entry);
std::uint16_t tileDataSize(const MonsterGraphics& mg, const MonsterEntry& entry);
// Mold `number` of `table`, or a one-cell mold for a number outside it.
const Mold& moldAt(const std::vector<Mold>& table, std::int64_t number);
void deriveMold(MonsterGraphics& mg, MonsterEntry& entry);
void commitEntry(MonsterGraphics& mg, MonsterEntry& entry);
// The entry's picture cut into the record's tiles through `mold` (commitEntry passes the
// entry's own mold).
void encodeRecord(GraphicsRecord& record, const MonsterEntry& entry, const Mold& mold);

// --- editing operations ---
void redecodeEntries(MonsterGraphics& mg);
// The rule after the entry's picture was edited and before another entry is shown or saved: its
// record takes the picture's pixels, and every entry that draws the record shows them.
void settleEntry(MonsterGraphics& mg, MonsterEntry& entry);
int freeSpace(const MonsterGraphics& mg);
void setEntryPalette(MonsterGraphics& mg, MonsterEntry& entry, int paletteNumber);
void blankEntry(MonsterGraphics& mg, MonsterEntry& entry);
// False (entry unchanged) when all record slots are taken.
bool newEntryImage(MonsterGraphics& mg, MonsterEntry& entry);
void flipEntry(MonsterGraphics& mg, MonsterEntry& entry, int direction);
void setEntryDepth(MonsterGraphics& mg, MonsterEntry& entry, int colors);
void setEntrySize(MonsterGraphics& mg, MonsterEntry& entry, int large);
// False (entry unchanged) for a slot outside the handed-out ones.
bool useRecord(MonsterGraphics& mg, MonsterEntry& entry, int slot);
int setEntryPixel(MonsterGraphics& mg, MonsterEntry& entry, int x, int y, std::uint8_t value);
// Writes a set of pixels (those outside the picture are left out), then derives the mold and
// encodes the record once. Returns how many pixels changed; none changed leaves everything.
int setEntryPixels(MonsterGraphics& mg, MonsterEntry& entry, std::span<const PixelWrite> writes);
std::uint8_t entryPixel(const MonsterEntry& entry, int x, int y);
void makeTransparent(MonsterGraphics& mg, MonsterEntry& entry, int k);
void copyEntry(MonsterGraphics& mg, MonsterEntry& entry, const MonsterEntry& source);
void setEntryFromImage(MonsterGraphics& mg, MonsterEntry& entry, const IndexedImage& imported);
struct Extent {
    int width;
    int height;
};
Extent usedExtent(const MonsterGraphics& mg, const MonsterEntry& entry);

// What the next save will fill, counted as the writer counts after dropping unused records and
// molds: tile bytes against the graphics region and mold bytes against the mold area.
struct SpaceUse {
    int graphicsUsed = 0;
    int graphicsLimit = 0;
    int moldUsed = 0;
    int moldLimit = 0;
};
SpaceUse spaceUse(const MonsterGraphics& mg);
// Entries other than `entry` among 0 to 414 that use its palette number / its graphics record.
std::vector<int> entriesSharingPalette(const MonsterGraphics& mg, int entry);
std::vector<int> entriesSharingRecord(const MonsterGraphics& mg, int entry);

// --- writer ---
// Drops the record slots no entry uses and the molds no record in use names; entries and
// records above a dropped mold move down. A record whose entries move is encoded again from its
// last moving entry's picture, or, with keepWhereShapeMatches, keeps its tiles where that entry
// has the record's own mold and shape (what the save does: its entries' pictures may be older
// than the record).
enum class PruneTiles { encodeAgain, keepWhereShapeMatches };
void pruneUnused(MonsterGraphics& mg, PruneTiles tiles = PruneTiles::encodeAgain);
// A mold in the ROM's form (bit 7 the first of every 8 cells), appended to out.
void appendMoldBits(std::vector<std::uint8_t>& out, const Mold& mold, bool large);
void writeInfoRecord(const MonsterEntry& entry, std::int32_t graphicsOffset, std::uint8_t out[5]);
// Checks every limit before writing anything into the file's bytes; messages go to the notifier.
bool saveMonsterGraphics(MonsterGraphics& mg, RomBuffer& file, Notifier& notifier);
// The page's save: commit the current entry, re-decode, prune, write, reload from the bytes
// written.
bool saveMonstersToRom(MonsterGraphics& mg, int currentEntry, RomBuffer& file, Notifier& notifier);
// The same in two halves, for a caller that reloads later (while the bytes go to the disk):
// everything up to the write, then the reload, which is also the check that the bytes load.
bool writeMonstersToRom(MonsterGraphics& mg, int currentEntry, RomBuffer& file, Notifier& notifier);
// The first half again in two: what the save does to the model before it writes (commit the
// current entry, give every entry its record's shape, prune), which needs no file, then the
// write.
void prepareMonstersForSave(MonsterGraphics& mg, int currentEntry);
bool reloadMonstersFrom(MonsterGraphics& mg, const RomBytes& written);
// The same for a file on disk, replaced whole (see rewriteRomFile).
bool saveMonsterGraphics(MonsterGraphics& mg, const std::string& path, const RomState& rom, Notifier& notifier);
bool saveMonstersToRom(MonsterGraphics& mg, int currentEntry, const std::string& path, const RomState& rom,
                       Notifier& notifier);

inline constexpr const char* kMsgNoRoom =
    "Not enough room in ROM to save the monster data. You must delete one or more monster images "
    "before saving.";
inline constexpr const char* kMsgTooMuchMold = "Too much mold data";
inline constexpr const char* kMsgMonsterSaveError = "Error saving monster data";

} // namespace morvi
