#include "ImageFiles.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <bit>
#include <map>
#include <memory>
#include <stdexcept>

std::uint32_t TestImage::At(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= Width || Y >= Height)
        throw std::out_of_range("TestImage::At outside the image");
    return Pixels[static_cast<std::size_t>(Y) * Width + X];
}

void TestImage::Set(int X, int Y, std::uint32_t Argb)
{
    if (X < 0 || Y < 0 || X >= Width || Y >= Height)
        throw std::out_of_range("TestImage::Set outside the image");
    Pixels[static_cast<std::size_t>(Y) * Width + X] = Argb;
}

std::int32_t ColorOf(std::uint32_t Argb)
{
    return static_cast<std::int32_t>(((Argb >> 16) & 0xFF) | (Argb & 0xFF00) | ((Argb & 0xFF) << 16));
}

int AlphaOf(std::uint32_t Argb)
{
    return static_cast<int>(Argb >> 24);
}

namespace {

constexpr std::uint32_t PatternColours[16] = {
    0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF,
    0xFF800000, 0xFF008000, 0xFF000080, 0xFF808080, 0xFFC0C0C0, 0xFFFF8040, 0xFF4080FF, 0xFF123456,
};

std::uint32_t Mix(std::uint32_t X, std::uint32_t Y, std::uint32_t Seed)
{
    std::uint32_t H = X * 0x9E3779B1u ^ (Y + 0x7F4A7C15u) * 0x85EBCA77u ^ Seed * 0xC2B2AE3Du;
    H ^= H >> 15;
    H *= 0x2C1B3C6Du;
    H ^= H >> 12;
    H *= 0x297A2D39u;
    H ^= H >> 15;
    return H;
}

void Add16(std::string& Out, std::uint32_t Value)
{
    Out += static_cast<char>(Value & 0xFF);
    Out += static_cast<char>((Value >> 8) & 0xFF);
}

void Add32(std::string& Out, std::uint32_t Value)
{
    Add16(Out, Value & 0xFFFF);
    Add16(Out, Value >> 16);
}

void AddByte(std::string& Out, std::uint32_t Value)
{
    Out += static_cast<char>(Value & 0xFF);
}

void PadTo4(std::string& Out, std::size_t RowStart)
{
    while ((Out.size() - RowStart) % 4 != 0)
        Out += '\0';
}

bool Transparent(std::uint32_t Argb)
{
    return AlphaOf(Argb) == 0;
}

// Colour table of an image: its colours in order of first appearance, leaving out transparent pixels
// when SkipTransparent (RLE skips them), padded with grey when written.
class Palette
{
public:
    Palette(const TestImage& Image, std::size_t Capacity, bool SkipTransparent)
    {
        for (std::uint32_t P : Image.Pixels) {
            if (!SkipTransparent || !Transparent(P))
                Index(P);
        }
        if (FColours.size() > Capacity)
            throw std::invalid_argument("test image has more colours than the colour table holds");
    }
    std::uint32_t Index(std::uint32_t Argb)
    {
        const std::uint32_t Rgb = Argb & 0xFFFFFF;
        auto [It, Added] = FIndex.emplace(Rgb, static_cast<std::uint32_t>(FColours.size()));
        if (Added)
            FColours.push_back(Rgb);
        return It->second;
    }
    std::uint32_t Find(std::uint32_t Argb) const { return FIndex.at(Argb & 0xFFFFFF); }
    // Writes Size entries of 3 or 4 bytes.
    void Write(std::string& Out, std::size_t Size, bool Triples) const
    {
        for (std::size_t I = 0; I < Size; ++I) {
            const std::uint32_t Rgb = I < FColours.size() ? FColours[I] : 0x7F7F7F;
            AddByte(Out, Rgb);
            AddByte(Out, Rgb >> 8);
            AddByte(Out, Rgb >> 16);
            if (!Triples)
                Out += '\0';
        }
    }

private:
    std::vector<std::uint32_t> FColours;
    std::map<std::uint32_t, std::uint32_t> FIndex;
};

std::uint32_t Channel(std::uint32_t Value8, std::uint32_t Mask)
{
    if (Mask == 0)
        return 0;
    const int Shift = std::countr_zero(Mask);
    const std::uint64_t Max = Mask >> Shift;
    return static_cast<std::uint32_t>((Value8 * Max + 127) / 255) << Shift;
}

std::uint32_t Packed(std::uint32_t Argb, const std::array<std::uint32_t, 4>& Masks)
{
    return Channel((Argb >> 16) & 0xFF, Masks[0]) | Channel((Argb >> 8) & 0xFF, Masks[1]) |
           Channel(Argb & 0xFF, Masks[2]) | Channel(Argb >> 24, Masks[3]);
}

// Uncompressed rows in stored order, each padded to four bytes.
std::string PlainRows(const TestImage& Image, int Bpp, bool TopDown, const Palette* Colours,
                      const std::array<std::uint32_t, 4>& Masks, bool ZeroAlpha)
{
    std::string Out;
    for (int Stored = 0; Stored < Image.Height; ++Stored) {
        const int Y = TopDown ? Stored : Image.Height - 1 - Stored;
        const std::size_t RowStart = Out.size();
        std::uint32_t Bits = 0;
        int Count = 0;
        for (int X = 0; X < Image.Width; ++X) {
            const std::uint32_t P = Image.At(X, Y);
            if (Bpp <= 8) {
                Bits = Bits << Bpp | Colours->Find(P);
                Count += Bpp;
                if (Count == 8) {
                    AddByte(Out, Bits);
                    Bits = 0;
                    Count = 0;
                }
            } else if (Bpp == 16) {
                Add16(Out, Packed(P, Masks));
            } else if (Bpp == 24) {
                AddByte(Out, P);
                AddByte(Out, P >> 8);
                AddByte(Out, P >> 16);
            } else {
                Add32(Out, ZeroAlpha ? Packed(P, Masks) & ~Masks[3] : Packed(P, Masks));
            }
        }
        if (Count > 0)
            AddByte(Out, Bits << (8 - Count));
        PadTo4(Out, RowStart);
    }
    return Out;
}

// RLE8 or RLE4 encoding, rows bottom-up. Transparent pixels are skipped by escapes.
class RleWriter
{
public:
    RleWriter(const TestImage& Image, const Palette& Colours, bool Four)
        : FImage(Image), FColours(Colours), FFour(Four)
    {
    }

