#include "platform/capture/AVCaptureMetadataOutput.h"
#include "platform/capture/AVCaptureSession.h"
#include "platform/capture/AVCaptureStillImageOutput.h"
#include "platform/capture/CodeReader.h"
#include "platform/capture/MetadataCodeTypes.h"
#include "platform/capture/PictureFrameSource.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UniqueFd.h"
#include "platform/graphics/PixelLimits.h"

#include "tests/scan/ScanTestCamera.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {
const CGSize FrameSize {640, 480};
} // namespace

TEST(MetadataOutput, RectangleOfInterestIsClampedAndAnEmptyCropReadsNothing)
{
    auto output = AVCaptureMetadataOutput::create();
    output->setMetadataObjectTypes({AVMetadataObjectTypeQRCode});
    const struct { CGRect asked, kept; } cases[] = {
        {CGRectMake(-0.5, 0.25, 1, 2), CGRectMake(0, 0.25, 0.5, 0.75)},
        {CGRectMake(0.2, 0.2, NAN, 0.5), CGRectMake(0.2, 0.2, 0, 0.5)},
        {CGRectMake(2, 2, 1, 1), CGRectMake(1, 1, 0, 0)},
    };
    for (const auto& c : cases) {
        output->setRectOfInterest(c.asked);
        const CGRect kept = output->rectOfInterest();
        EXPECT_NEAR(kept.origin.x, c.kept.origin.x, 1e-9);
        EXPECT_NEAR(kept.origin.y, c.kept.origin.y, 1e-9);
        EXPECT_NEAR(kept.size.width, c.kept.size.width, 1e-9);
        EXPECT_NEAR(kept.size.height, c.kept.size.height, 1e-9);
    }
    // The code sits in the frame's right half: x and width of the rectangle run down the frame.
    auto frame = codeFrame(FrameSize, {{"right", ZXing::BarcodeFormat::QRCode, {400, 150}}});
    output->setRectOfInterest(CGRectMake(0, 0.5, 1, 0.5));
    EXPECT_EQ(output->recognise(frame).size(), 1u);
    output->setRectOfInterest(CGRectMake(0, 0, 1, 0.5));
    EXPECT_TRUE(output->recognise(frame).empty());
    output->setRectOfInterest(CGRectMake(1, 1, 0, 0));
    EXPECT_TRUE(output->recognise(frame).empty());
}

TEST(CodeReader, TransparentBackgroundReadsAsLightAndTypesMapBothWays)
{
    auto onNothing = codeFrame(FrameSize, {{"clear", ZXing::BarcodeFormat::QRCode, {100, 100}}}, true);
    auto codes = CodeReader::read(LuminanceImage::fromImage(*onNothing), ZXing::BarcodeFormat::QRCode);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].text, "clear");

    const struct {
        ZXing::BarcodeFormat format; std::string text; std::vector<AVMetadataObjectType> asked; std::optional<std::string> type, reported;
    } cases[] = {
        {ZXing::BarcodeFormat::UPCA, "012345678905", {AVMetadataObjectTypeEAN13Code}, AVMetadataObjectTypeEAN13Code, "0012345678905"},
        {ZXing::BarcodeFormat::ITF, "12345678901231", {AVMetadataObjectTypeITF14Code}, AVMetadataObjectTypeITF14Code, "12345678901231"},
        {ZXing::BarcodeFormat::ITF, "123456", {AVMetadataObjectTypeITF14Code}, std::nullopt, std::nullopt},
        {ZXing::BarcodeFormat::Code39, "AB", {AVMetadataObjectTypeCode39Mod43Code}, AVMetadataObjectTypeCode39Mod43Code, "AB"},
        {ZXing::BarcodeFormat::QRCode, "q", {AVMetadataObjectTypeEAN8Code}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        auto reading = MetadataCodeTypes::readingFor(c.format, c.text, c.asked);
        EXPECT_EQ(reading ? std::optional(reading->type) : std::nullopt, c.type) << c.text;
        EXPECT_EQ(reading ? std::optional(reading->text) : std::nullopt, c.reported) << c.text;
    }
}

