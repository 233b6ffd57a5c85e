#pragma once
// The choices the editor remembers between runs and the four most recently opened ROMs. How
// they are stored is the editor's business; the rules for reading values and for the recent
// list live here so that they can be tested without a settings store.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace morvi {

constexpr int kRecentFileCount = 4;
constexpr int kBackgroundChoiceCount = 60;

struct Settings {
    std::uint8_t background = 0;
    std::uint8_t grid = 1;
    std::uint8_t gridMinMag = 5;
    std::uint8_t tab1Mag = 4;
    std::uint8_t tab3Mag = 6;
    std::uint8_t tab4Mag = 10;
    std::int32_t xPos = 50;
    std::int32_t yPos = 50;
    std::uint8_t tab = 0;                // the page shown last: 0 Monsters .. 3 Characters
    std::int32_t width = 0;              // the window's size when it closed; 0: none kept yet
    std::int32_t height = 0;
    std::uint8_t maximized = 0;
    std::vector<std::string> recentFiles; // most recent first, at most four
    // The magnification of a page of a later family, by the family's command-line name (the
    // first families keep theirs in the named fields above, under their old names).
    std::map<std::string, std::uint8_t> magnifications;
    std::uint8_t magnificationOf(const std::string& family) const {
        const auto it = magnifications.find(family);
        return it == magnifications.end() ? std::uint8_t(4) : it->second;
    }
    // "Run in Emulator": the program and its arguments (%ROM% for the file); empty: none chosen.
    std::string emulator;
    // The character page's onion skin: on or off, and its opacity in percent (10 to 90).
    std::uint8_t onionSkin = 0;
    std::uint8_t onionOpacity = 40;
    // Pose sequences the user played, most recent first, each with its frames per pose.
    struct Sequence {
        std::string poses; // "7 8 7 6m"
        int framesPerPose = 8;
        bool operator==(const Sequence&) const = default;
    };

    std::vector<Sequence> recentSequences;

    // Where the file choosers open: the import chooser's folder and filter (its shown text, "All
    // supported files"), and the folder of the last export. Empty: none kept yet.
    std::string importFolder;
    std::string importFilter;
    std::string exportFolder;

    // Puts path at the top of the list; an equal entry (byte for byte) moves up instead of
    // appearing twice, and the fifth entry falls off.
    void addRecentFile(const std::string& path);
    // The same for a sequence (the poses compared as written); the ninth falls off.
    void addRecentSequence(const Sequence& sequence);
};
// Where a page keeps its magnification: a named field of the settings, or (for a later family)
// the family's entry of Settings::magnifications.
struct PageMagnification {
    std::uint8_t Settings::*field = nullptr;
    std::string family;
    std::uint8_t get(const Settings& s) const { return field ? s.*field : s.magnificationOf(family); }
    void set(Settings& s, std::uint8_t value) const {
        if (field) s.*field = value;
        else s.magnifications[family] = value;
    }
};

constexpr int kRecentSequenceCount = 8;

// A stored number becomes a byte field by its lowest 8 bits.
constexpr std::uint8_t lowByte(std::int64_t value) { return std::uint8_t(std::uint64_t(value) & 0xFF); }

// Where the window goes: a saved coordinate that is negative or beyond the desktop's far edge
// is replaced by 50.
int placeWindowCoordinate(std::int32_t saved, int desktopEnd);

// The window's size at the start: the kept one, or (none kept) the wanted one; either way no
// larger than the screen's available area and no smaller than the minimum.
struct WindowSize {
    int width;
    int height;
};
WindowSize startWindowSize(std::int32_t keptWidth, std::int32_t keptHeight, WindowSize available, WindowSize wanted,
                           WindowSize minimum);

// The menu text of recent entry i: "&<i+1> <path>", the path shortened in the middle when it is
// longer than maxPathChars (the list itself keeps it whole).
std::string recentMenuText(int index, const std::string& path, std::size_t maxPathChars = 120);

} // namespace morvi
