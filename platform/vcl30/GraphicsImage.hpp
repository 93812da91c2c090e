#pragma once
// Inside the platform only: the pixels and records behind TBitmap, TIcon and TMetafile, for the
// units that paint them. Product code sees Graphics.hpp alone.

#include "Graphics.hpp"
#include "ImageCodecs.hpp"

#include <QImage>

#include <array>
#include <memory>
#include <vector>

struct TMetafileData
{
    // The file's bytes, shared between copies; null when the metafile is empty.
    std::shared_ptr<const std::vector<std::uint8_t>> Bytes;
    TMetafileKind Kind = mkEnhanced;
    std::array<int, 4> Bounds{};
    int Width = 0;
    int Height = 0;
};

// One structure serves the three graphics; each uses its own part. QImage shares its pixels between
// copies until one of them is written, so copying this is cheap.
struct TImageData
{
    // TBitmap: QImage::Format_ARGB32, null when empty.
    QImage Bitmap;
    // TIcon: every image of the file in its order, each QImage::Format_ARGB32, and its bits per pixel.
    std::vector<QImage> IconImages;
    std::vector<int> IconDepths;
    // TMetafile.
    TMetafileData Metafile;
};

// The bitmap's pixels (null when empty).
const QImage& BitmapImage(const TBitmap& Bitmap);
// Replaces the bitmap's pixels, converting them to QImage::Format_ARGB32; fires OnChange.
void SetBitmapImage(TBitmap& Bitmap, QImage Image);

// The icon's images in file order.
const std::vector<QImage>& IconImages(const TIcon& Icon);
// The index of the image that best fits a PreferredSize square (-1 for an empty icon): the nearest
// in size, then the larger, then the deeper in colour.
int BestIconIndex(const TIcon& Icon, int PreferredSize);
// That image, or a null QImage for an empty icon.
QImage IconImage(const TIcon& Icon, int PreferredSize);

// Decodes a whole BMP file; raises EInvalidGraphic naming SourceName.
QImage DecodeBmpImage(TByteSpan Data, const std::string& SourceName);

// A colour as an opaque QRgb; system colours take the classic Windows scheme, clNone is transparent.
QRgb ColorToRgb(TColor Color);
