#pragma once

#include <optional>
#include <string>

// An absolute URL: a scheme, "://" or ":", and the rest. Compared by its text.
class NSURL {
public:
    // Nothing for text that has no scheme or contains spaces or control characters.
    static std::optional<NSURL> URLWithString(const std::string& text);

    const std::string& absoluteString() const { return m_text; }

    friend bool operator==(const NSURL& a, const NSURL& b) { return a.m_text == b.m_text; }
    friend auto operator<=>(const NSURL& a, const NSURL& b) { return a.m_text <=> b.m_text; }

private:
    explicit NSURL(std::string text);
    std::string m_text;
};
