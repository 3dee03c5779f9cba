// The receive loop's cost per byte must not depend on how the bytes arrive: one read holding
// many frames, or one byte per read. Its baseline does the work any receiver of these bytes must
// do per frame, in one pass over a buffer it already holds: read the six length digits, check
// the CRC, and convert the text with one iconv call into a buffer allocated beforehand (the
// receive loop must also keep the bytes of a read and hand on each text).
#include "bench/RatioToBaseline.h"
#include "session/FrameReceiver.h"
#include "session/VenueMessage.h"

#include <algorithm>
#include <iconv.h>
#include <string>
#include <string_view>

namespace {

// Back-to-back small replies, as a busy room floor produces them.
std::string framesOf(std::size_t total)
{
    std::string bytes;
    for (int i = 0; bytes.size() < total; ++i) {
        const std::string body = "\r\n161\r\n0\r\n\r\n25\r\nroom " + std::to_string(i) + "\r\n3";
        bytes += VenueMessage::buildFrame(body).value();
    }
    return bytes;
}

std::size_t drain(FrameReceiver& receiver)
{
    std::size_t frames = 0;
    receiver.deliverFrames([&](std::string_view text) {
        benchmark::DoNotOptimize(text.data());
        ++frames;
        return true;
    });
    return frames;
}

const std::uint8_t* bytesOf(const std::string& text)
{
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// The baseline's work on the whole input.
std::size_t framesByHand(iconv_t cd, const std::string& input, std::string& out)
{
    std::size_t frames = 0;
    for (std::size_t at = 0; at + VenueMessage::kLengthDigits <= input.size();) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < VenueMessage::kLengthDigits; ++i)
            length = length * 10 + static_cast<std::size_t>(input[at + i] - '0');
        const std::string_view text(input.data() + at, length - 1);
        if (VenueMessage::getCRC(text) == static_cast<std::uint8_t>(input[at + length - 1])) {
            char* in = const_cast<char*>(text.data());
            std::size_t inLeft = text.size();
            char* outPtr = out.data();
            std::size_t outLeft = out.size();
            iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            benchmark::DoNotOptimize(out.data());
            ++frames;
        }
        at += length;
    }
    return frames;
}

// Feeds the input in reads of `readSize` bytes (0: all in one read), against the baseline.
void measureReceiveLoop(benchmark::State& state, std::size_t readSize)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    std::string out(input.size() * 2, '\0');
    std::size_t frames = 0;
    measureAgainstBaseline(
        state,
        [&] {
            FrameReceiver receiver;
            frames = 0;
            const std::size_t step = readSize ? readSize : input.size();
            for (std::size_t at = 0; at < input.size(); at += step) {
                receiver.append({bytesOf(input) + at, std::min(step, input.size() - at)});
                frames += drain(receiver);
            }
        },
        [&] { benchmark::DoNotOptimize(framesByHand(cd, input, out)); });
    iconv_close(cd);
    state.counters["frames"] = static_cast<double>(frames);
}

void ReceiveLoopOneRead(benchmark::State& state)
{
    measureReceiveLoop(state, 0);
}

void ReceiveLoopByteReads(benchmark::State& state)
{
    measureReceiveLoop(state, 1);
}

// Growing sizes: a measured time that grows in proportion shows linear buffer handling.
BENCHMARK(ReceiveLoopOneRead)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReceiveLoopByteReads)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
