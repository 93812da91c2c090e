// Thumbnails of bitmap and icon files: what an image list's FileLoad adds, how pictures are fitted,
// masked and averaged, which icon image is taken, and what a thumbnail costs in memory.

#include "ControlsFixture.hpp"

#include "ComCtrls.hpp"
#include "GraphicsImage.hpp"
#include "ImageFiles.hpp"
#include "TempDir.hpp"
#include "Thumbnails.hpp"

#include <QIcon>
#include <QListWidget>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace {

const QSize Box(32, 32);
constexpr std::uint32_t Maroon = 0xFF800000;
constexpr std::uint32_t White = 0xFFFFFFFF;
constexpr std::uint32_t Blue = 0xFF0000FF;

// Where two images first differ, or "" when they are equal.
std::string Difference(const QImage& Actual, const QImage& Expected)
{
    if (Actual.size() != Expected.size()) {
        std::ostringstream Out;
        Out << "size " << Actual.width() << " x " << Actual.height() << ", expected " << Expected.width()
            << " x " << Expected.height();
        return Out.str();
    }
    for (int Y = 0; Y < Actual.height(); ++Y)
        for (int X = 0; X < Actual.width(); ++X)
            if (Actual.pixel(X, Y) != Expected.pixel(X, Y)) {
                std::ostringstream Out;
                Out << "pixel (" << X << ", " << Y << ") is 0x" << std::hex << Actual.pixel(X, Y)
                    << ", expected 0x" << Expected.pixel(X, Y);
                return Out.str();
            }
    return "";
}

QImage ToQImage(const TestImage& Image)
{
    QImage Result(Image.Width, Image.Height, QImage::Format_ARGB32);
    for (int Y = 0; Y < Image.Height; ++Y)
        for (int X = 0; X < Image.Width; ++X)
            Result.setPixel(X, Y, Image.At(X, Y));
    return Result;
}

// A Box-sized image, transparent but for Shown, which holds Inside (a solid colour) or a copy of an
// image of Shown's size.
QImage Framed(QRect Shown, const QImage& Inside)
{
    QImage Result(Box, QImage::Format_ARGB32);
    Result.fill(Qt::transparent);
    for (int Y = 0; Y < Shown.height(); ++Y)
        for (int X = 0; X < Shown.width(); ++X)
            Result.setPixel(Shown.left() + X, Shown.top() + Y, Inside.pixel(X, Y));
    return Result;
}

QImage Framed(QRect Shown, std::uint32_t Colour)
{
    QImage Inside(Shown.size(), QImage::Format_ARGB32);
    Inside.fill(Colour);
    return Framed(Shown, Inside);
}

// The growth of the process's peak resident memory while Run runs, in bytes; none where the kernel
// does not let the peak be reset.
std::optional<long> PeakMemoryGrowth(const std::function<void()>& Run)
{
    auto StatusBytes = [](const std::string& Field) {
        std::ifstream Status("/proc/self/status");
        std::string Line;
        while (std::getline(Status, Line))
            if (Line.rfind(Field, 0) == 0)
                return std::stol(Line.substr(Field.size())) * 1024;
        return -1L;
    };
    {
        std::ofstream Reset("/proc/self/clear_refs");
        Reset << "5" << std::flush;
        if (!Reset)
            return std::nullopt;
    }
    const long Before = StatusBytes("VmRSS:");
    Run();
    const long Peak = StatusBytes("VmHWM:");
    if (Before < 0 || Peak < 0)
        return std::nullopt;
    return Peak - Before;
}

// A BMP file claiming Width x Height pixels (bottom-up) with Pixels as its pixel data.
std::string ClaimedBmp(int Width, int Height, const BmpOptions& Options, const std::string& Pixels)
{
    BmpOptions Raw = Options;
    Raw.RawPixels = Pixels;
    std::string File = BmpFile(PatternImage(4, 2, 4), Raw);
    PutU32(File, BmpWidthField, static_cast<std::uint32_t>(Width));
    PutU32(File, BmpHeightField, static_cast<std::uint32_t>(Height));
    return File;
}

