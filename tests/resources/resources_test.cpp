// Checks the committed artwork byte by byte. The banner and the icon are read
// by code that expects one exact layout (24-bit bottom-up BMP, 4-bit ICO with
// an AND mask), so a regenerated file that merely "opens in a viewer" is not
// good enough; these tests parse the raw files without any image library.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#ifndef RESOURCES_DIR
#error "RESOURCES_DIR must name the resources directory as a string literal"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// Layout of the banner: 24 bpp, rows of 884 * 3 = 2652 bytes (already a
// multiple of four, so unpadded), after a 14 + 40 byte header.
constexpr int kBannerWidth = 884;
constexpr int kBannerHeight = 206;
constexpr std::size_t kBannerRowBytes = 2652;
constexpr std::size_t kBannerHeaderBytes = 54;
constexpr std::size_t kBannerFileBytes = 546366;
static_assert(kBannerRowBytes == kBannerWidth * 3 && kBannerRowBytes % 4 == 0);
static_assert(kBannerFileBytes == kBannerHeaderBytes + kBannerRowBytes * kBannerHeight);

// Everything from x = 276 rightwards (for y <= 200) lies under the category
// list in the main window.
constexpr int kCoveredLeft = 276;
constexpr int kCoveredRight = 452;
constexpr int kCoveredBottom = 200;

// Layout of the icon: ICONDIR (6) + one ICONDIRENTRY (16), then the DIB:
// BITMAPINFOHEADER (40), 16 BGRA palette entries (64), 32 rows of 4-bit
// pixels (16 bytes each) and 32 rows of 1-bit mask (4 bytes each).
constexpr int kIconSide = 32;
constexpr std::size_t kIconImageOffset = 22;
constexpr std::size_t kIconPaletteOffset = kIconImageOffset + 40;
constexpr std::size_t kIconXorOffset = kIconPaletteOffset + 16 * 4;
constexpr std::size_t kIconXorRowBytes = 16;
constexpr std::size_t kIconAndOffset = kIconXorOffset + kIconXorRowBytes * kIconSide;
constexpr std::size_t kIconAndBytes = 4 * kIconSide;
constexpr std::size_t kIconFileBytes = 766;
static_assert(kIconFileBytes == kIconAndOffset + kIconAndBytes);

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

constexpr Rgb kBannerRed{128, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// Files are read once and shared by all tests. The name is taken as a C string: with a
// std::string parameter GCC 14 would take every call on a literal for a reference to a
// temporary (-Wdangling-reference), though the bytes live in the cache.
const Bytes& file(const char* name) {
    static std::map<std::string, Bytes> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        std::ifstream in(std::string(RESOURCES_DIR) + "/" + name, std::ios::binary);
        Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        it = cache.emplace(name, std::move(bytes)).first;
    }
    return it->second;
}

// Little-endian unsigned field of 1, 2 or 4 bytes.
std::uint32_t field(const Bytes& bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= static_cast<std::uint32_t>(bytes.at(offset + i)) << (8 * i);
    return value;
}

// Banner pixel with y counted from the top, as seen on screen. The file
// stores rows bottom-up and each pixel as blue, green, red.
Rgb bannerPixel(const Bytes& bmp, int x, int y) {
    const std::size_t offset = kBannerHeaderBytes +
                               static_cast<std::size_t>(kBannerHeight - 1 - y) * kBannerRowBytes +
                               static_cast<std::size_t>(x) * 3;
    return {bmp.at(offset + 2), bmp.at(offset + 1), bmp.at(offset)};
}

// Palette index of an icon pixel, y from the top. Rows are bottom-up and the
// leftmost of each pair of pixels sits in the high nibble.
int iconIndex(const Bytes& ico, int x, int y) {
    const std::uint8_t pair =
        ico.at(kIconXorOffset + static_cast<std::size_t>(kIconSide - 1 - y) * kIconXorRowBytes +
               static_cast<std::size_t>(x / 2));
    return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

Rgb iconPaletteEntry(const Bytes& ico, int index) {
    const std::size_t offset = kIconPaletteOffset + static_cast<std::size_t>(index) * 4;
    return {ico.at(offset + 2), ico.at(offset + 1), ico.at(offset)};
}

Rgb iconPixel(const Bytes& ico, int x, int y) {
    return iconPaletteEntry(ico, iconIndex(ico, x, y));
}

// Clearly red: a strong red channel that dominates green and blue.
bool isRed(const Rgb& c) {
    return c.r >= 96 && c.g * 3 <= c.r && c.b * 3 <= c.r;
}

// Pixel tests index freely, so they first make sure the whole file is there.
class BannerPixels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(bmp.size(), kBannerFileBytes) << "banner.bmp incompleto"; }
    const Bytes& bmp = file("banner.bmp");
};

