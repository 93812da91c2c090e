#include "Graphics.hpp"

#include "GraphicsImage.hpp"
#include "ImageCodecs.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

// Colours

const TTypeInfo* ColorTypeInfo()
{
    static const TTypeInfo Info = [] {
        TTypeInfo T;
        T.Name = "TColor";
        T.Kind = tkInteger;
        T.Idents = {{"clBlack", clBlack},   {"clMaroon", clMaroon},
                    {"clGreen", clGreen},   {"clNavy", clNavy},
                    {"clGray", clGray},     {"clSilver", clSilver},
                    {"clRed", clRed},       {"clBlue", clBlue},
                    {"clWhite", clWhite},   {"clWindowText", clWindowText},
                    {"clWindow", clWindow}, {"clBtnFace", clBtnFace},
                    {"clNone", clNone}};
        return T;
    }();
    return &Info;
}

const TTypeInfo* FontStylesTypeInfo()
{
    static const TTypeInfo Info = [] {
        TTypeInfo T;
        T.Name = "TFontStyles";
        T.Kind = tkSet;
        T.EnumNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
        return T;
    }();
    return &Info;
}

QRgb ColorToRgb(TColor Color)
{
    // The classic Windows scheme, indexed by the low byte of a system colour.
    static constexpr std::array<QRgb, 25> SystemColors = {
        0xC0C0C0, 0x008080, 0x000080, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x000080, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
        0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000, 0xFFFFE1};
    if (Color == clNone)
        return 0;
    const auto Value = static_cast<std::uint32_t>(Color);
    if (Value & 0x80000000u) {
        const std::uint32_t Index = Value & 0xFF;
        return 0xFF000000u | (Index < SystemColors.size() ? SystemColors[Index] : 0);
    }
    return qRgb(static_cast<int>(Value & 0xFF), static_cast<int>((Value >> 8) & 0xFF),
                static_cast<int>((Value >> 16) & 0xFF));
}

