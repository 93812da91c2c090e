#include "Graphics.hpp"
#include "ImageCodecs.hpp"

#include "ImageFiles.hpp"
#include "TempDir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <sstream>

namespace {

std::uint32_t Argb(TColor Color, int Alpha)
{
    const auto C = static_cast<std::uint32_t>(Color);
    return static_cast<std::uint32_t>(Alpha) << 24 | (C & 0xFF) << 16 | (C & 0xFF00) | ((C >> 16) & 0xFF);
}

std::string Hex(std::uint32_t Value)
{
    std::ostringstream Out;
    Out << std::hex << Value;
    return Out.str();
}

// Compares every pixel that Get reports with Expected; reports the first few differences.
void ExpectPixels(int Width, int Height, const std::function<std::uint32_t(int, int)>& Get,
                  const TestImage& Expected)
{
    ASSERT_EQ(Width, Expected.Width);
    ASSERT_EQ(Height, Expected.Height);
    int Differences = 0;
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            if (Get(X, Y) != Expected.At(X, Y)) {
                ADD_FAILURE() << "pixel (" << X << ", " << Y << ") is " << Hex(Get(X, Y)) << ", expected "
                              << Hex(Expected.At(X, Y));
                if (++Differences == 5)
                    return;
            }
}

void ExpectBitmap(const TBitmap& Bitmap, const TestImage& Expected)
{
    ExpectPixels(
        Bitmap.Width(), Bitmap.Height(),
        [&](int X, int Y) { return Argb(Bitmap.Pixel(X, Y), Bitmap.Alpha(X, Y)); }, Expected);
}

void ExpectIconImage(const TIcon& Icon, int Index, const TestImage& Expected)
{
    SCOPED_TRACE("icon image " + std::to_string(Index));
    ExpectPixels(
        Icon.ImageWidth(Index), Icon.ImageHeight(Index),
        [&](int X, int Y) { return Argb(Icon.Pixel(Index, X, Y), Icon.Alpha(Index, X, Y)); }, Expected);
}

TestImage Opaque(TestImage Image)
{
    for (std::uint32_t& P : Image.Pixels)
        P |= 0xFF000000;
    return Image;
}

// Left half in runs of five, right half changing at every pixel: both kinds of RLE encoding.
TestImage RunsAndNoise(int Width, int Height, int Colours)
{
    TestImage Image = PatternImage(Width, Height, Colours, 1, false, 7);
    const TestImage Runs = PatternImage(Width, Height, Colours, 5, false, 8);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width / 2; ++X)
            Image.Set(X, Y, Runs.At(X, Y));
    return Image;
}

// Holes that the RLE writer leaves out: with a delta across rows, at a row's end, at a row's start,
// and the top rows, which the end-of-bitmap escape leaves out.
TestImage WithHoles(TestImage Image)
{
    ClearRect(Image, 0, 0, Image.Width, 2);
    ClearRect(Image, 10, 3, 10, 4);
    ClearRect(Image, Image.Width - 6, 8, 6, 1);
    ClearRect(Image, 0, 9, 4, 1);
    return Image;
}

std::vector<std::uint8_t> Bytes(const std::string& S)
{
    return {S.begin(), S.end()};
}

struct BmpCase
{
    std::string Name;
    TestImage Image;
    BmpOptions Options;
    // What the reader must show; the written image when empty.
    TestImage Expected;
};

