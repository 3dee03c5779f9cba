#pragma once

#include "platform/foundation/Clock.h"

#include <optional>
#include <string>

class TcpSocket;

// Hands a built frame to a venue link's socket. Nothing is written when there is no frame (its
// builder has logged why) or no socket, or the socket is down: then downMessage is logged.
// Returns whether the frame was handed over.
bool writeVenueFrame(TcpSocket* socket, const std::optional<std::string>& frame, TimeInterval timeout,
                     const char* downMessage);
