#include "imagefile/gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace morvi {

namespace {

int appendBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

} // namespace

std::vector<std::uint8_t> encodeAnimatedGif(const GifAnimation& a, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (a.frames.empty() || a.frames.size() != a.delays.size()) {
        error = "an animation needs frames, each with its delay";
        return {};
    }
    const int w = a.frames.front().width, h = a.frames.front().height;
    if (a.scale < 1 || a.scale > 64 || w <= 0 || h <= 0 || std::int64_t(w) * a.scale > 65535 || std::int64_t(h) * a.scale > 65535) {
        error = "the frames are too large for a GIF at that scale";
        return {};
    }
    for (const IndexedImage& f : a.frames)
        if (f.width != w || f.height != h || !f.hasPixels()) {
            error = "the frames differ in size";
            return {};
        }
    // A GIF palette has a power of two entries, 2 to 256.
    int bits = 1;
    while ((1 << bits) < std::clamp(a.colorCount, 2, 256)) ++bits;
    std::vector<GifColorType> colours(std::size_t(1) << bits, GifColorType{0, 0, 0});
    for (int c = 0; c < std::min(a.colorCount, 256); ++c) {
        const PaletteColor& p = a.frames.front().palette[std::size_t(c)];
        colours[std::size_t(c)] = GifColorType{p.red, p.green, p.blue};
    }
    int status = 0;
    GifFileType* gif = EGifOpen(&bytes, appendBytes, &status);
    if (!gif) {
        error = GifErrorString(status) ? GifErrorString(status) : "GIF error";
        return {};
    }
    bool ok = true;
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    EGifSetGifVersion(gif, true);
    const int W = w * a.scale, H = h * a.scale;
    ok = map && EGifPutScreenDesc(gif, W, H, bits, 0, map) == GIF_OK;
    // NETSCAPE2.0: loop for ever.
    static const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof netscape, netscape) == GIF_OK && EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<std::size_t>(W));
    for (std::size_t k = 0; ok && k < a.frames.size(); ++k) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = a.transparentIndex >= 0 ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        gcb.UserInputFlag = false;
        gcb.DelayTime = std::clamp(a.delays[k], 0, 65535);
        gcb.TransparentColor = a.transparentIndex >= 0 ? a.transparentIndex : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, W, H, false, nullptr) == GIF_OK;
        const IndexedImage& f = a.frames[k];
        for (int y = 0; ok && y < H; ++y) {
            for (int x = 0; x < W; ++x) line[std::size_t(x)] = GifPixelType(f.pixel(x / a.scale, y / a.scale) & ((1 << bits) - 1));
            ok = EGifPutLine(gif, line.data(), W) == GIF_OK;
        }
    }
    if (!ok) error = GifErrorString(gif->Error) ? GifErrorString(gif->Error) : "GIF error";
    if (EGifCloseFile(gif, &status) != GIF_OK && ok) {
        ok = false;
        error = GifErrorString(status) ? GifErrorString(status) : "GIF error";
    }
    GifFreeMapObject(map);
    if (!ok) return {};
    return bytes;
}

} // namespace morvi
