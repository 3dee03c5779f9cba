#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Received bytes of a venue connection not yet consumed as frames, and the cutting of whole
// frames from their front. Bytes are consumed by moving an offset and the buffer is compacted
// only once the consumed part outweighs the rest, so feeding n bytes costs O(n) however they are split.
class FrameReceiver {
public:
    enum class Outcome {
        Frame,       // text holds the decoded frame, length digits in front, CRC byte gone
        BadCheck,    // a whole frame whose CRC byte is wrong; consumed
        Undecodable, // a whole, checked frame that is not GB18030; consumed
        NeedMore,    // nothing whole yet
        Corrupt,     // the front cannot start a frame (the length is not six digits or below 7)
    };
    struct Cut {
        Outcome outcome = Outcome::NeedMore;
        std::string text;
        std::size_t length = 0;
    };

    void append(std::span<const std::uint8_t> bytes);
    // Cuts the frame at the front. The frame is consumed before this returns, so whatever the
    // caller does with it, the next call sees the next frame.
    Cut next();
    void clear();
    std::size_t buffered() const { return m_bytes.size() - m_offset; }

private:
    std::string m_bytes;
    std::size_t m_offset = 0;
};
