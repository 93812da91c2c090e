#include "Forms.hpp"

#include "Buttons.hpp"
#include "ControlsImpl.hpp"
#include "GraphicsImage.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>
#include <cstdio>

// The window of a form: a dialog whose keys, close box and geometry changes go to the form.
struct TFormWindow : public QDialog
{
    explicit TFormWindow(TForm* AForm) : Form(AForm)
    {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
        setSizeGripEnabled(false);
    }

    void keyPressEvent(QKeyEvent* Event) override
    {
        const int Key = Event->key();
        const bool Plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (Form->Destroying() || !Plain ||
            (Key != Qt::Key_Escape && Key != Qt::Key_Return && Key != Qt::Key_Enter)) {
            // Not QDialog's: it would close the window on Esc whether or not a cancel button exists.
            QWidget::keyPressEvent(Event);
            return;
        }
        Event->accept();
        if (TBitBtn* Button = Key == Qt::Key_Escape ? Form->CancelButton() : Form->DefaultButton())
            Dispatch(Button, [Button] { Button->Click(); });
    }

    void closeEvent(QCloseEvent* Event) override
    {
        // The form decides whether and how it closes, and hides the window itself.
        Event->ignore();
        if (!Form->Destroying())
            Dispatch(Form, [this] { Form->Close(); });
    }

    void resizeEvent(QResizeEvent* Event) override
    {
        QDialog::resizeEvent(Event);
        if (Form->Destroying())
            return;
        const QSize Size = Event->size();
        Form->SetBoundsQuiet(Form->Left(), Form->Top(), Size.width() + 2 * FormBorderWidth,
                             Size.height() + FormCaptionHeight + FormBorderWidth);
    }

    void moveEvent(QMoveEvent* Event) override
    {
        QDialog::moveEvent(Event);
        if (!Form->Destroying())
            Form->SetBoundsQuiet(geometry().x() - FormBorderWidth, geometry().y() - FormCaptionHeight,
                                 Form->Width(), Form->Height());
    }

    TForm* Form;
};

namespace {

// Raised by the application's end: the forms and components the application still owns go
// while their widgets can still be destroyed.
void DestroyApplicationComponents()
{
    while (Application->ComponentCount() > 0)
        delete Application->Components(Application->ComponentCount() - 1);
}

bool IsWithin(const TControl* Control, const TControl* Container)
{
    for (const TControl* C = Control; C != nullptr; C = C->Parent())
        if (C == Container)
            return true;
    return false;
}

// Visible and enabled up to its form.
bool Usable(const TControl* Control)
{
    for (const TControl* C = Control; C != nullptr; C = C->Parent())
        if (!C->Visible() || !C->Enabled())
            return false;
    return true;
}

template <class Predicate> TBitBtn* FindButton(const TWinControl* Container, Predicate Matches)
{
    for (int I = 0; I < Container->ControlCount(); ++I) {
        TControl* C = Container->Controls(I);
        if (auto* Button = dynamic_cast<TBitBtn*>(C); Button != nullptr && Matches(Button) && Usable(Button))
            return Button;
        if (auto* Inner = dynamic_cast<TWinControl*>(C))
            if (TBitBtn* Found = FindButton(Inner, Matches))
                return Found;
    }
    return nullptr;
}

// The first control in tab order that the Tab key could reach.
TWinControl* FirstFocusable(const TWinControl* Container)
{
    std::vector<TWinControl*> Children;
    for (int I = 0; I < Container->ControlCount(); ++I)
        if (auto* Win = dynamic_cast<TWinControl*>(Container->Controls(I)))
            Children.push_back(Win);
    std::sort(Children.begin(), Children.end(),
              [](const TWinControl* A, const TWinControl* B) { return A->TabOrder() < B->TabOrder(); });
    for (TWinControl* Win : Children) {
        if (!Win->Visible() || !Win->Enabled())
            continue;
        QWidget* W = ControlWidget(Win);
        if (Win->TabStop() && W != nullptr && (W->focusPolicy() & Qt::TabFocus))
            return Win;
        if (TWinControl* Inner = FirstFocusable(Win))
            return Inner;
    }
    return nullptr;
}

} // namespace

