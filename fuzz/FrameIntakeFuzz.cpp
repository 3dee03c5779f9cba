// Feeds arbitrary bytes through what a venue connection does with received data: frames are cut,
// checked and decoded, and each text goes to the reply dispatcher. Nothing may crash, read out of
// bounds or loop; the sanitizers and the fuzzer's timeouts watch.
#include "session/DataCenter.h"
#include "session/FrameReceiver.h"
#include "session/SocketDataHandle.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = [] {
        SocketDataHandle::sharedInstance();
        return true;
    }();
    (void)ready;
    FrameReceiver receiver;
    // The first byte splits the input into two reads, as a stream may deliver it.
    const std::size_t split = size ? data[0] % (size + 1) : 0;
    for (const auto& part : {std::span(data, split), std::span(data + split, size - split)}) {
        receiver.append(part);
        receiver.deliverFrames([](std::string_view text) {
            DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text);
            return true;
        });
    }
    return 0;
}