TEST(StillImageOutput, AnswersWithTheNextFrameOrWithNothingOnceStopped)
{
    std::vector<UIImagePtr> answers;
    // A camera that sees nothing leaves a request waiting until the stop answers it.
    for (const auto& shown : {codeFrame(FrameSize, {}), UIImagePtr()}) {
        auto session = AVCaptureSession::create();
        session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(
            AVCaptureDevice::create(std::make_shared<RenderedFrameSource>([shown] { return shown; }, 0.005))));
        auto still = AVCaptureStillImageOutput::create();
        session->addOutput(still);
        const auto ask = [&] {
            auto connections = still->connections();
            ASSERT_EQ(connections.size(), 1u);
            still->captureStillImageAsynchronouslyFromConnection(
                connections[0].get(), [&](CMSampleBufferPtr buffer, const std::string&) { answers.push_back(buffer ? buffer->image : nullptr); });
        };
        session->startRunning();
        ask();
        if (!shown)
            session->stopRunning();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return answers.size() % 2 == 1; }, 5));
        EXPECT_EQ(answers.back(), shown);
        session->stopRunning();
        ask(); // answered without waiting for a run that may never come
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return answers.size() % 2 == 0; }, 5));
        EXPECT_FALSE(answers.back());
    }
    RunLoop::main().reset();
}

// No capture runs while the process's static objects go (the code reader's tables, made at its
// first read, go first of all): one still running as the process ends, its session held by
// something never destroyed, is stopped and its thread joined before, and none starts after.
TEST(CaptureSession, NoCaptureRunsWhileTheProcessEnds)
{
    for (const bool startAtExit : {false, true}) {
        std::fflush(nullptr);
        const int status = ChildProcess::run([] { return true; }, [startAtExit]() -> int {
            const auto threads = ChildProcess::settledThreadCount();
            static std::atomic<int> frames {0};
            static const auto* kept = new AVCaptureSessionPtr(AVCaptureSession::create());
            (*kept)->addInput(AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::create(
                std::make_shared<RenderedFrameSource>([] {
                    ++frames;
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    return codeFrame(FrameSize, {});
                }, 0.001))));
            if (!startAtExit) {
                (*kept)->startRunning();
                while (frames < 2)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ChildProcess::checkThreadsAtExit(threads);
            if (startAtExit)
                std::atexit([] { (*kept)->startRunning(); });
            std::exit(0);
        });
        EXPECT_EQ(status, 0) << "3: a capture ran on as static objects went; started at exit: " << startAtExit;
    }
}

// A child forked while a capture runs has none of the parent's threads: its end stops only the
// captures it started itself, and does not wait for the parent's. The parent's capture waits for
// its next frame as the child forks, as it mostly does, and so holds no lock the child needs (the
// allocator's).
TEST(CaptureSession, AForkedChildEndsWithoutTheParentsCapture)
{
    const auto frames = [](TimeInterval interval, std::function<void()> during) {
        return AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::create(std::make_shared<RenderedFrameSource>(
            [frame = codeFrame(FrameSize, {}), during] {
                during();
                return frame;
            }, interval)));
    };
    std::atomic<bool> framed {false};
    auto parents = AVCaptureSession::create();
    parents->addInput(frames(60, [&] { framed = true; }));
    parents->startRunning();
    while (!framed)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const bool ownCapture : {false, true}) {
        if (ownCapture && !ChildProcess::ThreadsStartAfterAForkWithThreads)
            continue;
        std::fflush(nullptr);
        const auto start = std::chrono::steady_clock::now();
        const int status = ChildProcess::run([] { return true; }, [&frames, ownCapture]() -> int {
            if (ownCapture) {
                const auto threads = ChildProcess::settledThreadCount();
                static const auto* own = new AVCaptureSessionPtr(AVCaptureSession::create());
                (*own)->addInput(frames(0.02, [] {}));
                (*own)->startRunning();
                ChildProcess::checkThreadsAtExit(threads);
            }
            std::exit(0);
        }, 10);
        EXPECT_EQ(status, 0) << "3: its own capture ran on; minus a signal: it hung on the parent's";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << ownCapture;
    }
    parents->stopRunning();
}

