#include "Controls.hpp"

#include "ControlsImpl.hpp"
#include "Forms.hpp"
#include "GraphicsImage.hpp"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// Conversions

QString ToQString(const std::string& S)
{
    return QString::fromStdString(S);
}

std::string FromQString(const QString& S)
{
    return S.toStdString();
}

QColor ToQColor(TColor Color)
{
    return QColor::fromRgba(ColorToRgb(Color));
}

int MulDiv(int A, int M, int D)
{
    if (D == 0)
        return A;
    const long long Product = static_cast<long long>(A) * M;
    const long long Half = std::llabs(static_cast<long long>(D)) / 2;
    const bool Negative = (Product < 0) != (D < 0);
    const long long Quotient = (std::llabs(Product) + Half) / std::llabs(static_cast<long long>(D));
    return static_cast<int>(Negative ? -Quotient : Quotient);
}

namespace {

// Families that form data asks for by name, and the metric-compatible families that stand in for
// them where they are not installed, so that text keeps its size.
struct TFontSubstitute
{
    const char* Family;
    const char* Substitutes;
};
constexpr TFontSubstitute FontSubstitutes[] = {
    {"MS Sans Serif", "Liberation Sans,DejaVu Sans"},     {"Arial", "Liberation Sans,DejaVu Sans"},
    {"Times New Roman", "Liberation Serif,DejaVu Serif"}, {"Courier New", "Liberation Mono,DejaVu Sans Mono"},
    {"MS Serif", "Liberation Serif,DejaVu Serif"},
};

void InstallFontSubstitutes()
{
    static bool Installed = false;
    if (Installed)
        return;
    Installed = true;
    const QStringList Families = QFontDatabase::families();
    for (const TFontSubstitute& S : FontSubstitutes)
        if (!Families.contains(QString::fromLatin1(S.Family), Qt::CaseInsensitive))
            QFont::insertSubstitutions(QString::fromLatin1(S.Family),
                                       QString::fromLatin1(S.Substitutes).split(QLatin1Char(',')));
}

// Default height of a font whose Height is 0.
constexpr int DefaultFontPixels = 11;

} // namespace

QFont ToQFont(const TFont& Font)
{
    InstallFontSubstitutes();
    QFont Result(ToQString(Font.Name()));
    const int Height = Font.Height();
    if (Height < 0) {
        Result.setPixelSize(-Height);
    } else if (Height > 0) {
        // A cell height includes the internal leading: find the character height that fills it.
        Result.setPixelSize(100);
        const double Cell = QFontMetricsF(Result).height();
        Result.setPixelSize(std::max(1, static_cast<int>(Height * 100.0 / (Cell > 0 ? Cell : 100.0) + 0.5)));
    } else {
        Result.setPixelSize(DefaultFontPixels);
    }
    const TFontStyles Style = Font.Style();
    Result.setBold(Style.Contains(fsBold));
    Result.setItalic(Style.Contains(fsItalic));
    Result.setUnderline(Style.Contains(fsUnderline));
    Result.setStrikeOut(Style.Contains(fsStrikeOut));
    return Result;
}

void ApplyFontTo(QWidget* Widget, const TFont& Font)
{
    Widget->setFont(ToQFont(Font));
    QPalette Palette = Widget->palette();
    const QColor Text = ToQColor(Font.Color());
    for (QPalette::ColorRole Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        Palette.setColor(QPalette::Active, Role, Text);
        Palette.setColor(QPalette::Inactive, Role, Text);
    }
    Widget->setPalette(Palette);
}

