#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <zlib.h>

// Picture files that say more of themselves than they hold, written as the tests and benchmarks
// need them: each would cost a decoder that believed it far more memory or work than its bytes.
namespace HostilePictures {

inline std::string bigEndian(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A PNG chunk: its length, type, data and checksum.
inline std::string pngChunk(std::string_view type, std::string_view data)
{
    std::string body = std::string(type) + std::string(data);
    const auto crc = ::crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return bigEndian(static_cast<std::uint32_t>(data.size())) + body + bigEndian(static_cast<std::uint32_t>(crc));
}

inline std::string deflated(std::string_view data)
{
    std::string out(::compressBound(static_cast<uLong>(data.size())), '\0');
    uLongf size = static_cast<uLongf>(out.size());
    ::compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

// The signature and header of an 8-bit RGB PNG of w × h.
inline std::string pngStart(std::uint32_t w, std::uint32_t h)
{
    return std::string("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", bigEndian(w) + bigEndian(h) + std::string("\x08\x02\0\0\0", 5));
}

// A whole 1 × 1 PNG (one grey pixel) with the chunks given before its data.
inline std::string tinyPng(const std::string& chunks)
{
    return pngStart(1, 1) + chunks + pngChunk("IDAT", deflated(std::string("\0\x80\x80\x80", 4))) + pngChunk("IEND", "");
}

// A 10 × 10 PNG's header, then a chunk of the type given whose length says 0x7ffffff0 bytes, of
// which the file holds a hundred.
inline std::string pngClaimingAChunk(std::string_view type)
{
    return pngStart(10, 10) + bigEndian(0x7ffffff0) + std::string(type) + "comment" + std::string(93, 'x');
}

// A 1 × 1 PNG with count compressed text chunks ("zTXt" or "iTXt"), each unpacking to unpacked bytes.
inline std::string pngOfPackedText(std::string_view type, int count, std::size_t unpacked)
{
    const std::string packed = deflated(std::string(unpacked, ' '));
    const std::string data = type == "zTXt" ? std::string("Comment\0\0", 9) + packed
                                            : std::string("Comment\0\1\0\0\0", 12) + packed;
    std::string chunks;
    for (int i = 0; i < count; ++i)
        chunks += pngChunk(type, data);
    return tinyPng(chunks);
}

// One frame of a GIF: where it lies, its size, how it is disposed of (DISPOSE_DO_NOT, ...) and its
// one colour (0 red, 1 blue), or its colour indexes row by row, stored in four passes if interlaced;
// with localColours, it brings a colour map of its own of 256 colours, the screen's first.
struct GifFrame {
    int left = 0, top = 0, width = 1, height = 1;
    int disposal = DISPOSAL_UNSPECIFIED;
    int colour = 1;
    std::vector<std::uint8_t> pixels = {};
    bool interlaced = false;
    bool localColours = false;
};

// A frame's rows in the order they are stored.
inline std::vector<int> gifRowOrder(const GifFrame& frame)
{
    std::vector<int> rows;
    const int passes = frame.interlaced ? 4 : 1, start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = frame.interlaced ? start[pass] : 0; y < frame.height; y += frame.interlaced ? step[pass] : 1)
            rows.push_back(y);
    }
    return rows;
}

inline int appendGifBytes(GifFileType* gif, const GifByteType* bytes, int length)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    return length;
}