std::vector<BmpCase> BmpCases()
{
    const TestImage Colours16 = PatternImage(13, 7, 16);
    const TestImage Colours8 = PatternImage(13, 7, 8);
    const TestImage Full = PatternImage(13, 7, 0);
    const TestImage Alpha = PatternImage(13, 7, 0, 1, true);
    TestImage Alpha1555 = Colours8;
    ClearRect(Alpha1555, 2, 1, 5, 3);
    const std::array<std::uint32_t, 4> Mask565 = {0xF800, 0x07E0, 0x001F, 0};
    const std::array<std::uint32_t, 4> Mask1555 = {0x7C00, 0x03E0, 0x001F, 0x8000};
    const std::array<std::uint32_t, 4> Mask888 = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    const std::array<std::uint32_t, 4> Mask8888 = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const std::array<std::uint32_t, 4> Mask101010 = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};
    const std::array<std::uint32_t, 4> MaskBgr = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};

    std::vector<BmpCase> Cases = {
        {"Bpp1", PatternImage(13, 7, 2), {.BitsPerPixel = 1}, {}},
        {"Bpp1Wide", PatternImage(35, 3, 2), {.BitsPerPixel = 1}, {}},
        {"Bpp1Core", PatternImage(9, 5, 2), {.BitsPerPixel = 1, .Header = BmpHeader::Core}, {}},
        {"Bpp1TopDown", PatternImage(9, 6, 2), {.BitsPerPixel = 1, .TopDown = true}, {}},
        {"Bpp4", Colours16, {.BitsPerPixel = 4}, {}},
        {"Bpp4ShortPalette", PatternImage(13, 7, 5), {.BitsPerPixel = 4, .ColorsUsed = 5}, {}},
        {"Bpp4Core", Colours16, {.BitsPerPixel = 4, .Header = BmpHeader::Core}, {}},
        {"Bpp8", Full, {.BitsPerPixel = 8}, {}},
        {"Bpp8ShortPalette", Full, {.BitsPerPixel = 8, .ColorsUsed = 100}, {}},
        {"Bpp8Core", Full, {.BitsPerPixel = 8, .Header = BmpHeader::Core}, {}},
        {"Bpp8TopDown", Full, {.BitsPerPixel = 8, .TopDown = true}, {}},
        {"Bpp8V4", Full, {.BitsPerPixel = 8, .Header = BmpHeader::V4}, {}},
        {"Bpp8V5", Full, {.BitsPerPixel = 8, .Header = BmpHeader::V5}, {}},
        {"Rle8", RunsAndNoise(40, 9, 12), {.BitsPerPixel = 8, .Rle = true}, {}},
        {"Rle8LongRuns", PatternImage(600, 3, 4, 600), {.BitsPerPixel = 8, .Rle = true}, {}},
        {"Rle8Escapes", WithHoles(RunsAndNoise(40, 12, 12)), {.BitsPerPixel = 8, .Rle = true}, {}},
        {"Rle4", RunsAndNoise(40, 9, 16), {.BitsPerPixel = 4, .Rle = true}, {}},
        {"Rle4OddWidth", RunsAndNoise(13, 5, 16), {.BitsPerPixel = 4, .Rle = true}, {}},
        {"Rle4Escapes", WithHoles(RunsAndNoise(41, 12, 16)), {.BitsPerPixel = 4, .Rle = true}, {}},
        {"Bpp16Rgb555", Colours8, {.BitsPerPixel = 16}, {}},
        {"Bpp16BitFields565", Colours8, {.BitsPerPixel = 16, .BitFields = true, .Masks = Mask565}, {}},
        {"Bpp16BitFields565V4",
         Colours8,
         {.BitsPerPixel = 16, .Header = BmpHeader::V4, .BitFields = true, .Masks = Mask565},
         {}},
        {"Bpp16Alpha1555V5",
         Alpha1555,
         {.BitsPerPixel = 16, .Header = BmpHeader::V5, .BitFields = true, .Masks = Mask1555},
         {}},
        {"Bpp24", Full, {.BitsPerPixel = 24}, {}},
        {"Bpp24Width1", PatternImage(1, 5, 0), {.BitsPerPixel = 24}, {}},
        {"Bpp24TopDown", Full, {.BitsPerPixel = 24, .TopDown = true}, {}},
        {"Bpp24Core", Full, {.BitsPerPixel = 24, .Header = BmpHeader::Core}, {}},
        {"Bpp24V4", Full, {.BitsPerPixel = 24, .Header = BmpHeader::V4}, {}},
        {"Bpp24V5", Full, {.BitsPerPixel = 24, .Header = BmpHeader::V5}, {}},
        {"Bpp32Alpha", Alpha, {.BitsPerPixel = 32}, {}},
        {"Bpp32AlphaTopDownV5", Alpha, {.BitsPerPixel = 32, .Header = BmpHeader::V5, .TopDown = true}, {}},
        // A zero fourth byte throughout is no alpha: the image is opaque.
        {"Bpp32ZeroAlpha", Alpha, {.BitsPerPixel = 32, .ZeroAlpha = true}, Opaque(Alpha)},
        {"Bpp32BitFields", Alpha, {.BitsPerPixel = 32, .BitFields = true, .Masks = Mask888}, Opaque(Alpha)},
        {"Bpp32AlphaBitFields", Alpha, {.BitsPerPixel = 32, .BitFields = true, .Masks = Mask8888}, {}},
        {"Bpp32BitFieldsV5",
         Alpha,
         {.BitsPerPixel = 32, .Header = BmpHeader::V5, .BitFields = true, .Masks = Mask8888},
         {}},
        {"Bpp32TenBitFields", Full, {.BitsPerPixel = 32, .BitFields = true, .Masks = Mask101010}, {}},
        {"Bpp32BgrBitFields", Full, {.BitsPerPixel = 32, .BitFields = true, .Masks = MaskBgr}, {}},
    };
    for (BmpCase& Case : Cases)
        if (Case.Expected.Pixels.empty())
            Case.Expected = Case.Image;
    return Cases;
}