class ThumbnailTest : public ::testing::Test
{
protected:
    QImage Thumbnail(int Index) const
    {
        TBitmap Copy;
        List.GetBitmap(Index, &Copy);
        return BitmapImage(Copy);
    }

    std::string Bmp(const std::string& Name, const TestImage& Image, const BmpOptions& Options = {}) const
    {
        return Dir.Write(Name, BmpFile(Image, Options));
    }

    // Loads one bitmap and returns its thumbnail.
    QImage LoadBitmap(const TestImage& Image, const BmpOptions& Options = {})
    {
        const int Before = List.Count();
        EXPECT_TRUE(List.FileLoad(rtBitmap, Bmp("image.bmp", Image, Options), clMaroon));
        EXPECT_EQ(List.Count(), Before + 1);
        return List.Count() > Before ? Thumbnail(List.Count() - 1) : QImage();
    }

    TempDir Dir;
    TImageList List{nullptr};
};

TEST_F(ThumbnailTest, EachBitmapAddsOneImageAtTheEnd)
{
    const TestImage Exact = PatternImage(32, 32, 16, 1, false, 7);
    const std::string Files[] = {Bmp("wide.bmp", PatternImage(100, 50)), Bmp("small.bmp", PatternImage(8, 8)),
                                 Bmp("exact.bmp", Exact)};
    std::vector<QImage> Earlier;
    for (const std::string& File : Files) {
        EXPECT_TRUE(List.FileLoad(rtBitmap, File, clMaroon)) << File;
        ASSERT_EQ(List.Count(), static_cast<int>(Earlier.size()) + 1);
        for (std::size_t I = 0; I < Earlier.size(); ++I)
            EXPECT_EQ(Difference(Thumbnail(static_cast<int>(I)), Earlier[I]), "") << "image " << I;
        Earlier.push_back(Thumbnail(List.Count() - 1));
        EXPECT_EQ(Earlier.back().size(), Box);
    }
    // The last one is the 32 x 32 bitmap itself, its maroon pixels transparent.
    QImage Expected = ToQImage(Exact);
    for (int Y = 0; Y < 32; ++Y)
        for (int X = 0; X < 32; ++X)
            if (Exact.At(X, Y) == Maroon)
                Expected.setPixel(X, Y, 0);
    EXPECT_EQ(Difference(Earlier.back(), Expected), "");
}

struct FitCase
{
    int Width;
    int Height;
    // Where the picture lies in the thumbnail.
    QRect Shown;
};

TEST_F(ThumbnailTest, FitsTheBoxWithAspectKeptAndCentres)
{
    const FitCase Cases[] = {
        {64, 32, {0, 8, 32, 16}},
        {32, 64, {8, 0, 16, 32}},
        {32, 32, {0, 0, 32, 32}},
        {33, 20, {0, 6, 32, 19}},
        {31, 40, {3, 0, 25, 32}},
        {7, 33, {12, 0, 7, 32}},
        {1000, 1, {0, 15, 32, 1}},
        {1, 1000, {15, 0, 1, 32}},
        {400, 300, {0, 4, 32, 24}},
        // Smaller pictures keep their size.
        {10, 6, {11, 13, 10, 6}},
        {1, 1, {15, 15, 1, 1}},
        {32, 5, {0, 13, 32, 5}},
    };
    for (const FitCase& Case : Cases) {
        const QImage Image = LoadBitmap(SolidImage(Case.Width, Case.Height, Blue));
        EXPECT_EQ(Difference(Image, Framed(Case.Shown, Blue)), "") << Case.Width << " x " << Case.Height;
    }
}

