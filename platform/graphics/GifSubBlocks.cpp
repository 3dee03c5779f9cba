#include "platform/graphics/GifSubBlocks.h"

GifSubBlocks::GifSubBlocks(std::string_view bytes, std::size_t offset)
    : m_bytes(bytes)
    , m_start(offset)
    , m_offset(offset)
{
}

std::string_view GifSubBlocks::next()
{
    if (m_ended)
        return {};
    const std::size_t length = m_offset < m_bytes.size() ? static_cast<unsigned char>(m_bytes[m_offset]) : 0;
    m_truncated = m_offset >= m_bytes.size() || m_bytes.size() - m_offset - 1 < length;
    m_ended = length == 0 || m_truncated;
    if (m_ended) {
        m_offset += m_truncated ? 0 : 1;
        return {};
    }
    const std::string_view block = m_bytes.substr(m_offset + 1, length);
    m_offset += 1 + length;
    return block;
}

bool GifSubBlocks::skip(std::size_t limit)
{
    while (!next().empty()) {
        if (taken() > limit)
            return false;
    }
    return !m_truncated && taken() <= limit;
}
