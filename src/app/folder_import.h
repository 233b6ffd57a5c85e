#pragma once
// What a folder import does with a palette that several of its files set. A palette shared by
// two pictures (a character and another that borrows its colours) is set by both pictures'
// files; the file that brings new colours must win over one that only carries the colours the
// ROM already has, whatever order the files are applied in, and two files that bring different
// new colours are a question only the user can answer.
#include <map>
#include <string>
#include <vector>

#include "family/palette_target.h"
#include "family/workspace.h"

namespace morvi {

class ImportPalettes {
public:
    // Every picture's colours as the ROM holds them, before any file is applied.
    explicit ImportPalettes(Workspace& ws);
    // Call after applying each file to the picture it is for: notes the colours of the
    // picture's palette as the file left them.
    void applied(Workspace& ws, PaletteTarget picture, const std::string& name);
    // Gives every colour of a palette that one file changed the colour that file brought (a
    // later file that carried the ROM's colours does not undo it) and has every picture show
    // the colours as they end. Returns "" or, changing nothing, the reason the import must
    // stop: two files that changed one palette to different colours, by name.
    std::string settle(Workspace& ws) const;

private:
    struct FilePalette {
        std::string name;
        PaletteTarget picture;
        std::vector<PaletteColor*> slots; // where the picture's colours are kept, in order
        std::vector<PaletteColor> colors;
        bool changed = false; // some colour differs from the ROM's
    };
    // A colour's place is the colour it holds: pictures that share a palette share places.
    std::map<const PaletteColor*, PaletteColor> m_original;
    std::vector<FilePalette> m_files;
};

} // namespace morvi
