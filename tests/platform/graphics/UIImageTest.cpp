#include "platform/foundation/Paths.h"
#include "platform/foundation/ProcessMemory.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/UIImage.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;

namespace {
std::string pngOf(double width, double height, double scale, const UIColorPtr& color)
{
    auto context = CGContext::createBitmap({width, height}, scale);
    context->setFillColor(color);
    context->fillRect(CGRectMake(0, 0, width, height));
    return *context->makeImage()->pngData();
}

class ResourceFolder {
public:
    explicit ResourceFolder(const fs::path& root)
    {
        fs::create_directories(root / "images");
        Paths::setResourcesFolder(root);
        UIImage::clearNamedCache();
    }
    ~ResourceFolder()
    {
        Paths::setResourcesFolder(std::nullopt);
        UIImage::clearNamedCache();
    }
};
} // namespace

TEST(UIImage, PngRoundTripKeepsPixelsAndScale)
{
    const std::string bytes = pngOf(8, 4, 2, UIColor::colorWithRed(0, 0.5, 1, 0.5));
    const auto image = UIImage::imageWithData(bytes, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 16);
    EXPECT_EQ(image->size(), (CGSize {8, 4}));
    const auto p = image->pixelAt(3, 3);
    EXPECT_EQ(p.alpha, 128);
    EXPECT_NEAR(p.green, 128, 2);
    EXPECT_NEAR(p.blue, 255, 2);
    EXPECT_EQ(image->pixelAt(-1, 0).alpha, 0);
    EXPECT_EQ(image->pixelAt(16, 0).alpha, 0);
    // Decoded again it has the same pixels; a pixel's shade or another scale makes it another.
    EXPECT_TRUE(image->hasSamePixels(*UIImage::imageWithData(bytes, 2)));
    EXPECT_FALSE(image->hasSamePixels(*UIImage::imageWithData(bytes, 1)));
    EXPECT_FALSE(image->hasSamePixels(*UIImage::imageWithData(pngOf(8, 4, 2, UIColor::colorWithRed(0, 0.5, 0.99, 0.5)), 2)));
}

// Written here or by the drawing library, a picture reads back the same: every alpha with every
// colour value it can carry, and an opaque picture, which both write without alpha.
TEST(UIImage, PngDataReadsBackAsTheDrawingLibrarysOwn)
{
    for (const bool opaque : {false, true}) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 256, 256);
        unsigned char* data = cairo_image_surface_get_data(surface);
        for (std::uint32_t y = 0; y < 256; ++y) {
            for (std::uint32_t x = 0; x < 256; ++x) {
                const std::uint32_t a = opaque ? 255 : y, c = std::min(x, a);
                const std::uint32_t argb = a << 24 | c << 16 | (a - c) << 8 | c / 2;
                std::memcpy(data + y * cairo_image_surface_get_stride(surface) + x * 4, &argb, 4);
            }
        }
        cairo_surface_mark_dirty(surface);
        std::string theirs;
        cairo_surface_write_to_png_stream(surface, [](void* out, const unsigned char* bytes, unsigned int length) {
            static_cast<std::string*>(out)->append(reinterpret_cast<const char*>(bytes), length);
            return CAIRO_STATUS_SUCCESS;
        }, &theirs);
        const auto ours = UIImage::imageWithSurface(surface, 1)->pngData();
        ASSERT_TRUE(ours);
        EXPECT_EQ((*ours)[25], theirs[25]) << "colour type";
        EXPECT_TRUE(UIImage::imageWithData(*ours, 1)->hasSamePixels(*UIImage::imageWithData(theirs, 1))) << opaque;
    }
}

