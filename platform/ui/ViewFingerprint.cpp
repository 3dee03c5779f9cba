#include "platform/ui/ViewFingerprint.h"

#include <bit>

ViewFingerprint& ViewFingerprint::add(std::uint64_t value)
{
    // Mixed a word at a time: the tree gives thousands of words a second, not megabytes.
    m_hash = (m_hash ^ value) * 0x100000001b3ULL;
    m_hash ^= m_hash >> 29;
    return *this;
}

ViewFingerprint& ViewFingerprint::add(double value)
{
    return add(std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value));
}

ViewFingerprint& ViewFingerprint::add(std::string_view text)
{
    add(static_cast<std::uint64_t>(text.size()));
    for (const char c : text)
        m_hash = (m_hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return *this;
}

ViewFingerprint& ViewFingerprint::add(const UIColorPtr& color)
{
    if (!color)
        return add(std::uint64_t {0});
    const auto c = color->rgba();
    return add(std::uint64_t {1}).add(c.red).add(c.green).add(c.blue).add(c.alpha);
}

ViewFingerprint& ViewFingerprint::add(const UIFontPtr& font)
{
    return font ? add(font->fontName()).add(font->pointSize()) : add(std::uint64_t {0});
}

ViewFingerprint& ViewFingerprint::add(const CGAffineTransform& t)
{
    return add(t.a).add(t.b).add(t.c).add(t.d).add(t.tx).add(t.ty);
}
