#pragma once
// What a family of pictures is to the rest of the program: one module object behind this
// interface, listed once in the registry (app/families). The workspace, the history, the save,
// the command line and the editor's pages reach a family only through it, so a new family is
// its own folder and one registry line.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/indexed_image.h"
#include "imagefile/image_file.h"
#include "rom/notifier.h"

namespace morvi {

struct Workspace;
struct RomBytes;
class RomBuffer;
struct RomImage;
class PictureSource;
class FamilyModule;

// A family, as the program names one: its module.
using Family = const FamilyModule*;

// What a family keeps in the workspace (its model read from the ROM). Each module defines its own.
class FamilyData {
public:
    virtual ~FamilyData() = default;
};

// --- the edit history's view of a family ---
// A chunk's number within its family, and its bytes (nullopt: the chunk does not exist, as a
// mold beyond the end of its table).
using ChunkId = std::uint32_t;
using Chunk = std::pair<ChunkId, std::optional<std::vector<std::uint8_t>>>;
// All chunks of a family, sorted by id.
using Snapshot = std::vector<Chunk>;

// A tab of the family's page: its title and the first picture it shows.
struct FamilyTab {
    std::string title;
    int firstPicture = 0;
};

// A folder of a whole-ROM export: pictures first..last as files named by their number (as the
// user numbers them) with `digits` digits ("monsters/007.png").
struct FileFolder {
    std::string name;
    int digits = 2;
    int first = 0;
    int last = 0;
    // A folder entry of one picture under a name of its own ("vehicles.png") instead of numbers.
    std::string fileName = {};
};

// A name the command line takes for a picture beside "name:N": "vehicles", or "sprite:3" for a
// picture another family holds (the characters' sheets are field sprite sheets 0 to 21).
struct TargetAlias {
    std::string name;
    Family family = nullptr;
    int picture = 0;
};

// How a picture goes to or comes from a file: as a picture, or in the family's raw form (the
// ROM's own bytes, with a .pal beside them).
struct PictureFileChoice {
    ExportFileType type = ExportFileType::Png;
    bool full = false; // the family's larger picture where it has one (the full character sheet)
};

// What a check of written bytes found: whether they load, and a warning of the family's own to
// show when they do not (else the save reports its general error).
struct WrittenCheck {
    bool ok = true;
    const char* warning = nullptr;
};

class FamilyModule {
public:
    virtual ~FamilyModule() = default;

    // --- names ---
    // "monster": the command line's TARGET names ("monster:N").
    virtual std::string_view cliName() const = 0;
    // How a message names the family ("monster and esper graphics").
    virtual std::string_view title() const = 0;
    // Pictures 0 to count - 1; the user numbers them from firstNumber() (the command line's
    // "window:1" is picture 0).
    virtual int pictureCount() const = 0;
    virtual int firstNumber() const { return 0; }
    // How many pictures, from the first, the command line reaches by number; the rest have names.
    virtual int numberedPictures() const { return pictureCount(); }
    virtual std::vector<TargetAlias> targetAliases() const { return {}; }
    // How the usage text names the family's targets; "" for "name:N (first to last)".
    virtual std::string targetUsage() const { return ""; }
    virtual std::vector<FamilyTab> tabs() const = 0;
    virtual std::string pictureName(const Workspace& ws, int picture) const = 0;

