#pragma once
// Opening a ROM without the editor's dialogs: the header test, then every family of the
// registry, all or none.
#include <optional>
#include <string>

#include "family/workspace.h"

namespace morvi {

inline constexpr const char* kMsgLoadError = "Error loading ROM";
inline constexpr const char* kMsgNotARom =
    "This file does not appear to be a valid Final Fantasy III ROM. Do you want to load it anyway?";

// How to treat the copier header: as the header test says, or as the caller insists.
enum class HeaderChoice { Detect, Present, Absent };

struct OpenOutcome {
    bool ok = false;
    bool opened = false; // the file could be opened for reading and writing
    HeaderTest test = HeaderTest::NotRecognised;
    std::string error; // empty on success
};

// Runs the header test; an unrecognised file is refused under Detect. On success romPath and
// romHasHeader are set. A failed open changes nothing in the workspace.
OpenOutcome openRom(Workspace& ws, const std::string& path, HeaderChoice choice);
// The header flag the header test gives; nullopt when it does not recognise the file (the
// editor then asks, keeping the flag it had; openRom under Detect refuses).
std::optional<bool> headerFromTest(HeaderTest test);
// Reads every family from path with the given header flag into the workspace, only when every
// reader accepts the file; false leaves the workspace as it was.
bool loadRomFamilies(Workspace& ws, const std::string& path, bool hasHeader);
// The same from the file's bytes, read once by the caller.
bool loadRomFamilies(Workspace& ws, const RomBytes& rom);

} // namespace morvi