// A GIF of a screen w × h with the frames given, written by giflib's encoder, then its last frame
// again repeatLast times more. Its colours are red, blue, then greys of their index's level, 2 to the
// power of colourBits in all.
inline std::string gifOf(int w, int h, const std::vector<GifFrame>& frames, std::int64_t repeatLast = 0,
                         int colourBits = 1)
{
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGifBytes, &error);
    if (!gif)
        return out;
    std::vector<GifColorType> colours(256);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const auto level = static_cast<GifByteType>(i);
        colours[i] = i == 0 ? GifColorType {230, 30, 30} : i == 1 ? GifColorType {30, 30, 230} : GifColorType {level, level, level};
    }
    ColorMapObject* map = GifMakeMapObject(1 << colourBits, colours.data());
    ColorMapObject* localMap = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, colourBits, 0, map);
    std::size_t lastStart = out.size();
    for (const auto& frame : frames) {
        lastStart = out.size();
        GraphicsControlBlock control {frame.disposal, false, 10, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                         frame.localColours ? localMap : nullptr);
        std::vector<GifPixelType> row(static_cast<std::size_t>(frame.width), static_cast<GifPixelType>(frame.colour));
        for (const int y : gifRowOrder(frame)) {
            if (!frame.pixels.empty())
                std::copy_n(frame.pixels.begin() + static_cast<std::ptrdiff_t>(y) * frame.width, frame.width, row.begin());
            EGifPutLine(gif, row.data(), frame.width);
        }
    }
    const std::string last = out.substr(lastStart);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    GifFreeMapObject(localMap);
    out.pop_back(); // the end, written on closing
    out.reserve(out.size() + last.size() * static_cast<std::size_t>(repeatLast) + 1);
    for (std::int64_t i = 0; i < repeatLast; ++i)
        out += last;
    return out + ";";
}

// A GIF of a screen w × h (its colours red, blue, then black, 2 to the power of codeSize in all)
// with frames frames over the whole screen, each the LZW codes given in data, of the minimum code size
// given, cut into blocks of at most 255 bytes; comment is written as a comment extension before them,
// in blocks of one byte.
inline std::string gifOfCodes(int w, int h, int codeSize, std::string_view data, std::int64_t frames = 1,
                              std::size_t comment = 0)
{
    const auto little = [](int value) { return std::string {static_cast<char>(value), static_cast<char>(value >> 8)}; };
    std::string colours(std::size_t {3} << codeSize, '\0');
    colours.replace(0, 6, "\xE6\x1E\x1E\x1E\x1E\xE6");
    std::string frame = "," + little(0) + little(0) + little(w) + little(h) + '\0' + static_cast<char>(codeSize);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        frame += static_cast<char>(length) + std::string(data.substr(at, length));
    }
    frame += '\0';
    std::string out = "GIF89a" + little(w) + little(h) + static_cast<char>(0x80 | (codeSize - 1))
        + std::string(2, '\0') + colours;
    out.reserve(out.size() + 2 * comment + frame.size() * static_cast<std::size_t>(frames) + 4);
    if (comment) {
        out += "!\xFE";
        for (std::size_t i = 0; i < comment; ++i)
            out += "\x01" "c";
        out += '\0';
    }
    for (std::int64_t i = 0; i < frames; ++i)
        out += frame;
    return out + ";";
}

// LZW codes of width bits each, packed from each byte's lowest bit up.
// A 1 × 1 GIF whose frames' data (codes of 3 bits) is clears clear codes, then the pixel and the end
// code: each clear code starts the decoder's table again.
inline std::string gifOfClearCodes(std::int64_t clears, std::int64_t frames = 1)
{
    std::string data;
    data.reserve(static_cast<std::size_t>(clears / 8 * 3 + 1));
    for (std::int64_t i = 0; i < clears / 8; ++i)
        data += "\x24\x49\x92"; // eight clear codes (4)
    return gifOfCodes(1, 1, 2, data + "\x28", frames); // the pixel 0, the end code 5
}

// A GIF of a screen w × h showing count copies of one frame.
inline std::string gifOfFrames(int w, int h, const GifFrame& frame, std::int64_t count)
{
    return gifOf(w, h, {frame}, count - 1);
}

