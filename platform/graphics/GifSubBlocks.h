#pragma once

#include <cstddef>
#include <string_view>

// A run of GIF sub-blocks read in place from the file's bytes: each a length byte and as many bytes,
// the run ended by a length of zero. Every block costs the same few steps however short, so a run
// of one-byte blocks costs no more than reading its bytes once.
class GifSubBlocks {
public:
    GifSubBlocks(std::string_view bytes, std::size_t offset);

    // The next block's bytes; empty once the run has ended, or the file ended before it did.
    std::string_view next();
    // The rest of the run passed over while what it has taken stays within limit bytes; false when
    // it takes more or the file ends first.
    bool skip(std::size_t limit);
    bool truncated() const { return m_truncated; }
    // The bytes taken so far, length bytes included, and where the next byte after them lies.
    std::size_t taken() const { return m_offset - m_start; }
    std::size_t offset() const { return m_offset; }

private:
    std::string_view m_bytes;
    std::size_t m_start, m_offset;
    bool m_ended = false, m_truncated = false;
};
