#include "Thumbnails.hpp"

#include "GraphicsImage.hpp"
#include "ImageCodecs.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

// The loops that touch every byte of a bitmap or every pixel of a thumbnail have AVX2 versions on
// x86-64, chosen when the processor has it: written for it (the widest), or compiled twice from one
// source, for AVX2 and for the baseline, the library's loader choosing (VECTOR_KERNEL). AVX2 code
// matters beyond its width: its SSE instructions are VEX-encoded, and legacy-encoded ones run several
// times slower while another part of the process (AVX-512 string functions of the C library, for one)
// has left the upper vector registers in use. An attribute cannot be given by a function, hence the
// macro.
#if defined(__x86_64__)
#define VECTOR_KERNEL [[gnu::target_clones("avx2", "default")]]
#else
#define VECTOR_KERNEL
#endif

namespace {

// The file header, info header and colour table of a bitmap must lie within this many bytes: they
// take little more than a kilobyte unless the info header states a size of kilobytes, which no
// writer does.
constexpr std::size_t BmpHeadSize = 4096;
// Compared with a pixel's colour bits; greater than any of them, so it matches none.
constexpr std::uint32_t NoMaskKey = 0x1000000;

std::uint32_t MaskKey(TColor MaskColor)
{
    return MaskColor == clNone ? NoMaskKey : ColorToRgb(MaskColor) & RGB_MASK;
}

// Sums of the source pixels of one thumbnail pixel that are not transparent: their count, their
// alpha and their alpha-weighted colours.
struct TSum
{
    std::uint64_t Count = 0, A = 0, R = 0, G = 0, B = 0;
};

void Add(TSum& Sum, const TSum& Part)
{
    Sum.Count += Part.Count;
    Sum.A += Part.A;
    Sum.R += Part.R;
    Sum.G += Part.G;
    Sum.B += Part.B;
}

#if defined(__x86_64__)
// Whether the processor runs the AVX2 loops, asked once.
const bool Avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

// AddRowBytes for as many strips of 32 bytes as Size holds; returns where it stopped.
[[gnu::target("avx2")]] std::size_t AddRowBytesAvx2(std::uint16_t* Sums, std::size_t Size,
                                                    const std::uint8_t* First, std::size_t Stride, int Rows)
{
    std::size_t J = 0;
    for (; J + 32 <= Size; J += 32) {
        auto* Low = reinterpret_cast<__m256i*>(Sums + J);
        auto* High = reinterpret_cast<__m256i*>(Sums + J + 16);
        __m256i LowSums = _mm256_loadu_si256(Low);
        __m256i HighSums = _mm256_loadu_si256(High);
        const std::uint8_t* P = First + J;
        for (int R = 0; R < Rows; ++R, P += Stride) {
            LowSums = _mm256_add_epi16(
                LowSums, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P))));
            HighSums = _mm256_add_epi16(
                HighSums, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16))));
        }
        _mm256_storeu_si256(Low, LowSums);
        _mm256_storeu_si256(High, HighSums);
    }
    return J;
}

// CountKeyPixels for as many blocks of 32 pixels as Width holds; returns where it stopped. Pixel
// starts are every third bit of the 96-bit mask of the bytes equal to the key's.
[[gnu::target("avx2")]] int CountKeyPixelsAvx2(const std::uint8_t* Row, int Width, const std::uint8_t* Key,
                                               std::uint32_t* Counts, int Columns)
{
    auto Count = [&](int X) { ++Counts[((std::int64_t(X) + 1) * Columns - 1) / Width]; };
    int X = 0;
    for (; X + 32 <= Width; X += 32) {
        const std::uint8_t* P = Row + 3 * static_cast<std::size_t>(X);
        std::uint32_t Equal[3];
        for (int V = 0; V < 3; ++V)
            Equal[V] = static_cast<std::uint32_t>(_mm256_movemask_epi8(
                _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(P + 32 * V)),
                                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Key + 32 * V)))));
        // Pixels 0 to 21 start in the low word (the last one reaching into the high word), pixels 22
        // to 31 in the high word.
        const std::uint64_t Low = Equal[0] | std::uint64_t(Equal[1]) << 32;
        const std::uint64_t High = Equal[2];
        std::uint64_t LowHits = Low & (Low >> 1 | High << 63) & (Low >> 2 | High << 62) & 0x9249249249249249;
        std::uint64_t HighHits = High & (High >> 1) & (High >> 2) & 0x24924924;
        for (; LowHits != 0; LowHits &= LowHits - 1)
            Count(X + std::countr_zero(LowHits) / 3);
        for (; HighHits != 0; HighHits &= HighHits - 1)
            Count(X + (64 + std::countr_zero(HighHits)) / 3);
    }
    return X;
}
#endif