// A JPEG of w × h in one colour, with 3 (YCbCr) or 4 (CMYK) components, written by libjpeg.
inline std::string plainJpeg(int w, int h, int components, bool progressive)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * static_cast<std::size_t>(components), 90);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// Where the first scan's header (FF DA) starts, and where it ends and its data begins.
inline std::pair<std::size_t, std::size_t> firstScanHeader(const std::string& jpeg)
{
    const std::size_t at = jpeg.find("\xFF\xDA");
    const std::size_t length = static_cast<unsigned char>(jpeg[at + 2]) << 8 | static_cast<unsigned char>(jpeg[at + 3]);
    return {at, at + 2 + length};
}

// A JPEG's bytes up to its first scan's data, with its frame header saying w × h: all that a decoder
// needs before it makes room for the picture (and, for a progressive one, for every coefficient),
// and then the data ends.
inline std::string jpegHeaderOnly(int w, int h, int components, bool progressive = true)
{
    std::string jpeg = plainJpeg(8, 8, components, progressive);
    const std::size_t frame = jpeg.find(progressive ? "\xFF\xC2" : "\xFF\xC0");
    jpeg[frame + 5] = static_cast<char>(h >> 8), jpeg[frame + 6] = static_cast<char>(h);
    jpeg[frame + 7] = static_cast<char>(w >> 8), jpeg[frame + 8] = static_cast<char>(w);
    return jpeg.substr(0, firstScanHeader(jpeg).second);
}

// A progressive JPEG of w × h with its first scan (the DC values), then that scan's header again
// extra times with no data, and its end: each empty scan is a pass over every block.
inline std::string jpegOfEmptyScans(int w, int h, int extra)
{
    const std::string jpeg = plainJpeg(w, h, 3, true);
    const auto [scan, data] = firstScanHeader(jpeg);
    std::size_t end = data;
    while (end + 1 < jpeg.size()
           && !(static_cast<unsigned char>(jpeg[end]) == 0xFF && jpeg[end + 1] != 0
                && (static_cast<unsigned char>(jpeg[end + 1]) < 0xD0 || static_cast<unsigned char>(jpeg[end + 1]) > 0xD7)))
        ++end;
    std::string out = jpeg.substr(0, end);
    const std::string header = jpeg.substr(scan, data - scan);
    out.reserve(out.size() + header.size() * static_cast<std::size_t>(extra) + 2);
    for (int i = 0; i < extra; ++i)
        out += header;
    return out + "\xFF\xD9";
}

// Bits packed from each byte's lowest bit up, as a lossless WebP stream holds them.
class WebpBits {
public:
    void put(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i, ++m_used) {
            if (m_used % 8 == 0)
                m_bytes.push_back('\0');
            m_bytes.back() = static_cast<char>(m_bytes.back() | ((value >> i) & 1u) << (m_used % 8));
        }
    }
    // A prefix code of the one symbol given, which then costs no bits a pixel.
    void putCode(int symbol)
    {
        put(1, 1); // a simple code
        put(0, 1); // of one symbol
        put(symbol > 1, 1); // written in 8 bits, else 1
        put(static_cast<std::uint32_t>(symbol), symbol > 1 ? 8 : 1);
    }
    // A prefix code giving each of the symbols 0 to 255 eight bits: its code lengths are read through
    // a code of the one length 8 (the twelfth in the order lengths are given), 256 of them.
    void putEightBitCode()
    {
        put(0, 1);
        put(12 - 4, 4);
        for (int i = 0; i < 12; ++i)
            put(i == 11, 3);
        put(1, 1);
        put(3, 3); // the count of lengths in 2 + 2 * 3 bits
        put(256 - 2, 8);
    }
    // A symbol of an eight-bit code: its code, first bit first.
    void putEightBits(int symbol)
    {
        for (int bit = 7; bit >= 0; --bit)
            put(static_cast<std::uint32_t>(symbol >> bit) & 1u, 1);
    }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    int m_used = 0;
};