    std::string Encode()
    {
        for (int Stored = 0; Stored < FImage.Height; ++Stored) {
            const int Y = FImage.Height - 1 - Stored;
            int X = 0;
            while (X < FImage.Width) {
                if (Transparent(FImage.At(X, Y))) {
                    ++X;
                    continue;
                }
                int End = X;
                std::vector<std::uint32_t> Indices;
                while (End < FImage.Width && !Transparent(FImage.At(End, Y)))
                    Indices.push_back(FColours.Find(FImage.At(End++, Y)));
                MoveTo(X, Stored);
                Segment(Indices);
                FX = End;
                X = End;
            }
        }
        Escape(1);
        return FOut;
    }

private:
    void Escape(int Code)
    {
        AddByte(FOut, 0);
        AddByte(FOut, static_cast<std::uint32_t>(Code));
    }

    void Delta(int Dx, int Dy)
    {
        while (Dx > 0 || Dy > 0) {
            const int A = std::min(Dx, 255);
            const int B = std::min(Dy, 255);
            Escape(2);
            AddByte(FOut, static_cast<std::uint32_t>(A));
            AddByte(FOut, static_cast<std::uint32_t>(B));
            Dx -= A;
            Dy -= B;
        }
    }

    void MoveTo(int X, int Row)
    {
        if (Row > FRow && X < FX) {
            Escape(0);
            FX = 0;
            ++FRow;
        }
        Delta(X - FX, Row - FRow);
        FX = X;
        FRow = Row;
    }

    void Run(int Count, std::uint32_t Index)
    {
        AddByte(FOut, static_cast<std::uint32_t>(Count));
        AddByte(FOut, FFour ? Index << 4 | Index : Index);
    }

    void Literal(const std::uint32_t* Indices, int Count)
    {
        Escape(Count);
        const std::size_t Start = FOut.size();
        if (FFour) {
            for (int I = 0; I < Count; I += 2)
                AddByte(FOut, Indices[I] << 4 | (I + 1 < Count ? Indices[I + 1] : 0));
        } else {
            for (int I = 0; I < Count; ++I)
                AddByte(FOut, Indices[I]);
        }
        if ((FOut.size() - Start) % 2 != 0)
            FOut += '\0';
    }

    void Segment(const std::vector<std::uint32_t>& Indices)
    {
        const int N = static_cast<int>(Indices.size());
        int I = 0;
        while (I < N) {
            int Same = 1;
            while (I + Same < N && Same < 255 && Indices[I + Same] == Indices[I])
                ++Same;
            if (Same >= 2) {
                Run(Same, Indices[I]);
                I += Same;
                continue;
            }
            int J = I;
            while (J < N && J - I < 255 && !(J + 1 < N && Indices[J + 1] == Indices[J]))
                ++J;
            if (J - I >= 3) {
                Literal(Indices.data() + I, J - I);
            } else {
                for (int K = I; K < J; ++K)
                    Run(1, Indices[K]);
            }
            I = J;
        }
    }

