#include "platform/graphics/UIFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {
const char* const SystemName = ".SFUIText";
const char* const BoldSystemName = ".SFUIText-Bold";
const char* const ItalicSystemName = ".SFUIText-Italic";

std::string lowered(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// A size that is not a positive finite number draws nothing sensible; it becomes the default.
double sanitisedSize(double pointSize)
{
    if (!std::isfinite(pointSize) || pointSize <= 0)
        return UIFont::DefaultSize;
    return std::min(pointSize, 4096.0);
}
} // namespace

UIFont::UIFont(std::string name, double pointSize)
    : m_name(std::move(name))
    , m_pointSize(sanitisedSize(pointSize))
{
    const std::string low = lowered(m_name);
    const auto has = [&](const char* part) { return low.find(part) != std::string::npos; };
    if (has("courier") || has("menlo") || has("mono"))
        m_family = Family::Monospace;
    else if (has("times") || has("georgia") || (has("serif") && !has("sans")))
        m_family = Family::Serif;
    m_bold = has("bold") || has("heavy") || has("black");
    m_italic = has("italic") || has("oblique");
}

std::shared_ptr<UIFont> UIFont::systemFontOfSize(double pointSize)
{
    return std::shared_ptr<UIFont>(new UIFont(SystemName, pointSize));
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(double pointSize)
{
    return std::shared_ptr<UIFont>(new UIFont(BoldSystemName, pointSize));
}

std::shared_ptr<UIFont> UIFont::italicSystemFontOfSize(double pointSize)
{
    return std::shared_ptr<UIFont>(new UIFont(ItalicSystemName, pointSize));
}

std::shared_ptr<UIFont> UIFont::fontWithName(const std::string& name, double pointSize)
{
    return std::shared_ptr<UIFont>(new UIFont(name.empty() ? std::string(SystemName) : name, pointSize));
}

std::shared_ptr<UIFont> UIFont::fontWithSize(double pointSize) const
{
    return std::shared_ptr<UIFont>(new UIFont(m_name, pointSize));
}

std::string UIFont::familyName() const
{
    const auto dash = m_name.find('-');
    return dash == std::string::npos ? m_name : m_name.substr(0, dash);
}

const char* UIFont::drawingFamily() const
{
    switch (m_family) {
    case Family::Monospace:
        return "monospace";
    case Family::Serif:
        return "serif";
    case Family::Sans:
        break;
    }
    return "sans-serif";
}