// Adds the bytes of Rows rows, Stride bytes apart from First, to Sums[0, Size): a strip of bytes
// through all rows at a time, so that the sums are read and written once per call, not once per row.
// The widest strips the processor takes first, then 16 bytes, then one.
void AddRowBytes(std::uint16_t* Sums, std::size_t Size, const std::uint8_t* First, std::size_t Stride,
                 int Rows)
{
    std::size_t J = 0;
#if defined(__x86_64__)
    if (Avx2)
        J = AddRowBytesAvx2(Sums, Size, First, Stride, Rows);
#endif
#if defined(__SSE2__)
    const __m128i Zero = _mm_setzero_si128();
    for (; J + 16 <= Size; J += 16) {
        auto* Low = reinterpret_cast<__m128i*>(Sums + J);
        auto* High = reinterpret_cast<__m128i*>(Sums + J + 8);
        __m128i LowSums = _mm_loadu_si128(Low);
        __m128i HighSums = _mm_loadu_si128(High);
        const std::uint8_t* P = First + J;
        for (int R = 0; R < Rows; ++R, P += Stride) {
            const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
            LowSums = _mm_add_epi16(LowSums, _mm_unpacklo_epi8(Bytes, Zero));
            HighSums = _mm_add_epi16(HighSums, _mm_unpackhi_epi8(Bytes, Zero));
        }
        _mm_storeu_si128(Low, LowSums);
        _mm_storeu_si128(High, HighSums);
    }
#endif
    for (; J < Size; ++J) {
        std::uint32_t Sum = Sums[J];
        for (int R = 0; R < Rows; ++R)
            Sum += First[static_cast<std::size_t>(R) * Stride + J];
        Sums[J] = static_cast<std::uint16_t>(Sum);
    }
}

// Counts the pixels of Row, Width 24-bit pixels, whose three bytes are those of Key (96 bytes: the
// key's blue, green and red repeated) into Counts, by the column of Columns that each falls into.
// The widest blocks of pixels the processor takes first, then 16 pixels, then one.
void CountKeyPixels(const std::uint8_t* Row, int Width, const std::uint8_t* Key, std::uint32_t* Counts,
                    int Columns)
{
    auto Count = [&](int X) { ++Counts[((std::int64_t(X) + 1) * Columns - 1) / Width]; };
    int X = 0;
#if defined(__x86_64__)
    if (Avx2)
        X = CountKeyPixelsAvx2(Row, Width, Key, Counts, Columns);
#endif
#if defined(__SSE2__)
    for (; X + 16 <= Width; X += 16) {
        const std::uint8_t* P = Row + 3 * static_cast<std::size_t>(X);
        std::uint64_t Equal = 0;
        for (int V = 0; V < 3; ++V) {
            const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 16 * V));
            const __m128i Keys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Key + 16 * V));
            Equal |= std::uint64_t(static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(Bytes, Keys))))
                     << (16 * V);
        }
        for (std::uint64_t Hits = Equal & (Equal >> 1) & (Equal >> 2) & 0x249249249249; Hits != 0;
             Hits &= Hits - 1)
            Count(X + std::countr_zero(Hits) / 3);
    }
#endif
    for (; X < Width; ++X) {
        const std::uint8_t* P = Row + 3 * static_cast<std::size_t>(X);
        if (P[0] == Key[0] && P[1] == Key[1] && P[2] == Key[2])
            Count(X);
    }
}