// A progressive JPEG of w × h in CMYK: its first scan (the DC values of every component), then
// refinements scans of the coefficients 1 to 63, each of one component in turn, whose data is
// nothing but runs of blocks with no new bits (EOB runs of at most 32767 blocks, by a table of their
// own). Each is still a pass over every block of its component and every coefficient of the band.
inline std::string jpegOfRefinementScans(int w, int h, int scans)
{
    const std::string jpeg = plainJpeg(w, h, 4, true);
    const std::size_t frame = jpeg.find("\xFF\xC2");
    std::string out = jpeg.substr(0, jpeg.find("\xFF\xDA", firstScanHeader(jpeg).second));
    // AC table 0: the run of 2^14 and more blocks (0xE0) in one bit, the run of 32 (0x50) in two.
    std::string lengths(16, '\0');
    lengths[0] = 1, lengths[1] = 1;
    const std::string table = std::string("\x10", 1) + lengths + "\xE0\x50";
    out += std::string("\xFF\xC4", 2) + static_cast<char>((table.size() + 2) >> 8) + static_cast<char>(table.size() + 2) + table;
    const std::int64_t blocks = static_cast<std::int64_t>((w + 7) / 8) * ((h + 7) / 8);
    for (int i = 0; i < scans; ++i) {
        // One component (by the id the frame gives it), AC table 0, Ss 1, Se 63, Ah 1, Al 0.
        out += std::string("\xFF\xDA\x00\x08\x01", 5) + jpeg[frame + 10 + 3 * static_cast<std::size_t>(i % 4)]
            + std::string("\x00\x01\x3F\x10", 4);
        std::string packed;
        std::uint32_t accumulator = 0;
        int used = 0;
        const auto put = [&](std::uint32_t value, int count) {
            for (int bit = count - 1; bit >= 0; --bit) {
                accumulator = accumulator << 1 | ((value >> bit) & 1u);
                if (++used == 8) {
                    packed.push_back(static_cast<char>(accumulator));
                    if (static_cast<unsigned char>(packed.back()) == 0xFF)
                        packed.push_back('\0'); // stuffed
                    accumulator = 0, used = 0;
                }
            }
        };
        std::int64_t left = blocks;
        for (; left >= 32767; left -= 32767) {
            put(0, 1);
            put(32767 - 16384, 14);
        }
        for (; left >= 32; left -= 32)
            put(2, 2);
        if (used)
            put(0xFF, 8 - used); // padded with ones
        out += packed;
    }
    return out + "\xFF\xD9";
}

// A prefix code complete over an alphabet of count symbols (2 to 32768), each of two lengths
// next to each other: the first take the shorter, as many as make it complete, the rest the longer.
// Its lengths are written through a code of those two lengths, each in one bit.
class CompleteCode {
public:
    explicit CompleteCode(int count)
        : m_count(count)
    {
        while ((1 << m_long) < count)
            ++m_long;
        m_shortCount = (1 << m_long) - count;
    }
    void putLengths(WebpBits& bits) const
    {
        const int lastPlace = m_long + 3; // where a length of 6 and more is given in the order of lengths
        bits.put(0, 1);
        bits.put(static_cast<std::uint32_t>(lastPlace + 1 - 4), 4);
        for (int place = 0; place <= lastPlace; ++place)
            bits.put(place >= lastPlace - 1, 3);
        bits.put(0, 1); // a length for every symbol
        for (int symbol = 0; symbol < m_count; ++symbol)
            bits.put(symbol >= m_shortCount, 1);
    }
    // A symbol's code, first bit first.
    void put(WebpBits& bits, int symbol) const
    {
        const bool isShort = symbol < m_shortCount;
        const int code = isShort ? symbol : 2 * m_shortCount + (symbol - m_shortCount);
        for (int bit = m_long - (isShort ? 2 : 1); bit >= 0; --bit)
            bits.put(static_cast<std::uint32_t>(code >> bit) & 1u, 1);
    }

private:
    int m_count;
    int m_long = 1;
    int m_shortCount = 0;
};