// Codes written by the qrencode tool in byte mode without a declared character set, and in
// kanji mode (Shift_JIS): UTF-8, the venue's GB18030, Latin-1 and kanji all read whole.
TEST(CodeReader, ReadsWhatQrencodeWroteInEveryCharacterSet)
{
    const struct { const char *mode, *bytes, *text; } cases[] = {
        {"-8", "1001|存酒|张三", "1001|存酒|张三"},
        {"-8", "1001|\xD5\xC5\xC8\xFD|\xB4\xE6\xBE\xC6", "1001|张三|存酒"},
        {"-8", "caf\xE9", "café"},
        {"-k", "\x88\x9F\x88\xA0", "亜唖"},
    };
    const auto base = (std::filesystem::temp_directory_path() / ("floorpad-qrencode-" + std::to_string(::getpid()))).string();
    for (const auto& c : cases) {
        std::ofstream(base + ".txt", std::ios::binary) << c.bytes;
        const std::string command = std::string("qrencode ") + c.mode + " -s 4 -r '" + base + ".txt' -o '" + base + ".png'";
        ASSERT_EQ(std::system(command.c_str()), 0) << "the qrencode tool is missing";
        auto picture = UIImage::imageWithContentsOfFile(base + ".png");
        std::filesystem::remove(base + ".txt"), std::filesystem::remove(base + ".png");
        ASSERT_TRUE(picture);
        auto codes = CodeReader::read(LuminanceImage::fromImage(*picture), ZXing::BarcodeFormat::QRCode);
        ASSERT_EQ(codes.size(), 1u) << c.text;
        EXPECT_EQ(codes[0].text, c.text);
    }
}

// The library stops the process on some bar codes seen twice in one picture (found by fuzzing
// still pictures); bar codes are read one per picture, so a frame like that reads as one code.
TEST(CodeReader, ABarCodeSeenTwiceInOnePictureIsReadOnceWithoutStoppingTheProgram)
{
    for (auto format : {ZXing::BarcodeFormat::ITF, ZXing::BarcodeFormat::Code128, ZXing::BarcodeFormat::EAN13}) {
        const std::string text = format == ZXing::BarcodeFormat::Code128 ? "W1001" : "12345678901231";
        const std::string digits = format == ZXing::BarcodeFormat::EAN13 ? "6901234567892" : text;
        auto frame = codeFrame(FrameSize, {{digits, format, {60, 60}, 3}, {digits, format, {60, 260}, 3}});
        auto codes = CodeReader::read(LuminanceImage::fromImage(*frame), ZXing::BarcodeFormat::LinearCodes);
        ASSERT_EQ(codes.size(), 1u);
        EXPECT_EQ(codes[0].text, digits);
    }
}

// Pictures the fuzzer found that made the library stop the process or throw: w × h grey pixels
// repeating the bytes. They read as at most one code, and nothing escapes.
TEST(CodeReader, HostilePicturesReadAsAtMostOneCode)
{
    struct Case {
        int w, h;
        std::string bytes;
    } cases[] = {
        {81, 79, std::string("\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6"
                             "\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\x7a\x80\x50\x9f\x9f\x9f\x9f\x9f\xe6\xe6\xe6\xe6"
                             "\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xe6\xfc\x00\x00\x0f\x10\xf0\x2a\x81\x6d\x05\xaf"
                             "\x3e\xf0\x5b\xc1\xab\x04\xd2\x0a\x4e\xc8\x5f\xb3\xb1\x79\x88\xcc\x88\x94\x7b\xe8"
                             "\x07\x08\x8d\xb8\xf0\x30\x4b\x2f\xac\x79\xe0\x02\x72\x93\xf6\xc7\xe3\x91\x3c\x80"
                             "\xcc\x76\xe6\x26\x73\xf0\xee\xdb\x3c\x98\xda\xb9\x98\xae\xcd\x0e\xde\xa6\xa4\x16"
                             "\xd0\xb5\xe3\xc5\xe8\x6a\x72\xc8\x04\x84\x0b\xac\x7a\xa8\xcd\xaa\x97\x33\x44\x00"
                             "\x00\x00\x00\x49\xc5\x4e\x44\xae\x42\x60\x82", 153)},
        {97, 4, std::string("\x3d\x2d\x63\x86\x41\xfe\x1c\x00\x00\x83", 10)},
    };
    for (const auto& c : cases) {
        auto context = CGContext::createBitmap(CGSizeMake(c.w, c.h), 1);
        for (int i = 0; i < c.w * c.h; ++i) {
            context->setFillColor(UIColor::colorWithWhite(static_cast<unsigned char>(c.bytes[i % c.bytes.size()]) / 255.0, 1));
            context->fillRect(CGRectMake(i % c.w, i / c.w, 1, 1));
        }
        std::vector<DecodedCode> codes;
        EXPECT_NO_THROW(codes = CodeReader::read(LuminanceImage::fromImage(*context->makeImage()), ZXing::BarcodeFormat::Any));
        EXPECT_LE(codes.size(), 1u);
    }
}