void InstallApplicationHooks()
{
    static QPointer<QCoreApplication> Hooked;
    auto* App = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (App == nullptr || Hooked == App)
        return;
    Hooked = App;
    QObject::connect(App, &QApplication::focusChanged, App,
                     [](QWidget*, QWidget* Now) { TControlImpl::FocusChanged(Now); });
    qAddPostRoutine(DestroyApplicationComponents);
}

void TControlImpl::FocusChanged(QWidget* Now)
{
    TControl* C = ControlOf(Now);
    while (C != nullptr && dynamic_cast<TWinControl*>(C) == nullptr)
        C = C->Parent();
    auto* Control = static_cast<TWinControl*>(C);
    TForm* Form = GetParentForm(Control);
    // Focus on the form itself (a message box over it, for instance) leaves its controls as they are.
    if (Form == nullptr || Form == Control || Form->Destroying())
        return;
    Form->FocusMoved(Control);
}

TForm* GetParentForm(const TControl* Control)
{
    if (Control == nullptr)
        return nullptr;
    const TControl* Root = Control;
    while (Root->Parent() != nullptr)
        Root = Root->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(Root));
}

// Type information

const TTypeInfo* PositionTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo(
        "TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter"});
    return Info;
}

const TTypeInfo* CloseEventTypeInfo()
{
    static const TTypeInfo Info = SimpleTypeInfo("TCloseEvent", tkMethod);
    return &Info;
}

// TForm