// Adds to each of Width thumbnail pixels the byte sums of Rows source rows, blue, green and red
// repeated, of the source columns from Columns[X] to Columns[X + 1], without those of the Masked[X]
// pixels of the Key colour among them (as 0xRRGGBB). The sums are at most 32767 (see MaxPendingRows).
VECTOR_KERNEL void FoldByteSums(const std::uint16_t* Sums, const int* Columns, int Width, int Rows,
                                const std::uint32_t* Masked, std::uint32_t Key, TSum* Out)
{
#if defined(__SSE2__)
    // Eight sums at a time, multiplied by 1 in the lanes of a channel and by 0 elsewhere and added in
    // pairs. The channel of the first lane goes round: 8 sums are 2 past a multiple of 3.
    alignas(16) static constexpr std::int16_t Lanes[3][3][8] = {
        {{1, 0, 0, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 0, 1}, {0, 0, 1, 0, 0, 1, 0, 0}},
        {{0, 0, 1, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 0, 1}},
        {{0, 1, 0, 0, 1, 0, 0, 1}, {0, 0, 1, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 0, 0, 1, 0}},
    };
#endif
    const std::uint64_t KeyBytes[3] = {Key & 0xFF, (Key >> 8) & 0xFF, (Key >> 16) & 0xFF};
    for (int X = 0; X < Width; ++X) {
        const std::size_t Begin = 3 * static_cast<std::size_t>(Columns[X]);
        const std::size_t End = 3 * static_cast<std::size_t>(Columns[X + 1]);
        std::uint64_t Channel[3] = {0, 0, 0};
        std::size_t J = Begin;
#if defined(__SSE2__)
        __m128i Totals[3] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
        for (std::size_t Phase = 0; J + 8 <= End; J += 8, Phase = Phase == 0 ? 2 : Phase - 1) {
            const __m128i Values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Sums + J));
            for (std::size_t C = 0; C < 3; ++C)
                Totals[C] = _mm_add_epi32(
                    Totals[C],
                    _mm_madd_epi16(Values,
                                   _mm_load_si128(reinterpret_cast<const __m128i*>(Lanes[Phase][C]))));
        }
        for (std::size_t C = 0; C < 3; ++C) {
            // The four lanes added: high half onto low half, then the second lane onto the first.
            const __m128i Half = _mm_add_epi32(Totals[C], _mm_shuffle_epi32(Totals[C], 0x4E));
            Channel[C] = static_cast<std::uint32_t>(
                _mm_cvtsi128_si32(_mm_add_epi32(Half, _mm_shuffle_epi32(Half, 0xB1))));
        }
#endif
        for (; J < End; ++J)
            Channel[(J - Begin) % 3] += Sums[J];
        const std::uint64_t Shown =
            std::uint64_t(Rows) * std::uint64_t(Columns[X + 1] - Columns[X]) - Masked[X];
        Add(Out[X],
            {Shown, 255 * Shown, 255 * (Channel[2] - Masked[X] * KeyBytes[2]),
             255 * (Channel[1] - Masked[X] * KeyBytes[1]), 255 * (Channel[0] - Masked[X] * KeyBytes[0])});
    }
}

// Rounds the quotients of an average, Numerator / Denominator + 1/2, with the quotient below 256 and
// the denominator below 2^35. It keeps the reciprocal while the denominator stays the same, as it does
// for most pixels of a thumbnail (those of one block size): a division for each part of each pixel
// would cost more than the rest of making the thumbnail. A true fraction lies at least 2^-35 from the
// next integer, while the double's error stays below 2^-43, so adding 2^-40 before truncating gives
// the exact result.
class TDivider
{
public:
    int Rounded(std::uint64_t Numerator, std::uint64_t Denominator)
    {
        if (Denominator != FDenominator) {
            FDenominator = Denominator;
            FReciprocal = 1.0 / Real(Denominator);
            FHalf = Real(Denominator / 2);
        }
        return static_cast<int>((Real(Numerator) + FHalf) * FReciprocal + Margin);
    }

private:
    static constexpr double Margin = 1.0 / static_cast<double>(std::uint64_t(1) << 40);
    static double Real(std::uint64_t Value) { return static_cast<double>(static_cast<std::int64_t>(Value)); }
    std::uint64_t FDenominator = 0;
    double FReciprocal = 0;
    double FHalf = 0;
};