TEST(PictureFrameSource, ShowsTheReadablePicturesOfAFolderInNameOrderInACycle)
{
    const auto folder = std::filesystem::temp_directory_path() / ("floorpad-camera-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    auto first = codeFrame({8, 8}, {}), second = codeFrame({16, 8}, {});
    second->writePNG(folder / "b.png");
    first->writePNG(folder / "a.png");
    std::ofstream(folder / "notes.txt") << "not a picture";
    auto source = PictureFrameSource::fromPath(folder);
    auto single = PictureFrameSource::fromPath(folder / "b.png");
    auto none = PictureFrameSource::fromPath(folder / "missing.png");
    std::filesystem::remove_all(folder);
    ASSERT_EQ(source->pictureCount(), 2u);
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i)
        widths.push_back(source->nextFrame()->pixelWidth());
    EXPECT_EQ(widths, (std::vector<int> {8, 16, 8, 16, 8}));
    EXPECT_EQ(single->nextFrame()->pixelWidth(), 16);
    EXPECT_EQ(none->nextFrame(), nullptr);
}

// In a folder, a file too large for any decoder is passed over unread, and an entry that cannot be
// reached (a loop of links) is left out with the system's reason; the other pictures are shown.
TEST(PictureFrameSource, LeavesOutSayingWhyWhatIsTooLargeOrCannotBeRead)
{
    ScopedDataFolder scratch;
    const auto folder = scratch.path() / "camera";
    std::filesystem::create_directory(folder);
    codeFrame({8, 8}, {})->writePNG(folder / "a.png");
    ASSERT_TRUE(std::ofstream(folder / "big.png"));
    std::filesystem::resize_file(folder / "big.png", PixelLimits::MaxFileBytes + 1);
    std::filesystem::create_symlink("loop.png", folder / "loop.png");
    LogCapture log;
    EXPECT_EQ(PictureFrameSource::fromPath(folder)->pictureCount(), 1u);
    EXPECT_TRUE(log.contains("camera: " + (folder / "big.png").string() + " is too large to be a picture ("
                             + std::to_string(PixelLimits::MaxFileBytes + 1) + " bytes; no picture read is over "
                             + std::to_string(PixelLimits::MaxFileBytes) + " bytes), left out"));
    EXPECT_TRUE(log.contains("camera: " + (folder / "loop.png").string()
                             + " cannot be reached: Too many levels of symbolic links, left out"));
}

// A named pipe given as the camera's picture is no picture, said at once: never waited on for a
// writer that may never come.
TEST(PictureFrameSource, NeverWaitsOnANamedPipe)
{
    ScopedDataFolder scratch;
    const auto pipe = scratch.path() / "camera.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { return PictureFrameSource::fromPath(pipe)->pictureCount(); });
    const bool waited = reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    if (waited) {
        // A writer come and gone lets the waiting reader end.
        ::close(::open(pipe.c_str(), O_WRONLY | O_CLOEXEC));
    }
    EXPECT_FALSE(waited) << "the named pipe was waited on";
    EXPECT_EQ(reading.get(), 0u);
}

