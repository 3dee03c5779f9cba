#pragma once

#include "platform/net/TlsSettings.h"

// Marks where TLS starts: the same marker is queued among the reads and among the writes, and
// the handshake begins when both have come to the front.
struct AsyncSpecialPacket {
    TlsSettings tlsSettings;
};