// Every source pixel counts: a filter that samples would show only some of them.
TEST_F(ThumbnailTest, ScalingAveragesEverySourcePixel)
{
    struct AverageCase
    {
        const char* Name;
        int Size;
        std::function<std::uint32_t(int X, int Y)> Pixel;
        int Grey;
    };
    const AverageCase Cases[] = {
        {"alternating columns", 64, [](int X, int) { return X % 2 ? White : 0xFF000000; }, 128},
        {"one white pixel in nine", 96,
         [](int X, int Y) { return X % 3 == 1 && Y % 3 == 1 ? White : 0xFF000000; }, 28},
        {"a white corner of four in 4 x 4", 128,
         [](int X, int Y) { return X % 4 == 0 && Y % 4 == 0 ? White : 0xFF000000; }, 16},
    };
    for (const AverageCase& Case : Cases) {
        TestImage Image = SolidImage(Case.Size, Case.Size, 0);
        for (int Y = 0; Y < Case.Size; ++Y)
            for (int X = 0; X < Case.Size; ++X)
                Image.Set(X, Y, Case.Pixel(X, Y));
        const QImage Thumb = LoadBitmap(Image);
        const QRgb Grey = qRgb(Case.Grey, Case.Grey, Case.Grey);
        EXPECT_EQ(Difference(Thumb, Framed({0, 0, 32, 32}, Grey)), "") << Case.Name;
    }
}

TEST_F(ThumbnailTest, MaroonPixelsAreTransparent)
{
    // At its own size: exactly the maroon pixel; a colour next to maroon stays.
    TestImage Small = SolidImage(10, 10, White);
    Small.Set(3, 4, Maroon);
    Small.Set(5, 5, 0xFF810000);
    QImage Expected = Framed({11, 11, 10, 10}, White);
    Expected.setPixel(14, 15, 0);
    Expected.setPixel(16, 16, 0xFF810000);
    EXPECT_EQ(Difference(LoadBitmap(Small), Expected), "");

    // Scaled by 2: a block of four that is at least half maroon is transparent; the others average
    // only their other pixels.
    struct BlockCase
    {
        std::array<std::uint32_t, 4> Pixels;
        QRgb Shown;
    };
    const BlockCase Blocks[] = {
        {{Maroon, Maroon, Maroon, Maroon}, 0}, {{Maroon, Maroon, Blue, Blue}, 0},
        {{Maroon, Maroon, Maroon, Blue}, 0},   {{Maroon, White, White, White}, White},
        {{Blue, Blue, Maroon, Blue}, Blue},    {{Blue, Blue, White, White}, qRgb(128, 128, 255)},
    };
    TestImage Large = SolidImage(64, 64, White);
    Expected = Framed({0, 0, 32, 32}, White);
    for (std::size_t I = 0; I < std::size(Blocks); ++I) {
        const int X = 2 * static_cast<int>(I);
        for (std::size_t P = 0; P < 4; ++P)
            Large.Set(X + static_cast<int>(P % 2), 10 + static_cast<int>(P / 2), Blocks[I].Pixels[P]);
        Expected.setPixel(static_cast<int>(I), 5, Blocks[I].Shown);
    }
    EXPECT_EQ(Difference(LoadBitmap(Large), Expected), "");

    // Another mask colour leaves maroon as it is.
    EXPECT_TRUE(List.FileLoad(rtBitmap, Bmp("maroon.bmp", SolidImage(4, 4, Maroon)), clWhite));
    EXPECT_EQ(Difference(Thumbnail(List.Count() - 1), Framed({14, 14, 4, 4}, Maroon)), "");
}

struct IconCase
{
    const char* Name;
    std::vector<IconEntry> Entries;
    QRect Shown;
    std::uint32_t Colour;
};

IconEntry Entry(TestImage Image, int BitsPerPixel, bool Png = false)
{
    IconEntry Result;
    Result.Image = std::move(Image);
    Result.BitsPerPixel = BitsPerPixel;
    Result.Png = Png;
    return Result;
}

IconEntry Solid(int Size, std::uint32_t Colour, int BitsPerPixel = 32, bool Png = false)
{
    return Entry(SolidImage(Size, Size, Colour), BitsPerPixel, Png);
}

