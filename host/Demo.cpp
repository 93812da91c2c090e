#include "Demo.hpp"

#include "Script.hpp"
#include "SysUtils.hpp"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

// Maroon, red 128: the colour that image lists and glyphs treat as transparent.
const QColor Maroon(128, 0, 0);

using TDrawing = std::function<void(QPainter& Painter, int Width, int Height)>;

QImage Draw(int Width, int Height, const QColor& Background, const TDrawing& Drawing)
{
    QImage Image(Width, Height, QImage::Format_ARGB32);
    Image.fill(Background);
    QPainter Painter(&Image);
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Drawing(Painter, Width, Height);
    return Image;
}

void PutU16(std::string& Bytes, std::uint16_t Value)
{
    Bytes += static_cast<char>(Value & 0xFF);
    Bytes += static_cast<char>(Value >> 8);
}

void PutU32(std::string& Bytes, std::uint32_t Value)
{
    PutU16(Bytes, static_cast<std::uint16_t>(Value & 0xFFFF));
    PutU16(Bytes, static_cast<std::uint16_t>(Value >> 16));
}

// One icon image as a 32-bit device-independent bitmap with its transparency mask.
std::string IconImageBytes(const QImage& Source)
{
    const QImage Image = Source.convertToFormat(QImage::Format_ARGB32);
    const int W = Image.width();
    const int H = Image.height();
    std::string Bytes;
    PutU32(Bytes, 40);
    PutU32(Bytes, static_cast<std::uint32_t>(W));
    PutU32(Bytes, static_cast<std::uint32_t>(2 * H));
    PutU16(Bytes, 1);
    PutU16(Bytes, 32);
    for (int I = 0; I < 6; ++I)
        PutU32(Bytes, 0);
    for (int Y = H - 1; Y >= 0; --Y)
        for (int X = 0; X < W; ++X)
            PutU32(Bytes, Image.pixel(X, Y));
    const int MaskRow = ((W + 31) / 32) * 4;
    for (int Y = H - 1; Y >= 0; --Y) {
        std::string Row(static_cast<std::size_t>(MaskRow), '\0');
        for (int X = 0; X < W; ++X)
            if (qAlpha(Image.pixel(X, Y)) == 0)
                Row[static_cast<std::size_t>(X / 8)] =
                    static_cast<char>(Row[static_cast<std::size_t>(X / 8)] | (0x80 >> (X % 8)));
        Bytes += Row;
    }
    return Bytes;
}

std::string IcoFileBytes(const std::vector<QImage>& Images)
{
    std::string Header;
    PutU16(Header, 0);
    PutU16(Header, 1);
    PutU16(Header, static_cast<std::uint16_t>(Images.size()));
    std::string Data;
    std::uint32_t Offset = static_cast<std::uint32_t>(6 + 16 * Images.size());
    for (const QImage& Image : Images) {
        const std::string Entry = IconImageBytes(Image);
        Header += static_cast<char>(Image.width() >= 256 ? 0 : Image.width());
        Header += static_cast<char>(Image.height() >= 256 ? 0 : Image.height());
        Header += '\0';
        Header += '\0';
        PutU16(Header, 1);
        PutU16(Header, 32);
        PutU32(Header, static_cast<std::uint32_t>(Entry.size()));
        PutU32(Header, Offset);
        Offset += static_cast<std::uint32_t>(Entry.size());
        Data += Entry;
    }
    return Header + Data;
}

void WriteFile(const std::string& Path, const std::string& Bytes)
{
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw EInOutError("Cannot write " + Path);
}

void WriteBitmap(const std::string& Path, const QImage& Image)
{
    if (!Image.convertToFormat(QImage::Format_RGB32).save(QString::fromStdString(Path), "BMP"))
        throw EInOutError("Cannot write " + Path);
}

