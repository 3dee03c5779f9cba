#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// Received bytes of a venue connection not yet consumed as frames, and the cutting of whole
// frames from their front. Bytes are consumed by moving an offset and the buffer is compacted
// only once the consumed part outweighs the rest, so feeding n bytes costs O(n) however they are split.
class FrameReceiver {
public:
    enum class Outcome {
        Frame,       // the frame decoded: its text, length digits in front, CRC byte gone
        BadCheck,    // a whole frame whose CRC byte is wrong; consumed
        Undecodable, // a whole, checked frame that is not GB18030; consumed
        NeedMore,    // nothing whole yet
        Corrupt,     // the front cannot start a frame (the length is not six digits or below 7)
    };
    // How handing frames on ended.
    enum class Stop {
        NeedMore, // nothing whole is left; what is buffered waits for the next read
        Corrupt,  // the front could not start a frame: the buffer was emptied (see discarded)
        Released, // the receiver of a frame said to stop: the link it came on is gone
    };
    struct Drained {
        Stop stop = Stop::NeedMore;
        std::size_t discarded = 0;
        std::string front; // Corrupt: the first bytes thrown away, up to a length field's six
    };
    // The text lives in a buffer the next frame reuses: it is valid only during the call.
    using Deliver = std::function<bool(std::string_view text)>;
    using Dropped = std::function<void(Outcome outcome, std::size_t length)>;

    void append(std::span<const std::uint8_t> bytes);
    // The receive loop of every venue link: cuts the frames at the front one by one and hands
    // each decoded text to deliver, which returns whether to go on. A frame whose check fails or
    // whose text does not decode is only told to dropped (when given) and skipped. Each turn
    // consumes a whole frame or stops, so the loop ends with the buffer. Each call decodes into
    // a buffer of its own, so a receiver of a frame may feed and drain this receiver again (a
    // nested run of the loop) without overwriting the text it is given.
    Drained deliverFrames(const Deliver& deliver, const Dropped& dropped = {});
    void clear();
    std::size_t buffered() const { return m_bytes.size() - m_offset; }

private:
    struct Cut {
        Outcome outcome = Outcome::NeedMore;
        std::size_t length = 0;
        std::string_view text; // Frame: in the scratch buffer
    };
    // Cuts the frame at the front, decoding a good one into scratch. The frame is consumed
    // before this returns, so whatever the caller does with it, the next call sees the next frame.
    Cut next(std::string& scratch);

    std::string m_bytes;
    std::size_t m_offset = 0;
};
