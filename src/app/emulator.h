#pragma once
// Which emulator "Run in Emulator" starts, and how: the command the user set (a program and its
// arguments, split as a shell splits them, with %ROM% for the file), or the first emulator found
// on this machine.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvi {

// The words of a command line: blanks separate them, single or double quotes group (a backslash
// takes the next character as it is, outside single quotes). nullopt for an unclosed quote.
std::optional<std::vector<std::string>> splitCommandLine(const std::string& line);
// The program and its arguments for a ROM file: every %ROM% becomes the file; with none, the file
// is the last argument. Empty when the command has no program or an unclosed quote.
std::vector<std::string> emulatorCommand(const std::string& line, const std::string& romPath);
// The command line of the first emulator found: mednafen (Debian puts it in /usr/games),
// retroarch with a libretro SNES core (given with -L), snes9x-gtk, snes9x, bsnes. `exists` tells
// whether a file is there (the tests give their own); `searchPath` is the PATH to look along.
// Empty when none is found.
std::string findEmulator(const std::string& searchPath, const std::function<bool(const std::string&)>& exists);
// The same on this machine's PATH and files.
std::string findEmulator();
// Quotes a word for a command line when it needs it (so that splitCommandLine gives it back).
std::string quoteWord(const std::string& word);

} // namespace morvi
