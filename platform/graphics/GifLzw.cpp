#include "platform/graphics/GifLzw.h"

#include <algorithm>
#include <bit>

bool GifLzw::start(int codeSize, GifSubBlocks& blocks)
{
    m_blocks = &blocks;
    m_block = {};
    m_bits = 0;
    m_bitCount = 0;
    m_pending = 0;
    if (codeSize < 1 || codeSize > 8)
        return fail("a frame's codes are of a size no GIF has");
    m_clearCode = 1 << codeSize;
    for (int literal = 0; literal < m_clearCode; ++literal)
        m_suffix[literal] = m_first[literal] = static_cast<std::uint8_t>(literal);
    clear();
    return true;
}

bool GifLzw::fail(const char* why)
{
    m_why = why;
    return false;
}

void GifLzw::clear()
{
    m_width = std::countr_zero(static_cast<unsigned>(m_clearCode)) + 1;
    m_next = m_clearCode + 2;
    m_previous = -1;
}

bool GifLzw::nextCode(int& code)
{
    while (m_bitCount < m_width) {
        if (m_block.empty() && (m_block = m_blocks->next()).empty())
            return false;
        m_bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_block.front())) << m_bitCount;
        m_block.remove_prefix(1);
        m_bitCount += 8;
    }
    code = static_cast<int>(m_bits & ((1u << m_width) - 1));
    m_bits >>= m_width;
    m_bitCount -= m_width;
    return true;
}

// The code's string put on the stack, last byte first, and the table grown by the string before it
// and this one's first byte. A code not yet in the table may only be the next one to be made.
//
// Each code after the first may be the next one to be made, so it is read as wide as that one needs.
// At a minimum size of 1, which the format lacks but common decoders read, the first free code (4)
// already needs 3 bits: the width grows after the first code, before the table does.
bool GifLzw::expand(int code)
{
    if (code > m_next || (m_previous < 0 && code >= m_clearCode))
        return false;
    int walk = code;
    if (code == m_next) {
        m_stack[m_pending++] = m_first[m_previous];
        walk = m_previous;
    }
    while (walk > m_clearCode) {
        m_stack[m_pending++] = m_suffix[walk];
        walk = m_prefix[walk];
    }
    m_stack[m_pending++] = m_suffix[walk];
    if (m_previous >= 0 && m_next < TableSize) {
        m_prefix[m_next] = static_cast<std::uint16_t>(m_previous);
        m_suffix[m_next] = m_first[walk];
        m_first[m_next] = m_first[m_previous];
        ++m_next;
    }
    if (m_next >= 1 << m_width && m_width < MaxCodeBits)
        ++m_width;
    m_previous = code;
    return true;
}

bool GifLzw::read(std::uint8_t* out, int count)
{
    int done = 0;
    while (done < count) {
        if (m_pending > 0) {
            const int n = std::min(m_pending, count - done);
            for (int i = 0; i < n; ++i)
                out[done++] = m_stack[--m_pending];
            continue;
        }
        int code = 0;
        if (!nextCode(code) || code == m_clearCode + 1)
            return fail(m_blocks->truncated() ? "the file ends inside a frame" : "a frame's data ends before its pixels");
        if (code == m_clearCode)
            clear();
        else if (!expand(code))
            return fail("a frame's data is damaged");
    }
    return true;
}