TEST_F(ThumbnailTest, AnIconShowsItsBestFittingImage)
{
    const std::uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00;
    const IconCase Cases[] = {
        {"exact size", {Solid(16, Red), Solid(32, Green), Solid(48, Blue)}, {0, 0, 32, 32}, Green},
        {"larger scaled down", {Solid(16, Red), Solid(48, Blue)}, {0, 0, 32, 32}, Blue},
        {"nearest larger", {Solid(64, Red), Solid(16, Green), Solid(48, Blue)}, {0, 0, 32, 32}, Blue},
        {"largest smaller", {Solid(16, Red), Solid(24, Green), Solid(8, Blue)}, {4, 4, 24, 24}, Green},
        {"deeper colour",
         {Solid(32, Red, 4), Solid(32, Green, 32), Solid(32, Blue, 8)},
         {0, 0, 32, 32},
         Green},
        {"PNG image", {Solid(16, Red), Solid(32, Green, 32, true)}, {0, 0, 32, 32}, Green},
        {"maroon stays", {Solid(32, Maroon, 8)}, {0, 0, 32, 32}, Maroon},
    };
    for (const IconCase& Case : Cases) {
        EXPECT_TRUE(List.FileLoad(rtIcon, Dir.Write("icon.ico", IcoFile(Case.Entries)), clMaroon))
            << Case.Name;
        EXPECT_EQ(Difference(Thumbnail(List.Count() - 1), Framed(Case.Shown, Case.Colour)), "") << Case.Name;
    }
    EXPECT_EQ(List.Count(), static_cast<int>(std::size(Cases)));
}

TEST_F(ThumbnailTest, AnIconKeepsItsOwnTransparency)
{
    // The AND mask of a palette image and the alpha of a 32-bit one, each at its own size.
    TestImage Masked = PatternImage(20, 20, 16);
    ClearRect(Masked, 2, 3, 5, 4);
    const TestImage Alpha = PatternImage(20, 20, 0, 1, true);
    for (const IconEntry& Icon : {Entry(Masked, 8), Entry(Alpha, 32)}) {
        EXPECT_TRUE(List.FileLoad(rtIcon, Dir.Write("icon.ico", IcoFile({Icon})), clMaroon));
        QImage Expected = ToQImage(Icon.Image);
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 20; ++X)
                if (qAlpha(Expected.pixel(X, Y)) == 0)
                    Expected.setPixel(X, Y, 0);
        EXPECT_EQ(Difference(Thumbnail(List.Count() - 1), Framed({6, 6, 20, 20}, Expected)), "")
            << Icon.BitsPerPixel << " bits";
    }
}