namespace {

TColor RgbToColor(QRgb Rgb)
{
    return static_cast<TColor>(qRed(Rgb) | qGreen(Rgb) << 8 | qBlue(Rgb) << 16);
}

void CheckPixel(const QImage& Image, int X, int Y, const std::string& What)
{
    if (X < 0 || Y < 0 || X >= Image.width() || Y >= Image.height())
        throw EListError("Pixel (" + IntToStr(X) + ", " + IntToStr(Y) + ") lies outside the " +
                         IntToStr(Image.width()) + " x " + IntToStr(Image.height()) + " " + What);
}

// Builds an image from a row decoder, which is handed the sink that stores each row.
template <class Decode>
QImage ImageFromRows(int Width, int Height, const std::string& SourceName, Decode&& Run)
{
    QImage Image(Width, Height, QImage::Format_ARGB32);
    if (Image.isNull())
        throw EInvalidGraphic(SourceName + ": not enough memory for a " + IntToStr(Width) + " x " +
                              IntToStr(Height) + " image");
    const std::size_t RowBytes = static_cast<std::size_t>(Width) * sizeof(std::uint32_t);
    Run([&Image, RowBytes](int Y, const std::uint32_t* Row) {
        std::memcpy(Image.scanLine(Y), Row, RowBytes);
    });
    return Image;
}

QImage DecodeIconBitmap(TByteSpan Entry, const std::string& Name, int& Depth)
{
    const TBmpInfo Info = ReadIconBitmapHeader(Entry, Name);
    Depth = Info.BitsPerPixel;
    return ImageFromRows(Info.Width, Info.Height, Name,
                         [&](const TBmpRowSink& Sink) { DecodeIconBitmapRows(Entry, Info, Sink, Name); });
}

QImage DecodePng(TByteSpan Entry, const std::string& Name)
{
    const TImageSize Size = ReadPngSize(Entry, Name);
    QByteArray Raw = QByteArray::fromRawData(reinterpret_cast<const char*>(Entry.data()),
                                             static_cast<qsizetype>(Entry.size()));
    QBuffer Buffer(&Raw);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, "png");
    Reader.setAllocationLimit(static_cast<int>(MaxImagePixels * 4 / (1024 * 1024)));
    QImage Image = Reader.read();
    if (Image.isNull())
        throw EInvalidGraphic(Name + ": invalid PNG data (" + Reader.errorString().toStdString() + ")");
    if (Image.width() != Size.Width || Image.height() != Size.Height)
        throw EInvalidGraphic(Name + ": invalid PNG data (size differs from its header)");
    return Image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QImage DecodeBmpImage(TByteSpan Data, const std::string& SourceName)
{
    const TBmpInfo Info = ReadBmpHeader(Data, SourceName);
    return ImageFromRows(Info.Width, Info.Height, SourceName,
                         [&](const TBmpRowSink& Sink) { DecodeBmpRows(Data, Info, Sink, SourceName); });
}

// TFont

TFont::TFont() = default;

const TTypeInfo* TFont::TypeInfo()
{
    static const TTypeInfo Info = [] {
        TPropInfo Style;
        Style.Name = "Style";
        Style.PropType = FontStylesTypeInfo();
        Style.GetOrd = [](const TObject* O) {
            return static_cast<std::int64_t>(static_cast<const TFont*>(O)->Style().Mask());
        };
        Style.SetOrd = [](TObject* O, std::int64_t V) {
            static_cast<TFont*>(O)->SetStyle(TFontStyles::FromMask(static_cast<std::uint64_t>(V)));
        };
        return ClassTypeInfo("TFont", TPersistent::TypeInfo(),
                             {StrProp("Name", &TFont::Name, &TFont::SetName),
                              IntProp("Height", &TFont::Height, &TFont::SetHeight),
                              OrdProp("Color", ColorTypeInfo(), &TFont::Color, &TFont::SetColor),
                              std::move(Style), IntProp("Charset", &TFont::Charset, &TFont::SetCharset)});
    }();
    return &Info;
}

void TFont::SetName(const std::string& Value)
{
    if (Value != FName) {
        FName = Value;
        Changed();
    }
}

void TFont::SetHeight(int Value)
{
    if (Value != FHeight) {
        FHeight = Value;
        Changed();
    }
}

void TFont::SetColor(TColor Value)
{
    if (Value != FColor) {
        FColor = Value;
        Changed();
    }
}

void TFont::SetStyle(TFontStyles Value)
{
    if (!(Value == FStyle)) {
        FStyle = Value;
        Changed();
    }
}

void TFont::SetCharset(int Value)
{
    if (Value != FCharset) {
        FCharset = Value;
        Changed();
    }
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto* Other = dynamic_cast<const TFont*>(Source)) {
        if (Other == this)
            return;
        FName = Other->FName;
        FHeight = Other->FHeight;
        FColor = Other->FColor;
        FStyle = Other->FStyle;
        FCharset = Other->FCharset;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

// TGraphic

const TTypeInfo* TGraphic::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TGraphic", TPersistent::TypeInfo());
    return &Info;
}

void TGraphic::LoadFromFile(const std::string& FileName)
{
    LoadFromBytes(ReadFileBytes(FileName), FileName);
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

// TBitmap

TBitmap::TBitmap() : FData(std::make_unique<TImageData>())
{
}

TBitmap::~TBitmap() = default;

const TTypeInfo* TBitmap::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TBitmap", TGraphic::TypeInfo());
    return &Info;
}

bool TBitmap::Empty() const
{
    return FData->Bitmap.isNull();
}

int TBitmap::Width() const
{
    return FData->Bitmap.width();
}

int TBitmap::Height() const
{
    return FData->Bitmap.height();
}

void TBitmap::LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName)
{
    FData->Bitmap = DecodeBmpImage(Data, SourceName);
    Changed();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    auto Copy = std::make_unique<TBitmap>();
    *Copy->FData = *FData;
    return Copy;
}

