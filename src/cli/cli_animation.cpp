// morvi-cli animation: the game's animations listed, and one played into an animated GIF.
#include "app/animation_export.h"
#include "family/palette_target.h"
#include "cli/cli_common.h"
#include "characters/character_module.h"
#include "fieldsprites/field_sprite_module.h"
#include "app/families.h"

namespace morvi::cli {

int cmdAnimation(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.has("--list")) {
        if (!o.positional.empty()) return err << "--list takes nothing else\n", 1;
        for (const Animation& a : gameAnimations())
            out << a.name << "  " << (a.battle ? "battle: " : "field: ") << a.title << "  " << formatPoseSequence(a.frames) << "\n";
        return 0;
    }
    if (o.positional.size() != 4)
        return err << "usage: morvi-cli animation ROM character:N|sprite:N NAME|SEQUENCE OUT.gif [--scale K] [--frames F] [--backdrop B]\n", 1;
    const std::string &romPath = o.positional[0], &what = o.positional[2], &outPath = o.positional[3];
    std::string why;
    const auto target = parsePaletteTarget(o.positional[1], why);
    if (!target) return err << o.positional[1] << ": " << why << "\n", 1;
    const bool field = target->family == fieldSpriteFamily();
    if (target->family != characterFamily() && !field)
        return err << o.positional[1] << ": animations are of characters and field sprites (character:N, sprite:N)\n", 1;
    int scale = 1, framesPerPose = -1;
    auto number = [&](const char* option, int low, int high, int& value) {
        auto it = o.values.find(option);
        if (it == o.values.end()) return true;
        const int v = digitsValue(it->second, 4);
        if (v < low || v > high) {
            err << option << " takes a number from " << low << " to " << high << "\n";
            return false;
        }
        value = v;
        return true;
    };
    int backdrop = -1;
    if (!number("--scale", 1, kLargestAnimationScale, scale) || !number("--frames", 1, kLargestFramesPerPose, framesPerPose) ||
        !number("--backdrop", 0, kBackgroundCount - 1, backdrop))
        return 1;
    if (outPath.size() < 5 || (outPath.substr(outPath.size() - 4) != ".gif" && outPath.substr(outPath.size() - 4) != ".GIF"))
        return err << outPath << ": the file's name ends in .gif\n", 1;
    auto choice = headerChoice(o, err);
    if (!choice) return 1;
    auto ws = openOrComplain(romPath, *choice, err);
    if (!ws) return 1;
    const int sheet = fieldSheetOfPicture(target->index);
    if (field && !fieldSpritesRefusal(*ws).empty()) return err << romPath << ": " << fieldSpritesRefusal(*ws) << "\n", 1;
    // A field sheet plays its own animations (a frame's number is the sheet's frame).
    const std::vector<Animation> own = field ? fieldAnimations(fieldSpritesOf(*ws).sheet(sheet)) : std::vector<Animation>{};
    auto named = [&]() -> const Animation* {
        if (!field) return findAnimation(what);
        for (const Animation& a : own)
            if (a.name == what) return &a;
        return nullptr;
    };

    AnimationExport request;
    if (const Animation* a = named()) {
        request.frames = a->frames;
        request.framesPerPose = a->framesPerPose;
    } else {
        // Not a name: a sequence of poses, which starts with a digit.
        if (what.empty() || what[0] < '0' || what[0] > '9') {
            if (!field) return err << what << ": no such animation (morvi-cli animation --list names them)\n", 1;
            err << what << ": no such animation of " << o.positional[1] << "; it plays";
            for (const Animation& a : own) err << " " << a.name;
            return err << (own.empty() ? " none (give frame numbers)" : "") << "\n", 1;
        }
        auto frames = parsePoseSequence(what, why);
        if (!frames) return err << what << ": " << why << "\n", 1;
        request.frames = *frames;
    }
    request.scale = scale;
    if (framesPerPose > 0) request.framesPerPose = framesPerPose;
    if (backdrop >= 0) {
        readBackgrounds(ws->backgrounds, romPath, ws->rom);
        request.backdrop = &ws->backgrounds.backgrounds[std::size_t(backdrop)].image;
    }
    const bool written = field ? exportAnimationGif(fieldAnimationPictures(fieldSpritesOf(*ws), sheet, request.frames), request, outPath, why)
                               : exportAnimationGif(charactersOf(*ws).characters[std::size_t(target->index)], request, outPath, why);
    if (!written)
        return err << outPath << ": " << why << "\n", 1;
    return 0;
}

} // namespace morvi::cli