void Arrow(QPainter& P, int W, int H)
{
    QPainterPath Path;
    Path.moveTo(W * 0.15, H * 0.40);
    Path.lineTo(W * 0.55, H * 0.40);
    Path.lineTo(W * 0.55, H * 0.18);
    Path.lineTo(W * 0.88, H * 0.50);
    Path.lineTo(W * 0.55, H * 0.82);
    Path.lineTo(W * 0.55, H * 0.60);
    Path.lineTo(W * 0.15, H * 0.60);
    Path.closeSubpath();
    P.fillPath(Path, QColor(255, 220, 0));
    P.setPen(QColor(0, 0, 0));
    P.drawPath(Path);
}

void Check(QPainter& P, int W, int H)
{
    P.setRenderHint(QPainter::Antialiasing, true);
    P.setPen(QPen(QColor(0, 160, 0), std::max(2, W / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF Points[] = {{W * 0.18, H * 0.52}, {W * 0.42, H * 0.76}, {W * 0.84, H * 0.24}};
    P.drawPolyline(Points, 3);
}

void FolderShape(QPainter& P, int W, int H)
{
    P.setPen(QColor(96, 64, 0));
    P.setBrush(QColor(240, 200, 64));
    P.drawRect(QRectF(W * 0.08, H * 0.30, W * 0.84, H * 0.56));
    P.drawRect(QRectF(W * 0.08, H * 0.20, W * 0.34, H * 0.12));
}

void Landscape(QPainter& P, int W, int H)
{
    QLinearGradient Sky(0, 0, 0, H);
    Sky.setColorAt(0, QColor(40, 90, 200));
    Sky.setColorAt(1, QColor(250, 170, 90));
    P.fillRect(0, 0, W, H, Sky);
    P.setBrush(QColor(255, 240, 120));
    P.setPen(Qt::NoPen);
    P.drawEllipse(QPointF(W * 0.7, H * 0.55), H * 0.18, H * 0.18);
    P.setBrush(QColor(30, 110, 50));
    QPainterPath Hills;
    Hills.moveTo(0, H);
    Hills.quadTo(W * 0.3, H * 0.45, W * 0.6, H * 0.8);
    Hills.quadTo(W * 0.8, H * 0.6, W, H * 0.75);
    Hills.lineTo(W, H);
    Hills.closeSubpath();
    P.drawPath(Hills);
}

void Tiles(QPainter& P, int W, int H)
{
    const QColor Colours[] = {QColor(200, 40, 40), QColor(40, 160, 60), QColor(40, 80, 200)};
    const int Tile = W / 3;
    for (int I = 0; I < 3; ++I) {
        P.setPen(QColor(0, 0, 0));
        P.setBrush(Colours[I]);
        P.drawEllipse(QRect(I * Tile + 4, 4, Tile - 9, H - 9));
    }
}

void Letter(QPainter& P, int W, int H, const QColor& Colour, const QString& Text)
{
    P.setRenderHint(QPainter::Antialiasing, true);
    P.setPen(Qt::NoPen);
    P.setBrush(Colour);
    P.drawRoundedRect(QRectF(1, 1, W - 2, H - 2), W / 5.0, H / 5.0);
    QFont Font = P.font();
    Font.setBold(true);
    Font.setPixelSize(std::max(8, H * 2 / 3));
    P.setFont(Font);
    P.setPen(Qt::white);
    P.drawText(QRect(0, 0, W, H), Qt::AlignCenter, Text);
}

void Globe(QPainter& P, int W, int H)
{
    P.setRenderHint(QPainter::Antialiasing, true);
    P.setPen(QPen(QColor(0, 60, 120), 1.5));
    P.setBrush(QColor(70, 150, 230));
    P.drawEllipse(QRectF(2, 2, W - 4, H - 4));
    P.setBrush(Qt::NoBrush);
    P.drawEllipse(QRectF(W * 0.32, 2, W * 0.36, H - 4));
    P.drawLine(QPointF(2, H / 2.0), QPointF(W - 2, H / 2.0));
}

void Warning(QPainter& P, int W, int H)
{
    P.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath Triangle;
    Triangle.moveTo(W / 2.0, 1);
    Triangle.lineTo(W - 1, H - 2);
    Triangle.lineTo(1, H - 2);
    Triangle.closeSubpath();
    P.fillPath(Triangle, QColor(250, 200, 0));
    P.setPen(QPen(QColor(0, 0, 0), std::max(1, W / 10)));
    P.drawLine(QPointF(W / 2.0, H * 0.35), QPointF(W / 2.0, H * 0.65));
    P.drawPoint(QPointF(W / 2.0, H * 0.80));
}

} // namespace

std::vector<std::string> WriteDemoImages(const std::string& Folder)
{
    std::filesystem::create_directories(Folder);
    std::vector<std::string> Files;
    auto Bitmap = [&](const char* Name, int W, int H, const QColor& Background, const TDrawing& Drawing) {
        const std::string Path = (std::filesystem::path(Folder) / Name).string();
        WriteBitmap(Path, Draw(W, H, Background, Drawing));
        Files.push_back(Path);
    };
    auto Icon = [&](const char* Name, std::vector<int> Sizes, const TDrawing& Drawing) {
        std::vector<QImage> Images;
        for (int Size : Sizes)
            Images.push_back(Draw(Size, Size, Qt::transparent, Drawing));
        const std::string Path = (std::filesystem::path(Folder) / Name).string();
        WriteFile(Path, IcoFileBytes(Images));
        Files.push_back(Path);
    };
    Bitmap("arrow-16.bmp", 16, 16, Maroon, Arrow);
    Bitmap("check-24.bmp", 24, 24, Maroon, Check);
    Bitmap("folder-32.bmp", 32, 32, Maroon, FolderShape);
    Bitmap("landscape-64x40.bmp", 64, 40, Qt::white, Landscape);
    Bitmap("tiles-96x32.bmp", 96, 32, QColor(192, 192, 192), Tiles);
    Icon("app.ico", {16, 32, 48},
         [](QPainter& P, int W, int H) { Letter(P, W, H, QColor(0, 90, 170), "T"); });
    Icon("globe.ico", {32}, Globe);
    Icon("warning.ico", {16, 32}, Warning);
    return Files;
}

std::string DemoScript(const std::string& ImagesFolder)
{
    const std::string Images = QuoteScriptArgument(ImagesFolder);
    return "# A button's glyph, chosen in the picker dialog.\n"
           "select BitBtn1.Glyph\n"
           "expect value (None)\n"
           "shot 01-host.png\n"
           "edit\n"
           "expect dialog caption \"Tolvane V0.93 Beta\"\n"
           "expect dialog centred\n"
           "expect btnOK disabled\n"
           "shot 02-dialog-opens.png\n"
           "dir " +
           Images +
           "\n"
           "expect cbxDir directory " +
           Images +
           "\n"
           "shot 03-images-folder.png\n"
           "click cbxFile check-24.bmp\n"
           "expect btnOK enabled\n"
           "expect imgView picture 24 24\n"
           "expect btnTest glyph 24 24\n"
           "shot 04-bitmap-chosen.png\n"
           "click chbEnableDisable\n"
           "expect btnTest disabled\n"
           "shot 05-glyph-disabled.png\n"
           "click btnView\n"
           "expect lsvImages visible\n"
           "expect lsvImages image check-24.bmp own\n"
           "shot 06-thumbnails.png\n"
           "click btnView\n"
           "click btnOK\n"
           "expect dialog closed\n"
           "expect result ok\n"
           "expect value (TBitMap)\n"
           "expect BitBtn1 glyph 24 24\n"
           "shot 07-glyph-on-button.png\n"
           "# An icon: the dialog opens where it was closed, and lists icons this time.\n"
           "select Sample1.Icon\n"
           "expect value (None)\n"
           "edit\n"
           "expect cbxDir directory " +
           Images +
           "\n"
           "click cbxFile app.ico\n"
           "expect imgView picture 32 32\n"
           "shot 08-icon-chosen.png\n"
           "click btnOK\n"
           "expect result ok\n"
           "expect value (TIcon)\n"
           "# Back on the button: the grid reads the glyph's value text.\n"
           "select BitBtn1.Glyph\n"
           "expect value (TBitMap)\n"
           "expect modified 0\n"
           "shot 09-grid-reads-tbitmap.png\n";
}