bool ToQtCursor(TCursor Cursor, Qt::CursorShape& Shape)
{
    struct TCursorShape
    {
        TCursor Cursor;
        Qt::CursorShape Shape;
    };
    static constexpr TCursorShape Shapes[] = {
        {crNone, Qt::BlankCursor},         {crArrow, Qt::ArrowCursor},
        {crCross, Qt::CrossCursor},        {crIBeam, Qt::IBeamCursor},
        {crSizeNESW, Qt::SizeBDiagCursor}, {crSizeNS, Qt::SizeVerCursor},
        {crSizeNWSE, Qt::SizeFDiagCursor}, {crSizeWE, Qt::SizeHorCursor},
        {crUpArrow, Qt::UpArrowCursor},    {crHourGlass, Qt::WaitCursor},
        {crNo, Qt::ForbiddenCursor},       {crAppStart, Qt::BusyCursor},
        {crHelp, Qt::WhatsThisCursor},     {crHandPoint, Qt::PointingHandCursor},
        {crSizeAll, Qt::SizeAllCursor},
    };
    for (const TCursorShape& S : Shapes)
        if (S.Cursor == Cursor) {
            Shape = S.Shape;
            return true;
        }
    // crDefault and cursors the platform does not know.
    return false;
}

std::string StripAccelerator(const std::string& Caption)
{
    std::string Result;
    for (std::size_t I = 0; I < Caption.size(); ++I) {
        if (Caption[I] == '&' && I + 1 < Caption.size())
            ++I;
        else if (Caption[I] == '&')
            continue;
        Result += Caption[I];
    }
    return Result;
}

QImage GraphicImage(const TGraphic* Graphic, int PreferredSize)
{
    if (auto* Bitmap = dynamic_cast<const TBitmap*>(Graphic))
        return BitmapImage(*Bitmap);
    if (auto* Icon = dynamic_cast<const TIcon*>(Graphic))
        return IconImage(*Icon, PreferredSize);
    return QImage();
}

// Dispatch

void ReportException(TObject* Sender, const std::exception& E)
{
    try {
        Application->HandleException(Sender, E);
    } catch (const std::exception& Inner) {
        std::fprintf(stderr, "Error while reporting \"%s\": %s\n", E.what(), Inner.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown error while reporting \"%s\"\n", E.what());
    }
}

bool Dispatch(TControl* Sender, const std::function<void()>& Handler)
{
    if (Sender != nullptr && Sender->Destroying())
        return false;
    try {
        Handler();
        return true;
    } catch (const std::exception& E) {
        ReportException(Sender, E);
    } catch (...) {
        ReportException(Sender, Exception("Unknown error in an event handler"));
    }
    return false;
}

// The widget registry and the bridge between a widget and its control

namespace {

QHash<const QWidget*, TControl*>& WidgetControls()
{
    static QHash<const QWidget*, TControl*> Map;
    return Map;
}

// Receives the widget's raw events for the control: clicks of controls that have no click of
// their own.
class TControlBridge : public QObject
{
public:
    explicit TControlBridge(TControlImpl* AImpl) : FImpl(AImpl) {}

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Watched != FImpl->Widget || !FImpl->MouseClicks)
            return false;
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return MouseEvent(static_cast<QMouseEvent*>(Event));
        default:
            return false;
        }
    }

private:
    bool MouseEvent(QMouseEvent* Event)
    {
        if (Event->button() != Qt::LeftButton)
            return false;
        TControl* Control = FImpl->Control;
        if (!FImpl->Widget->isEnabled())
            return true;
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
            FImpl->Pressed = true;
            break;
        case QEvent::MouseButtonRelease:
            // A click is a press and a release inside the control; the release that ends a
            // double-click raises nothing more.
            if (FImpl->Pressed && FImpl->Widget->rect().contains(Event->position().toPoint())) {
                FImpl->Pressed = false;
                Dispatch(Control, [Control] { Control->Click(); });
            }
            FImpl->Pressed = false;
            break;
        default:
            FImpl->Pressed = false;
            Dispatch(Control, [Control] { Control->DblClick(); });
            break;
        }
        return true;
    }

    TControlImpl* FImpl;
};

} // namespace

TControlImpl::TControlImpl(TControl* AControl)
    : Control(AControl), Bridge(std::make_unique<TControlBridge>(this))
{
}

TControlImpl::~TControlImpl()
{
    Bridge.reset();
    if (Widget) {
        WidgetControls().remove(Widget.data());
        delete Widget.data();
    }
}