// A thumbnail row from the sums of its Width pixels, pixel X from source columns Columns[X] to
// Columns[X + 1] of BlockHeight rows: transparent where at least half of its source pixels are, else
// the averages, colours weighted by alpha. When every pixel counted is opaque the weights are all 255
// and the plain averages are the same.
VECTOR_KERNEL void AverageRow(const TSum* Sums, int Width, const int* Columns, std::uint64_t BlockHeight,
                              QRgb* Out)
{
    TDivider Colours;
    TDivider Alphas;
    for (int X = 0; X < Width; ++X) {
        const TSum& S = Sums[X];
        if (2 * S.Count <= BlockHeight * std::uint64_t(Columns[X + 1] - Columns[X]))
            continue;
        if (S.A == 255 * S.Count)
            Out[X] = qRgba(Colours.Rounded(S.R / 255, S.Count), Colours.Rounded(S.G / 255, S.Count),
                           Colours.Rounded(S.B / 255, S.Count), 255);
        else
            Out[X] = qRgba(Colours.Rounded(S.R, S.A), Colours.Rounded(S.G, S.A), Colours.Rounded(S.B, S.A),
                           Alphas.Rounded(S.A, S.Count));
    }
}

// Sums of the source pixels that fall into each thumbnail pixel. Rows may come in any order.
//
// With undecided alpha (16 and 32 bit bitmaps read as they come, whose alpha channel counts only when
// some pixel sets it) pixels of alpha 0 are summed apart, as opaque ones; SetAlphaUsed decides which
// sums the result takes.
//
// 24-bit rows, the common case, are summed per byte into the pending sums of their thumbnail row,
// which are folded into its pixels when the next thumbnail row starts; mask-coloured pixels are only
// counted, since what they add to the sums is known.
class TReduction
{
public:
    TReduction(QSize Source, QSize Box, TColor MaskColor, bool UndecidedAlpha)
        : FSource(Source), FFitted(FittedSize(Source, Box)), FBox(Box), FKey(MaskKey(MaskColor)),
          FUndecided(UndecidedAlpha)
    {
        FColumns.resize(static_cast<std::size_t>(FFitted.width()) + 1);
        for (std::size_t I = 0; I < FColumns.size(); ++I)
            FColumns[I] = static_cast<int>(std::int64_t(I) * FSource.width() / FFitted.width());
        const std::size_t Pixels = static_cast<std::size_t>(FFitted.width()) * FFitted.height();
        FSums.resize(Pixels);
        if (FUndecided)
            FZeroSums.resize(Pixels);
        for (std::size_t J = 0; J < std::size(FKeyBytes); ++J)
            FKeyBytes[J] = static_cast<std::uint8_t>(FKey >> (8 * (J % 3)));
    }

    // Source row Y (from the top): FSource.width() pixels 0xAARRGGBB, alpha not premultiplied.
    void AddRow(int Y, const std::uint32_t* Row)
    {
        const std::size_t First = ThumbnailRow(Y) * static_cast<std::size_t>(FFitted.width());
        if (FUndecided)
            AddArgb<true>(First, Row);
        else
            AddArgb<false>(First, Row);
    }

    // Count source rows of opaque 24-bit pixels stored blue, green, red, Stride bytes apart from
    // First, that all fall into the thumbnail row of source row Y.
    void AddBgrRows(int Y, const std::uint8_t* First, std::size_t Stride, int Count)
    {
        const std::size_t Target = ThumbnailRow(Y);
        if (FByteSums.empty()) {
            FByteSums.resize(3 * static_cast<std::size_t>(FSource.width()));
            FMaskedCounts.resize(static_cast<std::size_t>(FFitted.width()));
        }
        while (Count > 0) {
            if (FPendingRows > 0 && (Target != FPendingRow || FPendingRows == MaxPendingRows))
                FoldBgr();
            const int Part = std::min(Count, MaxPendingRows - FPendingRows);
            FPendingRow = Target;
            FPendingRows += Part;
            AddRowBytes(FByteSums.data(), FByteSums.size(), First, Stride, Part);
            if (FKey != NoMaskKey)
                for (int R = 0; R < Part; ++R)
                    CountKeyPixels(First + static_cast<std::size_t>(R) * Stride, FSource.width(), FKeyBytes,
                                   FMaskedCounts.data(), FFitted.width());
            First += static_cast<std::size_t>(Part) * Stride;
            Count -= Part;
        }
    }

