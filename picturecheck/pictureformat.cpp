// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a picture file of each format really holds, read from its own headers before any decoder sees it.
#include "picturecheck/pictureformat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace pontiva {

namespace {

// Pixels a byte can stand for, twice the honest bound of each coding.
constexpr std::int64_t DeflatePixelsPerByte = 2 * 1032 * 8; // deflate 1032:1, one bit a pixel
constexpr std::int64_t LzwPixelsPerByte = 2 * 4096 * 8 / 3; // a code of three bits or more, 4096 pixels at most
constexpr std::int64_t Vp8lPixelsPerByte = 2 * 4096 * 8;    // a back reference of one bit or more, 4096 pixels
constexpr std::int64_t FaxPixelsPerByte = 2 * 65536;        // a blank fax row costs a bit or two
constexpr std::int64_t RlePixelsPerByte = 2 * 128 / 2;      // 128 pixels in two bytes at best
constexpr std::int64_t TextPixelsPerByte = 2;               // a character or more a pixel
// Chunk, strip and entry lists are walked only this far.
constexpr int MaximumEntries = 1 << 16;

// Random access with a window kept in memory, so walking many small chunks
// asks the file for large pieces.
class Bytes
{
public:
    Bytes(const ReadAt &read, std::int64_t size) : Read(read), Size(size) {}
    std::int64_t size() const { return Size; }

