#pragma once
// Colours, fonts and graphics: bitmaps, icons and metafiles read from real files, and the picture
// that holds one of them.

#include "Classes.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A colour: 0x00BBGGRR (red in the lowest byte), or a system colour with the top bit set.
using TColor = std::int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clNone = 0x1FFFFFFF;

// "TColor": an integer type whose named constants are the colours above.
const TTypeInfo* ColorTypeInfo();

enum TFontStyle : std::uint8_t
{
    fsBold,
    fsItalic,
    fsUnderline,
    fsStrikeOut
};
using TFontStyles = TSet<TFontStyle>;
const TTypeInfo* FontStylesTypeInfo();

// A font as controls ask for it: a family name and a height in pixels (negative: the character
// height without internal leading, as form data stores it).
class TFont : public TPersistent
{
public:
    TFont();
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    int Charset() const { return FCharset; }
    void SetCharset(int Value);

    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;

private:
    void Changed();
    std::string FName = "MS Sans Serif";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    int FCharset = 1;
};

// A graphic's pixels or records, kept by the platform (shared copy-on-write between copies).
struct TImageData;

class TGraphic : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // True when the graphic holds no image.
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Reads the file. Raises EFOpenError when it cannot be read and EInvalidGraphic when its
    // contents are not valid; either way the graphic keeps what it held.
    void LoadFromFile(const std::string& FileName);
    // Decodes Data; SourceName names the data in error messages.
    virtual void LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName) = 0;
    // A new graphic of the same class holding a copy of this one (pixels shared copy-on-write);
    // a picture keeps its own copy of any graphic handed to it this way.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    TNotifyEvent OnChange;

protected:
    void Changed();
};

// A bitmap: 32-bit pixels decoded from a BMP file.
class TBitmap : public TGraphic
{
public:
    TBitmap();
    ~TBitmap() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName) override;
    std::unique_ptr<TGraphic> Clone() const override;
    void Assign(const TPersistent* Source) override;

    // A blank bitmap of the given size (0 by 0 empties it).
    void SetSize(int Width, int Height);
    // The pixel at X, Y as a colour, and its alpha (255 opaque); out of range raises EListError.
    TColor Pixel(int X, int Y) const;
    int Alpha(int X, int Y) const;
    void SetPixel(int X, int Y, TColor Color);

    TImageData& Data() { return *FData; }
    const TImageData& Data() const { return *FData; }

private:
    std::unique_ptr<TImageData> FData;
};

// An icon: every image of an ICO file, BMP-encoded and PNG-encoded entries alike. Width and Height
// are those of the entry that best fits 32 by 32.
class TIcon : public TGraphic
{
public:
    TIcon();
    ~TIcon() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName) override;
    std::unique_ptr<TGraphic> Clone() const override;
    void Assign(const TPersistent* Source) override;

    // The number of images, and the size, pixels and alpha of image Index.
    int ImageCount() const;
    int ImageWidth(int Index) const;
    int ImageHeight(int Index) const;
    TColor Pixel(int Index, int X, int Y) const;
    int Alpha(int Index, int X, int Y) const;

    TImageData& Data() { return *FData; }
    const TImageData& Data() const { return *FData; }

private:
    std::unique_ptr<TImageData> FData;
};

enum TMetafileKind : std::uint8_t
{
    mkEnhanced,
    mkWindows
};

// A metafile: the bytes of an EMF or WMF file and its parsed header.
class TMetafile : public TGraphic
{
public:
    TMetafile();
    ~TMetafile() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    bool Empty() const override;
    // The bounds' size in device pixels.
    int Width() const override;
    int Height() const override;
    void LoadFromBytes(const std::vector<std::uint8_t>& Data, const std::string& SourceName) override;
    std::unique_ptr<TGraphic> Clone() const override;
    void Assign(const TPersistent* Source) override;

    TMetafileKind Kind() const;
    // The bounds as the header gives them: left, top, right, bottom.
    std::vector<int> Bounds() const;
    const std::vector<std::uint8_t>& Bytes() const;

private:
    std::unique_ptr<TImageData> FData;
};

// A picture holds at most one graphic, a bitmap, an icon or a metafile.
class TPicture : public TPersistent
{
public:
    TPicture();
    ~TPicture() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The graphic held, or nullptr.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Replaces the graphic by a copy of Value (nullptr empties the picture).
    void SetGraphic(const TGraphic* Value);

    // The graphic as a bitmap (likewise icon, metafile). A graphic of another class, or none, is
    // first replaced by a new empty graphic of the requested class.
    TBitmap* Bitmap();
    TIcon* Icon();
    TMetafile* Metafile();
    // Replace the graphic by the picture's own copy of Value.
    void SetBitmap(const TBitmap* Value) { SetGraphic(Value); }
    void SetIcon(const TIcon* Value) { SetGraphic(Value); }
    void SetMetafile(const TMetafile* Value) { SetGraphic(Value); }

    // The graphic's size in pixels, 0 without one.
    int Width() const;
    int Height() const;

    // Loads a file; the graphic class follows the extension, compared without regard to case:
    // BMP a bitmap, ICO an icon, EMF and WMF a metafile. An unknown extension, a file that cannot
    // be read and invalid contents raise an Exception naming the file; the picture keeps its graphic.
    void LoadFromFile(const std::string& FileName);

    // Copies a picture or a graphic (nullptr empties the picture).
    void Assign(const TPersistent* Source) override;

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    template <class G> G* As();
    void Changed();
    std::unique_ptr<TGraphic> FGraphic;
};

// Reads a whole file, raising EFOpenError naming it and the reason when it cannot.
std::vector<std::uint8_t> ReadFileBytes(const std::string& FileName);