void TControlImpl::Attach(QWidget* AWidget)
{
    InstallApplicationHooks();
    Widget = AWidget;
    WidgetControls().insert(AWidget, Control);
    // Should Qt delete the widget first, its address must not lead to the control any more.
    QObject::connect(AWidget, &QObject::destroyed, [AWidget] { WidgetControls().remove(AWidget); });
    AWidget->installEventFilter(Bridge.get());
    ApplyParent();
    AWidget->setEnabled(Control->Enabled());
    ApplyFontTo(AWidget, *Control->Font());
    ApplyColor();
}

void TControlImpl::ApplyParent()
{
    if (!Widget || TopLevel)
        return;
    QWidget* ParentWidget = ControlWidget(Control->Parent());
    if (Widget->parentWidget() != ParentWidget)
        Widget->setParent(ParentWidget);
    ApplyBounds();
    ApplyVisible();
}

void TControlImpl::ApplyBounds()
{
    if (!Widget)
        return;
    if (TopLevel) {
        // The client area goes where the form's frame model puts it, whatever frame the window
        // system draws around it.
        Widget->setGeometry(Control->Left() + FormBorderWidth, Control->Top() + FormCaptionHeight,
                            std::max(0, Control->Width() - 2 * FormBorderWidth),
                            std::max(0, Control->Height() - FormCaptionHeight - FormBorderWidth));
    } else {
        Widget->setGeometry(Control->Left(), Control->Top(), Control->Width(), Control->Height());
    }
}

void TControlImpl::ApplyVisible()
{
    // A control outside any parent keeps its widget hidden, lest it appear as a window of its own.
    if (Widget && !TopLevel)
        Widget->setVisible(Control->Parent() != nullptr && Control->Visible());
}

void TControlImpl::ApplyColor()
{
    if (!Widget)
        return;
    QPalette Palette = Widget->palette();
    Palette.setColor(ColorRole, ToQColor(Control->Color()));
    Widget->setPalette(Palette);
    Widget->setAutoFillBackground(FillBackground);
}

TControl* TControlImpl::ControlOf(const QWidget* Widget)
{
    const auto& Map = WidgetControls();
    for (const QWidget* W = Widget; W != nullptr; W = W->parentWidget()) {
        auto It = Map.constFind(W);
        if (It != Map.constEnd())
            return It.value();
    }
    return nullptr;
}

// Type information