    const TestImage& FImage;
    const Palette& FColours;
    bool FFour;
    std::string FOut;
    int FX = 0;
    int FRow = 0;
};

std::uint32_t HeaderSize(BmpHeader Header)
{
    switch (Header) {
    case BmpHeader::Core:
        return 12;
    case BmpHeader::Info:
        return 40;
    case BmpHeader::V4:
        return 108;
    case BmpHeader::V5:
        return 124;
    }
    return 40;
}

std::array<std::uint32_t, 4> DefaultMasks(int Bpp)
{
    if (Bpp == 16)
        return {0xF800, 0x07E0, 0x001F, 0};
    return {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
}

// A BITMAPINFOHEADER-style header (40 bytes) and, for V4 and V5, the rest.
void InfoHeader(std::string& Out, BmpHeader Kind, int Width, int Height, int Bpp, std::uint32_t Compression,
                std::uint32_t ImageSize, std::uint32_t ColorsUsed, const std::array<std::uint32_t, 4>& Masks)
{
    Add32(Out, HeaderSize(Kind));
    Add32(Out, static_cast<std::uint32_t>(Width));
    Add32(Out, static_cast<std::uint32_t>(Height));
    Add16(Out, 1);
    Add16(Out, static_cast<std::uint32_t>(Bpp));
    Add32(Out, Compression);
    Add32(Out, ImageSize);
    Add32(Out, 2835);
    Add32(Out, 2835);
    Add32(Out, ColorsUsed);
    Add32(Out, 0);
    if (Kind == BmpHeader::V4 || Kind == BmpHeader::V5) {
        for (std::uint32_t Mask : Masks)
            Add32(Out, Mask);
        Add32(Out, 0x73524742); // sRGB
        Out.append(36 + 12, '\0');
    }
    if (Kind == BmpHeader::V5) {
        Add32(Out, 4); // pictures
        Out.append(12, '\0');
    }
}

} // namespace

TestImage PatternImage(int Width, int Height, int Colours, int RunLength, bool WithAlpha, std::uint32_t Seed)
{
    TestImage Image = SolidImage(Width, Height, 0xFF000000);
    const int Count = std::clamp(Colours, 0, 16);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X) {
            const std::uint32_t H = Mix(static_cast<std::uint32_t>(X / std::max(RunLength, 1)),
                                        static_cast<std::uint32_t>(Y), Seed);
            std::uint32_t Argb = Count == 0 ? (0xFF000000 | (H & 0xFFFFFF)) : PatternColours[H % Count];
            if (WithAlpha) {
                const std::uint32_t A =
                    Mix(static_cast<std::uint32_t>(X), static_cast<std::uint32_t>(Y), Seed + 1);
                const std::uint32_t Alpha = A % 4 == 0 ? 0 : A % 4 == 1 ? 255 : (A >> 8) & 0xFF;
                Argb = (Argb & 0xFFFFFF) | Alpha << 24;
            }
            Image.Set(X, Y, Argb);
        }
    return Image;
}

TestImage SolidImage(int Width, int Height, std::uint32_t Argb)
{
    TestImage Image;
    Image.Width = Width;
    Image.Height = Height;
    Image.Pixels.assign(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), Argb);
    return Image;
}

void ClearRect(TestImage& Image, int Left, int Top, int Width, int Height)
{
    for (int Y = Top; Y < Top + Height; ++Y)
        for (int X = Left; X < Left + Width; ++X)
            Image.Set(X, Y, 0);
}