    // Exactly `n` bytes at `offset`, or false.
    bool get(std::int64_t offset, std::size_t n, std::uint8_t *out)
    {
        if (offset < 0 || n > Window.size() || offset + std::int64_t(n) > Size)
            return false;
        if (offset < Start || offset + std::int64_t(n) > Start + std::int64_t(Filled)) {
            Start = offset;
            Filled = Read(offset, Window.data(), Window.size());
            if (Filled < n)
                return false;
        }
        std::copy_n(Window.data() + (offset - Start), n, out);
        return true;
    }
    std::uint32_t be(std::int64_t offset, int n, bool &ok)
    {
        std::uint8_t b[4] = {};
        if (!get(offset, std::size_t(n), b)) {
            ok = false;
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 8 | b[i];
        return v;
    }
    std::uint32_t le(std::int64_t offset, int n, bool &ok)
    {
        std::uint8_t b[4] = {};
        if (!get(offset, std::size_t(n), b)) {
            ok = false;
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = v << 8 | b[i];
        return v;
    }

private:
    const ReadAt &Read;
    std::int64_t Size;
    std::array<std::uint8_t, 64 * 1024> Window{};
    std::int64_t Start = 0;
    std::size_t Filled = 0;
};

constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t MngSignature[8] = {0x8A, 'M', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool startsWith(Bytes &b, std::int64_t offset, const std::uint8_t (&signature)[8])
{
    std::uint8_t head[8];
    return b.get(offset, 8, head) && std::equal(head, head + 8, signature);
}

void grow(PictureFacts &f, std::int64_t width, std::int64_t height)
{
    f.width = std::max(f.width, width);
    f.height = std::max(f.height, height);
}

// PNG and MNG: chunks of length, type, data and CRC up to the end chunk; a
// file cut inside its picture data never reaches it.
PictureFacts chunked(Bytes &b, bool mng)
{
    PictureFacts f;
    if (!startsWith(b, 0, mng ? MngSignature : PngSignature))
        return f;
    bool ok = true;
    f.width = b.be(16, 4, ok);
    f.height = b.be(20, 4, ok);
    if (!ok)
        return f;
    f.known = true;
    f.complete = false;
    f.pixelsPerByte = mng ? 2 * DeflatePixelsPerByte : DeflatePixelsPerByte;
    f.decodesInPlace = !mng;
    std::int64_t at = 8;
    const std::uint32_t end = mng ? 0x4D454E44 /* MEND */ : 0x49454E44 /* IEND */;
    for (int n = 0; n < 1 << 24 && at + 12 <= b.size(); ++n) {
        const std::int64_t length = b.be(at, 4, ok);
        const std::uint32_t type = b.be(at + 4, 4, ok);
        if (!ok || length > 0x7FFFFFFF)
            return f;
        at += 12 + length;
        if (at > b.size())
            return f;
        if (type == end) {
            f.complete = true;
            return f;
        }
    }
    return f;
}

// GIF: the larger of the logical screen and the first frame; the frame's
// data must run to its end block.
PictureFacts gif(Bytes &b)
{
    PictureFacts f;
    std::uint8_t head[13];
    if (!b.get(0, sizeof head, head) || head[0] != 'G' || head[1] != 'I' || head[2] != 'F')
        return f;
    f.known = true;
    f.complete = false;
    f.pixelsPerByte = LzwPixelsPerByte;
    f.workBytesPerPixel = 4; // the reader keeps the frame behind as well
    grow(f, head[6] | head[7] << 8, head[8] | head[9] << 8);
    std::int64_t at = 13;
    if (head[10] & 0x80)
        at += 3 * (std::int64_t(2) << (head[10] & 7));
    bool ok = true;
    auto skipSubBlocks = [&](std::int64_t from) {
        for (int n = 0; n < 1 << 24; ++n) {
            const std::uint32_t length = b.be(from, 1, ok);
            if (!ok)
                return std::int64_t(-1);
            from += 1 + length;
            if (length == 0)
                return from;
        }
        return std::int64_t(-1);
    };
    for (int n = 0; n < MaximumEntries; ++n) {
        const std::uint32_t introducer = b.be(at, 1, ok);
        if (!ok)
            return f;
        if (introducer == 0x21) { // an extension: label, then sub-blocks
            at = skipSubBlocks(at + 2);
            if (at < 0)
                return f;
        } else if (introducer == 0x2C) { // the first frame
            std::uint8_t d[9];
            if (!b.get(at + 1, sizeof d, d))
                return f;
            grow(f, std::int64_t(d[0] | d[1] << 8) + (d[4] | d[5] << 8), std::int64_t(d[2] | d[3] << 8) + (d[6] | d[7] << 8));
            at += 10;
            if (d[8] & 0x80)
                at += 3 * (std::int64_t(2) << (d[8] & 7));
            at = skipSubBlocks(at + 1); // after the LZW code size
            f.complete = at > 0;
            return f;
        } else {
            return f; // a trailer before any frame, or garbage
        }
    }
    return f;
}

// WebP: the RIFF size must fit the file; the frame header says the size.
PictureFacts webp(Bytes &b)
{
    PictureFacts f;
    std::uint8_t head[30] = {};
    if (!b.get(0, 16, head) || std::string(head, head + 4) != "RIFF" || std::string(head + 8, head + 12) != "WEBP")
        return f;
    const std::int64_t riff = std::int64_t(head[4] | head[5] << 8 | head[6] << 16) | std::int64_t(head[7]) << 24;
    f.known = true;
    f.complete = riff + 8 <= b.size();
    f.pixelsPerByte = Vp8lPixelsPerByte;
    f.workBytesPerPixel = 4; // the reader decodes into a picture of its own
    (void)b.get(0, std::size_t(std::min<std::int64_t>(30, b.size())), head);
    const std::string chunk(head + 12, head + 16);
    if (chunk == "VP8X") {
        grow(f, 1 + (head[24] | head[25] << 8 | head[26] << 16), 1 + (head[27] | head[28] << 8 | head[29] << 16));
        if (head[20] & 0x02)
            f.workBytesPerPixel = 8; // an animation: a canvas and a frame besides
    } else if (chunk == "VP8L") {
        const std::uint32_t bits = head[21] | head[22] << 8 | head[23] << 16 | std::uint32_t(head[24]) << 24;
        grow(f, 1 + (bits & 0x3FFF), 1 + (bits >> 14 & 0x3FFF));
    } else if (chunk == "VP8 ") {
        grow(f, (head[26] | head[27] << 8) & 0x3FFF, (head[28] | head[29] << 8) & 0x3FFF);
    } else {
        f.known = false;
    }
    return f;
}

// TIFF: the first page's size, its strips all inside the file, and the
// strip buffer the decoder fills before it converts.
PictureFacts tiff(Bytes &b)
{
    PictureFacts f;
    std::uint8_t head[8];
    if (!b.get(0, 8, head))
        return f;
    const bool little = head[0] == 'I' && head[1] == 'I';
    if (!little && !(head[0] == 'M' && head[1] == 'M'))
        return f;
    bool ok = true;
    auto u = [&](std::int64_t at, int n) { return little ? b.le(at, n, ok) : b.be(at, n, ok); };
    const std::int64_t ifd = u(4, 4);
    const std::uint32_t entries = u(ifd, 2);
    if (!ok || entries > 4096)
        return f;
    std::int64_t width = 0, height = 0, rowsPerStrip = 0, compression = 1, samples = 1, bits = 1, tileW = 0, tileH = 0;
    struct List {
        std::uint32_t type = 0, count = 0, at = 0;
    } offsets, counts;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::int64_t e = ifd + 2 + 12 * std::int64_t(i);
        const std::uint32_t tag = u(e, 2), type = u(e + 2, 2), count = u(e + 4, 4);
        const std::uint32_t value = type == 3 ? u(e + 8, 2) : u(e + 8, 4);
        switch (tag) {
        case 256: width = value; break;
        case 257: height = value; break;
        case 258: bits = count == 1 ? value : 8; break; // several samples: their size is listed elsewhere
        case 259: compression = value; break;
        case 277: samples = value; break;
        case 278: rowsPerStrip = value; break;
        case 322: tileW = value; break;
        case 323: tileH = value; break;
        case 273: case 324: offsets = {type, count, std::uint32_t(e + 8)}; break;
        case 279: case 325: counts = {type, count, std::uint32_t(e + 8)}; break;
        default: break;
        }
    }
    if (!ok || width <= 0 || height <= 0)
        return f;
    f.known = true;
    f.width = width;
    f.height = height;
    f.pixelsPerByte = compression == 1 ? 2 * std::max<std::int64_t>(1, 8 / std::max<std::int64_t>(1, bits * samples))
                                       : FaxPixelsPerByte;
    // Every strip (or tile) lies inside the file.
    auto item = [&](const List &l, std::uint32_t i) -> std::int64_t {
        const int size = l.type == 3 ? 2 : 4;
        const bool inline_ = std::int64_t(l.count) * size <= 4;
        const std::int64_t at = inline_ ? l.at + std::int64_t(i) * size : std::int64_t(u(l.at, 4)) + std::int64_t(i) * size;
        return u(at, size);
    };
    if (offsets.count && offsets.count == counts.count && offsets.count <= std::uint32_t(MaximumEntries)) {
        for (std::uint32_t i = 0; i < offsets.count && ok; ++i)
            if (item(offsets, i) + item(counts, i) > b.size())
                f.complete = false;
    }
    if (!ok)
        f.complete = false;
    // The whole-picture readers decode a strip or a tile at a time into a
    // buffer of their own; one strip can be the whole picture.
    const std::int64_t raw = std::max<std::int64_t>(1, (bits * samples + 7) / 8);
    const std::int64_t rows = tileH > 0 ? tileH : rowsPerStrip > 0 ? std::min(rowsPerStrip, height) : height;
    const std::int64_t stripPixels = (tileW > 0 ? tileW : width) * rows;
    f.workBytesPerPixel = int(4 + (raw * stripPixels + width * height - 1) / (width * height));
    return f;
}

// ICO and CUR: every image in the directory, an embedded PNG by its own
// header: the directory's numbers can say anything.
PictureFacts icon(Bytes &b)
{
    PictureFacts f;
    bool ok = true;
    const std::uint32_t reserved = b.le(0, 2, ok), type = b.le(2, 2, ok), count = b.le(4, 2, ok);
    if (!ok || reserved != 0 || (type != 1 && type != 2) || count == 0)
        return f;
    f.known = true;
    f.pixelsPerByte = DeflatePixelsPerByte;
    f.workBytesPerPixel = 4; // decoded into a picture of the reader's own
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t e = 6 + 16 * std::int64_t(i);
        std::uint8_t entry[16];
        if (!b.get(e, 16, entry)) {
            f.complete = false;
            return f;
        }
        const std::int64_t size = std::int64_t(entry[8] | entry[9] << 8 | entry[10] << 16) | std::int64_t(entry[11]) << 24;
        const std::int64_t offset = std::int64_t(entry[12] | entry[13] << 8 | entry[14] << 16) | std::int64_t(entry[15]) << 24;
        if (offset + size > b.size()) {
            f.complete = false;
            continue;
        }
        grow(f, entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256);
        if (startsWith(b, offset, PngSignature)) {
            grow(f, b.be(offset + 16, 4, ok), b.be(offset + 20, 4, ok));
        } else {
            const std::int64_t w = std::int32_t(b.le(offset + 4, 4, ok)), h = std::int32_t(b.le(offset + 8, 4, ok));
            grow(f, w < 0 ? -w : w, (h < 0 ? -h : h) / 2); // the mask's rows are counted in
        }
    }
    if (!ok)
        f.complete = false;
    return f;
}

// ICNS: big-endian entries; a PNG inside says its own size.
PictureFacts icns(Bytes &b)
{
    PictureFacts f;
    bool ok = true;
    if (b.be(0, 4, ok) != 0x69636E73 /* icns */ || !ok)
        return f;
    f.known = true;
    f.pixelsPerByte = DeflatePixelsPerByte;
    f.workBytesPerPixel = 4;
    const std::int64_t total = b.be(4, 4, ok);
    f.complete = total <= b.size();
    std::int64_t at = 8;
    for (int n = 0; n < MaximumEntries && at + 8 <= std::min(total, b.size()); ++n) {
        const std::int64_t length = b.be(at + 4, 4, ok);
        if (!ok || length < 8)
            break;
        if (startsWith(b, at + 8, PngSignature))
            grow(f, b.be(at + 8 + 16, 4, ok), b.be(at + 8 + 20, 4, ok));
        else
            grow(f, 1024, 1024); // the largest of the fixed-size kinds
        at += length;
    }
    return f;
}

// PBM, PGM, PPM: a text header; raw kinds hold every row.
PictureFacts netpbm(Bytes &b)
{
    PictureFacts f;
    std::uint8_t head[256] = {};
    const std::size_t n = std::size_t(std::min<std::int64_t>(sizeof head, b.size()));
    if (!b.get(0, n, head) || head[0] != 'P' || head[1] < '1' || head[1] > '6')
        return f;
    const int kind = head[1] - '0';
    std::size_t at = 2;
    std::int64_t values[3] = {};
    const int wanted = kind == 1 || kind == 4 ? 2 : 3;
    for (int v = 0; v < wanted; ++v) {
        while (at < n && (std::isspace(head[at]) || head[at] == '#')) {
            if (head[at] == '#')
                while (at < n && head[at] != '\n')
                    ++at;
            else
                ++at;
        }
        if (at >= n || !std::isdigit(head[at]))
            return f;
        while (at < n && std::isdigit(head[at]) && values[v] < (std::int64_t(1) << 40))
            values[v] = values[v] * 10 + (head[at++] - '0');
    }
    ++at; // the one blank before raw data
    f.known = true;
    f.width = values[0];
    f.height = values[1];
    if (kind <= 3) {
        f.pixelsPerByte = TextPixelsPerByte;
        return f;
    }
    f.decodesInPlace = false;
    const std::int64_t sample = values[2] > 255 ? 2 : 1;
    const std::int64_t row = kind == 4 ? (f.width + 7) / 8 : f.width * sample * (kind == 6 ? 3 : 1);
    f.complete = std::int64_t(at) + row * f.height <= b.size();
    f.pixelsPerByte = kind == 4 ? 16 : 2;
    return f;
}

// TGA: uncompressed kinds hold every pixel; run-length kinds 128 at most a packet.
PictureFacts tga(Bytes &b)
{
    PictureFacts f;
    std::uint8_t h[18];
    if (!b.get(0, sizeof h, h))
        return f;
    const int type = h[2];
    const bool rle = type >= 9 && type <= 11;
    if (!((type >= 1 && type <= 3) || rle) || (h[16] != 8 && h[16] != 15 && h[16] != 16 && h[16] != 24 && h[16] != 32))
        return f;
    f.known = true;
    f.width = h[12] | h[13] << 8;
    f.height = h[14] | h[15] << 8;
    if (rle) {
        f.pixelsPerByte = RlePixelsPerByte;
        return f;
    }
    const std::int64_t palette = std::int64_t(h[5] | h[6] << 8) * ((h[7] + 7) / 8);
    f.complete = 18 + h[0] + palette + f.width * f.height * ((h[16] + 7) / 8) <= b.size();
    f.pixelsPerByte = 2;
    return f;
}

// WBMP: a type, a header byte, the size in seven-bit groups, then every row.
PictureFacts wbmp(Bytes &b)
{
    PictureFacts f;
    std::int64_t at = 2, values[2] = {};
    bool ok = true;
    if (b.be(0, 1, ok) != 0 || !ok)
        return f;
    for (std::int64_t &v : values) {
        for (int i = 0;; ++i) {
            const std::uint32_t c = b.be(at++, 1, ok);
            if (!ok || i > 4)
                return f;
            v = v << 7 | (c & 0x7F);
            if (!(c & 0x80))
                break;
        }
    }
    f.known = true;
    f.width = values[0];
    f.height = values[1];
    f.complete = at + (f.width + 7) / 8 * f.height <= b.size();
    f.pixelsPerByte = 16;
    return f;
}

} // namespace

PictureFacts examinePicture(std::string_view format, const ReadAt &read, std::int64_t fileSize)
{
    Bytes b(read, fileSize);
    PictureFacts f;
    if (format == "png")
        f = chunked(b, false);
    else if (format == "mng")
        f = chunked(b, true);
    else if (format == "gif")
        f = gif(b);
    else if (format == "webp")
        f = webp(b);
    else if (format == "tif" || format == "tiff")
        f = tiff(b);
    else if (format == "ico" || format == "cur")
        f = icon(b);
    else if (format == "icns")
        f = icns(b);
    else if (format == "pbm" || format == "pgm" || format == "ppm")
        f = netpbm(b);
    else if (format == "tga")
        f = tga(b);
    else if (format == "wbmp")
        f = wbmp(b);
    else if (format == "xpm" || format == "xbm") {
        f.pixelsPerByte = TextPixelsPerByte * 4; // XBM: eight pixels in "0x00, "
    }
    return f;
}

} // namespace pontiva
