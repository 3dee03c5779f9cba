#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Cuts the frames a client sends out of the bytes read from its connection, by the same rules
// the tablet applies to replies: six ASCII digits give the whole frame's length, the last byte
// is the CRC-8 of the rest, the body is GB18030.
class FrameReader {
public:
    struct Event {
        enum class Kind {
            Frame,       // text: the decoded frame without its CRC byte, length digits in front
            BadCrc,      // a whole frame whose last byte is wrong; consumed
            Undecodable, // a CRC-valid frame whose body is not GB18030; consumed
            BadLength,   // the first six bytes are no frame length; nothing more can be cut
        };
        Kind kind;
        std::string text;      // Frame: the text; BadLength: the offending six bytes
        std::size_t size = 0;  // bytes the event consumed (0 for BadLength)
    };

    void append(std::string_view bytes) { m_buffer.append(bytes); }
    // The next event, or nothing while the buffer holds no whole frame. After BadLength every
    // call gives BadLength again: the stream cannot be resynchronised.
    std::optional<Event> next();

    std::size_t buffered() const { return m_buffer.size(); }

private:
    std::string m_buffer;
};