std::string BmpFile(const TestImage& Image, const BmpOptions& Options)
{
    const int Bpp = Options.BitsPerPixel;
    const bool Core = Options.Header == BmpHeader::Core;
    const bool Extended = Options.Header == BmpHeader::V4 || Options.Header == BmpHeader::V5;
    std::array<std::uint32_t, 4> Masks = Options.Masks;
    if (Masks == std::array<std::uint32_t, 4>{})
        Masks = DefaultMasks(Bpp);
    if (Bpp == 16 && !Options.BitFields)
        Masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (Bpp == 32 && !Options.BitFields)
        Masks = DefaultMasks(32);
    // Without an alpha mask in the header the pixels carry none.
    const bool FourMasks = Options.BitFields && !Extended && Masks[3] != 0;
    if (Options.BitFields && !Extended && !FourMasks)
        Masks[3] = 0;

    std::uint32_t Compression = 0;
    if (Options.Rle)
        Compression = Bpp == 8 ? 1 : 2;
    else if (Options.BitFields)
        Compression = FourMasks ? 6 : 3;

    const std::size_t TableSize =
        Bpp <= 8 ? (Options.ColorsUsed ? Options.ColorsUsed : std::size_t(1) << Bpp) : 0;
    std::unique_ptr<Palette> Colours;
    if (Bpp <= 8)
        Colours = std::make_unique<Palette>(Image, TableSize, Options.Rle);

    std::string Pixels = Options.RawPixels;
    if (Pixels.empty())
        Pixels = Options.Rle
                     ? RleWriter(Image, *Colours, Bpp == 4).Encode()
                     : PlainRows(Image, Bpp, Options.TopDown, Colours.get(), Masks, Options.ZeroAlpha);

    std::string Header;
    if (Core) {
        Add32(Header, 12);
        Add16(Header, static_cast<std::uint32_t>(Image.Width));
        Add16(Header, static_cast<std::uint32_t>(Image.Height));
        Add16(Header, 1);
        Add16(Header, static_cast<std::uint32_t>(Bpp));
    } else {
        const int Height = Options.TopDown ? -Image.Height : Image.Height;
        InfoHeader(Header, Options.Header, Image.Width, Height, Bpp, Compression,
                   static_cast<std::uint32_t>(Pixels.size()), static_cast<std::uint32_t>(Options.ColorsUsed),
                   Options.BitFields ? Masks : std::array<std::uint32_t, 4>{});
        if (Options.BitFields && !Extended)
            for (std::size_t I = 0; I < (FourMasks ? 4u : 3u); ++I)
                Add32(Header, Masks[I]);
    }
    if (Colours)
        Colours->Write(Header, TableSize, Core);

    std::string File = "BM";
    const std::uint32_t PixelOffset = static_cast<std::uint32_t>(14 + Header.size());
    Add32(File, static_cast<std::uint32_t>(PixelOffset + Pixels.size()));
    Add32(File, 0);
    Add32(File, PixelOffset);
    return File + Header + Pixels;
}

std::string PngFile(const TestImage& Image)
{
    QImage Q(Image.Width, Image.Height, QImage::Format_ARGB32);
    for (int Y = 0; Y < Image.Height; ++Y)
        for (int X = 0; X < Image.Width; ++X)
            Q.setPixel(X, Y, Image.At(X, Y));
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    if (!Q.save(&Buffer, "PNG"))
        throw std::runtime_error("cannot encode a PNG image");
    return Bytes.toStdString();
}

namespace {

std::string IconBitmap(const IconEntry& Entry)
{
    const TestImage& Image = Entry.Image;
    const int Bpp = Entry.BitsPerPixel;
    std::string Out;
    // The colour image shows black where the mask makes it transparent, as icon editors write it.
    TestImage Xor = Image;
    if (Bpp < 32)
        for (std::uint32_t& P : Xor.Pixels)
            P = Transparent(P) ? 0xFF000000 : P | 0xFF000000;
    const std::size_t TableSize = Bpp <= 8 ? std::size_t(1) << Bpp : 0;
    std::unique_ptr<Palette> Colours;
    if (Bpp <= 8)
        Colours = std::make_unique<Palette>(Xor, TableSize, false);
    const std::string Colour = PlainRows(Xor, Bpp, false, Colours.get(), DefaultMasks(32), Entry.ZeroAlpha);
    std::string Mask;
    for (int Stored = 0; Stored < Image.Height; ++Stored) {
        const int Y = Image.Height - 1 - Stored;
        const std::size_t RowStart = Mask.size();
        for (int X = 0; X < Image.Width; X += 8) {
            std::uint32_t Bits = 0;
            for (int B = 0; B < 8; ++B)
                Bits = Bits << 1 | (X + B < Image.Width && Transparent(Image.At(X + B, Y)) ? 1 : 0);
            AddByte(Mask, Bits);
        }
        PadTo4(Mask, RowStart);
    }
    InfoHeader(Out, BmpHeader::Info, Image.Width, 2 * Image.Height, Bpp, 0,
               static_cast<std::uint32_t>(Colour.size() + Mask.size()), 0, {});
    if (Colours)
        Colours->Write(Out, TableSize, false);
    return Out + Colour + Mask;
}

} // namespace

