#pragma once

#include <memory>
#include <string>

// A font by name and size. There are no font files behind it: sizes come from the text metric
// (TextMetric.h), and drawing maps the name onto a comparable installed family.
class UIFont {
public:
    enum class Family { Sans, Serif, Monospace };

    static constexpr double DefaultSize = 12;

    static std::shared_ptr<UIFont> systemFontOfSize(double pointSize);
    static std::shared_ptr<UIFont> boldSystemFontOfSize(double pointSize);
    static std::shared_ptr<UIFont> italicSystemFontOfSize(double pointSize);
    // Any name gives a font: names of the Helvetica, Arial and system families draw sans serif,
    // Courier and Menlo monospaced, Times and Georgia with serifs; "Bold", "Italic" and
    // "Oblique" in the name select the weight and slant.
    static std::shared_ptr<UIFont> fontWithName(const std::string& name, double pointSize);

    std::shared_ptr<UIFont> fontWithSize(double pointSize) const;

    const std::string& fontName() const { return m_name; }
    std::string familyName() const;
    double pointSize() const { return m_pointSize; }
    // The metric's line height, 1.2 em, split into ascender and descender.
    double lineHeight() const { return m_pointSize * 1.2; }
    double ascender() const { return m_pointSize * 0.95; }
    double descender() const { return -m_pointSize * 0.25; }

    Family family() const { return m_family; }
    bool isBold() const { return m_bold; }
    bool isItalic() const { return m_italic; }
    // The family name handed to the drawing library.
    const char* drawingFamily() const;

    bool isEqual(const UIFont& other) const { return m_name == other.m_name && m_pointSize == other.m_pointSize; }

private:
    UIFont(std::string name, double pointSize);
    std::string m_name;
    double m_pointSize;
    Family m_family = Family::Sans;
    bool m_bold = false;
    bool m_italic = false;
};

using UIFontPtr = std::shared_ptr<UIFont>;