class IconPixels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ico.size(), kIconFileBytes) << "icon.ico incompleto"; }
    const Bytes& ico = file("icon.ico");
};

// ---------------------------------------------------------------------------
// Header fields, one named row per field.

struct HeaderField {
    const char* name;
    const char* file;
    std::size_t offset;
    std::size_t width;
    std::uint32_t expected;
};

std::ostream& operator<<(std::ostream& os, const HeaderField& f) {
    return os << f.file << ':' << f.name << " @" << f.offset;
}

class HeaderFields : public ::testing::TestWithParam<HeaderField> {};

TEST_P(HeaderFields, HasExpectedValue) {
    const HeaderField& f = GetParam();
    const Bytes& bytes = file(f.file);
    ASSERT_GE(bytes.size(), f.offset + f.width) << f.file << " es demasiado corto";
    EXPECT_EQ(field(bytes, f.offset, f.width), f.expected);
}

std::string fieldName(const ::testing::TestParamInfo<HeaderField>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Banner, HeaderFields,
    ::testing::Values(
        // BITMAPFILEHEADER
        HeaderField{"FileSize", "banner.bmp", 2, 4, kBannerFileBytes},
        HeaderField{"Reserved1", "banner.bmp", 6, 2, 0},
        HeaderField{"Reserved2", "banner.bmp", 8, 2, 0},
        HeaderField{"PixelDataOffset", "banner.bmp", 10, 4, kBannerHeaderBytes},
        // BITMAPINFOHEADER
        HeaderField{"InfoHeaderSize", "banner.bmp", 14, 4, 40},
        HeaderField{"Width", "banner.bmp", 18, 4, kBannerWidth},
        // Read unsigned: a top-down (negative) height would show up as a huge value.
        HeaderField{"HeightPositiveBottomUp", "banner.bmp", 22, 4, kBannerHeight},
        HeaderField{"Planes", "banner.bmp", 26, 2, 1},
        HeaderField{"BitsPerPixel", "banner.bmp", 28, 2, 24},
        HeaderField{"CompressionBiRgb", "banner.bmp", 30, 4, 0}),
    fieldName);

INSTANTIATE_TEST_SUITE_P(
    Icon, HeaderFields,
    ::testing::Values(
        // ICONDIR
        HeaderField{"DirReserved", "icon.ico", 0, 2, 0},
        HeaderField{"DirTypeIcon", "icon.ico", 2, 2, 1},
        HeaderField{"DirImageCount", "icon.ico", 4, 2, 1},
        // ICONDIRENTRY
        HeaderField{"EntryWidth", "icon.ico", 6, 1, kIconSide},
        HeaderField{"EntryHeight", "icon.ico", 7, 1, kIconSide},
        HeaderField{"EntryColourCount", "icon.ico", 8, 1, 16},
        HeaderField{"EntryReserved", "icon.ico", 9, 1, 0},
        HeaderField{"EntryPlanes", "icon.ico", 10, 2, 1},
        HeaderField{"EntryBitCount", "icon.ico", 12, 2, 4},
        HeaderField{"EntryBytesInRes", "icon.ico", 14, 4, kIconFileBytes - kIconImageOffset},
        HeaderField{"EntryImageOffset", "icon.ico", 18, 4, kIconImageOffset},
        // BITMAPINFOHEADER of the embedded image
        HeaderField{"InfoHeaderSize", "icon.ico", 22, 4, 40},
        HeaderField{"InfoWidth", "icon.ico", 26, 4, kIconSide},
        HeaderField{"InfoHeightXorPlusAnd", "icon.ico", 30, 4, 2 * kIconSide},
        HeaderField{"InfoPlanes", "icon.ico", 34, 2, 1},
        HeaderField{"InfoBitCount", "icon.ico", 36, 2, 4},
        HeaderField{"InfoCompressionBiRgb", "icon.ico", 38, 4, 0},
        HeaderField{"InfoImageSize", "icon.ico", 42, 4, kIconFileBytes - kIconXorOffset}),
    fieldName);

// ---------------------------------------------------------------------------
// Banner

TEST(BannerFile, HasExactSize) {
    EXPECT_EQ(file("banner.bmp").size(), kBannerFileBytes);
}