const TTypeInfo* AlignTypeInfo()
{
    static const TTypeInfo* Info =
        MakeEnumTypeInfo("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
    return Info;
}

const TTypeInfo* CursorTypeInfo()
{
    static const TTypeInfo Info = [] {
        TTypeInfo T = SimpleTypeInfo("TCursor", tkInteger);
        T.Idents = {{"crDefault", crDefault},   {"crNone", crNone},           {"crArrow", crArrow},
                    {"crCross", crCross},       {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
                    {"crSizeNS", crSizeNS},     {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
                    {"crUpArrow", crUpArrow},   {"crHourGlass", crHourGlass}, {"crNo", crNo},
                    {"crAppStart", crAppStart}, {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
                    {"crSizeAll", crSizeAll}};
        return T;
    }();
    return &Info;
}

// TControl

const TTypeInfo* TControl::TypeInfo()
{
    static const TTypeInfo Info =
        ClassTypeInfo("TControl", TComponent::TypeInfo(),
                      {IntProp("Left", &TControl::Left, &TControl::SetLeft),
                       IntProp("Top", &TControl::Top, &TControl::SetTop),
                       IntProp("Width", &TControl::Width, &TControl::SetWidth),
                       IntProp("Height", &TControl::Height, &TControl::SetHeight),
                       OrdProp("Align", AlignTypeInfo(), &TControl::Align, &TControl::SetAlign),
                       BoolProp("Visible", &TControl::Visible, &TControl::SetVisible),
                       BoolProp("Enabled", &TControl::Enabled, &TControl::SetEnabled),
                       ClassProp("Font", &TControl::Font, &TControl::SetFont),
                       BoolProp("ParentFont", &TControl::ParentFont, &TControl::SetParentFont),
                       OrdProp("Color", ColorTypeInfo(), &TControl::Color, &TControl::SetColor),
                       OrdProp("Cursor", CursorTypeInfo(), &TControl::Cursor, &TControl::SetCursor),
                       StrProp("Hint", &TControl::Hint, &TControl::SetHint),
                       EventProp("OnClick", NotifyEventTypeInfo(), &TControl::OnClick),
                       EventProp("OnDblClick", NotifyEventTypeInfo(), &TControl::OnDblClick)});
    return &Info;
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FImpl(std::make_unique<TControlImpl>(this)), FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) {
        if (!FAdoptingFont)
            FParentFont = false;
        ApplyFont();
    };
}

TControl::~TControl()
{
    BeginDestroy();
    if (FParent)
        FParent->RemoveControl(this);
    FImpl.reset();
}

void TControl::BeginDestroy()
{
    FDestroying = true;
}

bool TControl::Destroying() const
{
    for (const TControl* C = this; C != nullptr; C = C->FParent)
        if (C->FDestroying)
            return true;
    return false;
}

void TControl::SetParent(TWinControl* Value)
{
    if (Value == FParent)
        return;
    for (const TControl* C = Value; C != nullptr; C = C->FParent)
        if (C == this)
            throw EInvalidOperation("Control '" + Name() + "' cannot be its own parent");
    if (FParent)
        FParent->RemoveControl(this);
    FParent = Value;
    FImpl->ApplyParent();
    if (FParent) {
        ParentFontChanged();
        FParent->InsertControl(this);
    }
}

void TControl::SetParentComponent(TComponent* Value)
{
    if (Value == nullptr) {
        SetParent(nullptr);
        return;
    }
    auto* Parent = dynamic_cast<TWinControl*>(Value);
    if (Parent == nullptr)
        throw EInvalidOperation("Control '" + Name() + "' cannot be placed inside " + Value->ClassName() +
                                " '" + Value->Name() + "': it holds no controls");
    SetParent(Parent);
}

void TControl::SetLeft(int Value)
{
    SetBounds(Value, FTop, FWidth, FHeight);
}

void TControl::SetTop(int Value)
{
    SetBounds(FLeft, Value, FWidth, FHeight);
}

void TControl::SetWidth(int Value)
{
    SetBounds(FLeft, FTop, Value, FHeight);
}

void TControl::SetHeight(int Value)
{
    SetBounds(FLeft, FTop, FWidth, Value);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    SetBoundsQuiet(ALeft, ATop, AWidth, AHeight);
    if (FParent && FAlign != alNone && FVisible)
        FParent->Realign();
}

void TControl::SetBoundsQuiet(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    const bool SizeChanged = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    ApplyBounds();
    if (SizeChanged)
        Resized();
}

void TControl::ApplyBounds()
{
    FImpl->ApplyBounds();
}

void TControl::RequestRealign()
{
    if (FParent)
        FParent->Realign();
}

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign)
        return;
    FAlign = Value;
    RequestRealign();
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    FImpl->ApplyVisible();
    if (FAlign != alNone)
        RequestRealign();
}

bool TControl::Showing() const
{
    const TControl* C = this;
    for (; C->FParent != nullptr; C = C->FParent)
        if (!C->FVisible)
            return false;
    QWidget* Window = ControlWidget(C);
    return C->FVisible && Window != nullptr && Window->isVisible();
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    if (QWidget* W = ControlWidget(this))
        W->setEnabled(Value);
}

void TControl::SetFont(const TFont* Value)
{
    FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value)
{
    FParentFont = Value;
    ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || FParent == nullptr)
        return;
    FAdoptingFont = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FAdoptingFont = false;
        throw;
    }
    FAdoptingFont = false;
}

void TControl::ApplyFont()
{
    if (QWidget* W = ControlWidget(this))
        ApplyFontTo(W, *FFont);
    FontChanged();
    if (auto* Container = dynamic_cast<TWinControl*>(this))
        for (TControl* Child : Container->FControls)
            Child->ParentFontChanged();
}