// Every entry of a folder that is not shown says why, in the words the camera's own path would get:
// a named pipe is never waited on, a device behind a link never read, and a folder never looked into.
TEST(PictureFrameSource, SaysWhyEachEntryThatIsNoFileIsLeftOut)
{
    ScopedDataFolder scratch;
    const auto folder = scratch.path() / "camera";
    std::filesystem::create_directories(folder / "older");
    codeFrame({8, 8}, {})->writePNG(folder / "a.png");
    codeFrame({16, 8}, {})->writePNG(folder / "older" / "b.png");
    ASSERT_EQ(::mkfifo((folder / "fifo.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.png");
    std::filesystem::create_symlink("gone.png", folder / "dangling.png");
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const auto socketPath = (folder / "socket.png").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_EQ(::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    LogCapture log;
    auto listing = std::async(std::launch::async, [&] { return PictureFrameSource::fromPath(folder); });
    const bool waited = listing.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    if (waited)
        ::close(::open((folder / "fifo.png").c_str(), O_WRONLY | O_CLOEXEC));
    ASSERT_FALSE(waited) << "an entry was waited on or read";
    const auto source = listing.get();
    ASSERT_EQ(source->pictureCount(), 1u);
    EXPECT_EQ(source->nextFrame()->pixelWidth(), 8);
    const auto said = [&](const char* entry) { return "camera: " + (folder / entry).string() + " "; };
    for (const auto& line : {said("fifo.png") + "is not a picture (it is a named pipe), left out",
                             said("zero.png") + "is not a picture (it is a device), left out",
                             said("socket.png") + "is not a picture (it is a socket), left out",
                             said("dangling.png") + "is a link to something missing, left out",
                             said("older") + "is not a picture (it is a folder), left out"})
        EXPECT_TRUE(log.contains(line)) << line;
}

namespace {
void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    ASSERT_TRUE(std::ofstream(file, std::ios::binary) << bytes) << file;
}

// A folder for the camera in the scratch folder.
std::filesystem::path cameraFolder(const ScopedDataFolder& scratch)
{
    const auto folder = scratch.path() / "camera";
    std::filesystem::create_directory(folder);
    return folder;
}

std::string randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// The red of the middle of each of count frames, in turn.
std::vector<int> redsOfFrames(PictureFrameSource& source, int count, std::vector<std::weak_ptr<UIImage>>* seen = nullptr)
{
    std::vector<int> reds;
    for (int i = 0; i < count; ++i) {
        const auto frame = source.nextFrame();
        reds.push_back(frame ? frame->pixelAt(frame->pixelWidth() / 2, frame->pixelHeight() / 2).red : -1);
        if (seen)
            seen->push_back(frame);
    }
    return reds;
}

std::size_t linesWith(const LogCapture& log, const std::string& fragment)
{
    const auto lines = log.lines();
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return line.find(fragment) != std::string::npos; }));
}
} // namespace

// Pictures are decoded at the start and kept while they fit the budget; the rest are decoded when
// their frame comes and let go with it. Every picture is shown in name order, round after round;
// one removed or spoilt after the start is passed over, said once, and the next shown.
TEST(PictureFrameSource, KeepsNoMoreThanItsBudgetDecodedAndShowsEveryPictureInTurn)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    const std::vector<int> reds {10, 50, 90, 130, 170, 210};
    for (std::size_t i = 0; i < reds.size(); ++i)
        writeBytes(folder / ("p" + std::to_string(i) + ".png"), solidPng(64, 64, static_cast<std::uint32_t>(reds[i]) << 16));
    constexpr std::size_t picture = 64 * 64 * 4;
    const auto source = PictureFrameSource::fromPath(folder, FrameSource::DefaultFrameInterval, picture * 5 / 2);
    ASSERT_EQ(source->pictureCount(), 6u);
    std::vector<std::weak_ptr<UIImage>> seen;
    std::vector<int> twice = reds;
    twice.insert(twice.end(), reds.begin(), reds.end());
    EXPECT_EQ(redsOfFrames(*source, 12, &seen), twice);
    std::set<std::uint64_t> held;
    for (const auto& frame : seen) {
        if (const auto alive = frame.lock())
            held.insert(alive->identity());
    }
    EXPECT_EQ(held.size(), 2u) << "pictures still decoded once their frames are let go";
    EXPECT_FALSE(seen[0].expired());
    EXPECT_EQ(seen[0].lock(), seen[6].lock());

    std::filesystem::remove(folder / "p2.png");
    writeBytes(folder / "p3.png", randomBytes(256, 3));
    LogCapture log;
    EXPECT_EQ(redsOfFrames(*source, 8), (std::vector<int> {10, 50, 170, 210, 10, 50, 170, 210}));
    EXPECT_EQ(linesWith(log, "camera: " + (folder / "p2.png").string()
                                 + " cannot be read: No such file or directory, passed over"), 1u);
    EXPECT_EQ(linesWith(log, "camera: " + (folder / "p3.png").string() + " is not a picture, passed over"), 1u);
}

