#include "platform/capture/CodeReader.h"
#include "scan/ScanWrapper.h"
#include "scan/ZXingWrapper.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {
std::optional<std::string> readBack(const UIImagePtr& image)
{
    auto codes = CodeReader::read(LuminanceImage::fromImage(*image), ZXing::BarcodeFormat::Any);
    return codes.empty() ? std::nullopt : std::optional(codes[0].text);
}
} // namespace

TEST(CodeImages, QRImagesAreSharpCentredAndRefuseWhatCannotBeDrawn)
{
    auto qr = ScanWrapper::createQRWithString("1001|存酒|13800000000", CGSizeMake(200, 100));
    ASSERT_TRUE(qr);
    EXPECT_EQ(qr->pixelWidth(), 200);
    EXPECT_EQ(qr->pixelHeight(), 200);
    EXPECT_EQ(readBack(qr), "1001|存酒|13800000000");
    // Whole-pixel modules: only pure black and pure white, and a light border all round.
    for (int i = 0; i < 200; ++i) {
        for (auto p : {qr->pixelAt(i, 0), qr->pixelAt(0, i), qr->pixelAt(i, 199), qr->pixelAt(199, i)})
            EXPECT_EQ(p.red, 255);
        const auto p = qr->pixelAt(i, 100);
        EXPECT_TRUE(p.red == 0 || p.red == 255);
    }
    // Capacity of a version 40 code in byte mode: 2331 bytes at level M, 1273 at level H.
    EXPECT_TRUE(ScanWrapper::createQRForString(std::string(2331, 'a')));
    EXPECT_FALSE(ScanWrapper::createQRForString(std::string(2332, 'a')));
    EXPECT_TRUE(ScanWrapper::createQRWithString(std::string(1273, 'a'), CGSizeMake(900, 900), UIColor::blackColor(), UIColor::whiteColor()));
    EXPECT_FALSE(ScanWrapper::createQRWithString(std::string(1274, 'a'), CGSizeMake(900, 900), UIColor::blackColor(), UIColor::whiteColor()));
    for (double size : {0.0, -10.0, double(NAN), double(INFINITY), 40000.0, 10.0})
        EXPECT_FALSE(ScanWrapper::createQRWithString("text", CGSizeMake(size, size))) << size;
}

TEST(CodeImages, OtherFormatsThroughTheWriterAndItsRefusals)
{
    struct Case {
        const AVMetadataObjectType* type;
        std::string text;
        bool drawn;
    } cases[] = {
        {&AVMetadataObjectTypeCode128Code, "ORDER-2041", true},
        {&AVMetadataObjectTypeEAN13Code, "6901234567892", true},
        {&AVMetadataObjectTypeEAN13Code, "69012345678AB", false},
        {&AVMetadataObjectTypeEAN8Code, "123", false},
        {&AVMetadataObjectTypeDataMatrixCode, "W-1001", true},
        {&AVMetadataObjectTypeAztecCode, "存酒", true},
        {&AVMetadataObjectTypeUPCECode, "not digits", false},
    };
    for (const auto& c : cases) {
        auto image = ScanWrapper::createCodeWithString(c.text, CGSizeMake(300, 300), *c.type);
        EXPECT_EQ(image != nullptr, c.drawn) << c.text;
        if (image) {
            EXPECT_EQ(readBack(image), c.text);
        }
    }
    EXPECT_FALSE(ZXingWrapper::createCodeWithString("x", CGSizeMake(300, 300), 16));
    EXPECT_FALSE(ZXingWrapper::createCodeWithString("x", CGSizeMake(NAN, 300), 11));
}

TEST(CodeImages, StillPictureRecognitionLogoAndRecolouring)
{
    auto qr = ScanWrapper::createQRWithString("hello", CGSizeMake(240, 240), UIColor::colorWithRed(0, 0, 0.5, 1), UIColor::whiteColor());
    ASSERT_TRUE(qr);
    ScanResults results;
    ScanWrapper::recognizeImage(ScanWrapper::addImageLogo(qr, ScanWrapper::createQRWithString("logo", CGSizeMake(40, 40)), CGSizeMake(40, 40)),
                                [&](const ScanResults& r) { results = r; });
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]->strScanned, "hello");
    EXPECT_EQ(results[0]->strBarCodeType, AVMetadataObjectTypeQRCode);
    ScanWrapper::recognizeImage(UIImage::placeholder("blank", CGSizeMake(50, 50)), [&](const ScanResults& r) { results = r; });
    EXPECT_TRUE(results.empty()) << "a picture without a code answers, with nothing";

    // Dark modules take the colour, opaque; light ones go; a transparent picture stays light.
    auto coloured = ScanWrapper::imageBlackToTransparent(qr, 200, 20, 300);
    ASSERT_TRUE(coloured);
    EXPECT_EQ(coloured->pixelAt(2, 2).alpha, 0);
    bool sawDark = false;
    for (int x = 0; x < 240 && !sawDark; ++x) {
        const auto p = coloured->pixelAt(x, 120);
        if (p.alpha) {
            sawDark = true;
            EXPECT_EQ(p.alpha, 255);
            EXPECT_EQ(p.red, 200);
            EXPECT_EQ(p.blue, 255);
        }
    }
    EXPECT_TRUE(sawDark);
}

// Our QR images as another reader sees them.
TEST(CodeImages, ZbarimgReadsOurQRImages)
{
    const auto path = std::filesystem::temp_directory_path() / ("floorpad-qr-" + std::to_string(::getpid()) + ".png");
    const std::string text = "1001|取酒|Ab-7";
    ASSERT_TRUE(ScanWrapper::createQRWithString(text, CGSizeMake(300, 300))->writePNG(path));
    std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(("zbarimg -q --raw '" + path.string() + "'").c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string out;
    std::array<char, 256> buffer {};
    while (std::fgets(buffer.data(), buffer.size(), pipe.get()))
        out += buffer.data();
    std::filesystem::remove(path);
    EXPECT_EQ(out, text + "\n");
}