void TControl::SetColor(TColor Value)
{
    FColor = Value;
    FImpl->ApplyColor();
    ColorChanged();
}

void TControl::SetCursor(TCursor Value)
{
    FCursor = Value;
    QWidget* W = ControlWidget(this);
    if (W == nullptr)
        return;
    Qt::CursorShape Shape = Qt::ArrowCursor;
    if (ToQtCursor(Value, Shape))
        W->setCursor(Shape);
    else
        W->unsetCursor();
}

void TControl::SetHint(const std::string& Value)
{
    FHint = Value;
    if (QWidget* W = ControlWidget(this))
        W->setToolTip(ToQString(Value));
}

void TControl::SetCaption(const std::string& Value)
{
    if (Value == FCaption)
        return;
    FCaption = Value;
    CaptionChanged();
}

void TControl::BringToFront()
{
    if (QWidget* W = ControlWidget(this))
        W->raise();
}

void TControl::SendToBack()
{
    if (QWidget* W = ControlWidget(this))
        W->lower();
}

void TControl::ScaleBy(int M, int D)
{
    if (M == D || M <= 0 || D <= 0)
        return;
    ChangeScale(M, D);
    RequestRealign();
}

void TControl::ChangeScale(int M, int D)
{
    ScaleBounds(M, D);
    if (!FParentFont)
        FFont->SetHeight(MulDiv(FFont->Height(), M, D));
}

void TControl::ScaleBounds(int M, int D)
{
    // Edges are scaled rather than sizes, so neighbours that touched still touch.
    const int NewLeft = MulDiv(FLeft, M, D);
    const int NewTop = MulDiv(FTop, M, D);
    SetBoundsQuiet(NewLeft, NewTop, MulDiv(FLeft + FWidth, M, D) - NewLeft,
                   MulDiv(FTop + FHeight, M, D) - NewTop);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner)
{
    Impl().MouseClicks = true;
}

const TTypeInfo* TGraphicControl::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TGraphicControl", TControl::TypeInfo());
    return &Info;
}

// TWinControl

