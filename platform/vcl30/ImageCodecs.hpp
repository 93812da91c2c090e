#pragma once
// Readers of BMP, ICO, EMF and WMF data held in memory. Every field and region is checked against the
// data's bounds; anything invalid raises EInvalidGraphic naming the source and what is wrong.

#include "SysUtils.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

using TByteSpan = std::span<const std::uint8_t>;

// Images beyond these sizes are refused before anything is allocated for them. 2^26 pixels (256 MB
// at 32 bits, 8192 by 8192) bounds what a small, highly compressed file can make a reader allocate.
constexpr int MaxImageSide = 65535;
constexpr std::int64_t MaxImagePixels = std::int64_t(1) << 26;

// Compression values of a BMP info header.
enum TBmpCompression : std::uint32_t
{
    bcRgb = 0,
    bcRle8 = 1,
    bcRle4 = 2,
    bcBitFields = 3,
    bcAlphaBitFields = 6,
};

// A BMP image as its headers describe it. Offsets are into the data the header was read from.
struct TBmpInfo
{
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    std::uint32_t Compression = bcRgb;
    // Rows stored top row first (a negative height in the header).
    bool TopDown = false;
    // 12 for the old core header, else the info header's size (40, 108, 124, ...).
    std::uint32_t HeaderSize = 0;
    // The colour table as 0xAARRGGBB, for 1, 4 and 8 bits per pixel; may be shorter than 2^bpp.
    std::vector<std::uint32_t> Palette;
    // Red, green, blue and alpha masks of 16 and 32 bit pixels (alpha 0: none).
    std::array<std::uint32_t, 4> Masks{};
    std::size_t PixelOffset = 0;
    // Bytes from PixelOffset that the pixel data may occupy.
    std::size_t PixelSize = 0;
    // Bytes per stored row of uncompressed pixels, padding included.
    std::size_t Stride = 0;
};

// Receives one decoded row: Y counts from the top, Row holds Width pixels 0xAARRGGBB (alpha not
// premultiplied). The buffer is reused for the next row.
using TBmpRowSink = std::function<void(int Y, const std::uint32_t* Row)>;

// Reads and checks the file header, info header and colour table of a BMP file.
TBmpInfo ReadBmpHeader(TByteSpan Data, const std::string& SourceName);

// The same for a file of FileSize bytes of which Head holds the first ones, for readers that take
// the pixels from the file as they go: the headers and colour table must lie within Head, the pixel
// data is checked against FileSize.
TBmpInfo ReadBmpHeader(TByteSpan Head, std::size_t FileSize, const std::string& SourceName);

// Decodes stored rows of an uncompressed BMP (no RLE) one at a time, from wherever they are read.
// Info must outlive the decoder.
class TBmpPlainRows
{
public:
    // AlphaUsed: 16 and 32 bit pixels take their alpha from the alpha channel, else they are opaque.
    TBmpPlainRows(const TBmpInfo& Info, bool AlphaUsed);

    // Bytes of a stored row without its padding.
    std::size_t RowBytes() const;
    // True when the info describes an alpha channel (16 and 32 bits per pixel only).
    bool HasAlphaChannel() const;
    // True when a pixel of the stored row sets the alpha channel.
    bool RowSetsAlpha(const std::uint8_t* Stored) const;
    // Info.Width pixels 0xAARRGGBB from a stored row of RowBytes bytes.
    void Decode(const std::uint8_t* Stored, std::uint32_t* Out) const;

private:
    // One colour channel of 16 and 32 bit pixels: its mask, where it starts and its largest value.
    struct TChannel
    {
        TChannel() = default;
        explicit TChannel(std::uint32_t AMask);
        std::uint32_t Mask = 0;
        int Shift = 0;
        std::uint64_t Max = 0;
        // The channel scaled to 0..255, or Default when the channel is absent.
        std::uint32_t Value(std::uint32_t Pixel, std::uint32_t Default) const
        {
            if (Max == 0)
                return Default;
            const std::uint64_t V = (Pixel & Mask) >> Shift;
            return static_cast<std::uint32_t>(Max == 255 ? V : (V * 255 + Max / 2) / Max);
        }
    };
    std::uint32_t Colour(std::uint32_t Index) const
    {
        return Index < FInfo.Palette.size() ? FInfo.Palette[Index] : 0xFF000000;
    }
    std::uint32_t RawPixel(const std::uint8_t* Row, int X) const
    {
        const std::uint8_t* P = Row + (FInfo.BitsPerPixel == 16 ? 2 : 4) * static_cast<std::size_t>(X);
        return FInfo.BitsPerPixel == 16 ? std::uint32_t(P[0] | P[1] << 8)
                                        : std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 |
                                              std::uint32_t(P[2]) << 16 | std::uint32_t(P[3]) << 24;
    }
    const TBmpInfo& FInfo;
    std::array<TChannel, 4> FChannels;
    bool FAlphaUsed;
};

// Decodes the pixels of Data, described by Info from ReadBmpHeader, one row at a time, top row first.
// The data is checked in full before the first row is delivered, so an invalid file delivers none.
// Only one row is held at a time. Pixels that compressed data leaves out are transparent black.
void DecodeBmpRows(TByteSpan Data, const TBmpInfo& Info, const TBmpRowSink& Sink,
                   const std::string& SourceName);

// One image of an ICO file's directory. Width and Height are those the directory states.
struct TIcoEntry
{
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    bool Png = false;
    TByteSpan Bytes;
};

// Reads and checks an ICO file's header and directory.
std::vector<TIcoEntry> ReadIcoDirectory(TByteSpan Data, const std::string& SourceName);

// Reads and checks a BMP-encoded icon image: an info header with doubled height, the colour image,
// then a 1-bit mask. The result describes the colour image.
TBmpInfo ReadIconBitmapHeader(TByteSpan Entry, const std::string& SourceName);

// Decodes a BMP-encoded icon image like DecodeBmpRows. A 32-bit image uses its alpha; other depths,
// and 32-bit images whose alpha is all zero, are transparent where the mask is set.
void DecodeIconBitmapRows(TByteSpan Entry, const TBmpInfo& Info, const TBmpRowSink& Sink,
                          const std::string& SourceName);

// The size that a PNG stream's header states, checked against the limits above.
struct TImageSize
{
    int Width = 0;
    int Height = 0;
};
TImageSize ReadPngSize(TByteSpan Data, const std::string& SourceName);

// The header of an enhanced (EMF) or Windows (WMF) metafile.
struct TMetafileHeader
{
    bool Enhanced = false;
    // EMF: the bounds rectangle in device pixels, inclusive. WMF with a placeable header: its bounding
    // box in metafile units; without: 0, 0 and the window extent.
    std::array<int, 4> Bounds{};
    // The size in pixels (96 per inch for a placeable WMF).
    int Width = 0;
    int Height = 0;
};

// Recognises an EMF or WMF file, reads its header and checks that its records lie within the data
// up to the end-of-file record.
TMetafileHeader ReadMetafileHeader(TByteSpan Data, const std::string& SourceName);
