#include "session/VenueFrameWriter.h"

#include "platform/foundation/Log.h"
#include "session/socket/TcpSocket.h"

bool writeVenueFrame(TcpSocket* socket, const std::optional<std::string>& frame, TimeInterval timeout,
                     const char* downMessage)
{
    if (!frame)
        return false;
    if (!socket || socket->isDisconnected()) {
        NSLog("%s", downMessage);
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame->data());
    socket->writeData({bytes, frame->size()}, timeout, 0);
    return true;
}
