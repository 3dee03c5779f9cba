#include "platform/capture/CodeReader.h"
#include "scan/ScanWrapper.h"
#include "scan/ZXingWrapper.h"

#include "tests/support/InkBox.h"

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
    EXPECT_EQ(inkOf(*qr, [](const UIImage::Pixel& p) { return p.red != 0 && p.red != 255; }).count, 0);
    const auto dark = inkOf(*qr, [](const UIImage::Pixel& p) { return p.red == 0; });
    EXPECT_TRUE(dark.minX > 0 && dark.minY > 0 && dark.maxX < 199 && dark.maxY < 199);
    EXPECT_NEAR(dark.minX + dark.maxX, 199, 1);
    EXPECT_NEAR(dark.minY + dark.maxY, 199, 1);
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
    const struct { const AVMetadataObjectType* type; std::string text; bool drawn; } cases[] = {
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
    EXPECT_GT(inkOf(*coloured, [](const UIImage::Pixel& p) { return p.alpha > 0; }).count, 0);
    const auto untinted = [](const UIImage::Pixel& p) {
        return p.alpha > 0 && (p.alpha != 255 || p.red != 200 || p.green != 20 || p.blue != 255);
    };
    EXPECT_EQ(inkOf(*coloured, untinted).count, 0);
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