TEST_F(ThumbnailTest, FilesThatDoNotLoadAddNothing)
{
    ASSERT_TRUE(List.FileLoad(rtBitmap, Bmp("good.bmp", PatternImage(40, 30)), clMaroon));
    const QImage Good = Thumbnail(0);

    const std::string Bitmap = BmpFile(PatternImage(40, 30));
    std::string BadPng = IcoFile({Solid(32, Blue, 32, true)});
    BadPng.replace(BadPng.size() - 30, 10, std::string(10, '\x55'));
    std::string BadEntry = IcoFile({Solid(32, Blue), Solid(16, Blue)});
    PutU32(BadEntry, 6 + 16 + 12, 1 << 30);
    struct LoadCase
    {
        const char* Name;
        TResType ResType;
        std::optional<std::string> Bytes;
    };
    const LoadCase Cases[] = {
        {"missing.bmp", rtBitmap, std::nullopt},
        {"empty.bmp", rtBitmap, ""},
        {"text.bmp", rtBitmap, "BM this is no bitmap"},
        {"cut.bmp", rtBitmap, Bitmap.substr(0, Bitmap.size() - 100)},
        {"cutheader.bmp", rtBitmap, Bitmap.substr(0, 30)},
        {"noend.bmp", rtBitmap,
         BmpFile(PatternImage(4, 2, 4), {.BitsPerPixel = 8, .Rle = true, .RawPixels = "\4\1"})},
        {"icon.bmp", rtBitmap, IcoFile({Solid(32, Blue)})},
        {"bitmap.ico", rtIcon, Bitmap},
        {"missing.ico", rtIcon, std::nullopt},
        {"badpng.ico", rtIcon, BadPng},
        {"badentry.ico", rtIcon, BadEntry},
    };
    for (const LoadCase& Case : Cases) {
        const std::string File = Case.Bytes ? Dir.Write(Case.Name, *Case.Bytes) : Dir.File(Case.Name);
        bool Loaded = true;
        EXPECT_NO_THROW(Loaded = List.FileLoad(Case.ResType, File, clMaroon)) << Case.Name;
        EXPECT_FALSE(Loaded) << Case.Name;
    }
    // Neither a folder nor a named pipe, which would block a plain open until a writer came.
    const std::string Folder = Dir.MakeDir("folder.bmp");
    const std::string Pipe = Dir.File("pipe.bmp");
    ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
    for (const std::string& File : {Folder, Pipe})
        for (TResType ResType : {rtBitmap, rtIcon})
            EXPECT_FALSE(List.FileLoad(ResType, File, clMaroon)) << File;

    EXPECT_EQ(List.Count(), 1);
    EXPECT_EQ(Difference(Thumbnail(0), Good), "");
}

// The bitmap variants that the reader knows: reducing rows as the file is read must give what reducing
// the fully decoded image gives.
struct VariantCase
{
    std::string Name;
    BmpOptions Options;
    // Colours as PatternImage takes them (0: any), and alpha.
    int Colours = 16;
    bool Alpha = false;
    bool Holes = false;
};

std::vector<VariantCase> VariantCases()
{
    const std::array<std::uint32_t, 4> Mask565 = {0xF800, 0x07E0, 0x001F, 0};
    const std::array<std::uint32_t, 4> Mask1555 = {0x7C00, 0x03E0, 0x001F, 0x8000};
    const std::array<std::uint32_t, 4> Mask888 = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    const std::array<std::uint32_t, 4> Mask8888 = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    return {
        {.Name = "Bpp1", .Options = {.BitsPerPixel = 1}, .Colours = 2},
        {.Name = "Bpp1Core", .Options = {.BitsPerPixel = 1, .Header = BmpHeader::Core}, .Colours = 2},
        {.Name = "Bpp4", .Options = {.BitsPerPixel = 4}},
        {.Name = "Bpp4Core", .Options = {.BitsPerPixel = 4, .Header = BmpHeader::Core}},
        {.Name = "Bpp8", .Options = {.BitsPerPixel = 8}},
        {.Name = "Bpp8ShortPalette", .Options = {.BitsPerPixel = 8, .ColorsUsed = 16}},
        {.Name = "Bpp8TopDown", .Options = {.BitsPerPixel = 8, .TopDown = true}},
        {.Name = "Rle8", .Options = {.BitsPerPixel = 8, .Rle = true}, .Colours = 12, .Holes = true},
        {.Name = "Rle4", .Options = {.BitsPerPixel = 4, .Rle = true}, .Holes = true},
        {.Name = "Bpp16", .Options = {.BitsPerPixel = 16}, .Colours = 8},
        {.Name = "Bpp16BitFields565",
         .Options = {.BitsPerPixel = 16, .BitFields = true, .Masks = Mask565},
         .Colours = 8},
        {.Name = "Bpp16Alpha1555V5",
         .Options = {.BitsPerPixel = 16, .Header = BmpHeader::V5, .BitFields = true, .Masks = Mask1555},
         .Colours = 8,
         .Holes = true},
        {.Name = "Bpp24", .Options = {.BitsPerPixel = 24}},
        {.Name = "Bpp24TopDown", .Options = {.BitsPerPixel = 24, .TopDown = true}},
        {.Name = "Bpp24Core", .Options = {.BitsPerPixel = 24, .Header = BmpHeader::Core}},
        {.Name = "Bpp24V5", .Options = {.BitsPerPixel = 24, .Header = BmpHeader::V5}},
        {.Name = "Bpp32Alpha", .Options = {.BitsPerPixel = 32}, .Alpha = true},
        {.Name = "Bpp32AlphaTopDown", .Options = {.BitsPerPixel = 32, .TopDown = true}, .Alpha = true},
        {.Name = "Bpp32ZeroAlpha", .Options = {.BitsPerPixel = 32, .ZeroAlpha = true}, .Alpha = true},
        {.Name = "Bpp32BitFields",
         .Options = {.BitsPerPixel = 32, .BitFields = true, .Masks = Mask888},
         .Alpha = true},
        {.Name = "Bpp32AlphaBitFields",
         .Options = {.BitsPerPixel = 32, .BitFields = true, .Masks = Mask8888},
         .Alpha = true},
    };
}