TEST(UIImage, NamedPicturesComeFromResourcesWithPlaceholders)
{
    ScopedDataFolder data;
    ResourceFolder resources(data.path() / "res");
    const fs::path images = data.path() / "res" / "images";
    ASSERT_TRUE(writeFileAtomically(images / "Clock.png", pngOf(14, 14, 1, UIColor::redColor())));
    ASSERT_TRUE(writeFileAtomically(images / "Computer Off@2x.png", pngOf(14, 14, 2, UIColor::greenColor())));

    const auto clock = UIImage::imageNamed("Clock.png");
    EXPECT_FALSE(clock->isPlaceholder());
    EXPECT_EQ(clock->size(), (CGSize {14, 14}));
    EXPECT_EQ(UIImage::imageNamed("Clock.png"), clock); // cached by name
    EXPECT_FALSE(UIImage::imageNamed("Clock")->isPlaceholder()); // the extension is optional

    // The double-density file serves a name without extension at scale 2.
    const auto computer = UIImage::imageNamed("Computer Off");
    EXPECT_FALSE(computer->isPlaceholder());
    EXPECT_DOUBLE_EQ(computer->scale(), 2);
    EXPECT_EQ(computer->size(), (CGSize {14, 14}));

    LogCapture log;
    const auto missing = UIImage::imageNamed("tab_me");
    EXPECT_TRUE(missing->isPlaceholder());
    EXPECT_EQ(missing->name(), "tab_me");
    EXPECT_GT(missing->size().width, 0);
    EXPECT_TRUE(log.contains("tab_me"));
    // Names that climb out of the picture folder are never looked up.
    ASSERT_TRUE(writeFileAtomically(data.path() / "res" / "secret.png", pngOf(2, 2, 1, UIColor::blueColor())));
    EXPECT_TRUE(UIImage::imageNamed("../secret.png")->isPlaceholder());
}

// Over a shift, pictures let go give their memory back to the system, all but what the reuse pool
// keeps for the next pictures of the same size (at most 16 MB). The resident size is read as the
// warning monitor reads it, so it must also see the pictures while they are held.
TEST(UIImage, FreedPicturesGiveTheirMemoryBack)
{
#ifdef __SANITIZE_THREAD__
    constexpr bool unmappingShows = false; // its shadow of unmapped memory stays resident
#else
    constexpr bool unmappingShows = true;
#endif
    constexpr std::uint64_t MB = 1 << 20;
    const struct {
        int width, height, count;
    } rows[] = {{2000, 2000, 8}, {1024, 768, 40}};
    for (const auto& row : rows) {
        const std::uint64_t before = ProcessMemory::residentBytes();
        const auto bytes = static_cast<std::size_t>(row.width) * static_cast<std::size_t>(row.height) * 4;
        std::vector<cairo_surface_t*> pictures;
        for (int i = 0; i < row.count; ++i) {
            pictures.push_back(ImageSurface::createForDecoding(row.width, row.height));
            std::memset(cairo_image_surface_get_data(pictures.back()), 0x5a, bytes);
        }
        EXPECT_GT(ProcessMemory::residentBytes(), before + bytes * row.count * 9 / 10) << row.width;
        for (auto* picture : pictures)
            cairo_surface_destroy(picture);
        if (unmappingShows) {
            EXPECT_LT(ProcessMemory::residentBytes(), before + 24 * MB) << row.width;
        }
        // The pool hands those pages on: a surface that must start transparent gets them cleared.
        cairo_surface_t* fresh = ImageSurface::create(row.width, row.height);
        const unsigned char* pixels = cairo_image_surface_get_data(fresh);
        EXPECT_EQ(std::count(pixels, pixels + bytes, 0), static_cast<std::ptrdiff_t>(bytes)) << row.width;
        cairo_surface_destroy(fresh);
    }
}

// A picture too large for the reuse pool is given back at once and leaves the pool as it was, so
// the next pictures of the pooled size are spared fresh page faults: they get the pooled pages,
// which keep what was drawn on them where fresh ones come zeroed.
TEST(UIImage, APictureTooLargeForTheReusePoolLeavesThePoolAsItWas)
{
    constexpr int width = 1000, height = 700, pooled = 5; // 2.7 MiB each: 13.4 MiB of the 16 the pool keeps
    const auto bytes = static_cast<std::size_t>(width) * height * 4;
    std::vector<cairo_surface_t*> pictures;
    for (int i = 0; i < pooled; ++i) {
        pictures.push_back(ImageSurface::createForDecoding(width, height));
        std::memset(cairo_image_surface_get_data(pictures.back()), 0x5a, bytes);
    }
    for (auto* picture : pictures)
        cairo_surface_destroy(picture);
    cairo_surface_destroy(ImageSurface::createForDecoding(2200, 2200)); // 18.5 MiB
    int reused = 0;
    for (auto*& picture : pictures) {
        picture = ImageSurface::createForDecoding(width, height);
        const unsigned char* pixels = cairo_image_surface_get_data(picture);
        reused += std::count(pixels, pixels + bytes, 0x5a) == static_cast<std::ptrdiff_t>(bytes);
    }
    EXPECT_EQ(reused, pooled);
    for (auto* picture : pictures)
        cairo_surface_destroy(picture);
}