void PrintTo(const BmpCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class BmpVariant : public testing::TestWithParam<BmpCase>
{
};

TEST_P(BmpVariant, LoadsEveryPixel)
{
    const BmpCase& Case = GetParam();
    TempDir Dir;
    const std::string File = Dir.Write(Case.Name + ".bmp", BmpFile(Case.Image, Case.Options));
    TPicture Picture;
    Picture.LoadFromFile(File);
    auto* Bitmap = dynamic_cast<TBitmap*>(Picture.Graphic());
    ASSERT_NE(Bitmap, nullptr);
    EXPECT_FALSE(Bitmap->Empty());
    EXPECT_EQ(Picture.Width(), Case.Image.Width);
    EXPECT_EQ(Picture.Height(), Case.Image.Height);
    ExpectBitmap(*Bitmap, Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Graphics, BmpVariant, testing::ValuesIn(BmpCases()),
                         [](const testing::TestParamInfo<BmpCase>& Info) { return Info.param.Name; });

TEST(BmpRows, ArriveTopRowFirstForBothRowOrders)
{
    const TestImage Image = RunsAndNoise(21, 6, 8);
    for (const BmpOptions& Options : {BmpOptions{.BitsPerPixel = 8, .Rle = true},
                                      BmpOptions{.BitsPerPixel = 24, .TopDown = true}, BmpOptions{}}) {
        const std::string File = BmpFile(Image, Options);
        const TByteSpan Data(reinterpret_cast<const std::uint8_t*>(File.data()), File.size());
        const TBmpInfo Info = ReadBmpHeader(Data, "rows.bmp");
        std::vector<int> Order;
        DecodeBmpRows(
            Data, Info,
            [&](int Y, const std::uint32_t* Row) {
                Order.push_back(Y);
                for (int X = 0; X < Image.Width; ++X)
                    ASSERT_EQ(Row[X], Image.At(X, Y)) << "row " << Y << ", column " << X;
            },
            "rows.bmp");
        EXPECT_EQ(Order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    }
}

// An RLE8 file whose stored rows are Runs runs of 250 pixels of colour index (run + row / 1000) % 4,
// with the colours black, white, red and green; written without holding the image.
std::string LargeRle8(int Runs, int Height)
{
    std::string Stream;
    for (int Row = 0; Row < Height; ++Row) {
        for (int Run = 0; Run < Runs; ++Run) {
            Stream += static_cast<char>(250);
            Stream += static_cast<char>((Run + Row / 1000) % 4);
        }
        Stream += std::string("\0\0", 2);
    }
    Stream += std::string("\0\1", 2);
    TestImage Colours = SolidImage(4, 1, 0xFF000000);
    Colours.Set(1, 0, 0xFFFFFFFF);
    Colours.Set(2, 0, 0xFFFF0000);
    Colours.Set(3, 0, 0xFF00FF00);
    std::string File =
        BmpFile(Colours, {.BitsPerPixel = 8, .Rle = true, .ColorsUsed = 4, .RawPixels = Stream});
    PutU32(File, BmpWidthField, static_cast<std::uint32_t>(Runs * 250));
    PutU32(File, BmpHeightField, static_cast<std::uint32_t>(Height));
    return File;
}

TEST(BmpRows, StreamLargeImageIntoThumbnail)
{
    const std::string File = LargeRle8(16, 3000);
    const TByteSpan Data(reinterpret_cast<const std::uint8_t*>(File.data()), File.size());
    const TBmpInfo Info = ReadBmpHeader(Data, "large.bmp");
    ASSERT_EQ(Info.Width, 4000);
    ASSERT_EQ(Info.Height, 3000);
    std::vector<std::uint32_t> Thumbnail(32 * 32, 0);
    int Rows = 0;
    DecodeBmpRows(
        Data, Info,
        [&](int Y, const std::uint32_t* Row) {
            ++Rows;
            for (int X = 0; X < 32; ++X)
                Thumbnail[static_cast<std::size_t>(Y * 32 / 3000 * 32 + X)] = Row[X * 4000 / 32];
        },
        "large.bmp");
    EXPECT_EQ(Rows, 3000);
    // The top image row is stored last (row 2999: index offset 2); the bottom one first (offset 0).
    EXPECT_EQ(Thumbnail[0], 0xFFFF0000u);
    EXPECT_EQ(Thumbnail[31 * 32], 0xFF000000u);
    EXPECT_EQ(Thumbnail[31 * 32 + 31], 0xFF00FF00u);
}

TEST(BmpRows, InvalidDataDeliversNoRow)
{
    // Four valid rows, then a run past the end of the fifth.
    std::string Stream;
    for (int Row = 0; Row < 4; ++Row)
        Stream += std::string("\x04\x01\0\0", 4);
    Stream += std::string("\x05\x01\0\1", 4);
    const std::string File =
        BmpFile(PatternImage(4, 5, 4), {.BitsPerPixel = 8, .Rle = true, .RawPixels = Stream});
    const TByteSpan Data(reinterpret_cast<const std::uint8_t*>(File.data()), File.size());
    const TBmpInfo Info = ReadBmpHeader(Data, "late.bmp");
    int Rows = 0;
    EXPECT_THROW(DecodeBmpRows(
                     Data, Info, [&](int, const std::uint32_t*) { ++Rows; }, "late.bmp"),
                 EInvalidGraphic);
    EXPECT_EQ(Rows, 0);
}

TEST(Icon, LoadsEveryImageOfBothEncodings)
{
    TestImage Mono = PatternImage(16, 16, 2);
    ClearRect(Mono, 0, 0, 4, 4);
    TestImage Four = PatternImage(32, 32, 15);
    ClearRect(Four, 28, 0, 4, 32);
    TestImage True = PatternImage(48, 48, 0);
    ClearRect(True, 5, 40, 30, 8);
    TestImage Masked32 = PatternImage(20, 20, 0);
    ClearRect(Masked32, 3, 3, 5, 5);
    TestImage Small = PatternImage(16, 16, 0);
    ClearRect(Small, 15, 0, 1, 16);
    const std::vector<IconEntry> Entries = {
        {Mono, 1},
        {Four, 4},
        {PatternImage(24, 24, 16), 8},
        {True, 24},
        {PatternImage(32, 32, 0, 1, true), 32},
        // All alpha zero: transparency comes from the mask.
        {Masked32, 32, false, true},
        {PatternImage(256, 256, 0, 1, true), 32, true},
        {Small, 32, true},
    };
    TempDir Dir;
    TPicture Picture;
    Picture.LoadFromFile(Dir.Write("several.ico", IcoFile(Entries)));
    auto* Icon = dynamic_cast<TIcon*>(Picture.Graphic());
    ASSERT_NE(Icon, nullptr);
    EXPECT_FALSE(Icon->Empty());
    ASSERT_EQ(Icon->ImageCount(), static_cast<int>(Entries.size()));
    for (std::size_t I = 0; I < Entries.size(); ++I)
        ExpectIconImage(*Icon, static_cast<int>(I), Entries[I].Image);
    EXPECT_EQ(Picture.Width(), 32);
    EXPECT_EQ(Picture.Height(), 32);
}

TEST(Icon, SizeIsThatOfTheImageNearest32)
{
    struct Case
    {
        std::vector<int> Sizes;
        int Expected;
    };
    const Case Cases[] = {{{16}, 16}, {{16, 48}, 48}, {{256, 16, 40}, 40}, {{64, 24}, 24}};
    TempDir Dir;
    for (const Case& C : Cases) {
        std::vector<IconEntry> Entries;
        for (int Size : C.Sizes)
            Entries.push_back({PatternImage(Size, Size, 0), 24});
        TIcon Icon;
        Icon.LoadFromFile(Dir.Write("sizes.ico", IcoFile(Entries)));
        EXPECT_EQ(Icon.Width(), C.Expected);
        EXPECT_EQ(Icon.Height(), C.Expected);
    }
}

TEST(Icon, ImageAccessOutOfRangeRaises)
{
    TIcon Icon;
    EXPECT_TRUE(Icon.Empty());
    EXPECT_EQ(Icon.Width(), 0);
    EXPECT_THROW(Icon.ImageWidth(0), EListError);
    Icon.LoadFromBytes(Bytes(IcoFile({{PatternImage(4, 3, 0), 24}})), "one.ico");
    EXPECT_THROW(Icon.ImageHeight(1), EListError);
    EXPECT_THROW(Icon.Pixel(-1, 0, 0), EListError);
    EXPECT_THROW(Icon.Pixel(0, 4, 0), EListError);
    EXPECT_THROW(Icon.Alpha(0, 0, 3), EListError);
}

TEST(Metafile, ReadsSizeFromTheHeader)
{
    struct Case
    {
        std::string Name;
        std::string Bytes;
        TMetafileKind Kind;
        std::vector<int> Bounds;
        int Width;
        int Height;
    };
    const Case Cases[] = {
        {"drawing.emf", EmfFile(10, 20, 109, 69), mkEnhanced, {10, 20, 109, 69}, 100, 50},
        {"NEGATIVE.EMF", EmfFile(-50, -10, 49, 9), mkEnhanced, {-50, -10, 49, 9}, 100, 20},
        {"blank.emf", EmfFile(0, 0, -1, -1), mkEnhanced, {0, 0, -1, -1}, 0, 0},
        {"placeable.wmf",
         WmfFile({.Placeable = true, .Right = 2880, .Bottom = 1440, .UnitsPerInch = 1440}),
         mkWindows,
         {0, 0, 2880, 1440},
         192,
         96},
        {"offset.Wmf",
         WmfFile(
             {.Placeable = true, .Left = 100, .Top = 50, .Right = 400, .Bottom = 200, .UnitsPerInch = 576}),
         mkWindows,
         {100, 50, 400, 200},
         50,
         25},
        {"plain.wmf",
         WmfFile({.WindowWidth = 300, .WindowHeight = 200}),
         mkWindows,
         {0, 0, 300, 200},
         300,
         200},
        {"noextent.wmf", WmfFile({}), mkWindows, {0, 0, 0, 0}, 0, 0},
    };
    TempDir Dir;
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TPicture Picture;
        Picture.LoadFromFile(Dir.Write(C.Name, C.Bytes));
        auto* Metafile = dynamic_cast<TMetafile*>(Picture.Graphic());
        ASSERT_NE(Metafile, nullptr);
        EXPECT_FALSE(Metafile->Empty());
        EXPECT_EQ(Metafile->Kind(), C.Kind);
        EXPECT_EQ(Metafile->Bounds(), C.Bounds);
        EXPECT_EQ(Metafile->Width(), C.Width);
        EXPECT_EQ(Metafile->Height(), C.Height);
        EXPECT_EQ(Picture.Width(), C.Width);
        EXPECT_EQ(Metafile->Bytes(), Bytes(C.Bytes));
    }
    TMetafile Empty;
    EXPECT_TRUE(Empty.Empty());
    EXPECT_TRUE(Empty.Bytes().empty());
}

// A bad file: its name in the folder, its contents, and what the message must say.
struct BadCase
{
    std::string Name;
    std::function<std::string(const TempDir&)> Make;
    std::string Reason;
    bool OpenError = false;
};

std::function<std::string(const TempDir&)> Writes(const std::string& Name, const std::string& Contents)
{
    return [Name, Contents](const TempDir& Dir) { return Dir.Write(Name, Contents); };
}

std::string Patched32(std::string Bytes, std::size_t Offset, std::uint32_t Value)
{
    PutU32(Bytes, Offset, Value);
    return Bytes;
}

std::string Patched16(std::string Bytes, std::size_t Offset, std::uint16_t Value)
{
    PutU16(Bytes, Offset, Value);
    return Bytes;
}

std::string Rle8File(const std::string& Stream)
{
    return BmpFile(PatternImage(4, 2, 4), {.BitsPerPixel = 8, .Rle = true, .RawPixels = Stream});
}

std::vector<BadCase> BadCases()
{
    const std::string Bmp = BmpFile(PatternImage(13, 7, 16), {.BitsPerPixel = 8});
    const std::string Bmp24 = BmpFile(PatternImage(13, 7, 0));
    const std::string Ico =
        IcoFile({{PatternImage(16, 16, 0), 24}, {PatternImage(32, 32, 0, 1, true), 32, true}});
    // The PNG image is the second: its data starts after the first entry's.
    const std::size_t PngOffset =
        static_cast<std::uint8_t>(Ico[6 + 16 + 12]) | static_cast<std::uint8_t>(Ico[6 + 16 + 13]) << 8;
    std::string CorruptPng = Ico;
    for (std::size_t I = PngOffset + 40; I < PngOffset + 80; ++I)
        CorruptPng[I] = '\x5A';
    std::string Emf = EmfFile(0, 0, 99, 99);
    std::string Wmf = WmfFile({.WindowWidth = 10, .WindowHeight = 10});
    using std::string;
    return {
        {"empty.bmp", Writes("empty.bmp", ""), "empty file"},
        {"head.bmp", Writes("head.bmp", Bmp.substr(0, 10)), "truncated file header"},
        {"info.bmp", Writes("info.bmp", Bmp.substr(0, 30)), "truncated info header"},
        {"table.bmp", Writes("table.bmp", Bmp.substr(0, 14 + 40 + 100)), "truncated colour table"},
        {"pixels.bmp", Writes("pixels.bmp", Bmp.substr(0, Bmp.size() - 20)), "truncated pixel data"},
        {"magic.bmp", Writes("magic.bmp", "BX" + Bmp.substr(2)), "not a bitmap file (bad signature)"},
        {"png.bmp", Writes("png.bmp", PngFile(PatternImage(2, 2, 0))), "bad signature"},
        {"huge.bmp",
         Writes("huge.bmp", Patched32(Patched32(Bmp24, BmpWidthField, 100000), BmpHeightField, 100000)),
         "image too large (100000 x 100000)"},
        {"many.bmp",
         Writes("many.bmp", Patched32(Patched32(Bmp24, BmpWidthField, 20000), BmpHeightField, 20000)),
         "image too large"},
        {"claims.bmp", Writes("claims.bmp", Patched32(Bmp24, BmpWidthField, 3000)), "truncated pixel data"},
        {"offset.bmp", Writes("offset.bmp", Patched32(Bmp24, BmpPixelOffsetField, 1u << 30)),
         "lies outside the file"},
        {"inside.bmp", Writes("inside.bmp", Patched32(Bmp24, BmpPixelOffsetField, 20)),
         "lies inside the header"},
        {"width0.bmp", Writes("width0.bmp", Patched32(Bmp24, BmpWidthField, 0)), "bad image size (0 x 7)"},
        {"height0.bmp", Writes("height0.bmp", Patched32(Bmp24, BmpHeightField, 0)), "bad image size"},
        {"negwidth.bmp", Writes("negwidth.bmp", Patched32(Bmp24, BmpWidthField, 0xFFFFFFF0)),
         "bad image size"},
        {"bpp7.bmp", Writes("bpp7.bmp", Patched16(Bmp24, BmpBitCountField, 7)),
         "unsupported bits per pixel (7)"},
        {"rle24.bmp", Writes("rle24.bmp", Patched32(Bmp24, BmpCompressionField, 1)),
         "compression 1 does not fit 24 bits per pixel"},
        {"jpeg.bmp", Writes("jpeg.bmp", Patched32(Bmp24, BmpCompressionField, 4)),
         "unsupported compression (4)"},
        {"rletop.bmp",
         Writes("rletop.bmp",
                Patched32(Rle8File(string("\x04\x01\0\0\x04\x01\0\1", 8)), BmpHeightField, 0xFFFFFFFE)),
         "top-down"},
        {"header20.bmp", Writes("header20.bmp", Patched32(Bmp24, 14, 20)),
         "unsupported info header size (20)"},
        {"mask.bmp",
         Writes("mask.bmp",
                BmpFile(PatternImage(3, 3, 0), {.BitsPerPixel = 32,
                                                .BitFields = true,
                                                .Masks = {0x00FF00FF, 0x0000FF00, 0x000000FF, 0}})),
         "non-contiguous colour mask 0xFF00FF"},
        {"run.bmp", Writes("run.bmp", Rle8File(string("\x05\x01\0\1", 4))),
         "RLE data writes outside the image"},
        {"literal.bmp", Writes("literal.bmp", Rle8File(string("\0\x05\1\2\3\1\2\0\0\1", 10))),
         "RLE data writes outside the image"},
        {"rows.bmp", Writes("rows.bmp", Rle8File(string("\x04\x01\0\0\x04\x01\0\0\x04\x01\0\1", 12))),
         "RLE data writes outside the image (row 2"},
        {"delta.bmp", Writes("delta.bmp", Rle8File(string("\0\x02\x03\x05\0\1", 6))),
         "RLE delta moves outside"},
        {"noend.bmp", Writes("noend.bmp", Rle8File(string("\x04\x01\0\0", 4))), "truncated RLE data"},
        {"cutliteral.bmp", Writes("cutliteral.bmp", Rle8File(string("\0\x04\1\2", 4))), "truncated RLE data"},
        {"dir.ico", Writes("dir.ico", Ico.substr(0, 10)), "truncated icon directory"},
        {"type.ico", Writes("type.ico", Patched16(Ico, 2, 2)), "not an icon file"},
        {"reserved.ico", Writes("reserved.ico", Patched16(Ico, 0, 1)), "not an icon file"},
        {"none.ico", Writes("none.ico", Patched16(Ico, 4, 0)), "icon file has no images"},
        {"outside.ico", Writes("outside.ico", Patched32(Ico, 6 + 12, 1u << 20)),
         "image 1 lies outside the file"},
        {"cut.ico", Writes("cut.ico", Ico.substr(0, Ico.size() - 30)), "image 2 lies outside the file"},
        {"entrybpp.ico", Writes("entrybpp.ico", Patched16(Ico, 6 + 32 + 14, 7)),
         "image 1: unsupported bits per pixel (7)"},
        {"badpng.ico", Writes("badpng.ico", CorruptPng), "image 2: invalid PNG data"},
        {"hugepng.ico", Writes("hugepng.ico", Patched32(Ico, PngOffset + 16, 0xA0860100)),
         "image 2: image too large (100000 x 32)"},
        {"sig.emf", Writes("sig.emf", Patched32(Emf, 40, 0)), "not an enhanced metafile (bad signature)"},
        {"short.emf", Writes("short.emf", Emf.substr(0, 60)), "truncated EMF header"},
        {"cut.emf", Writes("cut.emf", Emf.substr(0, 100)), "truncated EMF record at offset 88"},
        {"noeof.emf", Writes("noeof.emf", Emf.substr(0, 88)), "no end-of-file record"},
        {"inch.wmf",
         Writes("inch.wmf", WmfFile({.Placeable = true, .Right = 10, .Bottom = 10, .UnitsPerInch = 0})),
         "bad units per inch (0)"},
        {"noeof.wmf", Writes("noeof.wmf", Wmf.substr(0, Wmf.size() - 6)), "no end-of-file record"},
        {"junk.wmf", Writes("junk.wmf", "hello, world"), "not a metafile"},
        {"picture.xyz", Writes("picture.xyz", Bmp), "Unknown picture file extension (.xyz)"},
        {"bitmap", Writes("bitmap", Bmp), "Unknown picture file extension (none)"},
        {"missing.bmp", [](const TempDir& Dir) { return Dir.File("missing.bmp"); },
         "No such file or directory", true},
        {"folder.bmp", [](const TempDir& Dir) { return Dir.MakeDir("folder.bmp"); }, "Is a directory", true},
    };
}

void PrintTo(const BadCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class BadFile : public testing::TestWithParam<BadCase>
{
};

TEST_P(BadFile, RaisesNamingTheFileAndKeepsThePicture)
{
    const BadCase& Case = GetParam();
    TempDir Dir;
    const TestImage Image = PatternImage(5, 4, 0);
    TPicture Picture;
    Picture.LoadFromFile(Dir.Write("good.bmp", BmpFile(Image)));
    TGraphic* Before = Picture.Graphic();
    int Changes = 0;
    Picture.OnChange = [&](TObject*) { ++Changes; };

    const std::string File = Case.Make(Dir);
    try {
        Picture.LoadFromFile(File);
        ADD_FAILURE() << "loading " << File << " did not raise";
    } catch (const Exception& E) {
        EXPECT_EQ(dynamic_cast<const EFOpenError*>(&E) != nullptr, Case.OpenError) << E.Message();
        EXPECT_EQ(dynamic_cast<const EInvalidGraphic*>(&E) != nullptr, !Case.OpenError) << E.Message();
        EXPECT_NE(E.Message().find(File), std::string::npos) << E.Message();
        EXPECT_NE(E.Message().find(Case.Reason), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Picture.Graphic(), Before);
    EXPECT_EQ(Changes, 0);
    ExpectBitmap(*Picture.Bitmap(), Image);
}

INSTANTIATE_TEST_SUITE_P(Graphics, BadFile, testing::ValuesIn(BadCases()),
                         [](const testing::TestParamInfo<BadCase>& Info) {
                             std::string Name = Info.param.Name;
                             for (char& C : Name)
                                 if (!std::isalnum(static_cast<unsigned char>(C)))
                                     C = '_';
                             return Name;
                         });

TEST(BadFile, GraphicKeepsItsContentsToo)
{
    const TestImage Image = PatternImage(3, 3, 0);
    TBitmap Bitmap;
    Bitmap.LoadFromBytes(Bytes(BmpFile(Image)), "good.bmp");
    EXPECT_THROW(Bitmap.LoadFromBytes(Bytes(BmpFile(Image).substr(0, 60)), "bad.bmp"), EInvalidGraphic);
    ExpectBitmap(Bitmap, Image);
    TIcon Icon;
    Icon.LoadFromBytes(Bytes(IcoFile({{Image, 24}})), "good.ico");
    EXPECT_THROW(Icon.LoadFromBytes(Bytes(IcoFile({{Image, 24}, {Image, 32}}).substr(0, 100)), "bad.ico"),
                 EInvalidGraphic);
    EXPECT_EQ(Icon.ImageCount(), 1);
    TMetafile Metafile;
    Metafile.LoadFromBytes(Bytes(EmfFile(0, 0, 9, 9)), "good.emf");
    EXPECT_THROW(Metafile.LoadFromBytes(Bytes("nonsense"), "bad.emf"), EInvalidGraphic);
    EXPECT_EQ(Metafile.Width(), 10);
}

class PictureTest : public testing::Test
{
protected:
    TempDir Dir;
    const TestImage Image = PatternImage(6, 5, 0);
    std::string BmpPath = Dir.Write("picture.bmp", BmpFile(Image));
    std::string IcoPath = Dir.Write("picture.ico", IcoFile({{PatternImage(16, 16, 0), 24}}));
    std::string EmfPath = Dir.Write("picture.emf", EmfFile(0, 0, 9, 19));
};

TEST_F(PictureTest, AccessorOfAnotherClassReplacesTheGraphic)
{
    TPicture Picture;
    Picture.LoadFromFile(IcoPath);
    int Changes = 0;
    Picture.OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &Picture);
        ++Changes;
    };
    TBitmap* Bitmap = Picture.Bitmap();
    EXPECT_EQ(Picture.Graphic(), Bitmap);
    EXPECT_TRUE(Bitmap->Empty());
    EXPECT_EQ(Picture.Width(), 0);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(Picture.Bitmap(), Bitmap);
    EXPECT_EQ(Changes, 1);

    TMetafile* Metafile = Picture.Metafile();
    EXPECT_EQ(Picture.Graphic(), Metafile);
    EXPECT_TRUE(Metafile->Empty());
    TIcon* Icon = Picture.Icon();
    EXPECT_TRUE(Icon->Empty());
    EXPECT_EQ(Changes, 3);
}

TEST_F(PictureTest, EmptyPicture)
{
    TPicture Picture;
    EXPECT_EQ(Picture.Graphic(), nullptr);
    EXPECT_EQ(Picture.Width(), 0);
    EXPECT_EQ(Picture.Height(), 0);
    TBitmap* Bitmap = Picture.Bitmap();
    ASSERT_NE(Bitmap, nullptr);
    EXPECT_TRUE(Bitmap->Empty());
    Picture.Assign(nullptr);
    EXPECT_EQ(Picture.Graphic(), nullptr);
}

TEST_F(PictureTest, AssignGivesAnIndependentCopy)
{
    TPicture Source;
    Source.LoadFromFile(BmpPath);
    TPicture Copy;
    int Changes = 0;
    Copy.OnChange = [&](TObject*) { ++Changes; };
    Copy.Assign(&Source);
    EXPECT_EQ(Changes, 1);
    ASSERT_NE(Copy.Graphic(), nullptr);
    EXPECT_NE(Copy.Graphic(), Source.Graphic());
    ExpectBitmap(*Copy.Bitmap(), Image);

    Copy.Bitmap()->SetPixel(0, 0, clRed);
    EXPECT_EQ(Changes, 2) << "the picture follows its graphic's changes";
    EXPECT_EQ(Copy.Bitmap()->Pixel(0, 0), clRed);
    ExpectBitmap(*Source.Bitmap(), Image);
    Source.Bitmap()->SetPixel(1, 1, clBlue);
    EXPECT_EQ(Copy.Bitmap()->Pixel(1, 1), ColorOf(Image.At(1, 1)));

    Copy.Assign(nullptr);
    EXPECT_EQ(Copy.Graphic(), nullptr);
    TFont Font;
    EXPECT_THROW(Copy.Assign(&Font), EConvertError);
}

TEST_F(PictureTest, SetGraphicKeepsItsOwnCopy)
{
    TBitmap Bitmap;
    Bitmap.LoadFromFile(BmpPath);
    TPicture Picture;
    Picture.SetBitmap(&Bitmap);
    EXPECT_NE(Picture.Graphic(), &Bitmap);
    Bitmap.SetPixel(0, 0, clRed);
    ExpectBitmap(*Picture.Bitmap(), Image);

    TIcon Icon;
    Icon.LoadFromFile(IcoPath);
    Picture.Assign(&Icon);
    ASSERT_NE(dynamic_cast<TIcon*>(Picture.Graphic()), nullptr);
    EXPECT_EQ(Picture.Width(), 16);
    Picture.SetGraphic(nullptr);
    EXPECT_EQ(Picture.Graphic(), nullptr);
}

TEST_F(PictureTest, GraphicAssignsFromAPictureOfItsClass)
{
    TPicture Picture;
    Picture.LoadFromFile(BmpPath);
    TBitmap Bitmap;
    Bitmap.Assign(&Picture);
    ExpectBitmap(Bitmap, Image);
    EXPECT_NE(&Bitmap, Picture.Graphic());

    TIcon Icon;
    EXPECT_THROW(Icon.Assign(&Picture), EConvertError);
    Picture.LoadFromFile(IcoPath);
    Icon.Assign(&Picture);
    EXPECT_EQ(Icon.ImageCount(), 1);
    EXPECT_THROW(Bitmap.Assign(&Picture), EConvertError);
    ExpectBitmap(Bitmap, Image);
}

TEST_F(PictureTest, ExtensionPicksTheClassWhateverItsCase)
{
    const std::string Bmp = BmpFile(Image);
    const std::pair<std::string, const TTypeInfo*> Cases[] = {
        {Dir.Write("UPPER.BMP", Bmp), TBitmap::TypeInfo()},
        {Dir.Write("Mixed.Bmp", Bmp), TBitmap::TypeInfo()},
        {Dir.Write("ICON.ICO", IcoFile({{Image, 8}})), TIcon::TypeInfo()},
        {Dir.Write("dots.in.name.EmF", EmfFile(0, 0, 1, 1)), TMetafile::TypeInfo()},
        {Dir.Write("old.WMF", WmfFile({})), TMetafile::TypeInfo()},
    };
    for (const auto& [File, Class] : Cases) {
        TPicture Picture;
        int Changes = 0;
        Picture.OnChange = [&](TObject*) { ++Changes; };
        Picture.LoadFromFile(File);
        ASSERT_NE(Picture.Graphic(), nullptr) << File;
        EXPECT_EQ(Picture.Graphic()->ClassInfo(), Class) << File;
        EXPECT_EQ(Changes, 1) << File;
    }
}

TEST(Bitmap, SizeAndPixels)
{
    TBitmap Bitmap;
    EXPECT_TRUE(Bitmap.Empty());
    EXPECT_EQ(Bitmap.Width(), 0);
    int Changes = 0;
    Bitmap.OnChange = [&](TObject*) { ++Changes; };
    Bitmap.SetSize(3, 2);
    EXPECT_FALSE(Bitmap.Empty());
    EXPECT_EQ(Bitmap.Width(), 3);
    EXPECT_EQ(Bitmap.Height(), 2);
    EXPECT_EQ(Bitmap.Pixel(2, 1), clWhite);
    EXPECT_EQ(Bitmap.Alpha(2, 1), 255);

    const std::pair<TColor, std::uint32_t> Colours[] = {
        {clRed, 0xFFFF0000},    {0x123456, 0xFF563412},     {clBtnFace, 0xFFC0C0C0},
        {clWindow, 0xFFFFFFFF}, {clWindowText, 0xFF000000}, {clNone, 0x00000000},
    };
    for (const auto& [Color, Expected] : Colours) {
        Bitmap.SetPixel(1, 0, Color);
        EXPECT_EQ(Argb(Bitmap.Pixel(1, 0), Bitmap.Alpha(1, 0)), Expected)
            << Hex(static_cast<std::uint32_t>(Color));
    }
    EXPECT_EQ(Changes, 1 + 6);

    for (auto [X, Y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}}) {
        EXPECT_THROW(Bitmap.Pixel(X, Y), EListError);
        EXPECT_THROW(Bitmap.SetPixel(X, Y, clRed), EListError);
    }
    EXPECT_THROW(Bitmap.SetSize(-1, 2), EInvalidGraphicOperation);
    EXPECT_THROW(Bitmap.SetSize(100000, 100000), EInvalidGraphicOperation);
    EXPECT_EQ(Bitmap.Width(), 3);
    Bitmap.SetSize(0, 0);
    EXPECT_TRUE(Bitmap.Empty());
    EXPECT_THROW(Bitmap.Alpha(0, 0), EListError);
}

TEST(Bitmap, AssignCopiesOnWrite)
{
    const TestImage Image = PatternImage(4, 4, 0, 1, true);
    TBitmap Source;
    Source.LoadFromBytes(Bytes(BmpFile(Image, {.BitsPerPixel = 32})), "source.bmp");
    TBitmap Copy;
    Copy.Assign(&Source);
    ExpectBitmap(Copy, Image);
    Copy.SetPixel(0, 0, clGreen);
    ExpectBitmap(Source, Image);
    Source.SetPixel(3, 3, clGreen);
    EXPECT_EQ(Copy.Pixel(3, 3), ColorOf(Image.At(3, 3)));

    TIcon Icon;
    EXPECT_THROW(Copy.Assign(&Icon), EConvertError);
    EXPECT_THROW(Icon.Assign(&Copy), EConvertError);
    Copy.Assign(nullptr);
    EXPECT_TRUE(Copy.Empty());
}

TEST(Font, PublishedPropertiesAndChanges)
{
    TFont Font;
    int Changes = 0;
    Font.OnChange = [&](TObject*) { ++Changes; };
    const TPropInfo* Style = GetPropInfo(TFont::TypeInfo(), "style");
    ASSERT_NE(Style, nullptr);
    EXPECT_EQ(Style->PropType, FontStylesTypeInfo());
    SetOrdProp(&Font, Style, TFontStyles{fsBold, fsUnderline}.Mask());
    EXPECT_TRUE(Font.Style().Contains(fsUnderline));
    EXPECT_FALSE(Font.Style().Contains(fsItalic));
    EXPECT_EQ(GetOrdProp(&Font, Style).Ordinal,
              static_cast<std::int64_t>(TFontStyles{fsBold, fsUnderline}.Mask()));
    SetOrdProp(&Font, GetPropInfo(TFont::TypeInfo(), "Color"), clRed);
    SetStrProp(&Font, GetPropInfo(TFont::TypeInfo(), "Name"), "Arial");
    SetOrdProp(&Font, GetPropInfo(TFont::TypeInfo(), "Height"), -13);
    SetOrdProp(&Font, GetPropInfo(TFont::TypeInfo(), "Charset"), std::int64_t(0));
    EXPECT_EQ(Changes, 5);
    Font.SetName("Arial");
    EXPECT_EQ(Changes, 5) << "setting the same value is no change";
    EXPECT_EQ(GetPropInfo(TFont::TypeInfo(), "Color")->PropType, ColorTypeInfo());

    TFont Copy;
    Copy.Assign(&Font);
    EXPECT_EQ(Copy.Name(), "Arial");
    EXPECT_EQ(Copy.Height(), -13);
    EXPECT_EQ(Copy.Color(), clRed);
    EXPECT_EQ(Copy.Style(), Font.Style());
    EXPECT_EQ(Copy.Charset(), 0);
    TBitmap Bitmap;
    EXPECT_THROW(Copy.Assign(&Bitmap), EConvertError);
}

TEST(TypeInfo, ColoursStylesAndRegisteredClasses)
{
    const TTypeInfo* Color = ColorTypeInfo();
    EXPECT_EQ(Color->Name, "TColor");
    EXPECT_EQ(Color->Kind, tkInteger);
    auto Ident = std::find_if(Color->Idents.begin(), Color->Idents.end(),
                              [](const auto& I) { return I.first == "clBtnFace"; });
    ASSERT_NE(Ident, Color->Idents.end());
    EXPECT_EQ(Ident->second, clBtnFace);
    EXPECT_EQ(Color->Idents.size(), 13u);
    EXPECT_EQ(FontStylesTypeInfo()->Kind, tkSet);
    EXPECT_EQ(GetEnumName(FontStylesTypeInfo(), fsStrikeOut), "fsStrikeOut");
    for (const TTypeInfo* Class : {TFont::TypeInfo(), TBitmap::TypeInfo(), TIcon::TypeInfo(),
                                   TMetafile::TypeInfo(), TPicture::TypeInfo()})
        EXPECT_EQ(FindClass(Class->Name), Class) << Class->Name;
    EXPECT_TRUE(TBitmap::TypeInfo()->InheritsFrom(TGraphic::TypeInfo()));
    EXPECT_TRUE(TPicture::TypeInfo()->InheritsFrom(TPersistent::TypeInfo()));
}

TEST(ReadFileBytes, ReadsWholeFilesAndNamesFailures)
{
    TempDir Dir;
    std::string Contents;
    for (int I = 0; I < 200000; ++I)
        Contents += static_cast<char>(I * 7);
    EXPECT_EQ(ReadFileBytes(Dir.Write("data.bin", Contents)), Bytes(Contents));
    EXPECT_TRUE(ReadFileBytes(Dir.Write("empty.bin", "")).empty());
    const std::string Missing = Dir.File("nowhere/missing.bin");
    try {
        ReadFileBytes(Missing);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const EFOpenError& E) {
        EXPECT_NE(E.Message().find(Missing), std::string::npos) << E.Message();
        EXPECT_NE(E.Message().find("No such file or directory"), std::string::npos) << E.Message();
    }
}

} // namespace
