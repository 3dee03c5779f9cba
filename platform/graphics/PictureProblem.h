#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Why a picture file or a run of bytes gave no picture, said in words that follow the file's path.
// The first reason found is the one kept: a decoder that runs out of memory and then fails on the
// half-made picture reports the memory. The decoder's own words are copied into a buffer of the
// object's own, since the C libraries hand them to a handler that jumps out of their frames next
// and so must not allocate; a decode that succeeds never touches any of it.
class PictureProblem {
public:
    enum class Kind {
        None,
        Unreadable, // the system's reason the file could not be opened or read
        TooLarge, // a file past PixelLimits::MaxFileBytes
        NotAPicture, // bytes of no format the decoders know
        TooManyPixels, // a picture larger than PixelLimits allows
        Undecodable, // the decoder's own reason
        NoMemory,
        NotNow, // the memory its decode may take is held by other decodes, or the program is ending
    };

    Kind kind() const { return m_kind; }
    void unreadable(int error);
    // size: what the file said it held, when that was already too much; nothing when it said less
    // and held more.
    void tooLarge(std::optional<std::uint64_t> size);
    void notAPicture();
    void tooManyPixels(std::int64_t width, std::int64_t height);
    void undecodable(std::string_view detail);
    void noMemory();
    void notNow(std::string_view why);

    // "is not a picture", "cannot be decoded: ..." and the like; empty while there is none.
    std::string describe() const;

private:
    bool claim(Kind kind);
    void keepDetail(std::string_view detail);

    Kind m_kind = Kind::None;
    int m_error = 0;
    std::optional<std::uint64_t> m_size;
    std::int64_t m_width = 0, m_height = 0;
    std::array<char, 200> m_detail;
};
