// Framing and checking venue messages, against baselines of the raw work they are made of: one
// iconv conversion into a buffer allocated beforehand, and the CRC over the same bytes (with
// the program's own CRC, so that only the overhead around them shows in the ratio). Framing's
// baseline converts UTF-8 to GB18030, checking's converts back.
#include "bench/RatioToBaseline.h"
#include "session/ReplyLines.h"
#include "session/VenueMessage.h"

#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::vector<std::string> kRoomRequest = {"1", "25", "3", "8801", "", ""};

std::string replyBody(std::size_t bytes)
{
    std::string body = "\r\n161\r\n0\r\n\r\n25\r\n";
    int room = 0;
    while (body.size() < bytes) {
        body += 'A';
        body += std::to_string(room++) + "\r\n豪华包房\r\n已开房\r\n1\r\n";
    }
    body.resize(bytes);
    return body;
}

const std::string& reply64k()
{
    static const std::string body = [] {
        // Cut on a line boundary so the text stays valid UTF-8.
        std::string text = replyBody(64 * 1024);
        return text.substr(0, text.rfind("\r\n"));
    }();
    return body;
}

// Converts `input` with cd into `out`, which is large enough; returns the bytes produced.
std::size_t rawConvert(iconv_t cd, std::string_view input, std::string& out)
{
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    return out.size() - outLeft;
}

void BM_FrameRequest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(VenueMessage::fieldListFrame(161, kRoomRequest));
}
BENCHMARK(BM_FrameRequest);

void BM_FrameReply64k(benchmark::State& state)
{
    const auto& body = reply64k();
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(body.size() * 2, '\0');
    measureAgainstBaseline(
        state, [&] { benchmark::DoNotOptimize(VenueMessage::buildFrame(body)); },
        [&] {
            const std::size_t produced = rawConvert(cd, body, out);
            benchmark::DoNotOptimize(VenueMessage::getCRC(std::string_view(out.data(), produced)));
        });
    iconv_close(cd);
}
BENCHMARK(BM_FrameReply64k);

void BM_CheckAndDecodeReply64k(benchmark::State& state)
{
    const auto frame = *VenueMessage::buildFrame(reply64k());
    const std::string_view text(frame.data(), frame.size() - 1);
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    std::string out(frame.size() * 2, '\0');
    measureAgainstBaseline(
        state, [&] { benchmark::DoNotOptimize(VenueMessage::decodeFrame(frame)); },
        [&] {
            if (VenueMessage::getCRC(text) == static_cast<std::uint8_t>(frame.back()))
                benchmark::DoNotOptimize(rawConvert(cd, text, out));
        });
    iconv_close(cd);
}
BENCHMARK(BM_CheckAndDecodeReply64k);

void BM_CheckDecodeAndSplitReply64k(benchmark::State& state)
{
    const auto frame = *VenueMessage::buildFrame(reply64k());
    for (auto _ : state) {
        auto text = VenueMessage::decodeFrame(frame);
        const auto lines = ReplyLines::viewing(*text);
        benchmark::DoNotOptimize(lines.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_CheckDecodeAndSplitReply64k);

} // namespace

BENCHMARK_MAIN();
