#include "app/families.h"

#include <algorithm>
#include <array>

#include "characters/character_module.h"
#include "fieldsprites/field_sprite_module.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "windowskins/window_skin_module.h"

namespace morvi {

std::span<const Family> families() {
    static const std::array list = {
        monsterFamily(),
        portraitFamily(),
        characterFamily(),
        fieldSpriteFamily(),
        windowSkinFamily(),
    };
    return list;
}

std::unique_ptr<Workspace> Workspace::create() {
    auto ws = std::make_unique<Workspace>();
    for (Family f : families()) ws->addFamily(f);
    return ws;
}

std::optional<Family> familyNamed(std::string_view cliName) {
    for (Family f : families())
        if (f->cliName() == cliName) return f;
    return std::nullopt;
}

namespace {

// "a, b or c": what `name` says of each family, in the registry's order.
template <class Name> std::string eachFamily(Name name) {
    std::string out;
    const auto list = families();
    for (std::size_t i = 0; i < list.size(); ++i)
        out += std::string(i == 0 ? "" : i + 1 == list.size() ? " or " : ", ") + name(list[i]);
    return out;
}

} // namespace

std::string targetNames() {
    return eachFamily([](Family f) {
        if (const std::string usage = f->targetUsage(); !usage.empty()) return usage;
        const int first = f->firstNumber();
        return std::string(f->cliName()) + ":N (" + std::to_string(first) + " to " + std::to_string(first + f->numberedPictures() - 1) + ")";
    });
}

std::optional<PaletteTarget> parsePaletteTarget(const std::string& text, std::string& error) {
    for (Family f : families())
        for (const TargetAlias& alias : f->targetAliases())
            if (alias.name == text) return PaletteTarget{alias.family, alias.picture};
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon), digits = colon == std::string::npos ? "" : text.substr(colon + 1);
    const std::optional<Family> family = familyNamed(kind);
    if (!family) {
        error = "a target is " + eachFamily([](Family f) {
                    const std::string usage = f->targetUsage();
                    return usage.empty() ? std::string(f->cliName()) + ":N" : usage;
                });
        return std::nullopt;
    }
    const int first = (*family)->firstNumber(), last = first + (*family)->numberedPictures() - 1;
    if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(digits) < first || std::stoi(digits) > last) {
        const std::string usage = (*family)->targetUsage();
        error = usage.empty() ? "the number of a " + kind + " runs from " + std::to_string(first) + " to " + std::to_string(last)
                              : "a " + kind + " target is " + usage;
        return std::nullopt;
    }
    return PaletteTarget{*family, std::stoi(digits) - first};
}

} // namespace morvi
