// The receive loop's cost per byte must not depend on how the bytes arrive: one read holding
// many frames, or one byte per read. Its baseline does the work any receiver of these bytes must
// do per frame, in one pass over a buffer it already holds: read the six length digits, check
// the CRC, and convert the text with one iconv call into a buffer allocated beforehand (the
// receive loop must also keep the bytes of a read and hand on each text as a string of its own).
#include "bench/BenchRatios.h"
#include "session/FrameReceiver.h"
#include "session/VenueMessage.h"

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

void ReceiveLoopOneRead(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReceiver receiver;
        receiver.append({bytesOf(input), input.size()});
        frames = drain(receiver);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["frames"] = static_cast<double>(frames);
}

void ReceiveLoopByteReads(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    std::size_t frames = 0;
    for (auto _ : state) {
        FrameReceiver receiver;
        frames = 0;
        for (std::size_t i = 0; i < input.size(); ++i) {
            receiver.append({bytesOf(input) + i, 1});
            frames += drain(receiver);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["frames"] = static_cast<double>(frames);
}

// The baseline.
void FramesByHand(benchmark::State& state)
{
    const std::string input = framesOf(static_cast<std::size_t>(state.range(0)));
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    std::string out(input.size() * 2, '\0');
    std::size_t frames = 0;
    for (auto _ : state) {
        frames = 0;
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
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["frames"] = static_cast<double>(frames);
}

// Growing sizes: a flat bytes-per-second across them shows linear buffer handling.
BENCHMARK(ReceiveLoopOneRead)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(ReceiveLoopByteReads)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(FramesByHand)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runWithRatios(argc, argv,
                                {{"ReceiveLoopOneRead/65536", "FramesByHand/65536"},
                                 {"ReceiveLoopOneRead/1048576", "FramesByHand/1048576"},
                                 {"ReceiveLoopByteReads/1048576", "FramesByHand/1048576"}});
}