const TTypeInfo* TForm::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TForm>(
        "TForm", TWinControl::TypeInfo(),
        {StrProp("Caption", &TForm::Caption, &TForm::SetCaption),
         ClassProp("Icon", &TForm::Icon, &TForm::SetIcon),
         OrdProp("Position", PositionTypeInfo(), &TForm::Position, &TForm::SetPosition),
         IntProp("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch),
         IntProp("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight),
         IntProp("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth),
         IntProp("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight),
         ClassProp("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl),
         EventProp("OnCreate", NotifyEventTypeInfo(), &TForm::OnCreate),
         EventProp("OnShow", NotifyEventTypeInfo(), &TForm::OnShow),
         EventProp("OnClose", CloseEventTypeInfo(), &TForm::OnClose)});
    return &Info;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner), FIcon(std::make_unique<TIcon>())
{
    TControlImpl& I = Impl();
    I.TopLevel = true;
    I.MouseClicks = true;
    I.FillBackground = true;
    TControl::SetVisible(false);
    I.Attach(new TFormWindow(this));
    FPixelsPerInch = Screen->PixelsPerInch();
    SetBounds(0, 0, 320 + 2 * FormBorderWidth, 240 + FormCaptionHeight + FormBorderWidth);
}

void TForm::SetIcon(const TIcon* Value)
{
    FIcon->Assign(Value);
    if (QWidget* W = ControlWidget(this))
        W->setWindowIcon(FIcon->Empty() ? QIcon() : QIcon(QPixmap::fromImage(IconImage(*FIcon, 32))));
}

TForm::~TForm()
{
    BeginDestroy();
    if (Impl().ModalLoop)
        Impl().ModalLoop->quit();
    if (QWidget* W = ControlWidget(this))
        W->hide();
}

void TForm::SetPixelsPerInch(int Value)
{
    if (Value <= 0)
        throw EInvalidOperation("Invalid PixelsPerInch for form '" + Name() + "': " + IntToStr(Value));
    FPixelsPerInch = Value;
}

int TForm::ClientWidth() const
{
    return std::max(0, Width() - 2 * FormBorderWidth);
}

int TForm::ClientHeight() const
{
    return std::max(0, Height() - FormCaptionHeight - FormBorderWidth);
}

void TForm::SetClientWidth(int Value)
{
    SetBounds(Left(), Top(), Value + 2 * FormBorderWidth, Height());
}

void TForm::SetClientHeight(int Value)
{
    SetBounds(Left(), Top(), Width(), Value + FormCaptionHeight + FormBorderWidth);
}

void TForm::CaptionChanged()
{
    if (QWidget* W = ControlWidget(this))
        W->setWindowTitle(ToQString(Caption()));
}

void TForm::SetModalResult(TModalResult Value)
{
    FModalResult = Value;
    if (Value != mrNone && Impl().ModalLoop)
        Impl().ModalLoop->quit();
}

void TForm::PlaceOnScreen()
{
    if (FPosition == poScreenCenter)
        SetBoundsQuiet((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
}

void TForm::ShowWindow(bool AsModal)
{
    QWidget* W = ControlWidget(this);
    PlaceOnScreen();
    Dispatch(this, [this] {
        if (OnShow)
            OnShow(this);
    });
    TControl::SetVisible(true);
    if (W == nullptr)
        return;
    W->setWindowModality(AsModal ? Qt::ApplicationModal : Qt::NonModal);
    ApplyBounds();
    W->show();
    W->activateWindow();
    TWinControl* Target =
        FActiveControl != nullptr && FActiveControl->CanFocus() ? FActiveControl : FirstFocusable(this);
    if (QWidget* TargetWidget = ControlWidget(Target))
        TargetWidget->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm::SetVisible(bool Value)
{
    QWidget* W = ControlWidget(this);
    if (Value) {
        if (!FModal && !(W != nullptr && W->isVisible()))
            ShowWindow(false);
        return;
    }
    if (FModal)
        throw EInvalidOperation("Cannot hide the modal form '" + Name() + "': set its ModalResult");
    TControl::SetVisible(false);
    if (W != nullptr)
        W->hide();
}

int TForm::ShowModal()
{
    QWidget* W = ControlWidget(this);
    if (FModal || (W != nullptr && W->isVisible()))
        throw EInvalidOperation("Cannot make a visible window modal: '" + Name() + "'");
    FModalResult = mrNone;
    FModal = true;
    ShowWindow(true);
    for (;;) {
        if (FModalResult == mrNone) {
            QEventLoop Loop;
            Impl().ModalLoop = &Loop;
            Loop.exec(QEventLoop::DialogExec);
            Impl().ModalLoop = nullptr;
            // Only a modal result ends the loop; anything else means the application is quitting.
            if (FModalResult == mrNone)
                FModalResult = mrCancel;
        }
        if (Destroying())
            break;
        CloseModal();
        if (FModalResult != mrNone)
            break;
    }
    FModal = false;
    TControl::SetVisible(false);
    if (W != nullptr) {
        W->hide();
        W->setWindowModality(Qt::NonModal);
    }
    return FModalResult;
}

void TForm::CloseModal()
{
    TCloseAction Action = caHide;
    const bool Completed = Dispatch(this, [this, &Action] { DoClose(Action); });
    if (!Completed || Action == caNone)
        FModalResult = mrNone;
}

void TForm::CloseModeless()
{
    TCloseAction Action = caHide;
    DoClose(Action);
    if (Action == caNone)
        return;
    QWidget* W = ControlWidget(this);
    if (Action == caMinimize && W != nullptr) {
        W->showMinimized();
        return;
    }
    TControl::SetVisible(false);
    if (W != nullptr)
        W->hide();
}

void TForm::Close()
{
    if (FModal)
        SetModalResult(mrCancel);
    else
        CloseModeless();
}

void TForm::DoClose(TCloseAction& Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TForm::DoCreate()
{
    Dispatch(this, [this] {
        if (OnCreate)
            OnCreate(this);
    });
}

TWinControl* TForm::ActiveControl() const
{
    return FFocusedControl != nullptr ? FFocusedControl : FActiveControl;
}

void TForm::SetActiveControl(TWinControl* Value)
{
    if (Value != nullptr && GetParentForm(Value) != this)
        throw EInvalidOperation("Control '" + Value->Name() + "' is not on form '" + Name() + "'");
    FActiveControl = Value;
    if (Value != nullptr && Showing())
        Value->SetFocus();
}

void TForm::FocusMoved(TWinControl* Control)
{
    TWinControl* Previous = FFocusedControl;
    if (Previous == Control)
        return;
    FFocusedControl = Control;
    FActiveControl = Control;
    // The controls being left, innermost first, and those being entered, outermost first; each is
    // checked for life before its handler runs, since an earlier handler may destroy it.
    std::vector<std::pair<TWinControl*, QPointer<QWidget>>> Leaving;
    for (TWinControl* C = Previous; C != nullptr && C != this; C = C->Parent())
        if (!IsWithin(Control, C))
            Leaving.emplace_back(C, ControlWidget(C));
    std::vector<std::pair<TWinControl*, QPointer<QWidget>>> Entering;
    for (TWinControl* C = Control; C != nullptr && C != this; C = C->Parent())
        if (!IsWithin(Previous, C))
            Entering.emplace_back(C, ControlWidget(C));
    std::reverse(Entering.begin(), Entering.end());
    for (auto& [C, Alive] : Leaving)
        if (Alive)
            Dispatch(C, [C] { C->DoExit(); });
    for (auto& [C, Alive] : Entering)
        if (Alive)
            Dispatch(C, [C] { C->DoEnter(); });
}

void TForm::ForgetControl(const TControl* Control)
{
    if (IsWithin(FFocusedControl, Control))
        FFocusedControl = nullptr;
    if (IsWithin(FActiveControl, Control))
        FActiveControl = nullptr;
}

void TForm::ScaleToScreen()
{
    const int ScreenPixels = Screen->PixelsPerInch();
    if (ScreenPixels != FPixelsPerInch) {
        ScaleBy(ScreenPixels, FPixelsPerInch);
        FTextHeight = MulDiv(FTextHeight, ScreenPixels, FPixelsPerInch);
    }
    FPixelsPerInch = ScreenPixels;
}

void TForm::ScaleBounds(int M, int D)
{
    // A form keeps its place; its client area scales, its frame does not.
    SetBoundsQuiet(Left(), Top(), MulDiv(ClientWidth(), M, D) + 2 * FormBorderWidth,
                   MulDiv(ClientHeight(), M, D) + FormCaptionHeight + FormBorderWidth);
}

void TForm::Resized()
{
    TWinControl::Resized();
}

TBitBtn* TForm::DefaultButton() const
{
    return FindButton(this, [](const TBitBtn* B) { return B->Default(); });
}

TBitBtn* TForm::CancelButton() const
{
    return FindButton(this, [](const TBitBtn* B) { return B->Cancel(); });
}

// TApplication

const TTypeInfo* TApplication::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TApplication", TComponent::TypeInfo());
    return &Info;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
}

TApplication::~TApplication() = default;

void TApplication::HandleException(TObject* Sender, const std::exception& E)
{
    if (OnException) {
        OnException(Sender, E);
        return;
    }
    TMessageBox Box;
    Box.DlgType = mtError;
    Box.Title = FTitle;
    Box.Text = E.what();
    Box.Results = {mrOk};
    Box.DefaultResult = mrOk;
    ShowMessageBox(Box);
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
}

// TScreen

const TTypeInfo* TScreen::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TScreen", TComponent::TypeInfo());
    return &Info;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner)
{
}

void TScreen::SetCursor(TCursor Value)
{
    FCursor = Value;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    Qt::CursorShape Shape = Qt::ArrowCursor;
    if (!ToQtCursor(Value, Shape)) {
        if (FOverriding)
            QGuiApplication::restoreOverrideCursor();
        FOverriding = false;
    } else if (FOverriding) {
        QGuiApplication::changeOverrideCursor(Shape);
    } else {
        QGuiApplication::setOverrideCursor(Shape);
        FOverriding = true;
    }
}

int TScreen::PixelsPerInch() const
{
    if (FPixelsPerInch > 0)
        return FPixelsPerInch;
    const QScreen* Primary = QGuiApplication::primaryScreen();
    return Primary != nullptr ? static_cast<int>(Primary->logicalDotsPerInch() + 0.5) : 96;
}

void TScreen::SetPixelsPerInch(int Value)
{
    if (Value <= 0)
        throw EInvalidOperation("Invalid screen resolution: " + IntToStr(Value) + " pixels per inch");
    FPixelsPerInch = Value;
}

int TScreen::Width() const
{
    const QScreen* Primary = QGuiApplication::primaryScreen();
    return Primary != nullptr ? Primary->geometry().width() : 0;
}

int TScreen::Height() const
{
    const QScreen* Primary = QGuiApplication::primaryScreen();
    return Primary != nullptr ? Primary->geometry().height() : 0;
}

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

struct TFormsRegistration
{
    TFormsRegistration() { RegisterClass(TForm::TypeInfo()); }
} const FormsRegistration;

} // namespace