void TBitmap::Assign(const TPersistent* Source)
{
    if (Source == nullptr) {
        FData->Bitmap = QImage();
        Changed();
        return;
    }
    if (auto* Other = dynamic_cast<const TBitmap*>(Source)) {
        if (Other != this) {
            FData->Bitmap = Other->FData->Bitmap;
            Changed();
        }
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::SetSize(int Width, int Height)
{
    if (Width < 0 || Height < 0 || Width > MaxImageSide || Height > MaxImageSide ||
        std::int64_t(Width) * Height > MaxImagePixels)
        throw EInvalidGraphicOperation("Invalid bitmap size (" + IntToStr(Width) + " x " + IntToStr(Height) +
                                       ")");
    QImage Image;
    if (Width > 0 && Height > 0) {
        Image = QImage(Width, Height, QImage::Format_ARGB32);
        if (Image.isNull())
            throw EInvalidGraphicOperation("Not enough memory for a " + IntToStr(Width) + " x " +
                                           IntToStr(Height) + " bitmap");
        Image.fill(ColorToRgb(clWhite));
    }
    FData->Bitmap = std::move(Image);
    Changed();
}

TColor TBitmap::Pixel(int X, int Y) const
{
    CheckPixel(FData->Bitmap, X, Y, "bitmap");
    return RgbToColor(FData->Bitmap.pixel(X, Y));
}

int TBitmap::Alpha(int X, int Y) const
{
    CheckPixel(FData->Bitmap, X, Y, "bitmap");
    return qAlpha(FData->Bitmap.pixel(X, Y));
}

void TBitmap::SetPixel(int X, int Y, TColor Color)
{
    CheckPixel(FData->Bitmap, X, Y, "bitmap");
    FData->Bitmap.setPixel(X, Y, ColorToRgb(Color));
    Changed();
}

const QImage& BitmapImage(const TBitmap& Bitmap)
{
    return Bitmap.Data().Bitmap;
}

void SetBitmapImage(TBitmap& Bitmap, QImage Image)
{
    if (!Image.isNull() && Image.format() != QImage::Format_ARGB32)
        Image = Image.convertToFormat(QImage::Format_ARGB32);
    Bitmap.Data().Bitmap = std::move(Image);
    if (Bitmap.OnChange)
        Bitmap.OnChange(&Bitmap);
}

// TIcon

TIcon::TIcon() : FData(std::make_unique<TImageData>())
{
}

TIcon::~TIcon() = default;

const TTypeInfo* TIcon::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TIcon", TGraphic::TypeInfo());
    return &Info;
}

bool TIcon::Empty() const
{
    return FData->IconImages.empty();
}

int TIcon::Width() const
{
    return IconImage(*this, 32).width();
}

int TIcon::Height() const
{
    return IconImage(*this, 32).height();
}

void TIcon::LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName)
{
    const std::vector<TIcoEntry> Entries = ReadIcoDirectory(Data, SourceName);
    std::vector<QImage> Images;
    std::vector<int> Depths;
    for (std::size_t I = 0; I < Entries.size(); ++I) {
        const std::string Name = SourceName + ": image " + IntToStr(static_cast<std::int64_t>(I + 1));
        int Depth = 32;
        Images.push_back(Entries[I].Png ? DecodePng(Entries[I].Bytes, Name)
                                        : DecodeIconBitmap(Entries[I].Bytes, Name, Depth));
        Depths.push_back(Depth);
    }
    FData->IconImages = std::move(Images);
    FData->IconDepths = std::move(Depths);
    Changed();
}

std::unique_ptr<TGraphic> TIcon::Clone() const
{
    auto Copy = std::make_unique<TIcon>();
    *Copy->FData = *FData;
    return Copy;
}

void TIcon::Assign(const TPersistent* Source)
{
    if (Source == nullptr) {
        FData->IconImages.clear();
        FData->IconDepths.clear();
        Changed();
        return;
    }
    if (auto* Other = dynamic_cast<const TIcon*>(Source)) {
        if (Other != this) {
            FData->IconImages = Other->FData->IconImages;
            FData->IconDepths = Other->FData->IconDepths;
            Changed();
        }
        return;
    }
    TGraphic::Assign(Source);
}

int TIcon::ImageCount() const
{
    return static_cast<int>(FData->IconImages.size());
}

namespace {

const QImage& IconEntry(const TImageData& Data, int Index)
{
    if (Index < 0 || Index >= static_cast<int>(Data.IconImages.size()))
        throw EListError("Icon image index out of bounds (" + IntToStr(Index) + ")");
    return Data.IconImages[static_cast<std::size_t>(Index)];
}

} // namespace

int TIcon::ImageWidth(int Index) const
{
    return IconEntry(*FData, Index).width();
}

int TIcon::ImageHeight(int Index) const
{
    return IconEntry(*FData, Index).height();
}

TColor TIcon::Pixel(int Index, int X, int Y) const
{
    const QImage& Image = IconEntry(*FData, Index);
    CheckPixel(Image, X, Y, "icon image");
    return RgbToColor(Image.pixel(X, Y));
}