    // The thumbnail row that source row Y falls into: the one that starts at or before Y and whose
    // successor starts after it. Columns follow the same rule.
    std::size_t ThumbnailRow(int Y) const
    {
        return static_cast<std::size_t>(((std::uint64_t(Y) + 1) * std::uint64_t(FFitted.height()) - 1) /
                                        std::uint64_t(FSource.height()));
    }

    // Undecided alpha: whether any source pixel sets its alpha channel; if none does, all are opaque.
    void SetAlphaUsed(bool Used) { FAlphaUsed = Used; }

    QImage Result()
    {
        FoldBgr();
        QImage Image(FBox, QImage::Format_ARGB32);
        if (Image.isNull())
            throw EInvalidGraphicOperation("Not enough memory for a " + IntToStr(FBox.width()) + " x " +
                                           IntToStr(FBox.height()) + " thumbnail");
        Image.fill(Qt::transparent);
        const int Left = (FBox.width() - FFitted.width()) / 2;
        const int Top = (FBox.height() - FFitted.height()) / 2;
        const std::vector<TSum>& Sums = FUndecided && !FAlphaUsed ? FZeroSums : FSums;
        for (int Y = 0; Y < FFitted.height(); ++Y)
            AverageRow(Sums.data() + static_cast<std::size_t>(Y) * static_cast<std::size_t>(FFitted.width()),
                       FFitted.width(), FColumns.data(), RowStart(Y + 1) - RowStart(Y),
                       reinterpret_cast<QRgb*>(Image.scanLine(Top + Y)) + Left);
        return Image;
    }

private:
    // The first source row of thumbnail row Y.
    std::uint64_t RowStart(int Y) const
    {
        return std::uint64_t(Y) * std::uint64_t(FSource.height()) / std::uint64_t(FFitted.height());
    }

    // Pixels of alpha 0 go to the zero sums (undecided alpha only), as opaque ones.
    template <bool Undecided> void AddArgb(std::size_t First, const std::uint32_t* Row)
    {
        for (std::size_t D = 0; D + 1 < FColumns.size(); ++D) {
            TSum Block;
            TSum Zero;
            for (int X = FColumns[D]; X < FColumns[D + 1]; ++X) {
                const std::uint32_t P = Row[X];
                if ((P & RGB_MASK) == FKey)
                    continue;
                const std::uint32_t A = P >> 24;
                const std::uint32_t R = (P >> 16) & 0xFF, G = (P >> 8) & 0xFF, B = P & 0xFF;
                if (A == 0) {
                    if constexpr (Undecided) {
                        ++Zero.Count;
                        Zero.A += 255;
                        Zero.R += 255 * R;
                        Zero.G += 255 * G;
                        Zero.B += 255 * B;
                    }
                    continue;
                }
                ++Block.Count;
                Block.A += A;
                Block.R += A * R;
                Block.G += A * G;
                Block.B += A * B;
            }
            Add(FSums[First + D], Block);
            if constexpr (Undecided)
                Add(FZeroSums[First + D], Zero);
        }
    }

    // Adds the pending byte sums to the thumbnail row they belong to, the mask-coloured pixels taken
    // out (without a mask colour none are counted), and clears them.
    void FoldBgr()
    {
        if (FPendingRows == 0)
            return;
        FoldByteSums(FByteSums.data(), FColumns.data(), FFitted.width(), FPendingRows, FMaskedCounts.data(),
                     FKey, FSums.data() + FPendingRow * static_cast<std::size_t>(FFitted.width()));
        std::fill(FByteSums.begin(), FByteSums.end(), 0);
        std::fill(FMaskedCounts.begin(), FMaskedCounts.end(), 0);
        FPendingRows = 0;
    }

