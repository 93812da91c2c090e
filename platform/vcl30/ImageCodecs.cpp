#include "ImageCodecs.hpp"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr std::size_t NoOffset = std::numeric_limits<std::size_t>::max();

[[noreturn]] void Fail(const std::string& Source, const std::string& Reason)
{
    throw EInvalidGraphic(Source + ": " + Reason);
}

std::string Hex(std::uint32_t Value)
{
    char Text[16];
    std::snprintf(Text, sizeof Text, "0x%X", static_cast<unsigned>(Value));
    return Text;
}

std::string Num(std::uint64_t Value)
{
    return std::to_string(Value);
}

std::uint16_t Le16(const std::uint8_t* P)
{
    return static_cast<std::uint16_t>(P[0] | P[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* P)
{
    return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
           std::uint32_t(P[3]) << 24;
}

std::uint32_t Be32(const std::uint8_t* P)
{
    return std::uint32_t(P[0]) << 24 | std::uint32_t(P[1]) << 16 | std::uint32_t(P[2]) << 8 |
           std::uint32_t(P[3]);
}

constexpr std::uint32_t OpaqueBlack = 0xFF000000;

std::uint32_t Argb(std::uint32_t A, std::uint32_t R, std::uint32_t G, std::uint32_t B)
{
    return A << 24 | R << 16 | G << 8 | B;
}

// Bounds-checked little-endian fields of a byte span; What names the part read, for the message.
class TFields
{
public:
    TFields(TByteSpan Data, const std::string& Source) : TFields(Data, Data.size(), Source) {}
    // Data holds the first bytes of a file of Extent bytes.
    TFields(TByteSpan Data, std::size_t Extent, const std::string& Source)
        : FData(Data), FExtent(Extent), FSource(Source)
    {
    }

    std::size_t Size() const { return FData.size(); }
    // The size of the whole file, of which the data may hold only the start.
    std::size_t Extent() const { return FExtent; }
    const std::string& Source() const { return FSource; }
    bool Has(std::size_t Offset, std::size_t Count) const
    {
        return Offset <= FData.size() && Count <= FData.size() - Offset;
    }
    const std::uint8_t* Need(std::size_t Offset, std::size_t Count, const char* What) const
    {
        if (!Has(Offset, Count))
            Fail(FSource, std::string("truncated ") + What);
        return FData.data() + Offset;
    }
    std::uint8_t U8(std::size_t Offset, const char* What) const { return *Need(Offset, 1, What); }
    std::uint16_t U16(std::size_t Offset, const char* What) const { return Le16(Need(Offset, 2, What)); }
    std::int16_t I16(std::size_t Offset, const char* What) const
    {
        return static_cast<std::int16_t>(U16(Offset, What));
    }
    std::uint32_t U32(std::size_t Offset, const char* What) const { return Le32(Need(Offset, 4, What)); }
    std::int32_t I32(std::size_t Offset, const char* What) const
    {
        return static_cast<std::int32_t>(U32(Offset, What));
    }

private:
    TByteSpan FData;
    std::size_t FExtent;
    const std::string& FSource;
};

void CheckImageSize(const std::string& Source, std::int64_t Width, std::int64_t Height)
{
    if (Width > MaxImageSide || Height > MaxImageSide || Width * Height > MaxImagePixels)
        Fail(Source, "image too large (" + Num(Width) + " x " + Num(Height) + ")");
}

bool Contiguous(std::uint32_t Mask)
{
    std::uint32_t Bits = Mask == 0 ? 0 : Mask >> std::countr_zero(Mask);
    return (Bits & (Bits + 1)) == 0;
}

bool IsRle(std::uint32_t Compression)
{
    return Compression == bcRle8 || Compression == bcRle4;
}

// Reads an info header at DibOffset and the masks and colour table after it. PixelOffset is where the
// file header puts the pixels, or NoOffset when they follow the colour table (icon images). An icon
// image's header states the height of the colour image and the mask together.
TBmpInfo ReadDib(const TFields& F, std::size_t DibOffset, std::size_t PixelOffset, bool Icon)
{
    const std::string& Source = F.Source();
    TBmpInfo Info;
    Info.HeaderSize = F.U32(DibOffset, "info header");
    const bool Core = Info.HeaderSize == 12;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    std::uint32_t ColorsUsed = 0;
    if (Core) {
        F.Need(DibOffset, 12, "info header");
        Width = F.U16(DibOffset + 4, "info header");
        Height = F.U16(DibOffset + 6, "info header");
        Info.BitsPerPixel = F.U16(DibOffset + 10, "info header");
    } else if (Info.HeaderSize >= 40) {
        F.Need(DibOffset, Info.HeaderSize, "info header");
        Width = F.I32(DibOffset + 4, "info header");
        Height = F.I32(DibOffset + 8, "info header");
        Info.BitsPerPixel = F.U16(DibOffset + 14, "info header");
        Info.Compression = F.U32(DibOffset + 16, "info header");
        ColorsUsed = F.U32(DibOffset + 32, "info header");
    } else {
        Fail(Source, "unsupported info header size (" + Num(Info.HeaderSize) + ")");
    }

    const std::int64_t StatedHeight = Height;
    if (Icon)
        Height = Height >= 2 ? Height / 2 : 0;
    if (Height < 0) {
        Info.TopDown = true;
        Height = -Height;
    }
    if (Width <= 0 || Height <= 0)
        Fail(Source, "bad image size (" + IntToStr(Width) + " x " + IntToStr(StatedHeight) + ")");
    CheckImageSize(Source, Width, Height);
    Info.Width = static_cast<int>(Width);
    Info.Height = static_cast<int>(Height);

    const int Bpp = Info.BitsPerPixel;
    const bool ValidDepth = Core ? (Bpp == 1 || Bpp == 4 || Bpp == 8 || Bpp == 24)
                                 : (Bpp == 1 || Bpp == 4 || Bpp == 8 || Bpp == 16 || Bpp == 24 || Bpp == 32);
    if (!ValidDepth)
        Fail(Source, "unsupported bits per pixel (" + Num(static_cast<unsigned>(Bpp)) + ")");

    const bool BitFields = Info.Compression == bcBitFields || Info.Compression == bcAlphaBitFields;
    // OS/2 2.x headers (64 bytes) give 3 and 4 other meanings, which are not supported.
    const bool Known =
        Info.Compression == bcRgb || IsRle(Info.Compression) || (BitFields && Info.HeaderSize != 64);
    if (!Known || (Icon && IsRle(Info.Compression)))
        Fail(Source, "unsupported compression (" + Num(Info.Compression) + ")");
    const bool Fits = (Info.Compression == bcRle8 && Bpp == 8) || (Info.Compression == bcRle4 && Bpp == 4) ||
                      (BitFields && (Bpp == 16 || Bpp == 32)) || Info.Compression == bcRgb;
    if (!Fits)
        Fail(Source, "compression " + Num(Info.Compression) + " does not fit " +
                         Num(static_cast<unsigned>(Bpp)) + " bits per pixel");
    if (Info.TopDown && IsRle(Info.Compression))
        Fail(Source, "compressed bitmap stored top-down");

    std::size_t TableOffset = DibOffset + Info.HeaderSize;
    if (BitFields) {
        if (Info.HeaderSize >= 52) {
            for (std::size_t I = 0; I < 3; ++I)
                Info.Masks[I] = F.U32(DibOffset + 40 + 4 * I, "colour masks");
            if (Info.HeaderSize >= 56)
                Info.Masks[3] = F.U32(DibOffset + 52, "colour masks");
        } else {
            const std::size_t Count = Info.Compression == bcAlphaBitFields ? 4 : 3;
            for (std::size_t I = 0; I < Count; ++I)
                Info.Masks[I] = F.U32(TableOffset + 4 * I, "colour masks");
            TableOffset += 4 * Count;
        }
        for (std::uint32_t Mask : Info.Masks) {
            if (!Contiguous(Mask))
                Fail(Source, "non-contiguous colour mask " + Hex(Mask));
            if (Bpp == 16 && Mask > 0xFFFF)
                Fail(Source, "colour mask " + Hex(Mask) + " exceeds 16 bits per pixel");
        }
    } else if (Bpp == 16) {
        Info.Masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (Bpp == 32) {
        // The fourth byte is alpha when any pixel sets it (see the decoder).
        Info.Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    }

    if (PixelOffset != NoOffset && PixelOffset < TableOffset)
        Fail(Source, "pixel data offset (" + Num(PixelOffset) + ") lies inside the header");
    if (Bpp <= 8) {
        std::size_t Count = std::size_t(1) << Bpp;
        if (!Core && ColorsUsed != 0)
            Count = std::min<std::size_t>(Count, ColorsUsed);
        const std::size_t EntrySize = Core ? 3 : 4;
        // Some writers leave the table shorter than stated and start the pixels where it ends.
        if (PixelOffset != NoOffset)
            Count = std::min(Count, (PixelOffset - TableOffset) / EntrySize);
        if (Count == 0)
            Fail(Source, "missing colour table");
        const std::uint8_t* Table = F.Need(TableOffset, Count * EntrySize, "colour table");
        Info.Palette.resize(Count);
        for (std::size_t I = 0; I < Count; ++I) {
            const std::uint8_t* E = Table + I * EntrySize;
            Info.Palette[I] = Argb(255, E[2], E[1], E[0]);
        }
        TableOffset += Count * EntrySize;
    }

    if (PixelOffset == NoOffset) {
        Info.PixelOffset = TableOffset;
    } else {
        if (PixelOffset >= F.Extent())
            Fail(Source, "pixel data offset (" + Num(PixelOffset) + ") lies outside the file (" +
                             Num(F.Extent()) + " bytes)");
        Info.PixelOffset = PixelOffset;
    }
    Info.PixelSize = F.Extent() - std::min(Info.PixelOffset, F.Extent());
    const std::size_t RowBits = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Bpp);
    Info.Stride = (RowBits + 31) / 32 * 4;
    if (!IsRle(Info.Compression)) {
        // The last row may go without its padding.
        const std::size_t Needed = Info.Stride * static_cast<std::size_t>(Height - 1) + (RowBits + 7) / 8;
        if (Needed > Info.PixelSize)
            Fail(Source, "truncated pixel data (" + Num(Info.PixelSize) + " of " + Num(Needed) + " bytes)");
    }
    return Info;
}

// One operation of RLE data.
struct TRleOp
{
    enum TKind : std::uint8_t
    {
        Run,
        Literal,
        EndOfLine,
        EndOfBitmap,
        Delta
    };
    TKind Kind = EndOfBitmap;
    // Pixels of a run or literal; for a delta the move right.
    int Count = 0;
    // For a delta the move to later rows.
    int Rows = 0;
    // A run's index byte (RLE4: two alternating indices).
    std::uint8_t Value = 0;
    // Where a literal's indices start.
    std::size_t Data = 0;
    std::size_t Next = 0;
};

// Where a stored row's RLE data starts: its offset and the column it starts at.
struct TRleRow
{
    std::size_t Offset = NoOffset;
    int X = 0;
};

// Decodes stored rows of a BMP image. Construction checks the whole image (compressed data runs,
// whether alpha is used) so that decoding rows afterwards cannot fail on the data.
class TBmpDecoder
{
public:
    TBmpDecoder(TByteSpan Data, const TBmpInfo& Info, const std::string& Source)
        : FFields(Data, Source), FInfo(Info)
    {
        if (Info.Width <= 0 || Info.Height <= 0 || Info.PixelOffset > Data.size())
            Fail(Source, "bad image description");
        CheckImageSize(Source, Info.Width, Info.Height);
        if (IsRle(Info.Compression))
            IndexRle();
        else
            FindAlpha();
        FPlain.emplace(Info, FAlphaUsed);
    }

    // True when the pixels carry alpha: a channel for it exists and some pixel sets it.
    bool AlphaUsed() const { return FAlphaUsed; }

    // The stored row that holds image row Y (counted from the top).
    int StoredRow(int Y) const { return FInfo.TopDown ? Y : FInfo.Height - 1 - Y; }

    void DecodeRow(int Stored, std::uint32_t* Out) const
    {
        if (IsRle(FInfo.Compression))
            DecodeRleRow(Stored, Out);
        else
            FPlain->Decode(RowData(Stored), Out);
    }

private:
    std::size_t RowBytes() const
    {
        return (static_cast<std::size_t>(FInfo.Width) * FInfo.BitsPerPixel + 7) / 8;
    }

    const std::uint8_t* RowData(int Stored) const
    {
        return FFields.Need(FInfo.PixelOffset + static_cast<std::size_t>(Stored) * FInfo.Stride, RowBytes(),
                            "pixel data");
    }

    std::uint32_t Colour(std::uint32_t Index) const
    {
        return Index < FInfo.Palette.size() ? FInfo.Palette[Index] : OpaqueBlack;
    }

    void FindAlpha()
    {
        const TBmpPlainRows Probe(FInfo, true);
        if (!Probe.HasAlphaChannel())
            return;
        for (int Row = 0; Row < FInfo.Height && !FAlphaUsed; ++Row)
            FAlphaUsed = Probe.RowSetsAlpha(RowData(Row));
    }

    TRleOp ReadRleOp(std::size_t Offset) const
    {
        const std::uint8_t* P = FFields.Need(Offset, 2, "RLE data");
        TRleOp Op;
        Op.Next = Offset + 2;
        if (P[0] != 0) {
            Op.Kind = TRleOp::Run;
            Op.Count = P[0];
            Op.Value = P[1];
        } else if (P[1] == 0) {
            Op.Kind = TRleOp::EndOfLine;
        } else if (P[1] == 1) {
            Op.Kind = TRleOp::EndOfBitmap;
        } else if (P[1] == 2) {
            const std::uint8_t* D = FFields.Need(Offset + 2, 2, "RLE data");
            Op.Kind = TRleOp::Delta;
            Op.Count = D[0];
            Op.Rows = D[1];
            Op.Next = Offset + 4;
        } else {
            Op.Kind = TRleOp::Literal;
            Op.Count = P[1];
            Op.Data = Offset + 2;
            std::size_t Bytes = FInfo.Compression == bcRle8 ? P[1] : (P[1] + 1u) / 2;
            Bytes = (Bytes + 1) & ~std::size_t(1);
            FFields.Need(Op.Data, Bytes, "RLE data");
            Op.Next = Op.Data + Bytes;
        }
        return Op;
    }

    [[noreturn]] void Outside(int Row, int X) const
    {
        Fail(FFields.Source(), "RLE data writes outside the image (row " + Num(static_cast<unsigned>(Row)) +
                                   ", column " + Num(static_cast<unsigned>(X)) + ")");
    }

    // Walks the RLE data once, checking every operation and noting where each stored row starts.
    void IndexRle()
    {
        const int Width = FInfo.Width;
        const int Height = FInfo.Height;
        FRleRows.assign(static_cast<std::size_t>(Height), {});
        std::size_t Pos = FInfo.PixelOffset;
        const std::size_t End = FFields.Size();
        int X = 0;
        int Y = 0;
        FRleRows[0] = {Pos, 0};
        for (;;) {
            if (End - Pos < 2) {
                if (Y >= Height)
                    return;
                Fail(FFields.Source(), "truncated RLE data (no end-of-bitmap marker)");
            }
            const TRleOp Op = ReadRleOp(Pos);
            const int StartY = Y;
            switch (Op.Kind) {
            case TRleOp::Run:
            case TRleOp::Literal:
                if (Y >= Height || X + Op.Count > Width)
                    Outside(Y, X + Op.Count - 1);
                X += Op.Count;
                break;
            case TRleOp::EndOfLine:
                if (Y >= Height)
                    Outside(Y, X);
                X = 0;
                ++Y;
                break;
            case TRleOp::Delta:
                if (X + Op.Count > Width || Y + Op.Rows > Height)
                    Fail(FFields.Source(), "RLE delta moves outside the image (row " +
                                               Num(static_cast<unsigned>(Y + Op.Rows)) + ", column " +
                                               Num(static_cast<unsigned>(X + Op.Count)) + ")");
                X += Op.Count;
                Y += Op.Rows;
                break;
            case TRleOp::EndOfBitmap:
                return;
            }
            Pos = Op.Next;
            if (Y != StartY && Y < Height)
                FRleRows[static_cast<std::size_t>(Y)] = {Pos, X};
        }
    }

    void DecodeRleRow(int Stored, std::uint32_t* Out) const
    {
        std::fill(Out, Out + FInfo.Width, 0u);
        const TRleRow& Start = FRleRows.at(static_cast<std::size_t>(Stored));
        if (Start.Offset == NoOffset)
            return;
        const bool Rle8 = FInfo.Compression == bcRle8;
        std::size_t Pos = Start.Offset;
        int X = Start.X;
        while (FFields.Size() - Pos >= 2) {
            const TRleOp Op = ReadRleOp(Pos);
            if (Op.Kind == TRleOp::Run || Op.Kind == TRleOp::Literal) {
                if (X + Op.Count > FInfo.Width)
                    Outside(Stored, X + Op.Count - 1);
                // ReadRleOp has checked that a literal's bytes lie within the data.
                const std::uint8_t* Literal =
                    Op.Kind == TRleOp::Literal ? FFields.Need(Op.Data, 0, "RLE data") : nullptr;
                for (int I = 0; I < Op.Count; ++I) {
                    const std::uint8_t Byte = Literal ? Literal[Rle8 ? I : I >> 1] : Op.Value;
                    const std::uint32_t Index = Rle8 ? Byte : (I & 1) ? Byte & 15 : Byte >> 4;
                    Out[X + I] = Colour(Index);
                }
                X += Op.Count;
            } else if (Op.Kind == TRleOp::Delta && Op.Rows == 0) {
                X += Op.Count;
            } else {
                return;
            }
            Pos = Op.Next;
        }
    }

    TFields FFields;
    const TBmpInfo& FInfo;
    bool FAlphaUsed = false;
    std::vector<TRleRow> FRleRows;
    std::optional<TBmpPlainRows> FPlain;
};

// The size of a metafile's bounds from inclusive edges, as a non-negative int.
int InclusiveExtent(const std::string& Source, std::int32_t Low, std::int32_t High)
{
    const std::int64_t Extent = std::max<std::int64_t>(0, std::int64_t(High) - Low + 1);
    if (Extent > std::numeric_limits<int>::max())
        Fail(Source, "implausible bounds (" + IntToStr(Low) + " to " + IntToStr(High) + ")");
    return static_cast<int>(Extent);
}

TMetafileHeader ReadEmf(const TFields& F)
{
    const std::string& Source = F.Source();
    F.Need(0, 88, "EMF header");
    if (F.U32(40, "EMF header") != 0x464D4520)
        Fail(Source, "not an enhanced metafile (bad signature)");
    const std::uint32_t HeaderSize = F.U32(4, "EMF header");
    if (HeaderSize < 88 || HeaderSize % 4 != 0)
        Fail(Source, "bad EMF header size (" + Num(HeaderSize) + ")");
    TMetafileHeader Header;
    Header.Enhanced = true;
    for (std::size_t I = 0; I < 4; ++I)
        Header.Bounds[I] = F.I32(8 + 4 * I, "EMF header");
    Header.Width = InclusiveExtent(Source, Header.Bounds[0], Header.Bounds[2]);
    Header.Height = InclusiveExtent(Source, Header.Bounds[1], Header.Bounds[3]);

    // The records, the header first, follow one another up to the end-of-file record.
    constexpr std::uint32_t EmrEof = 14;
    std::size_t Pos = 0;
    for (;;) {
        if (!F.Has(Pos, 8))
            Fail(Source, "truncated EMF data (no end-of-file record)");
        const std::uint32_t Type = F.U32(Pos, "EMF record");
        const std::uint32_t Size = F.U32(Pos + 4, "EMF record");
        if (Size < 8 || Size % 4 != 0)
            Fail(Source, "bad EMF record size (" + Num(Size) + ") at offset " + Num(Pos));
        if (!F.Has(Pos, Size))
            Fail(Source, "truncated EMF record at offset " + Num(Pos));
        if (Type == EmrEof)
            return Header;
        Pos += Size;
    }
}

// Checks a WMF header at Offset and the records after it, up to the end-of-file record. Returns the
// window extent of the first SetWindowExt record, if there is one.
std::optional<TImageSize> ReadWmfRecords(const TFields& F, std::size_t Offset)
{
    const std::string& Source = F.Source();
    F.Need(Offset, 18, "WMF header");
    const std::uint16_t Type = F.U16(Offset, "WMF header");
    if ((Type != 1 && Type != 2) || F.U16(Offset + 2, "WMF header") != 9)
        Fail(Source, "not a Windows metafile (bad header)");
    constexpr std::uint16_t MetaEof = 0x0000;
    constexpr std::uint16_t MetaSetWindowExt = 0x020C;
    std::optional<TImageSize> Extent;
    std::size_t Pos = Offset + 18;
    for (;;) {
        if (!F.Has(Pos, 6))
            Fail(Source, "truncated WMF data (no end-of-file record)");
        const std::uint32_t Words = F.U32(Pos, "WMF record");
        const std::uint16_t Function = F.U16(Pos + 4, "WMF record");
        if (Words < 3)
            Fail(Source, "bad WMF record size (" + Num(Words) + " words) at offset " + Num(Pos));
        const std::size_t Bytes = std::size_t(Words) * 2;
        if (!F.Has(Pos, Bytes))
            Fail(Source, "truncated WMF record at offset " + Num(Pos));
        if (Function == MetaEof)
            return Extent;
        if (Function == MetaSetWindowExt && Words >= 5 && !Extent)
            Extent =
                TImageSize{std::abs(F.I16(Pos + 8, "WMF record")), std::abs(F.I16(Pos + 6, "WMF record"))};
        Pos += Bytes;
    }
}

TMetafileHeader ReadPlaceableWmf(const TFields& F)
{
    const std::string& Source = F.Source();
    F.Need(0, 22, "placeable header");
    TMetafileHeader Header;
    for (std::size_t I = 0; I < 4; ++I)
        Header.Bounds[I] = F.I16(6 + 2 * I, "placeable header");
    const int UnitsPerInch = F.U16(14, "placeable header");
    if (UnitsPerInch == 0)
        Fail(Source, "bad units per inch (0)");
    ReadWmfRecords(F, 22);
    auto Pixels = [UnitsPerInch](int Low, int High) {
        return (std::abs(High - Low) * 96 + UnitsPerInch / 2) / UnitsPerInch;
    };
    Header.Width = Pixels(Header.Bounds[0], Header.Bounds[2]);
    Header.Height = Pixels(Header.Bounds[1], Header.Bounds[3]);
    return Header;
}

} // namespace

TBmpInfo ReadBmpHeader(TByteSpan Data, const std::string& SourceName)
{
    return ReadBmpHeader(Data, Data.size(), SourceName);
}

TBmpInfo ReadBmpHeader(TByteSpan Head, std::size_t FileSize, const std::string& SourceName)
{
    if (FileSize == 0)
        Fail(SourceName, "empty file");
    if (Head.size() > FileSize)
        Fail(SourceName, "bad file size (" + Num(FileSize) + " bytes, " + Num(Head.size()) + " read)");
    if (Head.size() < 2 || Head[0] != 'B' || Head[1] != 'M')
        Fail(SourceName, "not a bitmap file (bad signature)");
    TFields F(Head, FileSize, SourceName);
    F.Need(0, 14, "file header");
    const std::uint32_t PixelOffset = F.U32(10, "file header");
    return ReadDib(F, 14, PixelOffset, false);
}

TBmpPlainRows::TChannel::TChannel(std::uint32_t AMask)
{
    if (AMask == 0)
        return;
    Mask = AMask;
    Shift = std::countr_zero(AMask);
    Max = AMask >> Shift;
}

TBmpPlainRows::TBmpPlainRows(const TBmpInfo& Info, bool AlphaUsed) : FInfo(Info), FAlphaUsed(AlphaUsed)
{
    for (std::size_t I = 0; I < 4; ++I)
        FChannels[I] = TChannel(Info.Masks[I]);
}

std::size_t TBmpPlainRows::RowBytes() const
{
    return (static_cast<std::size_t>(FInfo.Width) * static_cast<std::size_t>(FInfo.BitsPerPixel) + 7) / 8;
}

bool TBmpPlainRows::HasAlphaChannel() const
{
    return (FInfo.BitsPerPixel == 16 || FInfo.BitsPerPixel == 32) && FChannels[3].Max != 0;
}

bool TBmpPlainRows::RowSetsAlpha(const std::uint8_t* Stored) const
{
    if (!HasAlphaChannel())
        return false;
    for (int X = 0; X < FInfo.Width; ++X)
        if ((RawPixel(Stored, X) & FChannels[3].Mask) != 0)
            return true;
    return false;
}

void TBmpPlainRows::Decode(const std::uint8_t* Row, std::uint32_t* Out) const
{
    const int Width = FInfo.Width;
    switch (FInfo.BitsPerPixel) {
    case 1:
        for (int X = 0; X < Width; ++X)
            Out[X] = Colour((Row[X >> 3] >> (7 - (X & 7))) & 1);
        break;
    case 4:
        for (int X = 0; X < Width; ++X)
            Out[X] = Colour((Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 15);
        break;
    case 8:
        for (int X = 0; X < Width; ++X)
            Out[X] = Colour(Row[X]);
        break;
    case 24:
        for (int X = 0; X < Width; ++X) {
            const std::uint8_t* P = Row + 3 * X;
            Out[X] = Argb(255, P[2], P[1], P[0]);
        }
        break;
    default:
        for (int X = 0; X < Width; ++X) {
            const std::uint32_t Pixel = RawPixel(Row, X);
            Out[X] = Argb(FAlphaUsed ? FChannels[3].Value(Pixel, 255) : 255, FChannels[0].Value(Pixel, 0),
                          FChannels[1].Value(Pixel, 0), FChannels[2].Value(Pixel, 0));
        }
        break;
    }
}

void DecodeBmpRows(TByteSpan Data, const TBmpInfo& Info, const TBmpRowSink& Sink,
                   const std::string& SourceName)
{
    const TBmpDecoder Decoder(Data, Info, SourceName);
    std::vector<std::uint32_t> Row(static_cast<std::size_t>(Info.Width));
    for (int Y = 0; Y < Info.Height; ++Y) {
        Decoder.DecodeRow(Decoder.StoredRow(Y), Row.data());
        Sink(Y, Row.data());
    }
}

std::vector<TIcoEntry> ReadIcoDirectory(TByteSpan Data, const std::string& SourceName)
{
    if (Data.empty())
        Fail(SourceName, "empty file");
    TFields F(Data, SourceName);
    F.Need(0, 6, "icon header");
    if (F.U16(0, "icon header") != 0 || F.U16(2, "icon header") != 1)
        Fail(SourceName, "not an icon file (bad header)");
    const std::size_t Count = F.U16(4, "icon header");
    if (Count == 0)
        Fail(SourceName, "icon file has no images");
    const std::size_t DirectoryEnd = 6 + 16 * Count;
    F.Need(6, 16 * Count, "icon directory");
    static constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<TIcoEntry> Entries;
    for (std::size_t I = 0; I < Count; ++I) {
        const std::size_t Base = 6 + 16 * I;
        const std::string Name = "image " + Num(I + 1);
        TIcoEntry Entry;
        const int W = F.U8(Base, "icon directory");
        const int H = F.U8(Base + 1, "icon directory");
        Entry.Width = W == 0 ? 256 : W;
        Entry.Height = H == 0 ? 256 : H;
        Entry.BitsPerPixel = F.U16(Base + 6, "icon directory");
        const std::uint32_t Size = F.U32(Base + 8, "icon directory");
        const std::uint32_t Offset = F.U32(Base + 12, "icon directory");
        if (Size == 0)
            Fail(SourceName, Name + " is empty");
        if (Offset < DirectoryEnd)
            Fail(SourceName, Name + " overlaps the icon directory (offset " + Num(Offset) + ")");
        if (!F.Has(Offset, Size))
            Fail(SourceName, Name + " lies outside the file (offset " + Num(Offset) + ", " + Num(Size) +
                                 " bytes, file " + Num(Data.size()) + " bytes)");
        Entry.Bytes = Data.subspan(Offset, Size);
        Entry.Png =
            Size >= 8 && std::equal(std::begin(PngSignature), std::end(PngSignature), Entry.Bytes.begin());
        Entries.push_back(Entry);
    }
    return Entries;
}

TBmpInfo ReadIconBitmapHeader(TByteSpan Entry, const std::string& SourceName)
{
    TFields F(Entry, SourceName);
    TBmpInfo Info = ReadDib(F, 0, NoOffset, true);
    if (Info.BitsPerPixel < 32) {
        const std::size_t MaskStride = (static_cast<std::size_t>(Info.Width) + 31) / 32 * 4;
        F.Need(Info.PixelOffset + Info.Stride * static_cast<std::size_t>(Info.Height),
               MaskStride * static_cast<std::size_t>(Info.Height), "transparency mask");
    }
    return Info;
}

void DecodeIconBitmapRows(TByteSpan Entry, const TBmpInfo& Info, const TBmpRowSink& Sink,
                          const std::string& SourceName)
{
    const TBmpDecoder Decoder(Entry, Info, SourceName);
    const TFields F(Entry, SourceName);
    const std::size_t Height = static_cast<std::size_t>(Info.Height);
    const std::size_t MaskStride = (static_cast<std::size_t>(Info.Width) + 31) / 32 * 4;
    const std::size_t MaskOffset = Info.PixelOffset + Info.Stride * Height;
    // A 32-bit image without a mask is fine as long as its alpha says what is transparent.
    const bool UseMask =
        !Decoder.AlphaUsed() && (Info.BitsPerPixel < 32 || F.Has(MaskOffset, MaskStride * Height));
    const std::uint8_t* Mask =
        UseMask ? F.Need(MaskOffset, MaskStride * Height, "transparency mask") : nullptr;
    std::vector<std::uint32_t> Row(static_cast<std::size_t>(Info.Width));
    for (int Y = 0; Y < Info.Height; ++Y) {
        const int Stored = Decoder.StoredRow(Y);
        Decoder.DecodeRow(Stored, Row.data());
        if (Mask != nullptr) {
            const std::uint8_t* Bits = Mask + static_cast<std::size_t>(Stored) * MaskStride;
            for (int X = 0; X < Info.Width; ++X)
                if ((Bits[X >> 3] >> (7 - (X & 7))) & 1)
                    Row[static_cast<std::size_t>(X)] = 0;
        }
        Sink(Y, Row.data());
    }
}

TImageSize ReadPngSize(TByteSpan Data, const std::string& SourceName)
{
    static constexpr std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TFields F(Data, SourceName);
    const std::uint8_t* P = F.Need(0, 24, "PNG header");
    if (!std::equal(std::begin(Signature), std::end(Signature), P) || std::memcmp(P + 12, "IHDR", 4) != 0)
        Fail(SourceName, "not a PNG image (bad signature)");
    const std::uint32_t Width = Be32(P + 16);
    const std::uint32_t Height = Be32(P + 20);
    if (Width == 0 || Height == 0)
        Fail(SourceName, "bad image size (" + Num(Width) + " x " + Num(Height) + ")");
    CheckImageSize(SourceName, Width, Height);
    return {static_cast<int>(Width), static_cast<int>(Height)};
}

TMetafileHeader ReadMetafileHeader(TByteSpan Data, const std::string& SourceName)
{
    if (Data.empty())
        Fail(SourceName, "empty file");
    TFields F(Data, SourceName);
    constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
    if (F.Has(0, 4) && F.U32(0, "header") == PlaceableKey)
        return ReadPlaceableWmf(F);
    if (F.Has(0, 4) && F.U32(0, "header") == 1)
        return ReadEmf(F);
    if (F.Has(0, 4) && (F.U16(0, "header") == 1 || F.U16(0, "header") == 2) && F.U16(2, "header") == 9) {
        TMetafileHeader Header;
        if (std::optional<TImageSize> Extent = ReadWmfRecords(F, 0)) {
            Header.Width = Extent->Width;
            Header.Height = Extent->Height;
        }
        Header.Bounds = {0, 0, Header.Width, Header.Height};
        return Header;
    }
    Fail(SourceName, "not a metafile (unknown header)");
}