// With nothing kept and no picture that can be decoded, a frame shows nothing, found by trying each
// picture once; a picture that comes back is shown again.
TEST(PictureFrameSource, AFrameShowsNothingWhenNoPictureCanBeDecoded)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    const std::string picture = solidPng(8, 8, 0x400000);
    writeBytes(folder / "a.png", picture);
    writeBytes(folder / "b.png", picture);
    const auto source = PictureFrameSource::fromPath(folder, FrameSource::DefaultFrameInterval, 0);
    ASSERT_EQ(source->pictureCount(), 2u);
    std::filesystem::remove(folder / "a.png");
    writeBytes(folder / "b.png", picture.substr(0, picture.size() / 2));
    LogCapture log;
    EXPECT_EQ(source->nextFrame(), nullptr);
    EXPECT_EQ(source->nextFrame(), nullptr);
    EXPECT_EQ(log.lines().size(), 2u);
    EXPECT_TRUE(log.contains("camera: " + (folder / "b.png").string() + " cannot be decoded: picture data ends early, passed over"));
    writeBytes(folder / "a.png", picture);
    EXPECT_EQ(redsOfFrames(*source, 2), (std::vector<int> {0x40, 0x40}));
}

// A picture left out says why: more pixels than the decoders take, no picture at all, or the
// decoder's own words for data it cannot decode.
TEST(PictureFrameSource, SaysWhyEachPictureIsLeftOut)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    const std::string picture = solidPng(8, 8, 0x204080);
    writeBytes(folder / "a.png", picture);
    writeBytes(folder / "huge.png", pngSized(picture, 20000, 20000));
    writeBytes(folder / "noise.png", randomBytes(4096, 7));
    writeBytes(folder / "cut.png", picture.substr(0, picture.size() - 20));
    LogCapture log;
    EXPECT_EQ(PictureFrameSource::fromPath(folder)->pictureCount(), 1u);
    const auto said = [&](const char* file) { return "camera: " + (folder / file).string() + " "; };
    EXPECT_TRUE(log.contains(said("huge.png") + "has more pixels than the program decodes (20000 x 20000; at most "
                             "67108864 pixels, 32767 on a side), left out"));
    EXPECT_TRUE(log.contains(said("noise.png") + "is not a picture, left out"));
    EXPECT_TRUE(log.contains(said("cut.png") + "cannot be decoded: picture data ends early, left out"));
}

