#pragma once
// Writers of real image files for tests: BMP in its variants, ICO, PNG, EMF and WMF, and test
// patterns whose pixels a test compares with what a reader decodes. Each writer returns the file's
// bytes; TempDir::Write puts them on disk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An image as 0xAARRGGBB pixels (alpha not premultiplied), top row first.
struct TestImage
{
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;

    std::uint32_t At(int X, int Y) const;
    void Set(int X, int Y, std::uint32_t Argb);
};

// The colour of a pixel as 0x00BBGGRR (red in the lowest byte), and its alpha.
std::int32_t ColorOf(std::uint32_t Argb);
int AlphaOf(std::uint32_t Argb);

// A Width x Height pattern of pseudo-random pixels that differs under any flip or shift.
// Colours 1..16 draws from a fixed table whose first 8 entries use only the components 0 and 255
// (exact at 5 and 6 bits); 0 allows any colour. Each pixel repeats RunLength times along its row.
// WithAlpha varies alpha, 0 and 255 included; otherwise every pixel is opaque.
TestImage PatternImage(int Width, int Height, int Colours = 16, int RunLength = 1, bool WithAlpha = false,
                       std::uint32_t Seed = 1);
TestImage SolidImage(int Width, int Height, std::uint32_t Argb);
// Makes the pixels of a rectangle fully transparent (0x00000000).
void ClearRect(TestImage& Image, int Left, int Top, int Width, int Height);

enum class BmpHeader
{
    Core,
    Info,
    V4,
    V5
};

struct BmpOptions
{
    int BitsPerPixel = 24;
    // Core: 12 bytes with 3-byte colour entries; Info: 40; V4: 108; V5: 124.
    BmpHeader Header = BmpHeader::Info;
    bool TopDown = false;
    // RLE8 at 8 bits per pixel, RLE4 at 4. Transparent pixels are left out with delta, end-of-line and
    // end-of-bitmap escapes.
    bool Rle = false;
    // 16 and 32 bits per pixel: bit fields with Masks (red, green, blue, alpha); all zero means 5-6-5
    // for 16 bits and 8-8-8-8 for 32. With the Info header a non-zero alpha mask writes four masks
    // (compression 6), else three.
    bool BitFields = false;
    std::array<std::uint32_t, 4> Masks{};
    // Entries of the colour table, also written as the colours used; 0 writes 2^bpp and states 0.
    int ColorsUsed = 0;
    // 32 bits without bit fields: 0 in every fourth byte instead of the alpha.
    bool ZeroAlpha = false;
    // Written as the pixel data instead of the encoded image, when not empty.
    std::string RawPixels{};
};

// A BMP file of Image. Colour tables hold the image's colours in order of first appearance.
std::string BmpFile(const TestImage& Image, const BmpOptions& Options = {});

// Offsets of BMP fields, for tests that corrupt them.
constexpr std::size_t BmpPixelOffsetField = 10;
constexpr std::size_t BmpWidthField = 18;
constexpr std::size_t BmpHeightField = 22;
constexpr std::size_t BmpBitCountField = 28;
constexpr std::size_t BmpCompressionField = 30;
constexpr std::size_t BmpColorsUsedField = 46;

struct IconEntry
{
    TestImage Image;
    // BMP-encoded: 1, 4, 8, 24 or 32 bits per pixel; transparent pixels set the mask.
    int BitsPerPixel = 32;
    bool Png = false;
    // 32 bits: write 0 as every alpha, leaving transparency to the mask.
    bool ZeroAlpha = false;
};

std::string IcoFile(const std::vector<IconEntry>& Entries);
std::string PngFile(const TestImage& Image);

// A minimal enhanced metafile: its header with these bounds and the end-of-file record.
std::string EmfFile(int Left, int Top, int Right, int Bottom);

struct WmfOptions
{
    // With the placeable header: its bounding box and units per inch.
    bool Placeable = false;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int UnitsPerInch = 1440;
    // A SetWindowExt record with this extent, when either is non-zero.
    int WindowWidth = 0;
    int WindowHeight = 0;
};

// A Windows metafile: optional placeable header, the standard header, a few records and the end.
std::string WmfFile(const WmfOptions& Options);

// Little-endian stores into file bytes, for tests that corrupt a field.
void PutU16(std::string& Bytes, std::size_t Offset, std::uint16_t Value);
void PutU32(std::string& Bytes, std::size_t Offset, std::uint32_t Value);
