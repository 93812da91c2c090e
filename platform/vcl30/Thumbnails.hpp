#pragma once
// Inside the platform only: thumbnails of image files for image lists.
//
// A thumbnail is a Box-sized QImage::Format_ARGB32 image holding the picture fitted into the box: at
// its own size when it fits, else scaled down with its aspect kept; centred, transparent around it.
// Scaling averages every source pixel into the thumbnail pixel it falls into (box filter), so the
// thumbnail represents the whole picture. A source pixel is transparent when its alpha is 0 or its
// colour is the mask colour; a thumbnail pixel whose source pixels are at least half transparent is
// transparent, the others average their other pixels (colour weighted by alpha).

#include "Graphics.hpp"

#include <QImage>
#include <QSize>

#include <cstddef>
#include <string>
#include <vector>

// Bytes read from a bitmap file at a time (at least one stored row).
constexpr std::size_t ThumbnailReadSize = 256 * 1024;

// The size an image of size Image takes in Box: its own when it fits, else scaled down with its
// aspect kept, at least 1 pixel each way.
QSize FittedSize(QSize Image, QSize Box);

// The thumbnail of the BMP file FileName. Pixels of MaskColor are transparent (clNone: no mask).
// Uncompressed bitmaps are reduced row by row as the file is read, ReadSize bytes at a time, so a
// large file costs a read buffer and one row, never the whole image; RLE bitmaps are read whole and
// decoded row by row. Its headers must lie within the first 4 kB. Raises EFOpenError or EInOutError
// when the file cannot be read and EInvalidGraphic when it is no valid bitmap, each naming the file.
QImage BitmapFileThumbnail(const std::string& FileName, QSize Box, TColor MaskColor,
                           std::size_t ReadSize = ThumbnailReadSize);

// The thumbnail of the ICO file FileName: of the image that best fits the box (BestThumbnailImage),
// with its own transparency (alpha or mask). Every image's header is checked, only the chosen one is
// decoded. Raises as BitmapFileThumbnail does.
QImage IconFileThumbnail(const std::string& FileName, QSize Box);

// The thumbnail of an image already decoded; pixels of MaskColor are transparent (clNone: none).
QImage ImageThumbnail(const QImage& Image, QSize Box, TColor MaskColor);

// The index of the image, of those with these sizes and bits per pixel, that best fits Box: one of
// exactly the box's size, else the smallest one larger than the box (to be scaled down), else the
// largest one that fits; the deeper colour among equals, then the first. -1 when there is none.
int BestThumbnailImage(const std::vector<QSize>& Sizes, const std::vector<int>& Depths, QSize Box);
