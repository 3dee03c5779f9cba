#pragma once

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"
#include "platform/graphics/UIImage.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>

// A running hash of what a view tree draws, so that a screen can be known unchanged without
// drawing it. Values go in by value (a colour made anew with the same components hashes the
// same); pictures, which never change once made, by their identity number.
class ViewFingerprint {
public:
    ViewFingerprint& add(std::uint64_t value);
    ViewFingerprint& add(double value);
    template <class T>
        requires std::is_integral_v<T> || std::is_enum_v<T>
    ViewFingerprint& add(T value)
    {
        return add(static_cast<std::uint64_t>(value));
    }
    ViewFingerprint& add(std::string_view text);
    ViewFingerprint& add(const void* object) { return add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object))); }
    template <class T>
    ViewFingerprint& add(const std::shared_ptr<T>& object) { return add(static_cast<const void*>(object.get())); }
    ViewFingerprint& add(const UIImagePtr& image) { return add(image ? image->identity() : std::uint64_t {0}); }
    ViewFingerprint& add(const UIColorPtr& color);
    ViewFingerprint& add(const UIFontPtr& font);
    ViewFingerprint& add(const CGPoint& point) { return add(point.x).add(point.y); }
    ViewFingerprint& add(const CGSize& size) { return add(size.width).add(size.height); }
    ViewFingerprint& add(const CGRect& rect) { return add(rect.origin).add(rect.size); }
    ViewFingerprint& add(const CGAffineTransform& t);

    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf29ce484222325ULL;
};
