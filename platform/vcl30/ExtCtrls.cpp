#include "ExtCtrls.hpp"

#include "ControlsImpl.hpp"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {

// The classic 3-D frame colours.
const QColor BevelHighlight(255, 255, 255);
const QColor BevelShadow(128, 128, 128);

// Draws Width nested one-pixel frames, light on the top and left, dark on the bottom and right,
// and moves Rect inside them.
void DrawFrame(QPainter& Painter, QRect& Rect, const QColor& TopLeft, const QColor& BottomRight, int Width)
{
    for (int I = 0; I < Width && Rect.width() > 0 && Rect.height() > 0; ++I) {
        Painter.setPen(TopLeft);
        Painter.drawLine(Rect.left(), Rect.bottom(), Rect.left(), Rect.top());
        Painter.drawLine(Rect.left(), Rect.top(), Rect.right(), Rect.top());
        Painter.setPen(BottomRight);
        Painter.drawLine(Rect.right(), Rect.top(), Rect.right(), Rect.bottom());
        Painter.drawLine(Rect.right(), Rect.bottom(), Rect.left(), Rect.bottom());
        Rect.adjust(1, 1, -1, -1);
    }
}

void DrawBevel(QPainter& Painter, QRect& Rect, TPanelBevel Bevel, int Width)
{
    if (Bevel == bvRaised)
        DrawFrame(Painter, Rect, BevelHighlight, BevelShadow, Width);
    else if (Bevel == bvLowered)
        DrawFrame(Painter, Rect, BevelShadow, BevelHighlight, Width);
}

} // namespace

// TPanel

// The panel's widget: its background comes from the palette, the bevels and caption from here.
class TPanelWidget : public QWidget
{
public:
    explicit TPanelWidget(TPanel* APanel) : FPanel(APanel) {}

protected:
    void paintEvent(QPaintEvent* /*Event*/) override
    {
        QPainter Painter(this);
        QRect Rect = rect();
        DrawBevel(Painter, Rect, FPanel->BevelOuter(), FPanel->BevelWidth());
        DrawBevel(Painter, Rect, FPanel->BevelInner(), FPanel->BevelWidth());
        if (!FPanel->Caption().empty()) {
            Painter.setPen(palette().color(QPalette::WindowText));
            Painter.drawText(Rect, Qt::AlignCenter, ToQString(StripAccelerator(FPanel->Caption())));
        }
    }

private:
    TPanel* FPanel;
};

const TTypeInfo* PanelBevelTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo("TPanelBevel", {"bvNone", "bvLowered", "bvRaised"});
    return Info;
}

const TTypeInfo* TPanel::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TPanel>(
        "TPanel", TWinControl::TypeInfo(),
        {StrProp("Caption", &TPanel::Caption, &TPanel::SetCaption),
         OrdProp("BevelOuter", PanelBevelTypeInfo(), &TPanel::BevelOuter, &TPanel::SetBevelOuter),
         OrdProp("BevelInner", PanelBevelTypeInfo(), &TPanel::BevelInner, &TPanel::SetBevelInner),
         IntProp("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)});
    return &Info;
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner)
{
    Impl().MouseClicks = true;
    Impl().FillBackground = true;
    Impl().Attach(new TPanelWidget(this));
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TPanelBevel Value)
{
    FBevelOuter = Value;
    BevelChanged();
}

void TPanel::SetBevelInner(TPanelBevel Value)
{
    FBevelInner = Value;
    BevelChanged();
}

void TPanel::SetBevelWidth(int Value)
{
    if (Value < 1)
        throw EInvalidOperation("Panel '" + Name() + "': invalid bevel width " + IntToStr(Value));
    FBevelWidth = Value;
    BevelChanged();
}

void TPanel::BevelChanged()
{
    if (QWidget* W = ControlWidget(this))
        W->update();
    Realign();
}

void TPanel::AdjustClientRect(TRect& Rect) const
{
    const int Margin = (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
    Rect.Left += Margin;
    Rect.Top += Margin;
    Rect.Right -= Margin;
    Rect.Bottom -= Margin;
}

void TPanel::CaptionChanged()
{
    if (QWidget* W = ControlWidget(this))
        W->update();
}

// TImage

// The image's widget: paints the picture, stretched or at its own size.
class TImageWidget : public QWidget
{
public:
    explicit TImageWidget(TImage* AImage) : FImage(AImage) {}

protected:
    void paintEvent(QPaintEvent* /*Event*/) override
    {
        const TGraphic* Graphic = FImage->Picture()->Graphic();
        if (Graphic == nullptr || Graphic->Empty())
            return;
        QPainter Painter(this);
        const QRect Own(0, 0, Graphic->Width(), Graphic->Height());
        const QRect Target = FImage->Stretch() ? rect() : Own;
        if (dynamic_cast<const TMetafile*>(Graphic) != nullptr) {
            // Qt cannot play metafile records: their place is outlined.
            Painter.setPen(palette().color(QPalette::WindowText));
            Painter.drawRect(Target.adjusted(0, 0, -1, -1));
            return;
        }
        const QImage Image = GraphicImage(Graphic, std::max(Target.width(), Target.height()));
        if (FImage->Stretch())
            Painter.drawImage(Target, Image);
        else
            Painter.drawImage(0, 0, Image);
    }

private:
    TImage* FImage;
};

const TTypeInfo* TImage::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TImage>("TImage", TGraphicControl::TypeInfo(),
                                  {ClassProp("Picture", &TImage::Picture, &TImage::SetPicture),
                                   BoolProp("Stretch", &TImage::Stretch, &TImage::SetStretch)});
    return &Info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TObject*) {
        if (QWidget* W = ControlWidget(this))
            W->update();
    };
    Impl().Attach(new TImageWidget(this));
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    FPicture->OnChange = nullptr;
}

void TImage::SetPicture(const TPicture* Value)
{
    FPicture->Assign(Value);
}

void TImage::SetStretch(bool Value)
{
    if (Value == FStretch)
        return;
    FStretch = Value;
    if (QWidget* W = ControlWidget(this))
        W->update();
}

namespace {

struct TExtCtrlsRegistration
{
    TExtCtrlsRegistration()
    {
        RegisterClass(TPanel::TypeInfo());
        RegisterClass(TImage::TypeInfo());
    }
} const ExtCtrlsRegistration;

} // namespace
