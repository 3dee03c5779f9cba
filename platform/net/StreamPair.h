#pragma once

#include "platform/net/ReadStream.h"
#include "platform/foundation/UniqueFd.h"
#include "platform/net/WriteStream.h"

#include <cstdint>
#include <memory>
#include <string>

// A read stream and a write stream over one TCP connection. The pair owns the descriptor and
// closes it once both streams are closed or released.
struct StreamPair {
    std::shared_ptr<ReadStream> read;
    std::shared_ptr<WriteStream> write;

    // Connects when the first stream is opened; a name is looked up off the run loop.
    static StreamPair toHost(std::string host, std::uint16_t port);
    // Over an already connected socket, which the pair takes over.
    static StreamPair withSocket(UniqueFd fd);
};
