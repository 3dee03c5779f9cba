#pragma once

#include "platform/graphics/GifSubBlocks.h"

#include <array>
#include <cstdint>

// A GIF frame's colour indexes unpacked from its LZW codes, each code costing a few steps and a
// pixel it gives one more, whatever the code. A clear code only starts the table afresh: giflib's
// own decoder rewrites its whole table of 4096 entries at each one (some 0.5 µs), so that a frame
// of nothing but clear codes cost about 1.4 s a MiB.
class GifLzw {
public:
    static constexpr int MaxCodeBits = 12;

    // The codes of a frame whose minimum code size is codeSize, read from its blocks; false, with
    // why(), for a size no GIF has.
    bool start(int codeSize, GifSubBlocks& blocks);
    // The next count indexes into out; false, with why(), when the codes are damaged or end first.
    bool read(std::uint8_t* out, int count);
    const char* why() const { return m_why; }

private:
    static constexpr int TableSize = 1 << MaxCodeBits;

    bool fail(const char* why);
    void clear();
    bool nextCode(int& code);
    bool expand(int code);

    GifSubBlocks* m_blocks = nullptr;
    std::string_view m_block;
    std::uint32_t m_bits = 0;
    int m_bitCount = 0;
    int m_clearCode = 0, m_width = 0, m_next = 0, m_previous = -1;
    int m_pending = 0; // the bytes of the last code's string not yet given, last first in m_stack
    const char* m_why = "";
    std::array<std::uint16_t, TableSize> m_prefix;
    std::array<std::uint8_t, TableSize> m_suffix, m_first;
    std::array<std::uint8_t, TableSize + 1> m_stack;
};
