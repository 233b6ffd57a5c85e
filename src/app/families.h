#pragma once
// The registry of the families of pictures: every module, in the order of the editor's tabs.
// The workspace, the save, the history, the command line and the editor's pages go through this
// list; adding a family is adding its line here.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "family/palette_target.h"
#include "family/workspace.h"

namespace morvi {

std::span<const Family> families();
// The family the command line names "monster" (nullopt for no family).
std::optional<Family> familyNamed(std::string_view cliName);
// A picture named as the command line names it, "monster:12"; nullopt with the reason in error.
std::optional<PaletteTarget> parsePaletteTarget(const std::string& text, std::string& error);
// "monster:N (0 to 414), portrait:N (0 to 18), ...": how TARGET is written, for usage texts.
std::string targetNames();

} // namespace morvi