int TIcon::Alpha(int Index, int X, int Y) const
{
    const QImage& Image = IconEntry(*FData, Index);
    CheckPixel(Image, X, Y, "icon image");
    return qAlpha(Image.pixel(X, Y));
}

const std::vector<QImage>& IconImages(const TIcon& Icon)
{
    return Icon.Data().IconImages;
}

int BestIconIndex(const TIcon& Icon, int PreferredSize)
{
    const TImageData& Data = Icon.Data();
    int Best = -1;
    std::tuple<int, int, int> BestKey;
    for (std::size_t I = 0; I < Data.IconImages.size(); ++I) {
        const QImage& Image = Data.IconImages[I];
        const int Distance =
            std::abs(Image.width() - PreferredSize) + std::abs(Image.height() - PreferredSize);
        // Smaller is better in every part: the distance, then the larger area, then the deeper colour.
        const std::tuple<int, int, int> Key{Distance, -Image.width() * Image.height(), -Data.IconDepths[I]};
        if (Best < 0 || Key < BestKey) {
            Best = static_cast<int>(I);
            BestKey = Key;
        }
    }
    return Best;
}

QImage IconImage(const TIcon& Icon, int PreferredSize)
{
    const int Index = BestIconIndex(Icon, PreferredSize);
    return Index < 0 ? QImage() : Icon.Data().IconImages[static_cast<std::size_t>(Index)];
}

// TMetafile

TMetafile::TMetafile() : FData(std::make_unique<TImageData>())
{
}

TMetafile::~TMetafile() = default;

const TTypeInfo* TMetafile::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TMetafile", TGraphic::TypeInfo());
    return &Info;
}

bool TMetafile::Empty() const
{
    return !FData->Metafile.Bytes;
}

int TMetafile::Width() const
{
    return FData->Metafile.Width;
}

int TMetafile::Height() const
{
    return FData->Metafile.Height;
}

void TMetafile::LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName)
{
    const TMetafileHeader Header = ReadMetafileHeader(Data, SourceName);
    TMetafileData Loaded;
    Loaded.Bytes = std::make_shared<const std::vector<std::uint8_t>>(Data);
    Loaded.Kind = Header.Enhanced ? mkEnhanced : mkWindows;
    Loaded.Bounds = Header.Bounds;
    Loaded.Width = Header.Width;
    Loaded.Height = Header.Height;
    FData->Metafile = std::move(Loaded);
    Changed();
}

std::unique_ptr<TGraphic> TMetafile::Clone() const
{
    auto Copy = std::make_unique<TMetafile>();
    *Copy->FData = *FData;
    return Copy;
}

void TMetafile::Assign(const TPersistent* Source)
{
    if (Source == nullptr) {
        FData->Metafile = {};
        Changed();
        return;
    }
    if (auto* Other = dynamic_cast<const TMetafile*>(Source)) {
        if (Other != this) {
            FData->Metafile = Other->FData->Metafile;
            Changed();
        }
        return;
    }
    TGraphic::Assign(Source);
}

TMetafileKind TMetafile::Kind() const
{
    return FData->Metafile.Kind;
}

std::vector<int> TMetafile::Bounds() const
{
    return {FData->Metafile.Bounds.begin(), FData->Metafile.Bounds.end()};
}

const std::vector<std::uint8_t>& TMetafile::Bytes() const
{
    static const std::vector<std::uint8_t> None;
    return FData->Metafile.Bytes ? *FData->Metafile.Bytes : None;
}

// TPicture

namespace {

template <class G> std::unique_ptr<TGraphic> NewGraphic()
{
    return std::make_unique<G>();
}

struct TPictureExtension
{
    const char* Extension;
    std::unique_ptr<TGraphic> (*Create)();
};

constexpr TPictureExtension PictureExtensions[] = {
    {".bmp", &NewGraphic<TBitmap>},
    {".ico", &NewGraphic<TIcon>},
    {".emf", &NewGraphic<TMetafile>},
    {".wmf", &NewGraphic<TMetafile>},
};

// The handler a picture installs on its graphic: a change of the graphic is a change of the picture.
TNotifyEvent PictureHook(TPicture* Picture)
{
    return [Picture](TObject*) {
        if (Picture->OnChange)
            Picture->OnChange(Picture);
    };
}

} // namespace

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