    QSize FSource;
    QSize FFitted;
    QSize FBox;
    std::uint32_t FKey;
    bool FUndecided;
    bool FAlphaUsed = true;
    // Where each thumbnail column starts in a source row, and where the last one ends.
    std::vector<int> FColumns;
    std::vector<TSum> FSums;
    std::vector<TSum> FZeroSums;
    // 24-bit rows: the pending byte sums, their thumbnail row, how many source rows they hold, and
    // the mask-coloured pixels among them per thumbnail column.
    std::vector<std::uint16_t> FByteSums;
    // 128 rows of bytes keep the sums within a signed 16-bit value (see AddChannelSums).
    static constexpr int MaxPendingRows = 128;
    std::size_t FPendingRow = 0;
    int FPendingRows = 0;
    std::vector<std::uint32_t> FMaskedCounts;
    // The mask colour's bytes as 32 stored pixels hold them: blue, green, red, blue, ...
    std::uint8_t FKeyBytes[96];
};

// Owns an open file descriptor.
class TFileHandle
{
public:
    explicit TFileHandle(int Fd) : FFd(Fd) {}
    ~TFileHandle()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

// A regular file read at given offsets.
class TFileReader
{
public:
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused as no regular file.
    explicit TFileReader(const std::string& FileName)
        : FName(FileName), FHandle(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        if (FHandle.Fd() < 0)
            throw EFOpenError(Failure("open", errno));
        struct stat Status = {};
        if (::fstat(FHandle.Fd(), &Status) != 0)
            throw EFOpenError(Failure("open", errno));
        if (!S_ISREG(Status.st_mode))
            throw EFOpenError("Cannot open file \"" + FName + "\": not a regular file");
        FSize = static_cast<std::size_t>(Status.st_size);
    }

    std::size_t Size() const { return FSize; }

    std::vector<std::uint8_t> ReadAll() const
    {
        std::vector<std::uint8_t> Bytes(FSize);
        Read(0, Bytes.data(), Bytes.size());
        return Bytes;
    }

    // Reads exactly Count bytes at Offset; a file that ends before them raises EInOutError.
    void Read(std::size_t Offset, std::uint8_t* Buffer, std::size_t Count) const
    {
        std::size_t Done = 0;
        while (Done < Count) {
            const ssize_t Got =
                ::pread(FHandle.Fd(), Buffer + Done, Count - Done, static_cast<off_t>(Offset + Done));
            if (Got < 0 && errno == EINTR)
                continue;
            if (Got < 0)
                throw EInOutError(Failure("read", errno));
            if (Got == 0)
                throw EInOutError("Cannot read file \"" + FName + "\": it ends at byte " +
                                  IntToStr(static_cast<std::int64_t>(Offset + Done)) + " of " +
                                  IntToStr(static_cast<std::int64_t>(FSize)));
            Done += static_cast<std::size_t>(Got);
        }
    }

private:
    std::string Failure(const char* Action, int Error) const
    {
        return "Cannot " + std::string(Action) + " file \"" + FName +
               "\": " + std::generic_category().message(Error);
    }

