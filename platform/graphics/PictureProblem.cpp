#include "platform/graphics/PictureProblem.h"

#include "platform/graphics/PixelLimits.h"

#include <algorithm>
#include <cstring>

bool PictureProblem::claim(Kind kind)
{
    if (m_kind != Kind::None)
        return false;
    m_kind = kind;
    return true;
}

void PictureProblem::unreadable(int error)
{
    if (claim(Kind::Unreadable))
        m_error = error;
}

void PictureProblem::tooLarge(std::optional<std::uint64_t> size)
{
    if (claim(Kind::TooLarge))
        m_size = size;
}

void PictureProblem::notAPicture()
{
    claim(Kind::NotAPicture);
}

void PictureProblem::tooManyPixels(std::int64_t width, std::int64_t height)
{
    if (claim(Kind::TooManyPixels)) {
        m_width = width;
        m_height = height;
    }
}

void PictureProblem::undecodable(std::string_view detail)
{
    if (claim(Kind::Undecodable))
        keepDetail(detail);
}

void PictureProblem::notNow(std::string_view why)
{
    if (claim(Kind::NotNow))
        keepDetail(why);
}

void PictureProblem::keepDetail(std::string_view detail)
{
    const std::size_t length = std::min(detail.size(), m_detail.size() - 1);
    std::memcpy(m_detail.data(), detail.data(), length);
    m_detail[length] = '\0';
}

void PictureProblem::noMemory()
{
    claim(Kind::NoMemory);
}

std::string PictureProblem::describe() const
{
    const std::string limit = std::to_string(PixelLimits::MaxFileBytes);
    switch (m_kind) {
    case Kind::None:
        return {};
    case Kind::Unreadable:
        return std::string("cannot be read: ") + std::strerror(m_error);
    case Kind::TooLarge:
        return "is too large to be a picture (" + (m_size ? std::to_string(*m_size) : "more than " + limit)
            + " bytes; no picture read is over " + limit + " bytes)";
    case Kind::NotAPicture:
        return "is not a picture";
    case Kind::TooManyPixels:
        return "has more pixels than the program decodes (" + std::to_string(m_width) + " x " + std::to_string(m_height)
            + "; at most " + std::to_string(PixelLimits::MaxPixels) + " pixels, " + std::to_string(PixelLimits::MaxSide)
            + " on a side)";
    case Kind::Undecodable:
        return std::string("cannot be decoded: ") + m_detail.data();
    case Kind::NoMemory:
        return "cannot be decoded: not enough memory";
    case Kind::NotNow:
        return std::string("cannot be decoded now: ") + m_detail.data();
    }
    return {};
}