void PrintTo(const VariantCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class BmpVariantThumbnail : public testing::TestWithParam<VariantCase>
{
};

TEST_P(BmpVariantThumbnail, StreamedEqualsFullyDecoded)
{
    const VariantCase& Case = GetParam();
    TempDir Dir;
    // Scaled down (larger than the first read, so rows are read in turn; and a width that leaves
    // every shorter run of pixels at the end of a row), and at its own size.
    for (const QSize Size : {QSize(300, 150), QSize(59, 40), QSize(21, 13)}) {
        TestImage Image = PatternImage(Size.width(), Size.height(), Case.Colours, 1, Case.Alpha);
        if (Case.Holes)
            ClearRect(Image, 5, 2, Size.width() / 2, Size.height() / 3);
        const std::string File = Dir.Write(Case.Name + ".bmp", BmpFile(Image, Case.Options));
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(File);
        const QImage Decoded = DecodeBmpImage(Bytes, File);
        const QImage Expected = ImageThumbnail(Decoded, Box, clMaroon);
        // One row per read, a few rows per read, the whole file at once.
        for (std::size_t ReadSize : {std::size_t(1), std::size_t(700), ThumbnailReadSize})
            EXPECT_EQ(Difference(BitmapFileThumbnail(File, Box, clMaroon, ReadSize), Expected), "")
                << Size.width() << " x " << Size.height() << ", reading " << ReadSize << " bytes at a time";
        TImageList List(nullptr);
        ASSERT_TRUE(List.FileLoad(rtBitmap, File, clMaroon));
        TBitmap Copy;
        List.GetBitmap(0, &Copy);
        EXPECT_EQ(Difference(BitmapImage(Copy), Expected), "") << "FileLoad";
    }
}

INSTANTIATE_TEST_SUITE_P(Thumbnails, BmpVariantThumbnail, testing::ValuesIn(VariantCases()),
                         [](const testing::TestParamInfo<VariantCase>& Info) { return Info.param.Name; });

TEST(ImageThumbnail, KeepsAnImageThatFitsAsItIs)
{
    // Decoded pixels, alpha included, pass unchanged but for maroon and alpha 0.
    const QImage Decoded = ToQImage(PatternImage(21, 13, 16, 1, true));
    QImage Expected = Decoded;
    for (int Y = 0; Y < 13; ++Y)
        for (int X = 0; X < 21; ++X)
            if (qAlpha(Expected.pixel(X, Y)) == 0 || (Expected.pixel(X, Y) & RGB_MASK) == (Maroon & RGB_MASK))
                Expected.setPixel(X, Y, 0);
    EXPECT_EQ(Difference(ImageThumbnail(Decoded, Box, clMaroon), Framed({5, 9, 21, 13}, Expected)), "");
}

// A bitmap may claim far more pixels than its file holds; nothing is allocated for them.
TEST_F(ThumbnailTest, HugeClaimedSizesCostNoMemory)
{
    constexpr long Allowed = 16 << 20;
    struct HugeCase
    {
        const char* Name;
        std::string Bytes;
        bool Loads;
    };
    const std::string Pixels24(2048 * 2048 * 3, '\x40');
    std::vector<HugeCase> Cases = {
        {"wider than any bitmap", ClaimedBmp(70000, 10, {}, std::string(30, '\0')), false},
        {"more pixels than any bitmap", ClaimedBmp(10000, 10000, {}, std::string(30, '\0')), false},
        {"pixels missing", ClaimedBmp(8192, 8192, {}, std::string(3000, '\0')), false},
        // Valid, and all transparent: one end-of-bitmap escape for 16 million pixels.
        {"compressed", ClaimedBmp(4096, 4096, {.BitsPerPixel = 8, .Rle = true}, std::string("\0\1", 2)),
         true},
        // Valid, 12 MB of grey pixels: read in pieces, never whole.
        {"large", ClaimedBmp(2048, 2048, {}, Pixels24), true},
    };
    for (HugeCase& Case : Cases) {
        const std::string File = Dir.Write("huge.bmp", Case.Bytes);
        Case.Bytes.clear();
        Case.Bytes.shrink_to_fit();
        const int Before = List.Count();
        bool Loaded = !Case.Loads;
        const std::optional<long> Growth =
            PeakMemoryGrowth([&] { Loaded = List.FileLoad(rtBitmap, File, clMaroon); });
        EXPECT_EQ(Loaded, Case.Loads) << Case.Name;
        EXPECT_EQ(List.Count(), Before + (Case.Loads ? 1 : 0)) << Case.Name;
        if (Growth) {
            EXPECT_LT(*Growth, Allowed) << Case.Name;
        }
    }
    ASSERT_EQ(List.Count(), 2);
    EXPECT_EQ(Difference(Thumbnail(0), Framed({0, 0, 32, 32}, 0u)), "");
    EXPECT_EQ(Difference(Thumbnail(1), Framed({0, 0, 32, 32}, qRgb(0x40, 0x40, 0x40))), "");
    if (!PeakMemoryGrowth([] {}))
        GTEST_SKIP() << "the peak memory cannot be reset here; only the results were checked";
}

class ThumbnailViewTest : public ControlsTest
{
};

TEST_F(ThumbnailViewTest, ItemsShowTheirThumbnails)
{
    TempDir Dir;
    auto* Images = new TImageList(Form.get());
    auto* View = Make<TListView>(Form.get(), "View");
    View->SetBounds(0, 0, 300, 200);
    View->SetLargeImages(Images);
    TestImage Picture = PatternImage(64, 48);
    ClearRect(Picture, 0, 0, 20, 20);
    const std::string Files[] = {Dir.Write("a.bmp", BmpFile(Picture, {.BitsPerPixel = 32})),
                                 Dir.Write("b.ico", IcoFile({Solid(16, Blue), Solid(32, Maroon)})),
                                 Dir.Write("c.bmp", "not a bitmap")};
    for (const std::string& File : Files) {
        TListItem* Item = View->Items()->Add();
        Item->SetCaption(File);
        const int C = Images->Count();
        Images->FileLoad(File.ends_with(".ico") ? rtIcon : rtBitmap, File, clMaroon);
        if (Images->Count() > C)
            Item->SetImageIndex(C);
    }
    ShowForm();
    auto* Widget = WidgetOf<QListWidget>(View);
    ASSERT_EQ(Widget->count(), 3);
    for (int I = 0; I < 2; ++I) {
        const QIcon Icon = Widget->item(I)->icon();
        ASSERT_FALSE(Icon.isNull()) << I;
        TBitmap Expected;
        Images->GetBitmap(I, &Expected);
        EXPECT_EQ(Difference(Icon.pixmap(Box).toImage().convertToFormat(QImage::Format_ARGB32),
                             BitmapImage(Expected)),
                  "")
            << I;
    }
    EXPECT_TRUE(Widget->item(2)->icon().isNull());
}

} // namespace
