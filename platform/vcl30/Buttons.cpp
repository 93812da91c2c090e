#include "Buttons.hpp"

#include "ControlsImpl.hpp"
#include "Forms.hpp"
#include "GraphicsImage.hpp"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include <array>

namespace {

struct TKindInfo
{
    TModalResult Result;
    const char* Caption;
    bool Default;
    bool Cancel;
};
// Indexed by TBitBtnKind.
constexpr std::array<TKindInfo, 11> KindInfos = {{
    {mrNone, "", false, false},
    {mrOk, "OK", true, false},
    {mrCancel, "Cancel", false, true},
    {mrNone, "&Help", false, false},
    {mrYes, "&Yes", true, false},
    {mrNo, "&No", false, true},
    {mrNone, "&Close", false, false},
    {mrAbort, "Abort", false, false},
    {mrRetry, "&Retry", false, false},
    {mrIgnore, "&Ignore", false, false},
    {mrAll, "&All", false, false},
}};

constexpr int GlyphSize = 18;
// The background of the standard glyphs; being the bottom-left colour, it is drawn transparent.
const QColor GlyphBackground(128, 128, 0);

enum class TGlyphShape
{
    None,
    Check,
    Cross,
    Question
};

TGlyphShape ShapeOf(TBitBtnKind Kind)
{
    switch (Kind) {
    case bkOK:
    case bkYes:
    case bkAll:
        return TGlyphShape::Check;
    case bkCancel:
    case bkNo:
    case bkAbort:
        return TGlyphShape::Cross;
    case bkHelp:
        return TGlyphShape::Question;
    default:
        return TGlyphShape::None;
    }
}

// The platform's standard glyph of a kind: a green check mark, a red cross or a blue question
// mark on the transparent background colour; a null image for kinds without one.
QImage StandardGlyph(TBitBtnKind Kind)
{
    const TGlyphShape Shape = ShapeOf(Kind);
    if (Shape == TGlyphShape::None)
        return QImage();
    QImage Image(GlyphSize, GlyphSize, QImage::Format_ARGB32);
    Image.fill(GlyphBackground);
    QPainter Painter(&Image);
    switch (Shape) {
    case TGlyphShape::Check: {
        Painter.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const QPoint Points[] = {{3, 9}, {7, 13}, {14, 4}};
        Painter.drawPolyline(Points, 3);
        break;
    }
    case TGlyphShape::Cross:
        Painter.setPen(QPen(QColor(192, 0, 0), 3, Qt::SolidLine, Qt::SquareCap));
        Painter.drawLine(4, 4, 13, 13);
        Painter.drawLine(13, 4, 4, 13);
        break;
    default: {
        QFont Font = Painter.font();
        Font.setPixelSize(15);
        Font.setBold(true);
        Painter.setFont(Font);
        Painter.setPen(QColor(0, 0, 160));
        Painter.drawText(QRect(0, 0, GlyphSize, GlyphSize - 1), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    return Image;
}

// The glyph with every pixel of its bottom-left colour made transparent.
QImage TransparentGlyph(const QImage& Glyph)
{
    QImage Image = Glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb Key = Image.pixel(0, Image.height() - 1) & RGB_MASK;
    for (int Y = 0; Y < Image.height(); ++Y) {
        auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(Y));
        for (int X = 0; X < Image.width(); ++X)
            if ((Line[X] & RGB_MASK) == Key)
                Line[X] = 0;
    }
    return Image;
}

// The disabled look: the glyph's dark pixels drawn in the shadow colour over a highlight offset by
// one pixel to the bottom right, light pixels left out: an embossed grey shape.
QImage EmbossedGlyph(const QImage& Glyph)
{
    QImage Image(Glyph.size(), QImage::Format_ARGB32);
    Image.fill(Qt::transparent);
    const QRgb Highlight = qRgb(255, 255, 255);
    const QRgb Shadow = qRgb(128, 128, 128);
    auto Dark = [&Glyph](int X, int Y) {
        const QRgb P = Glyph.pixel(X, Y);
        return qAlpha(P) >= 128 && qGray(P) < 192;
    };
    for (int Y = 0; Y < Glyph.height(); ++Y)
        for (int X = 0; X < Glyph.width(); ++X)
            if (Dark(X, Y) && X + 1 < Image.width() && Y + 1 < Image.height())
                Image.setPixel(X + 1, Y + 1, Highlight);
    for (int Y = 0; Y < Glyph.height(); ++Y)
        for (int X = 0; X < Glyph.width(); ++X)
            if (Dark(X, Y))
                Image.setPixel(X, Y, Shadow);
    return Image;
}

} // namespace

const TTypeInfo* BitBtnKindTypeInfo()
{
    static const TTypeInfo* Info =
        MakeEnumTypeInfo("TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                                         "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
    return Info;
}

const TTypeInfo* TBitBtn::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TBitBtn>("TBitBtn", TWinControl::TypeInfo(),
                                   {StrProp("Caption", &TBitBtn::Caption, &TBitBtn::SetCaption),
                                    OrdProp("Kind", BitBtnKindTypeInfo(), &TBitBtn::Kind, &TBitBtn::SetKind),
                                    ClassProp("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph),
                                    IntProp("ModalResult", &TBitBtn::ModalResult, &TBitBtn::SetModalResult),
                                    BoolProp("Default", &TBitBtn::Default, &TBitBtn::SetDefault),
                                    BoolProp("Cancel", &TBitBtn::Cancel, &TBitBtn::SetCancel)});
    return &Info;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TWinControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = [this](TObject*) {
        if (!FSettingKind)
            FKind = bkCustom;
        GlyphChanged();
    };
    auto* Button = new TAcceleratedButton<QPushButton>;
    Button->setFocusPolicy(Qt::StrongFocus);
    // A focused button takes Enter itself, as the platform's buttons do.
    Button->setAutoDefault(true);
    QObject::connect(Button, &QPushButton::clicked, Impl().Bridge.get(),
                     [this] { Dispatch(this, [this] { Click(); }); });
    Impl().ColorRole = QPalette::Button;
    Impl().Attach(Button);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

TBitBtn::~TBitBtn()
{
    FGlyph->OnChange = nullptr;
}

void TBitBtn::SetKind(TBitBtnKind Value)
{
    if (static_cast<std::size_t>(Value) >= KindInfos.size())
        throw EInvalidOperation("Button '" + Name() + "': invalid kind " + IntToStr(Value));
    FKind = Value;
    if (Value == bkCustom)
        return;
    const TKindInfo& Info = KindInfos[Value];
    FModalResult = Info.Result;
    SetDefault(Info.Default);
    FCancel = Info.Cancel;
    if (Caption().empty())
        SetCaption(Info.Caption);
    FSettingKind = true;
    const QImage Glyph = StandardGlyph(Value);
    if (Glyph.isNull())
        FGlyph->Assign(nullptr);
    else
        SetBitmapImage(*FGlyph, Glyph);
    FSettingKind = false;
}

void TBitBtn::SetGlyph(const TBitmap* Value)
{
    FGlyph->Assign(Value);
    FKind = bkCustom;
}

void TBitBtn::SetDefault(bool Value)
{
    FDefault = Value;
    if (auto* Button = static_cast<QPushButton*>(ControlWidget(this)))
        Button->setDefault(Value);
}

void TBitBtn::GlyphChanged()
{
    auto* Button = static_cast<QPushButton*>(ControlWidget(this));
    if (Button == nullptr)
        return;
    const QImage& Glyph = BitmapImage(*FGlyph);
    if (Glyph.isNull()) {
        Button->setIcon(QIcon());
        return;
    }
    const QImage Normal = TransparentGlyph(Glyph);
    QIcon Icon;
    Icon.addPixmap(QPixmap::fromImage(Normal), QIcon::Normal);
    Icon.addPixmap(QPixmap::fromImage(EmbossedGlyph(Normal)), QIcon::Disabled);
    Button->setIcon(Icon);
    Button->setIconSize(Normal.size());
}

void TBitBtn::CaptionChanged()
{
    if (auto* Button = static_cast<QPushButton*>(ControlWidget(this)))
        Button->setText(ToQString(Caption()));
}

void TBitBtn::Click()
{
    TForm* Form = GetParentForm(this);
    if (FKind == bkClose && Form != nullptr) {
        Form->Close();
        return;
    }
    TControl::Click();
    if (FModalResult != mrNone && Form != nullptr)
        Form->SetModalResult(FModalResult);
}

namespace {

struct TButtonsRegistration
{
    TButtonsRegistration() { RegisterClass(TBitBtn::TypeInfo()); }
} const ButtonsRegistration;

} // namespace