    // --- the ROM ---
    virtual std::unique_ptr<FamilyData> makeData() const = 0;
    // Whether load will accept the bytes; load refuses only where this says it will.
    virtual bool canLoad(const RomBytes& rom) const = 0;
    virtual bool load(Workspace& ws, const RomBytes& rom) const = 0;
    // Work a save can do while the file is read (on another thread): nothing else of the
    // workspace is touched meanwhile. `shown` is the picture the family's page shows, or -1.
    virtual void prepareSave(Workspace& ws, int shown) const {
        (void)ws;
        (void)shown;
    }
    // Writes the family into the save's copy of the file; false when the family refuses (it
    // says why through the notifier) and before it wrote anything.
    virtual bool write(Workspace& ws, RomBuffer& buffer, Notifier& notifier) const = 0;
    // Whether what was written loads again; may bring the model up to what the file holds.
    virtual WrittenCheck checkWritten(Workspace& ws, const RomBytes& result) const = 0;
    // The same write and check from a copy of the model, leaving the workspace as it is (a copy
    // of the ROM for the emulator).
    enum class CopyWrite { Written, Refused, WouldNotLoad };
    virtual CopyWrite writeCopy(const Workspace& ws, int shown, RomBuffer& buffer, Notifier& notifier) const = 0;
    // The demo ROM's pictures of this family, drawn in code.
    virtual void addDemo(RomImage& rom) const = 0;
    // Lines "name: value" that `morvi-cli info` prints.
    virtual std::vector<std::pair<std::string, std::string>> info(const Workspace& ws) const = 0;

    // --- undo ---
    virtual std::vector<ChunkId> chunkIds(const Workspace& ws) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> chunk(const Workspace& ws, ChunkId id) const = 0;
    // Puts a chunk back (chunks come sorted by id); one without bytes removes what it names.
    virtual void restoreChunk(Workspace& ws, const Chunk& chunk) const = 0;
    // The ids of every chunk that writing pixels of one picture can change, sorted.
    virtual std::vector<ChunkId> pictureChunkIds(const Workspace& ws, int picture) const = 0;

    // --- the palette of a picture ---
    virtual int colorCount(const Workspace& ws, int picture) const = 0;
    // Where colour k is stored; null outside the palette.
    virtual PaletteColor* storedColor(Workspace& ws, int picture, int k) const = 0;
    // A palette that cannot be changed (with the reason), or "".
    virtual std::string fixedPalette(const Workspace& ws, int picture) const {
        (void)ws;
        (void)picture;
        return "";
    }
    // The colours shown where the palette is fixed (the table's are shown otherwise).
    virtual std::vector<PaletteColor> fixedColors(const Workspace& ws, int picture) const {
        (void)ws;
        (void)picture;
        return {};
    }
    // Whether colour k may be edited beyond the common rules (colour 0 never, none past the count).
    virtual bool colorEditable(const Workspace& ws, int picture, int k) const {
        (void)ws;
        (void)picture;
        (void)k;
        return true;
    }
    // After the palette table changed: every picture using it shows its colours again.
    virtual void paletteChanged(Workspace& ws, int picture) const = 0;
    // Colour k and colour 0 trade places in the palette and in the picture's pixels.
    virtual void swapWithTransparent(Workspace& ws, int picture, int k) const = 0;
    // After colours moved in the table (new colour k is old colour order[k]): the pixels of
    // every picture on the palette are renumbered so each looks as before.
    virtual void renumberPixels(Workspace& ws, int picture, std::span<const int> order) const = 0;
    // Bit k set when the picture uses colour k.
    virtual std::uint32_t colorsUsed(const Workspace& ws, int picture) const = 0;

    // --- the editor ---
    virtual std::unique_ptr<PictureSource> makeSource(Workspace& ws) const = 0;

    // --- files ---
    virtual std::vector<FileFolder> fileFolders() const = 0;
    // Whether the family has a raw form (`.bin` with `.pal`), and a larger picture beside the
    // usual one (PictureFileChoice::full).
    virtual bool hasRawForm() const { return false; }
    virtual bool hasLargerPicture() const { return false; }
    // Writes one picture to a file; "" or what went wrong.
    virtual std::string exportPicture(Workspace& ws, int picture, const std::string& path, PictureFileChoice choice) const = 0;
    // Reads a raw pair into picture `picture`; false when refused (nothing changed then). Why it
    // was refused, and notes for the user (a pair whose shared tiles disagreed), go to the notifier.
    virtual bool importRaw(Workspace& ws, int picture, const std::string& path, Notifier& notifier) const {
        (void)ws;
        (void)picture;
        (void)path;
        notifier.notify(MessageKind::Error, "this family has no raw form");
        return false;
    }
};

} // namespace morvi