TEST(BannerFile, StartsWithBmMagic) {
    const Bytes& bmp = file("banner.bmp");
    ASSERT_GE(bmp.size(), 2u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
}

TEST(BannerFile, ImageSizeFieldIsZeroOrExact) {
    // BI_RGB allows biSizeImage = 0; any other value must be the real size.
    const Bytes& bmp = file("banner.bmp");
    ASSERT_GE(bmp.size(), kBannerHeaderBytes);
    const std::uint32_t size = field(bmp, 34, 4);
    EXPECT_TRUE(size == 0 || size == kBannerRowBytes * kBannerHeight) << size;
}

// The last row and column meet the window's plain red and must match it.
TEST_F(BannerPixels, BottomRowIsPlainRed) {
    int wrong = 0;
    for (int x = 0; x < kBannerWidth; ++x) {
        const Rgb c = bannerPixel(bmp, x, kBannerHeight - 1);
        if (c != kBannerRed && wrong++ == 0)
            ADD_FAILURE() << "first off-colour pixel at x=" << x << ": " << c;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(BannerPixels, RightColumnIsPlainRed) {
    int wrong = 0;
    for (int y = 0; y < kBannerHeight; ++y) {
        const Rgb c = bannerPixel(bmp, kBannerWidth - 1, y);
        if (c != kBannerRed && wrong++ == 0)
            ADD_FAILURE() << "first off-colour pixel at y=" << y << ": " << c;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(BannerPixels, VisiblePartHasWhiteEmblemAndLettering) {
    // Emblem and name sit left of the category list; both are solid white.
    int emblem = 0;
    int lettering = 0;
    for (int y = 0; y < kBannerHeight; ++y) {
        for (int x = 0; x < kCoveredLeft; ++x) {
            if (bannerPixel(bmp, x, y) == kWhite)
                ++(x < 100 ? emblem : lettering);
        }
    }
    EXPECT_GT(emblem, 100);
    EXPECT_GT(lettering, 500);
}

TEST_F(BannerPixels, NothingWhiteUnderTheCategoryList) {
    // White there would be lettering hidden by the list.
    int white = 0;
    for (int y = 0; y <= kCoveredBottom; ++y)
        for (int x = kCoveredLeft; x <= kCoveredRight; ++x)
            white += bannerPixel(bmp, x, y) == kWhite;
    EXPECT_EQ(white, 0);
}

// ---------------------------------------------------------------------------
// Icon

TEST(IconFile, HasExactSize) {
    EXPECT_EQ(file("icon.ico").size(), kIconFileBytes);
}

TEST_F(IconPixels, ColoursUsedIsSixteenOrZero) {
    // 0 means "all 2^4 colours", the other value allowed for a full palette.
    const std::uint32_t used = field(ico, 54, 4);
    EXPECT_TRUE(used == 0 || used == 16) << used;
}

TEST_F(IconPixels, PaletteReservedBytesAreZero) {
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(ico[kIconPaletteOffset + static_cast<std::size_t>(i) * 4 + 3], 0)
            << "entry " << i;
}

TEST_F(IconPixels, AndMaskMakesEveryPixelOpaque) {
    for (std::size_t i = 0; i < kIconAndBytes; ++i)
        ASSERT_EQ(ico[kIconAndOffset + i], 0) << "mask byte " << i;
}

struct IconCorner {
    const char* name;
    int x;
    int y;
};

class IconCorners : public IconPixels, public ::testing::WithParamInterface<IconCorner> {};

TEST_P(IconCorners, AreWhite) {
    const IconCorner& c = GetParam();
    EXPECT_EQ(iconPixel(ico, c.x, c.y), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Icon, IconCorners,
                         ::testing::Values(IconCorner{"TopLeft", 0, 0},
                                           IconCorner{"TopRight", kIconSide - 1, 0},
                                           IconCorner{"BottomLeft", 0, kIconSide - 1},
                                           IconCorner{"BottomRight", kIconSide - 1, kIconSide - 1}),
                         [](const ::testing::TestParamInfo<IconCorner>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(IconPixels, CentreIsRed) {
    // The fan's hub covers the middle of the emblem.
    int red = 0;
    for (int y = kIconSide / 2 - 1; y <= kIconSide / 2; ++y)
        for (int x = kIconSide / 2 - 1; x <= kIconSide / 2; ++x)
            red += isRed(iconPixel(ico, x, y));
    EXPECT_GT(red, 0);
}

} // namespace