// A copy's length as its prefix symbol (among the green ones, after the 256 literals) and extra bits.
inline void putCopyLength(WebpBits& bits, const CompleteCode& green, int length)
{
    const int rest = length - 1;
    if (rest < 4) {
        green.put(bits, 256 + rest);
        return;
    }
    int high = 0;
    while ((rest >> (high + 1)) != 0)
        ++high;
    green.put(bits, 256 + 2 * high + ((rest >> (high - 1)) & 1));
    bits.put(static_cast<std::uint32_t>(rest) & ((1u << (high - 1)) - 1), high - 1);
}

// A lossless WebP picture of w × h in one colour. With groups over 1, it is parted into blocks of
// 32 × 32 by an entropy image that names a group of prefix codes for each (block i the group i, the
// last block or the last group repeated), and every group is written out: a decoder makes tables
// for each group it is named. Without a colour cache every code is of one symbol and the pixels
// cost no bits. With cacheBits (1 to 11), each group's green code is complete over its whole
// alphabet, and the pixels are the first one and then copies of the one before, 4096 at a time.
inline std::string losslessWebp(int w, int h, int groups, int cacheBits = 0)
{
    WebpBits bits;
    bits.put(0x2f, 8);
    bits.put(static_cast<std::uint32_t>(w - 1), 14);
    bits.put(static_cast<std::uint32_t>(h - 1), 14);
    bits.put(0, 1 + 3); // no alpha, version 0
    bits.put(0, 1); // no transform
    bits.put(cacheBits > 0, 1);
    if (cacheBits > 0)
        bits.put(static_cast<std::uint32_t>(cacheBits), 4);
    bits.put(groups > 1, 1);
    const CompleteCode green(256 + 24 + (1 << cacheBits));
    const auto putGroup = [&bits, &green, cacheBits] {
        if (cacheBits > 0)
            green.putLengths(bits);
        else
            bits.putCode(0);
        for (const int symbol : {0, 0, 255, 1}) // red, blue, alpha, distance (the pixel before)
            bits.putCode(symbol);
    };
    if (groups > 1) {
        constexpr int blockBits = 5;
        bits.put(blockBits - 2, 3);
        bits.put(0, 1); // the entropy image, with no colour cache, green and red in eight bits each
        bits.putEightBitCode();
        bits.putEightBitCode();
        for (const int symbol : {0, 255, 0})
            bits.putCode(symbol);
        const int blocks = ((w + 31) >> blockBits) * ((h + 31) >> blockBits);
        for (int block = 0; block < blocks; ++block) {
            const int group = std::min(block, groups - 1);
            bits.putEightBits(group & 0xFF);
            bits.putEightBits(group >> 8);
        }
    }
    for (int group = 0; group < groups; ++group)
        putGroup();
    if (cacheBits > 0) {
        // Every group has the same code, so the pixels are written alike whatever block they are in.
        green.put(bits, 0);
        for (std::int64_t left = static_cast<std::int64_t>(w) * h - 1; left > 0; left -= 4096)
            putCopyLength(bits, green, static_cast<int>(std::min<std::int64_t>(left, 4096)));
    }
    const auto littleEndian = [](std::size_t value) {
        return std::string {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                            static_cast<char>(value >> 24)};
    };
    std::string chunk = bits.bytes();
    const std::size_t size = chunk.size();
    if (size % 2)
        chunk.push_back('\0');
    return "RIFF" + littleEndian(4 + 8 + chunk.size()) + "WEBPVP8L" + littleEndian(size) + chunk;
}

// LZW codes of width bits each, packed from each byte's lowest bit up as a lossless WebP's bits are.
inline std::string gifCodes(const std::vector<int>& codes, int width)
{
    WebpBits bits;
    for (const int code : codes)
        bits.put(static_cast<std::uint32_t>(code), width);
    return bits.bytes();
}

} // namespace HostilePictures