const TTypeInfo* TPicture::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TPicture", TPersistent::TypeInfo());
    return &Info;
}

void TPicture::SetGraphic(const TGraphic* Value)
{
    std::unique_ptr<TGraphic> Copy = Value ? Value->Clone() : nullptr;
    if (Copy)
        Copy->OnChange = PictureHook(this);
    FGraphic = std::move(Copy);
    Changed();
}

template <class G> G* TPicture::As()
{
    if (auto* Typed = dynamic_cast<G*>(FGraphic.get()))
        return Typed;
    const bool Discarded = FGraphic != nullptr;
    auto Fresh = std::make_unique<G>();
    G* Result = Fresh.get();
    Fresh->OnChange = PictureHook(this);
    FGraphic = std::move(Fresh);
    if (Discarded)
        Changed();
    return Result;
}

TBitmap* TPicture::Bitmap()
{
    return As<TBitmap>();
}

TIcon* TPicture::Icon()
{
    return As<TIcon>();
}

TMetafile* TPicture::Metafile()
{
    return As<TMetafile>();
}

int TPicture::Width() const
{
    return FGraphic ? FGraphic->Width() : 0;
}

int TPicture::Height() const
{
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromFile(const std::string& FileName)
{
    const std::string Extension = LowerCase(std::filesystem::path(FileName).extension().string());
    const auto Known = std::find_if(std::begin(PictureExtensions), std::end(PictureExtensions),
                                    [&](const TPictureExtension& E) { return Extension == E.Extension; });
    if (Known == std::end(PictureExtensions))
        throw EInvalidGraphic("Unknown picture file extension (" + (Extension.empty() ? "none" : Extension) +
                              "): " + FileName);
    // Loaded into a graphic of its own first, so that a failure leaves the picture as it was.
    std::unique_ptr<TGraphic> Fresh = Known->Create();
    Fresh->LoadFromFile(FileName);
    Fresh->OnChange = PictureHook(this);
    FGraphic = std::move(Fresh);
    Changed();
}

void TPicture::Assign(const TPersistent* Source)
{
    if (Source == nullptr) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* Other = dynamic_cast<const TPicture*>(Source)) {
        if (Other != this)
            SetGraphic(Other->Graphic());
        return;
    }
    if (auto* Graphic = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(Graphic);
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) const
{
    if (auto* Graphic = dynamic_cast<TGraphic*>(Dest)) {
        if (!FGraphic) {
            Graphic->Assign(nullptr);
            return;
        }
        if (FGraphic->InheritsFrom(Graphic->ClassInfo())) {
            Graphic->Assign(FGraphic.get());
            return;
        }
    }
    TPersistent::AssignTo(Dest);
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

// Files

std::vector<std::uint8_t> ReadFileBytes(const std::string& FileName)
{
    auto Failure = [&FileName](const char* Action, int Error) {
        return EFOpenError("Cannot " + std::string(Action) + " file \"" + FileName +
                           "\": " + std::generic_category().message(Error));
    };
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0)
        throw Failure("open", errno);
    struct TCloser
    {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } Closer{Fd};
    struct stat Status = {};
    if (::fstat(Fd, &Status) != 0)
        throw Failure("open", errno);
    if (S_ISDIR(Status.st_mode))
        throw Failure("open", EISDIR);
    std::vector<std::uint8_t> Bytes;
    if (S_ISREG(Status.st_mode) && Status.st_size > 0)
        Bytes.reserve(static_cast<std::size_t>(Status.st_size));
    // Read to the end rather than trusting the size, which some files do not report.
    std::array<std::uint8_t, 65536> Chunk;
    for (;;) {
        const ssize_t Count = ::read(Fd, Chunk.data(), Chunk.size());
        if (Count < 0) {
            if (errno == EINTR)
                continue;
            throw Failure("read", errno);
        }
        if (Count == 0)
            return Bytes;
        Bytes.insert(Bytes.end(), Chunk.begin(), Chunk.begin() + Count);
    }
}

namespace {

struct TGraphicsRegistration
{
    TGraphicsRegistration()
    {
        for (const TTypeInfo* Class : {TFont::TypeInfo(), TBitmap::TypeInfo(), TIcon::TypeInfo(),
                                       TMetafile::TypeInfo(), TPicture::TypeInfo()})
            RegisterClass(Class);
    }
} const GraphicsRegistration;

} // namespace
