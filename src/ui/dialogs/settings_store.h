#pragma once
// Reads and writes the settings record with QSettings("Quarnsby", "morvi"): the group
// "Settings" holds the numbers, "Recent File List" the paths "file1" to "file4". On Windows this
// is the registry key software\Quarnsby\morvi; on Linux ~/.config/Quarnsby/morvi.conf; on macOS
// ~/Library/Preferences/com.quarnsby.morvi.plist.
#include <QPoint>

#include "family/settings.h"

namespace morvi::ui {

// Missing or unreadable values keep their defaults; byte fields and "tab" take the lowest
// 8 bits of the stored number; a missing recent entry is skipped.
morvi::Settings loadSettings();
// Writes the record with the window position given.
void saveSettings(const morvi::Settings& settings, QPoint windowPosition);

} // namespace morvi::ui