    std::string FName;
    TFileHandle FHandle;
    std::size_t FSize = 0;
};

// Bytes read from a file, not cleared first since each one used is read.
class TReadBuffer
{
public:
    std::uint8_t* Data() const { return FBytes.get(); }
    std::size_t Size() const { return FSize; }
    // Makes room for Size bytes; what the buffer held is lost.
    void Reserve(std::size_t Size)
    {
        if (Size <= FSize)
            return;
        FBytes = std::make_unique_for_overwrite<std::uint8_t[]>(Size);
        FSize = Size;
    }

private:
    std::unique_ptr<std::uint8_t[]> FBytes;
    std::size_t FSize = 0;
};

bool Compressed(const TBmpInfo& Info)
{
    return Info.Compression == bcRle8 || Info.Compression == bcRle4;
}

// A bitmap held whole in memory, decoded row by row into the thumbnail.
QImage WholeBitmapThumbnail(TByteSpan Data, QSize Box, TColor MaskColor, const std::string& FileName)
{
    const TBmpInfo Info = ReadBmpHeader(Data, FileName);
    TReduction Reduction(QSize(Info.Width, Info.Height), Box, MaskColor, false);
    DecodeBmpRows(
        Data, Info, [&Reduction](int Y, const std::uint32_t* Row) { Reduction.AddRow(Y, Row); }, FileName);
    return Reduction.Result();
}

// An uncompressed bitmap whose stored rows are read from the file in turn. Buffer holds the file's
// first Head bytes. The header has checked that the file holds every row.
QImage StreamedBitmapThumbnail(const TFileReader& File, const TBmpInfo& Info, TReadBuffer& Buffer,
                               std::size_t Head, QSize Box, TColor MaskColor, std::size_t ReadSize)
{
    const TBmpPlainRows Rows(Info, true);
    const bool Undecided = Rows.HasAlphaChannel();
    TReduction Reduction(QSize(Info.Width, Info.Height), Box, MaskColor, Undecided);
    bool AlphaUsed = false;
    std::vector<std::uint32_t> Pixels(Info.BitsPerPixel == 24 ? 0 : static_cast<std::size_t>(Info.Width));
    const std::size_t RowBytes = Rows.RowBytes();
    // Later reads take whole stored rows, as many as ReadSize holds.
    const std::size_t ReadRows = std::max<std::size_t>(1, ReadSize / Info.Stride);
    std::size_t BufferStart = 0;
    std::size_t BufferEnd = Head;
    std::size_t Pos = Info.PixelOffset;
    auto ImageRow = [&Info](int Stored) { return Info.TopDown ? Stored : Info.Height - 1 - Stored; };
    for (int Stored = 0; Stored < Info.Height;) {
        if (Pos + RowBytes > BufferEnd) {
            const std::size_t Count = std::min(ReadRows * Info.Stride, File.Size() - Pos);
            Buffer.Reserve(Count);
            File.Read(Pos, Buffer.Data(), Count);
            BufferStart = Pos;
            BufferEnd = Pos + Count;
        }
        const std::uint8_t* Row = Buffer.Data() + (Pos - BufferStart);
        const int Y = ImageRow(Stored);
        if (Info.BitsPerPixel == 24) {
            // Together: the rows read that fall into the same thumbnail row.
            int Run = 1;
            while (Stored + Run < Info.Height && Pos + Run * Info.Stride + RowBytes <= BufferEnd &&
                   Reduction.ThumbnailRow(ImageRow(Stored + Run)) == Reduction.ThumbnailRow(Y))
                ++Run;
            Reduction.AddBgrRows(Y, Row, Info.Stride, Run);
            Stored += Run;
            Pos += Run * Info.Stride;
            continue;
        }
        if (Undecided && !AlphaUsed)
            AlphaUsed = Rows.RowSetsAlpha(Row);
        Rows.Decode(Row, Pixels.data());
        Reduction.AddRow(Y, Pixels.data());
        ++Stored;
        Pos += Info.Stride;
    }
    Reduction.SetAlphaUsed(AlphaUsed);
    return Reduction.Result();
}

// The size and bits per pixel of an icon image, from its header alone.
struct TIconImageHeader
{
    QSize Size;
    int Depth = 32;
    TBmpInfo Bitmap;
};

TIconImageHeader ReadIconImageHeader(const TIcoEntry& Entry, const std::string& Name)
{
    TIconImageHeader Header;
    if (Entry.Png) {
        const TImageSize Size = ReadPngSize(Entry.Bytes, Name);
        Header.Size = QSize(Size.Width, Size.Height);
        return Header;
    }
    Header.Bitmap = ReadIconBitmapHeader(Entry.Bytes, Name);
    Header.Size = QSize(Header.Bitmap.Width, Header.Bitmap.Height);
    Header.Depth = Header.Bitmap.BitsPerPixel;
    return Header;
}

} // namespace

QSize FittedSize(QSize Image, QSize Box)
{
    if (Image.width() <= Box.width() && Image.height() <= Box.height())
        return Image;
    const std::int64_t W = Image.width(), H = Image.height();
    // Width-bound when W / H >= Box width / Box height; the other side rounded, at least 1.
    if (W * Box.height() >= H * Box.width())
        return QSize(Box.width(), static_cast<int>(std::max<std::int64_t>(1, (H * Box.width() + W / 2) / W)));
    return QSize(static_cast<int>(std::max<std::int64_t>(1, (W * Box.height() + H / 2) / H)), Box.height());
}

