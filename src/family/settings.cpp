#include "family/settings.h"

#include <algorithm>

namespace morvi {

void Settings::addRecentFile(const std::string& path) {
    auto same = std::find(recentFiles.begin(), recentFiles.end(), path);
    if (same != recentFiles.end()) recentFiles.erase(same);
    recentFiles.insert(recentFiles.begin(), path);
    if (recentFiles.size() > std::size_t(kRecentFileCount)) recentFiles.resize(kRecentFileCount);
}

void Settings::addRecentSequence(const Sequence& sequence) {
    auto same = std::find_if(recentSequences.begin(), recentSequences.end(), [&](const Sequence& s) { return s.poses == sequence.poses; });
    if (same != recentSequences.end()) recentSequences.erase(same);
    recentSequences.insert(recentSequences.begin(), sequence);
    if (recentSequences.size() > std::size_t(kRecentSequenceCount)) recentSequences.resize(kRecentSequenceCount);
}

int placeWindowCoordinate(std::int32_t saved, int desktopEnd) {
    return saved < 0 || saved > desktopEnd ? 50 : saved;
}

std::string recentMenuText(int index, const std::string& path, std::size_t maxPathChars) {
    std::string shown = path;
    if (maxPathChars >= 8 && shown.size() > maxPathChars) {
        // Keep the start (the drive or top folders) and the end (the file name).
        // Cut points move off UTF-8 continuation bytes so no character is split.
        auto continuation = [&](std::size_t i) { return (std::uint8_t(path[i]) & 0xC0) == 0x80; };
        std::size_t head = maxPathChars - maxPathChars * 2 / 3 - 3;
        std::size_t tailStart = path.size() - maxPathChars * 2 / 3;
        while (head > 0 && continuation(head)) --head;
        while (tailStart < path.size() && continuation(tailStart)) ++tailStart;
        shown = path.substr(0, head) + "..." + path.substr(tailStart);
    }
    std::string text(1, '&');
    text += std::to_string(index + 1);
    text += ' ';
    return text + shown;
}

WindowSize startWindowSize(std::int32_t keptWidth, std::int32_t keptHeight, WindowSize available, WindowSize wanted,
                           WindowSize minimum) {
    const bool kept = keptWidth > 0 && keptHeight > 0;
    WindowSize out = kept ? WindowSize{keptWidth, keptHeight} : wanted;
    out.width = std::max(minimum.width, std::min(out.width, available.width));
    out.height = std::max(minimum.height, std::min(out.height, available.height));
    return out;
}

} // namespace morvi