std::string IcoFile(const std::vector<IconEntry>& Entries)
{
    std::string Directory;
    Add16(Directory, 0);
    Add16(Directory, 1);
    Add16(Directory, static_cast<std::uint32_t>(Entries.size()));
    std::string Images;
    const std::size_t DataStart = 6 + 16 * Entries.size();
    for (const IconEntry& Entry : Entries) {
        const std::string Body = Entry.Png ? PngFile(Entry.Image) : IconBitmap(Entry);
        const int Bpp = Entry.Png ? 32 : Entry.BitsPerPixel;
        AddByte(Directory, Entry.Image.Width >= 256 ? 0 : static_cast<std::uint32_t>(Entry.Image.Width));
        AddByte(Directory, Entry.Image.Height >= 256 ? 0 : static_cast<std::uint32_t>(Entry.Image.Height));
        AddByte(Directory, Bpp < 8 ? 1u << Bpp : 0);
        AddByte(Directory, 0);
        Add16(Directory, 1);
        Add16(Directory, static_cast<std::uint32_t>(Bpp));
        Add32(Directory, static_cast<std::uint32_t>(Body.size()));
        Add32(Directory, static_cast<std::uint32_t>(DataStart + Images.size()));
        Images += Body;
    }
    return Directory + Images;
}

std::string EmfFile(int Left, int Top, int Right, int Bottom)
{
    std::string Out;
    Add32(Out, 1); // EMR_HEADER
    Add32(Out, 88);
    for (int V : {Left, Top, Right, Bottom})
        Add32(Out, static_cast<std::uint32_t>(V));
    // The frame in hundredths of a millimetre, at 96 pixels per inch.
    for (int V : {Left, Top, Right, Bottom})
        Add32(Out, static_cast<std::uint32_t>(V * 2540 / 96));
    Add32(Out, 0x464D4520); // " EMF"
    Add32(Out, 0x10000);
    Add32(Out, 88 + 20);
    Add32(Out, 2);
    Add16(Out, 1);
    Add16(Out, 0);
    Add32(Out, 0);
    Add32(Out, 0);
    Add32(Out, 0);
    for (int V : {1920, 1080, 508, 286}) // device size in pixels and millimetres
        Add32(Out, static_cast<std::uint32_t>(V));
    Add32(Out, 14); // EMR_EOF
    Add32(Out, 20);
    Add32(Out, 0);
    Add32(Out, 16);
    Add32(Out, 20);
    return Out;
}

std::string WmfFile(const WmfOptions& Options)
{
    std::string Records;
    auto Record = [&Records](std::uint32_t Function, std::initializer_list<int> Params) {
        Add32(Records, static_cast<std::uint32_t>(3 + Params.size()));
        Add16(Records, Function);
        for (int P : Params)
            Add16(Records, static_cast<std::uint32_t>(P));
    };
    Record(0x020B, {Options.Top, Options.Left}); // SetWindowOrg: y, x
    if (Options.WindowWidth != 0 || Options.WindowHeight != 0)
        Record(0x020C, {Options.WindowHeight, Options.WindowWidth}); // SetWindowExt: y, x
    Record(0x0000, {});                                              // end of file

    std::string Out;
    if (Options.Placeable) {
        Add32(Out, 0x9AC6CDD7);
        Add16(Out, 0);
        for (int V : {Options.Left, Options.Top, Options.Right, Options.Bottom})
            Add16(Out, static_cast<std::uint32_t>(V));
        Add16(Out, static_cast<std::uint32_t>(Options.UnitsPerInch));
        Add32(Out, 0);
        std::uint32_t Sum = 0;
        for (std::size_t I = 0; I < 20; I += 2)
            Sum ^= static_cast<std::uint8_t>(Out[I]) | static_cast<std::uint8_t>(Out[I + 1]) << 8;
        Add16(Out, Sum);
    }
    Add16(Out, 1); // in memory
    Add16(Out, 9);
    Add16(Out, 0x0300);
    Add32(Out, static_cast<std::uint32_t>((18 + Records.size()) / 2));
    Add16(Out, 0);
    Add32(Out, 5);
    Add16(Out, 0);
    return Out + Records;
}

void PutU16(std::string& Bytes, std::size_t Offset, std::uint16_t Value)
{
    Bytes.at(Offset) = static_cast<char>(Value & 0xFF);
    Bytes.at(Offset + 1) = static_cast<char>(Value >> 8);
}

void PutU32(std::string& Bytes, std::size_t Offset, std::uint32_t Value)
{
    PutU16(Bytes, Offset, static_cast<std::uint16_t>(Value & 0xFFFF));
    PutU16(Bytes, Offset + 2, static_cast<std::uint16_t>(Value >> 16));
}