QImage BitmapFileThumbnail(const std::string& FileName, QSize Box, TColor MaskColor, std::size_t ReadSize)
{
    const TFileReader File(FileName);
    // Reused from one thumbnail to the next: a fresh buffer costs a page fault for every 4 kB the
    // file's bytes are read into.
    thread_local TReadBuffer Reused;
    TReadBuffer& Buffer = Reused;
    const std::size_t HeadSize = std::min(File.Size(), std::max(ReadSize, BmpHeadSize));
    Buffer.Reserve(HeadSize);
    File.Read(0, Buffer.Data(), HeadSize);
    const TByteSpan Head(Buffer.Data(), HeadSize);
    const TBmpInfo Info = ReadBmpHeader(Head, File.Size(), FileName);
    if (!Compressed(Info))
        return StreamedBitmapThumbnail(File, Info, Buffer, HeadSize, Box, MaskColor, ReadSize);
    if (HeadSize == File.Size())
        return WholeBitmapThumbnail(Head, Box, MaskColor, FileName);
    return WholeBitmapThumbnail(File.ReadAll(), Box, MaskColor, FileName);
}

QImage IconFileThumbnail(const std::string& FileName, QSize Box)
{
    const std::vector<std::uint8_t> Data = TFileReader(FileName).ReadAll();
    const std::vector<TIcoEntry> Entries = ReadIcoDirectory(Data, FileName);
    std::vector<TIconImageHeader> Headers;
    std::vector<QSize> Sizes;
    std::vector<int> Depths;
    for (std::size_t I = 0; I < Entries.size(); ++I) {
        Headers.push_back(ReadIconImageHeader(Entries[I], FileName + ": image " +
                                                              IntToStr(static_cast<std::int64_t>(I + 1))));
        Sizes.push_back(Headers.back().Size);
        Depths.push_back(Headers.back().Depth);
    }
    const auto Best = static_cast<std::size_t>(BestThumbnailImage(Sizes, Depths, Box));
    const std::string Name = FileName + ": image " + IntToStr(static_cast<std::int64_t>(Best + 1));
    if (Entries[Best].Png) {
        // PNG images take Qt's decoder, which the icon's own loader wraps.
        TIcon Icon;
        Icon.LoadFromBytes(Data, FileName);
        return ImageThumbnail(IconImages(Icon)[Best], Box, clNone);
    }
    const TBmpInfo& Info = Headers[Best].Bitmap;
    TReduction Reduction(Headers[Best].Size, Box, clNone, false);
    DecodeIconBitmapRows(
        Entries[Best].Bytes, Info,
        [&Reduction](int Y, const std::uint32_t* Row) { Reduction.AddRow(Y, Row); }, Name);
    return Reduction.Result();
}

QImage ImageThumbnail(const QImage& Image, QSize Box, TColor MaskColor)
{
    if (Image.isNull())
        throw EInvalidGraphic("No image to make a thumbnail of");
    const QImage Source = Image.convertToFormat(QImage::Format_ARGB32);
    TReduction Reduction(Source.size(), Box, MaskColor, false);
    for (int Y = 0; Y < Source.height(); ++Y)
        Reduction.AddRow(Y, reinterpret_cast<const std::uint32_t*>(Source.constScanLine(Y)));
    return Reduction.Result();
}

int BestThumbnailImage(const std::vector<QSize>& Sizes, const std::vector<int>& Depths, QSize Box)
{
    // Smaller keys are better: the class (exact, larger, smaller), the area within the class
    // (smallest of the larger ones, largest of the smaller ones), then the deeper colour.
    auto Key = [&](std::size_t I) {
        const QSize S = Sizes[I];
        const std::int64_t Area = std::int64_t(S.width()) * S.height();
        const int Class = S == Box ? 0 : (S.width() > Box.width() || S.height() > Box.height()) ? 1 : 2;
        return std::tuple(Class, Class == 1 ? Area : -Area, -Depths[I]);
    };
    int Best = -1;
    for (std::size_t I = 0; I < Sizes.size(); ++I)
        if (Best < 0 || Key(I) < Key(static_cast<std::size_t>(Best)))
            Best = static_cast<int>(I);
    return Best;
}