const TTypeInfo* TWinControl::TypeInfo()
{
    static const TTypeInfo Info =
        ClassTypeInfo("TWinControl", TControl::TypeInfo(),
                      {IntProp("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder),
                       BoolProp("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop),
                       EventProp("OnEnter", NotifyEventTypeInfo(), &TWinControl::OnEnter),
                       EventProp("OnExit", NotifyEventTypeInfo(), &TWinControl::OnExit)});
    return &Info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner)
{
}

TWinControl::~TWinControl()
{
    BeginDestroy();
    while (!FControls.empty())
        delete FControls.back();
}

TControl* TWinControl::Controls(int Index) const
{
    if (Index < 0 || Index >= ControlCount())
        throw EListError("Control index out of bounds (" + IntToStr(Index) + ")");
    return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* Control)
{
    FControls.push_back(Control);
    if (auto* Win = dynamic_cast<TWinControl*>(Control)) {
        const int Count = static_cast<int>(FTabList.size());
        const int Place = Win->FPendingTabOrder >= 0 ? std::min(Win->FPendingTabOrder, Count) : Count;
        FTabList.insert(FTabList.begin() + Place, Win);
        Win->FPendingTabOrder = -1;
    }
    UpdateFocusChain();
    Realign();
}

void TWinControl::RemoveControl(TControl* Control)
{
    if (TForm* Form = GetParentForm(this))
        Form->ForgetControl(Control);
    std::erase(FControls, Control);
    // Compared as controls: a child being destroyed is no TWinControl any more by now.
    std::erase_if(FTabList, [Control](const TWinControl* W) { return W == Control; });
    if (!Destroying()) {
        UpdateFocusChain();
        Realign();
    }
}

int TWinControl::TabOrder() const
{
    if (Parent() == nullptr)
        return FPendingTabOrder;
    const auto& List = Parent()->FTabList;
    return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (Parent() == nullptr) {
        FPendingTabOrder = Value;
        return;
    }
    auto& List = Parent()->FTabList;
    std::erase(List, this);
    const int Place = std::clamp(Value, 0, static_cast<int>(List.size()));
    List.insert(List.begin() + Place, this);
    UpdateFocusChain();
}

void TWinControl::SetTabStop(bool Value)
{
    FTabStop = Value;
    QWidget* W = ControlWidget(this);
    if (W != nullptr && W->focusPolicy() != Qt::NoFocus)
        W->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::UpdateFocusChain()
{
    TWinControl* Root = this;
    while (Root->Parent() != nullptr)
        Root = Root->Parent();
    if (Root->Destroying())
        return;
    std::vector<QWidget*> Chain;
    std::function<void(const TWinControl*)> Collect = [&](const TWinControl* Container) {
        for (const TWinControl* Child : Container->FTabList) {
            if (QWidget* W = ControlWidget(Child))
                Chain.push_back(W);
            Collect(Child);
        }
    };
    Collect(Root);
    for (std::size_t I = 1; I < Chain.size(); ++I)
        QWidget::setTabOrder(Chain[I - 1], Chain[I]);
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window: '" + Name() + "'");
    if (QWidget* W = ControlWidget(this)) {
        W->activateWindow();
        W->setFocus(Qt::OtherFocusReason);
    }
}

bool TWinControl::Focused() const
{
    QWidget* W = ControlWidget(this);
    return W != nullptr && W->hasFocus();
}

bool TWinControl::CanFocus() const
{
    TForm* Form = GetParentForm(this);
    if (Form == nullptr || !Form->Visible())
        return false;
    for (const TControl* C = this; C != nullptr; C = C->Parent())
        if (!C->Visible() || !C->Enabled())
            return false;
    return true;
}

void TWinControl::DisableAlign()
{
    ++FAlignDisabled;
}

void TWinControl::EnableAlign()
{
    if (FAlignDisabled > 0 && --FAlignDisabled == 0 && FRealignPending)
        Realign();
}

void TWinControl::AdjustClientRect(TRect& /*Rect*/) const
{
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    if (FRealignPending)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignDisabled > 0 || Loading()) {
        FRealignPending = true;
        return;
    }
    if (Destroying())
        return;
    FRealignPending = false;
    TRect R{0, 0, ClientWidth(), ClientHeight()};
    AdjustClientRect(R);
    for (TAlign Side : {alTop, alBottom, alLeft, alRight})
        for (TControl* C : FControls) {
            if (!C->Visible() || C->Align() != Side)
                continue;
            const int SpaceWidth = std::max(0, R.Right - R.Left);
            const int SpaceHeight = std::max(0, R.Bottom - R.Top);
            switch (Side) {
            case alTop:
                C->SetBoundsQuiet(R.Left, R.Top, SpaceWidth, C->Height());
                R.Top += C->Height();
                break;
            case alBottom:
                C->SetBoundsQuiet(R.Left, R.Bottom - C->Height(), SpaceWidth, C->Height());
                R.Bottom -= C->Height();
                break;
            case alLeft:
                C->SetBoundsQuiet(R.Left, R.Top, C->Width(), SpaceHeight);
                R.Left += C->Width();
                break;
            default:
                C->SetBoundsQuiet(R.Right - C->Width(), R.Top, C->Width(), SpaceHeight);
                R.Right -= C->Width();
                break;
            }
        }
    for (TControl* C : FControls)
        if (C->Visible() && C->Align() == alClient)
            C->SetBoundsQuiet(R.Left, R.Top, std::max(0, R.Right - R.Left), std::max(0, R.Bottom - R.Top));
}

void TWinControl::Resized()
{
    Realign();
}

void TWinControl::ChangeScale(int M, int D)
{
    DisableAlign();
    TControl::ChangeScale(M, D);
    for (TControl* C : FControls)
        C->ChangeScale(M, D);
    EnableAlign();
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

namespace {

struct TControlsRegistration
{
    TControlsRegistration()
    {
        RegisterClass(TControl::TypeInfo());
        RegisterClass(TGraphicControl::TypeInfo());
        RegisterClass(TWinControl::TypeInfo());
    }
} const ControlsRegistration;

} // namespace
