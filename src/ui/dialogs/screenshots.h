#pragma once
// Draws the editor on a ROM into PNG files: each page, and the tool dialogs over the window.
#include <QString>

namespace morvi {
struct Workspace;
}

namespace morvi::ui {

class Prompts;

// Writes monsters.png, espers.png, portraits.png, characters.png and the dialogs' pictures
// into dir; false when the ROM cannot be opened or a picture cannot be written.
bool grabScreenshots(morvi::Workspace& ws, Prompts& prompts, const QString& romPath, const QString& dir);

} // namespace morvi::ui
