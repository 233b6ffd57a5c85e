#include "characters/animations.h"

#include <cctype>

#include "characters/poses.h"

namespace morvi {

namespace {

Animation make(const char* name, const char* title, bool battle, const char* sequence) {
    std::string error;
    Animation a{name, title, battle, 8, *parsePoseSequence(sequence, error)};
    // A single-pose action still plays as four equal frames.
    if (a.frames.size() == 1) a.frames.assign(4, a.frames.front());
    return a;
}

} // namespace

const std::vector<Animation>& gameAnimations() {
    static const std::vector<Animation> table = {
        make("walk-up", "walk up", false, "4 5 4 3"),
        make("walk-right", "walk right", false, "7m 8m 7m 6m"),
        make("walk-down", "walk down", false, "1 2 1 0"),
        make("walk-left", "walk left", false, "7 8 7 6"),
        make("ride-left", "riding left", false, "41 40 41 40"),
        make("ride-right", "riding right", false, "41m 40m 41m 40m"),
        make("battle-standing", "standing", true, "12"),
        make("battle-ready", "ready", true, "10"),
        make("battle-forward", "walking forward (left)", true, "6 7 8 7"),
        make("battle-back", "walking back (right)", true, "6m 7m 8m 7m"),
        make("battle-down", "walking down", true, "0 1 2 1"),
        make("battle-up", "walking up", true, "3 4 5 4"),
        make("attack-back", "attack, back hand", true, "13 6 13 6"),
        make("attack-front", "attack, front hand", true, "14 8 14 8"),
        make("casting", "casting", true, "16 17 16 17"),
        make("kneeling", "kneeling (critical, poisoned, asleep)", true, "9"),
        make("hit", "hit", true, "11"),
        make("knocked-out", "knocked out", true, "18"),
        make("lying", "lying (fallen)", true, "42"),
        make("blinking", "blinking", true, "1 19 1 19"),
        make("winking", "winking", true, "1 20 1 20"),
        make("arms-down", "raising arms (down)", true, "1 1 22 22"),
        make("arms-jump", "raising arms and jumping", true, "7 7 15 15"),
        make("arms-up", "raising arms (up)", true, "4 4 23 23"),
        make("wagging", "wagging finger", true, "36 37 36 37"),
        make("shaking-head", "shaking head", true, "35 1 35m 1"),
        make("laughing", "laughing", true, "29 30 29 30"),
        make("spinning", "spinning (confused)", true, "22 15m 23 15"),
    };
    return table;
}

const Animation* findAnimation(const std::string& name) {
    for (const Animation& a : gameAnimations())
        if (a.name == name) return &a;
    return nullptr;
}

std::optional<std::vector<AnimationFrame>> parsePoseSequence(const std::string& text, std::string& error) {
    std::vector<AnimationFrame> frames;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ',')) ++i;
        if (i == text.size()) break;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != ',') ++i;
        std::string word = text.substr(start, i - start);
        AnimationFrame f;
        if (word.size() > 1 && (word.back() == 'm' || word.back() == 'M')) {
            f.mirrored = true;
            word.pop_back();
        }
        bool digits = !word.empty() && word.size() <= 2;
        for (char c : word) digits = digits && std::isdigit(static_cast<unsigned char>(c));
        if (!digits || std::stoi(word) >= kPoseCount) {
            std::string message(1, '"');
            message.append(text, start, i - start);
            message += "\" is not a pose: poses are 0 to 42, each may end in m (mirrored)";
            error = std::move(message);
            return std::nullopt;
        }
        f.pose = std::stoi(word);
        frames.push_back(f);
        if (frames.size() > 256) {
            error = "a sequence has at most 256 poses";
            return std::nullopt;
        }
    }
    if (frames.empty()) {
        error = "the sequence names no pose";
        return std::nullopt;
    }
    return frames;
}

std::string formatPoseSequence(const std::vector<AnimationFrame>& frames) {
    std::string out;
    for (const AnimationFrame& f : frames) {
        if (!out.empty()) out += ' ';
        out += std::to_string(f.pose);
        if (f.mirrored) out += 'm';
    }
    return out;
}

int gifDelayOfFrame(int frames, int k) {
    // Whole hundredths elapsed at the end of frame k minus those at its start.
    auto at = [frames](long long n) { return n * frames * 100 / 60; };
    return int(at(k + 1) - at(k));
}

} // namespace morvi