// In a folder, a file over the limit is passed over from the size it says as it is opened, never
// read; one of exactly the limit is read whole (a picture of several megabytes, then zeros to the
// limit) and shown.
TEST(PictureFrameSource, ReadsAFileOfUpToTheLimitAndNothingOfALargerOne)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    const auto noise = UIImage::imageWithData(solidPng(1200, 1000, 0));
    std::mt19937 random(11);
    auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(noise->surface()));
    std::generate_n(pixels, 1200 * 1000, [&] { return 0xFF000000u | (random() & 0xFFFFFFu); });
    cairo_surface_mark_dirty(noise->surface());
    const std::string png = noise->pngData().value_or("");
    ASSERT_GT(png.size(), 3u << 20);
    writeBytes(folder / "at-limit.png", png);
    std::filesystem::resize_file(folder / "at-limit.png", PixelLimits::MaxFileBytes);
    writeBytes(folder / "over-limit.png", png);
    std::filesystem::resize_file(folder / "over-limit.png", PixelLimits::MaxFileBytes + 1);

    LogCapture log;
    const std::uint64_t before = ProcessCounters::bytesRead();
    const auto source = PictureFrameSource::fromPath(folder);
    EXPECT_LT(ProcessCounters::bytesRead() - before, PixelLimits::MaxFileBytes + (1u << 20)) << "the larger file was read";
    ASSERT_EQ(source->pictureCount(), 1u);
    const auto shown = source->nextFrame();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->hasSamePixels(*noise));
    EXPECT_TRUE(log.contains("camera: " + (folder / "over-limit.png").string() + " is too large to be a picture ("
                             + std::to_string(PixelLimits::MaxFileBytes + 1) + " bytes;"));
}

// An animation counts every frame against the budget: one whose frames do not fit together is
// decoded at its turn, though one frame would fit, and leaves the room to the still picture after it.
TEST(PictureFrameSource, CountsEveryFrameOfAnAnimationAgainstItsBudget)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    writeBytes(folder / "a.gif", testPicture("animated.gif")); // three frames of 16 x 8
    writeBytes(folder / "b.png", solidPng(16, 8, 0x400000));
    constexpr std::size_t frame = 16 * 8 * 4 + PixelLimits::FrameOverheadBytes;
    // Whether each picture is the same one round after round, that is kept decoded.
    const auto kept = [&](std::size_t budget) {
        const auto source = PictureFrameSource::fromPath(folder, FrameSource::DefaultFrameInterval, budget);
        std::vector<std::uint64_t> shown;
        for (int i = 0; i < 4; ++i) {
            const auto image = source->nextFrame();
            shown.push_back(image ? image->identity() : 0);
        }
        return std::pair(shown[0] && shown[0] == shown[2], shown[1] && shown[1] == shown[3]);
    };
    EXPECT_EQ(kept(frame * 2), std::pair(false, true));
    EXPECT_EQ(kept(frame * 3), std::pair(true, false));
    // Each frame costs what it holds beside its pixels too: a thousand frames of one pixel do not
    // fit in twice their pixels.
    std::filesystem::remove(folder / "a.gif");
    writeBytes(folder / "b.gif", HostilePictures::gifOfFrames(1, 1, {}, 1000));
    EXPECT_EQ(kept(1000 * 4 * 2 + frame), std::pair(false, true));
}

// A picture passed over is said to be once while it stays so, and said again when it fails after
// it has been shown since.
TEST(PictureFrameSource, SaysAgainThatAPictureIsPassedOverOnceItHasBeenShownSince)
{
    ScopedDataFolder scratch;
    const auto folder = cameraFolder(scratch);
    const std::string picture = solidPng(8, 8, 0x400000);
    writeBytes(folder / "a.png", picture);
    writeBytes(folder / "b.png", solidPng(8, 8, 0x800000));
    const auto source = PictureFrameSource::fromPath(folder, FrameSource::DefaultFrameInterval, 0);
    ASSERT_EQ(source->pictureCount(), 2u);
    const std::string passedOver
        = "camera: " + (folder / "a.png").string() + " cannot be read: No such file or directory, passed over";
    const std::vector<int> onlyB(4, 0x80);
    LogCapture log;
    std::filesystem::remove(folder / "a.png");
    EXPECT_EQ(redsOfFrames(*source, 4), onlyB);
    EXPECT_EQ(linesWith(log, passedOver), 1u);
    writeBytes(folder / "a.png", picture);
    EXPECT_EQ(redsOfFrames(*source, 2), (std::vector<int> {0x40, 0x80}));
    std::filesystem::remove(folder / "a.png");
    EXPECT_EQ(redsOfFrames(*source, 4), onlyB);
    EXPECT_EQ(linesWith(log, passedOver), 2u);
}
