#include "ScriptRunner.hpp"

#include "Buttons.hpp"
#include "ComCtrls.hpp"
#include "ControlsImpl.hpp"
#include "ExtCtrls.hpp"
#include "FileCtrl.hpp"
#include "FormFrame.hpp"
#include "Registry.hpp"
#include "StdCtrls.hpp"
#include "UserInput.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleOptionButton>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace {

constexpr const char* SettingsKey = "\\Software\\Orvanda\\Components\\Tolvane";
// How long the script waits for an editor's Edit to return once its dialog has closed.
constexpr std::chrono::seconds EditReturnTimeout{20};

// An expectation did not hold: exit status 1.
class EExpectationFailed : public Exception
{
public:
    using Exception::Exception;
};

// A point where a click reaches Widget exactly there.
bool Reaches(QWidget* Widget, QPoint Local)
{
    const std::optional<QPoint> Hit = HitPoint(Widget, Local);
    return Hit && *Hit == Local;
}

QListWidget* ListWidgetOf(const TControl* Control)
{
    if (dynamic_cast<const TCustomListBox*>(Control) == nullptr &&
        dynamic_cast<const TListView*>(Control) == nullptr)
        return nullptr;
    return qobject_cast<QListWidget*>(ControlWidget(Control));
}

// Clicks (or double-clicks) entry Row of List where it shows, scrolling it into view first.
void ClickEntry(QListWidget* List, int Row, bool Double)
{
    QListWidgetItem* Item = List->item(Row);
    List->scrollToItem(Item);
    SettleEvents();
    const QPoint Centre = List->visualItemRect(Item).center();
    if (!Reaches(List->viewport(), Centre))
        throw EScriptError("the entry '" + FromQString(Item->text()) + "' cannot be reached with the mouse");
    if (Double)
        MouseDoubleClick(List->viewport(), Centre);
    else
        MouseClick(List->viewport(), Centre);
}

// Clicks a part of List that shows no entry, the one furthest down and right.
void ClickEmptySpace(QListWidget* List, bool Double)
{
    QWidget* Viewport = List->viewport();
    for (int Y = Viewport->height() - 3; Y >= 2; Y -= 4)
        for (int X = Viewport->width() - 3; X >= 2; X -= 4) {
            const QPoint P(X, Y);
            if (List->itemAt(P) == nullptr && Reaches(Viewport, P)) {
                if (Double)
                    MouseDoubleClick(Viewport, P);
                else
                    MouseClick(Viewport, P);
                return;
            }
        }
    throw EScriptError("the list has no empty space to click");
}

// Where a click toggles a check box: its indicator.
std::optional<QPoint> IndicatorOf(QWidget* Widget)
{
    auto* Box = qobject_cast<QCheckBox*>(Widget);
    if (Box == nullptr)
        return std::nullopt;
    QStyleOptionButton Option;
    Option.initFrom(Box);
    return Box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &Option, Box).center();
}

// A directory path as the directory list writes it: absolute, normalised, no trailing separator.
std::string NormalPath(const std::string& Path)
{
    std::string Result = std::filesystem::absolute(std::filesystem::path(Path)).lexically_normal().string();
    while (Result.size() > 1 && Result.back() == '/')
        Result.pop_back();
    return Result;
}

// True when Directory is Target or one of its ancestors.
bool LeadsTo(const std::string& Directory, const std::string& Target)
{
    return Directory == "/" || Directory == Target || Target.rfind(Directory + "/", 0) == 0;
}

std::string YesNo(bool Value, const char* Yes, const char* No)
{
    return Value ? Yes : No;
}

std::string SizeText(const TGraphic* Graphic, int Width, int Height)
{
    if (Graphic == nullptr || Graphic->Empty())
        return "empty";
    return std::to_string(Width) + " " + std::to_string(Height);
}

template <class C> C* As(TComponent* Component, const char* What)
{
    auto* Typed = dynamic_cast<C*>(Component);
    if (Typed == nullptr)
        throw EScriptError(Component->Name() + " is not " + What);
    return Typed;
}

// An empty graphic of the class of Current (or of the property's class when there is none).
std::unique_ptr<TGraphic> EmptyGraphicLike(const TGraphic* Current, const TTypeInfo* PropType)
{
    TPicture Blank;
    const TGraphic* Base = nullptr;
    if (PropType->InheritsFrom(TBitmap::TypeInfo()))
        Base = Blank.Bitmap();
    else if (PropType->InheritsFrom(TIcon::TypeInfo()))
        Base = Blank.Icon();
    else if (PropType->InheritsFrom(TMetafile::TypeInfo()))
        Base = Blank.Metafile();
    else
        throw EScriptError("the property's class " + PropType->Name + " is not a picture class");
    std::unique_ptr<TGraphic> Result = Current != nullptr ? Current->Clone() : Base->Clone();
    Result->Assign(Base);
    return Result;
}

} // namespace

void TTranscript::Line(const std::string& Text)
{
    for (std::ostream* S : FStreams)
        *S << Text << std::endl;
}

TScriptRunner::TScriptRunner(THostWindow& Window, THostDesigner& Designer, TTranscript& Transcript,
                             std::string ShotFolder)
    : FWindow(Window), FDesigner(Designer), FTranscript(Transcript), FShotFolder(std::move(ShotFolder)),
      FOldOnException(Application->OnException), FOldOnMessageShown(Application->OnMessageShown)
{
    qApp->installEventFilter(this);
    Application->OnException = [this](TObject*, const std::exception& E) {
        if (FFinished)
            return;
        FErrors.emplace_back(E.what());
        FTranscript.Line(std::string("  ! error: ") + E.what());
    };
    Application->OnMessageShown = [this](const TMessageBox& Box) {
        if (!FFinished) {
            FMessages.push_back(Box.Text);
            FTranscript.Line("  ! message: " + Box.Text);
        }
        return Box.DefaultResult;
    };
}

TScriptRunner::~TScriptRunner()
{
    qApp->removeEventFilter(this);
    Application->OnException = FOldOnException;
    Application->OnMessageShown = FOldOnMessageShown;
}

void TScriptRunner::Start(std::vector<TScriptCommand> Commands)
{
    FCommands = std::move(Commands);
    FNext = 0;
    FDesigner.ResetModifiedCount();
    ScheduleStep();
}

void TScriptRunner::ScheduleStep(int DelayMs)
{
    if (FStepScheduled || FFinished)
        return;
    FStepScheduled = true;
    QTimer::singleShot(DelayMs, this, [this] {
        FStepScheduled = false;
        Step();
    });
}

void TScriptRunner::Step()
{
    if (FFinished)
        return;
    if (FWindow.Grid().EditDepth() > 0 && !DialogTakesInput()) {
        // Edit is running but shows no dialog that takes input (it is closing): the next command
        // belongs after Edit has returned.
        const auto Now = std::chrono::steady_clock::now();
        if (!FWaiting) {
            FWaiting = true;
            FWaitingSince = Now;
        }
        if (Now - FWaitingSince > EditReturnTimeout) {
            Finish(2, "the property editor's Edit neither shows a dialog nor returns");
            return;
        }
        ScheduleStep(5);
        return;
    }
    FWaiting = false;
    if (FNext >= FCommands.size()) {
        Finish(0, "end of script: every expectation held");
        return;
    }
    const TScriptCommand& Command = FCommands[FNext++];
    FCurrent = &Command;
    FTranscript.Line(
        "> " + Command.Text.substr(std::min(Command.Text.size(), Command.Text.find_first_not_of(" \t"))));
    const std::string Where = "line " + std::to_string(Command.Line) + ": ";
    try {
        Execute(Command);
    } catch (const EExpectationFailed& E) {
        Finish(1, Where + E.Message());
    } catch (const EScriptError& E) {
        Finish(2, Where + E.Message());
    } catch (const std::exception& E) {
        Finish(2, Where + E.what());
    }
    ScheduleStep();
}

void TScriptRunner::Finish(int Status, const std::string& Message)
{
    if (FFinished)
        return;
    if (!Message.empty())
        FTranscript.Line(Message);
    FFinished = true;
    FExitStatus = Status;
    // Ends every running loop, an open dialog's modal loop included.
    QCoreApplication::exit(Status);
}

TForm* TScriptRunner::OpenDialog() const
{
    for (auto It = FDialogs.rbegin(); It != FDialogs.rend(); ++It)
        if (It->Window)
            return It->Form;
    return nullptr;
}

bool TScriptRunner::DialogTakesInput() const
{
    const TForm* Dialog = OpenDialog();
    return Dialog != nullptr && Dialog->Modal() && Dialog->ModalResult() == mrNone;
}

bool TScriptRunner::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::Show && Event->type() != QEvent::Hide)
        return false;
    auto* Window = qobject_cast<QWidget*>(Watched);
    if (Window == nullptr || !Window->isWindow())
        return false;
    auto* Form = dynamic_cast<TForm*>(TControlImpl::ControlOf(Window));
    if (Form == nullptr || ControlWidget(Form) != Window)
        return false;
    auto Tracked = std::find_if(FDialogs.begin(), FDialogs.end(),
                                [Window](const TOpenDialog& D) { return D.Window == Window; });
    if (Event->type() == QEvent::Show && Form->Modal() && Tracked == FDialogs.end()) {
        FDialogs.push_back({Form, Window});
        if (!FFinished)
            FTranscript.Line("  [dialog open: " + Form->Caption() + "]");
        if (FAwaitingDialog) {
            FAwaitingDialog = false;
            ScheduleStep();
        }
    } else if (Event->type() == QEvent::Hide && Tracked != FDialogs.end()) {
        // The modal loop is over: the result and Cleared are final, and the form still exists.
        bool Cleared = false;
        if (const TPropInfo* Prop = GetPropInfo(Form->ClassInfo(), "Cleared"))
            Cleared = GetOrdProp(Form, Prop).Ordinal != 0;
        FLastResult = Form->ModalResult() == mrOk ? "ok" : Cleared ? "cleared" : "cancel";
        if (!FFinished)
            FTranscript.Line("  [dialog closed: " + FLastResult + "]");
        FDialogs.erase(Tracked);
    }
    return false;
}

void TScriptRunner::Execute(const TScriptCommand& Command)
{
    const std::vector<std::string>& A = Command.Args;
    const std::string& Name = A[0];
    if (Command.Place == TCommandPlace::Host && OpenDialog() != nullptr)
        throw EScriptError("'" + Name + "' acts on the host window, but a dialog is open");
    if (Command.Place == TCommandPlace::Dialog && OpenDialog() == nullptr)
        throw EScriptError("'" + Name + "' acts on a dialog, but none is open");
    if (Name == "select")
        Select(A);
    else if (Name == "set")
        SetProperty(A[1], A[2]);
    else if (Name == "type")
        Type(A[1]);
    else if (Name == "edit")
        Edit();
    else if (Name == "shot")
        Shot(A[1]);
    else if (Name == "expect")
        Expect(Command);
    else if (Name == "print")
        Print(*Command.Query);
    else if (Name == "dir")
        MoveToDirectory(A[1]);
    else if (Name == "drive")
        ChooseDrive(A[1]);
    else if (Name == "click" || Name == "dblclick")
        Click(A, Name == "dblclick");
    else if (Name == "history")
        ChooseHistory(static_cast<int>(StrToInt(A[1])));
    else if (Name == "dropdown")
        DropDown(A[1]);
    else if (Name == "key")
        Key(A[1], A[2]);
    else if (Name == "leave")
        Leave(A[1]);
    else if (Name == "resize")
        Resize(static_cast<int>(StrToInt(A[1])), static_cast<int>(StrToInt(A[2])));
    else
        CloseBox();
}

// Host commands

void TScriptRunner::Select(const std::vector<std::string>& Args)
{
    const std::string& Path = Args[1];
    const std::size_t Dot = Path.find('.');
    TComponent* Component = FWindow.FindDesigned(Path.substr(0, Dot));
    if (Component == nullptr)
        throw EScriptError("the form has no component named " + Path.substr(0, Dot));
    // The component, picked in the component list.
    QListWidget& Components = FWindow.ComponentList();
    ClickEntry(&Components, FWindow.RowOf(Component), false);
    TPropertyGrid& Grid = FWindow.Grid();
    if (Grid.Component() != Component)
        throw EScriptError("clicking " + Component->Name() +
                           " in the component list did not show its properties");
    // Then the row, expanding the rows above it.
    const std::string RowPath = Path.substr(Dot + 1);
    std::size_t End = 0;
    TPropertyRow* Row = nullptr;
    while (End != std::string::npos) {
        End = RowPath.find('.', End + 1);
        const std::string Prefix = RowPath.substr(0, End);
        Row = Grid.FindRow(Prefix);
        if (Row == nullptr)
            throw EScriptError(Component->Name() + " has no property " + Prefix);
        Grid.scrollToItem(Row);
        SettleEvents();
        const QPoint Name(Grid.header()->sectionViewportPosition(0) + Grid.header()->sectionSize(0) / 2,
                          Grid.visualItemRect(Row).center().y());
        if (!Reaches(Grid.viewport(), Name))
            throw EScriptError("the row " + Prefix + " cannot be reached with the mouse");
        MouseClick(Grid.viewport(), Name);
        if (Grid.SelectedRow() != Row)
            throw EScriptError("clicking the row " + Prefix + " did not select it");
        if (End != std::string::npos && !Row->isExpanded()) {
            PressKey(&Grid, {Qt::Key_Right, Qt::NoModifier});
            if (!Row->isExpanded())
                throw EScriptError("the row " + Prefix + " has no sub-properties");
        }
    }
    if (Args.size() == 4) {
        const TPropertyEditorClass* EditorClass = FindEditorClass(Args[3]);
        if (EditorClass == nullptr)
            throw EScriptError("no property editor class is registered as " + Args[3]);
        Grid.ReplaceEditor(Row, *EditorClass);
    }
}

void TScriptRunner::SetProperty(const std::string& Path, const std::string& Source)
{
    const std::size_t Dot = Path.find('.');
    TComponent* Component = FWindow.FindDesigned(Path.substr(0, Dot));
    if (Component == nullptr)
        throw EScriptError("the form has no component named " + Path.substr(0, Dot));
    const TPropInfo* Prop = GetPropInfo(Component->ClassInfo(), Path.substr(Dot + 1));
    if (Prop == nullptr)
        throw EScriptError(Component->Name() + " has no property " + Path.substr(Dot + 1));
    const TTypeInfo* Type = Prop->PropType;
    if (Type->Kind != tkClass ||
        (!Type->InheritsFrom(TPicture::TypeInfo()) && !Type->InheritsFrom(TGraphic::TypeInfo())))
        throw EScriptError(Path + " is not a picture property");
    // What code in the designed form would do; a file that cannot be loaded is an error it reports.
    Dispatch(nullptr, [&] {
        if (Type->InheritsFrom(TPicture::TypeInfo())) {
            TPicture Picture;
            if (Source != "none")
                Picture.LoadFromFile(Source);
            SetOrdProp(Component, Prop, &Picture);
            return;
        }
        const auto* Current = dynamic_cast<const TGraphic*>(GetOrdProp(Component, Prop).Object);
        std::unique_ptr<TGraphic> Graphic = EmptyGraphicLike(Current, Type);
        if (Source != "none")
            Graphic->LoadFromFile(Source);
        SetOrdProp(Component, Prop, Graphic.get());
    });
    FWindow.Grid().RefreshValues();
}

TPropertyRow* TScriptRunner::SelectedRow() const
{
    TPropertyRow* Row = FWindow.Grid().SelectedRow();
    if (Row == nullptr)
        throw EScriptError("no property row is selected");
    return Row;
}

void TScriptRunner::Type(const std::string& Text)
{
    TPropertyRow* Row = SelectedRow();
    QLineEdit* Line = Row->Cell()->Line();
    if (Line == nullptr)
        throw EScriptError("the value of " + Row->Path() + " offers nothing to type into");
    FocusWidget(Line);
    PressKey(Line, {Qt::Key_A, Qt::ControlModifier});
    TypeText(Line, ToQString(Text));
    PressKey(Line, {Qt::Key_Return, Qt::NoModifier});
}

void TScriptRunner::Edit()
{
    TPropertyRow* Row = SelectedRow();
    QToolButton* Ellipsis = Row->Cell()->Ellipsis();
    if (Ellipsis == nullptr)
        throw EScriptError("the row " + Row->Path() + " has no ellipsis button");
    FWindow.Grid().scrollToItem(Row);
    SettleEvents();
    const std::optional<QPoint> Point = HitPoint(Ellipsis);
    if (!Point)
        throw EScriptError("the ellipsis button of " + Row->Path() + " cannot be reached with the mouse");
    // The click returns once Edit has; its dialog's appearance schedules the steps that act on it.
    FAwaitingDialog = true;
    MouseClick(Ellipsis, *Point);
    FAwaitingDialog = false;
}

void TScriptRunner::Shot(const std::string& File)
{
    std::filesystem::path Path(File);
    if (Path.is_relative() && !FShotFolder.empty())
        Path = std::filesystem::path(FShotFolder) / Path;
    if (Path.has_parent_path())
        std::filesystem::create_directories(Path.parent_path());
    SettleEvents();
    QImage Image;
    if (TForm* Dialog = OpenDialog())
        Image = FramedWindowImage(ControlWidget(Dialog), ToQString(Dialog->Caption()));
    else
        Image = FWindow.grab().toImage();
    if (!Image.save(ToQString(Path.string()), "PNG"))
        throw EScriptError("cannot write the screenshot " + Path.string());
}

void TScriptRunner::Expect(const TScriptCommand& Command)
{
    const TQuery& Query = *Command.Query;
    const std::string Found = Actual(Query);
    if (!QueryHolds(Query, Found))
        throw EExpectationFailed("expected " + QuerySubjectText(Query) + " " +
                                 QuoteScriptArgument(*Query.Expected) + ", found " +
                                 QuoteScriptArgument(Found));
    if (Query.Kind == TSubjectKind::Message)
        FMessages.pop_front();
    if (Query.Kind == TSubjectKind::Error)
        FErrors.pop_front();
}

void TScriptRunner::Print(const TQuery& Query)
{
    FTranscript.Line(Actual(Query));
}

// Dialog commands

void TScriptRunner::MoveToDirectory(const std::string& Path)
{
    TForm* Dialog = OpenDialog();
    TDirectoryListBox* List = nullptr;
    for (int I = 0; I < Dialog->ComponentCount() && List == nullptr; ++I)
        List = dynamic_cast<TDirectoryListBox*>(Dialog->Components(I));
    if (List == nullptr)
        throw EScriptError("the dialog has no directory list");
    auto* Widget = qobject_cast<QListWidget*>(ControlWidget(List));
    const std::string Target = NormalPath(Path);
    // Double-click by double-click, as a user goes: up to the deepest common ancestor, then down.
    for (int Moves = 0; List->Directory() != Target; ++Moves) {
        const std::string Here = List->Directory();
        int Best = -1;
        std::size_t BestLength = 0;
        for (int I = 0; I < List->Count(); ++I) {
            const std::string Entry = List->GetItemPath(I);
            if (Entry != Here && LeadsTo(Entry, Target) && Entry.size() >= BestLength) {
                Best = I;
                BestLength = Entry.size();
            }
        }
        if (Best < 0 || Moves > 256)
            throw EScriptError("no entry of the directory list in " + Here + " leads to " + Target);
        ClickEntry(Widget, Best, true);
        if (List->Directory() == Here)
            throw EScriptError("double-clicking " + List->GetItemPath(Best) +
                               " did not move the directory list");
    }
}

void TScriptRunner::ChooseDrive(const std::string& Root)
{
    TForm* Dialog = OpenDialog();
    TDriveComboBox* Box = nullptr;
    for (int I = 0; I < Dialog->ComponentCount() && Box == nullptr; ++I)
        Box = dynamic_cast<TDriveComboBox*>(Dialog->Components(I));
    if (Box == nullptr)
        throw EScriptError("the dialog has no drive box");
    for (int I = 0; I < Box->Items()->Count(); ++I)
        if (Box->Items()->Strings(I) == Root) {
            ChooseComboEntry(Box, I);
            return;
        }
    std::string Drives;
    for (int I = 0; I < Box->Items()->Count(); ++I)
        Drives += (I > 0 ? ", " : "") + Box->Items()->Strings(I);
    throw EScriptError("the drive box offers no drive " + Root + " (it offers " + Drives + ")");
}

void TScriptRunner::ClickListEntry(TControl* Control, const std::string& Name, bool Double)
{
    QListWidget* List = ListWidgetOf(Control);
    if (List == nullptr)
        throw EScriptError(Control->Name() + " has no entries to click");
    for (int Row = 0; Row < List->count(); ++Row)
        if (FromQString(List->item(Row)->text()) == Name) {
            ClickEntry(List, Row, Double);
            return;
        }
    if (Name != "none")
        throw EScriptError(Control->Name() + " has no entry " + Name);
    ClickEmptySpace(List, Double);
}

void TScriptRunner::Click(const std::vector<std::string>& Args, bool Double)
{
    TControl* Control = FindControl(Args[1]);
    if (Args.size() == 3) {
        ClickListEntry(Control, Args[2], Double);
        return;
    }
    if (QListWidget* List = ListWidgetOf(Control); List != nullptr && Double) {
        ClickEmptySpace(List, true);
        return;
    }
    QWidget* Widget = ControlWidget(Control);
    const std::optional<QPoint> Point = HitPoint(Widget, IndicatorOf(Widget));
    if (!Point)
        throw EScriptError(Control->Name() + " cannot be clicked: it is not shown, or it is covered");
    if (Double)
        MouseDoubleClick(Widget, *Point);
    else
        MouseClick(Widget, *Point);
}

void TScriptRunner::ChooseComboEntry(TComboBox* Box, int Index)
{
    auto* Widget = qobject_cast<QComboBox*>(ControlWidget(Box));
    if (Index >= Box->Items()->Count())
        throw EScriptError(Box->Name() + " has " + std::to_string(Box->Items()->Count()) +
                           " entries, so no entry " + std::to_string(Index));
    DropDown(Box->Name());
    // In the open list: to the entry with the arrow keys, then Enter.
    QAbstractItemView* View = Widget->view();
    if (!View->currentIndex().isValid())
        PressKey(View, {Qt::Key_Home, Qt::NoModifier});
    for (int Guard = 0; View->currentIndex().row() != Index && Guard < 1000; ++Guard)
        PressKey(View, {View->currentIndex().row() < Index ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier});
    if (View->currentIndex().row() != Index)
        throw EScriptError("the arrow keys do not reach entry " + std::to_string(Index) + " of " +
                           Box->Name());
    PressKey(View, {Qt::Key_Return, Qt::NoModifier});
}

void TScriptRunner::ChooseHistory(int Index)
{
    ChooseComboEntry(As<TComboBox>(FindControl("cbxHistory"), "a combo box"), Index);
}

void TScriptRunner::DropDown(const std::string& Name)
{
    auto* Box = As<TComboBox>(FindControl(Name), "a combo box");
    if (Box->DroppedDown())
        return;
    QWidget* Widget = ControlWidget(Box);
    const std::optional<QPoint> Point = HitPoint(Widget);
    if (!Point)
        throw EScriptError(Name + " cannot be clicked: it is not shown, or it is covered");
    MouseClick(Widget, *Point);
    // A box without entries opens no list, though it announces the drop-down all the same.
    if (!Box->DroppedDown() && Box->Items()->Count() > 0)
        throw EScriptError("clicking " + Name + " did not drop its list down");
}

void TScriptRunner::Key(const std::string& Name, const std::string& KeyName)
{
    TControl* Control = FindControl(Name);
    QWidget* Widget = ControlWidget(Control);
    auto* Box = dynamic_cast<TComboBox*>(Control);
    const bool ListOpen = Box != nullptr && Box->DroppedDown();
    if (!ListOpen) {
        if (!Widget->isVisible() || !Widget->isEnabled())
            throw EScriptError(Name + " cannot take the focus: it is hidden or disabled");
        FocusWidget(Widget);
        if (!Widget->hasFocus())
            throw EScriptError(Name + " did not take the focus");
    }
    PressKey(ListOpen ? qobject_cast<QComboBox*>(Widget)->view() : Widget, *ParseKeyName(KeyName));
}

void TScriptRunner::Leave(const std::string& Name)
{
    TControl* Control = FindControl(Name);
    QWidget* Widget = ControlWidget(Control);
    if (auto* Box = dynamic_cast<TComboBox*>(Control); Box != nullptr && Box->DroppedDown())
        PressKey(qobject_cast<QComboBox*>(Widget)->view(), {Qt::Key_Escape, Qt::NoModifier});
    if (!Widget->hasFocus()) {
        if (!Widget->isVisible() || !Widget->isEnabled())
            throw EScriptError(Name + " cannot take the focus: it is hidden or disabled");
        FocusWidget(Widget);
    }
    PressKey(Widget, {Qt::Key_Tab, Qt::NoModifier});
}

void TScriptRunner::Resize(int Width, int Height)
{
    QWidget* Window = ControlWidget(OpenDialog());
    Window->resize(Width, Height);
    SettleEvents();
}

void TScriptRunner::CloseBox()
{
    // A window's close goes through the window system, as a click on its close box does.
    ControlWidget(OpenDialog())->windowHandle()->close();
    SettleEvents();
}

// Subjects

TComponent* TScriptRunner::FindComponentNamed(const std::string& Name) const
{
    if (TForm* Dialog = OpenDialog()) {
        if (SameText(Name, Dialog->Name()))
            return Dialog;
        if (TComponent* C = Dialog->FindComponent(Name))
            return C;
        throw EScriptError("the dialog has no control named " + Name);
    }
    if (TComponent* C = FWindow.FindDesigned(Name))
        return C;
    throw EScriptError("no dialog is open, and the form has no component named " + Name);
}

TControl* TScriptRunner::FindControl(const std::string& Name) const
{
    return As<TControl>(FindComponentNamed(Name), "a control");
}

std::string TScriptRunner::Actual(const TQuery& Query) const
{
    switch (Query.Kind) {
    case TSubjectKind::Value:
        return FromQString(SelectedRow()->Cell()->Text());
    case TSubjectKind::Result:
        return FLastResult;
    case TSubjectKind::Dialog:
        return YesNo(OpenDialog() != nullptr, "open", "closed");
    case TSubjectKind::DialogCaption:
    case TSubjectKind::DialogCentred: {
        const TForm* Dialog = OpenDialog();
        if (Dialog == nullptr)
            return "(no dialog)";
        if (Query.Kind == TSubjectKind::DialogCaption)
            return Dialog->Caption();
        const int Left = (Screen->Width() - Dialog->Width()) / 2;
        const int Top = (Screen->Height() - Dialog->Height()) / 2;
        if (std::abs(Dialog->Left() - Left) <= 1 && std::abs(Dialog->Top() - Top) <= 1)
            return "centred";
        return "at " + std::to_string(Dialog->Left()) + "," + std::to_string(Dialog->Top()) +
               " (centred: " + std::to_string(Left) + "," + std::to_string(Top) + ")";
    }
    case TSubjectKind::Message:
        return FMessages.empty() ? "(none)" : FMessages.front();
    case TSubjectKind::Messages:
        return std::to_string(FMessages.size());
    case TSubjectKind::Error:
        return FErrors.empty() ? "(none)" : FErrors.front();
    case TSubjectKind::Errors:
        return std::to_string(FErrors.size());
    case TSubjectKind::Modified:
        return std::to_string(FDesigner.ModifiedCount());
    case TSubjectKind::Setting: {
        const TRegIniFile Ini(SettingsKey);
        if (!Ini.ValueExists(Query.Key, Query.Ident))
            return "(absent)";
        return Ini.ReadString(Query.Key, Query.Ident, "");
    }
    default:
        break;
    }
    TComponent* Component = FindComponentNamed(Query.Control);
    switch (Query.Kind) {
    case TSubjectKind::ControlState: {
        if (Query.Word == "checked")
            return YesNo(As<TCheckBox>(Component, "a check box")->Checked(), "checked", "unchecked");
        const auto* Control = As<TControl>(Component, "a control");
        if (Query.Word == "enabled")
            return YesNo(Control->Enabled(), "enabled", "disabled");
        return YesNo(Control->Visible(), "visible", "hidden");
    }
    case TSubjectKind::ControlBound: {
        const auto* Control = As<TControl>(Component, "a control");
        const int Value = Query.Word == "left"    ? Control->Left()
                          : Query.Word == "top"   ? Control->Top()
                          : Query.Word == "width" ? Control->Width()
                                                  : Control->Height();
        return std::to_string(Value);
    }
    case TSubjectKind::Count:
        if (auto* List = dynamic_cast<TCustomListBox*>(Component))
            return std::to_string(List->Count());
        if (auto* Box = dynamic_cast<TComboBox*>(Component))
            return std::to_string(Box->Items()->Count());
        if (auto* View = dynamic_cast<TListView*>(Component))
            return std::to_string(View->Items()->Count());
        return std::to_string(
            As<TImageList>(Component, "a list, combo box, list view or image list")->Count());
    case TSubjectKind::Item: {
        const int Index = static_cast<int>(StrToInt(Query.Key));
        if (auto* View = dynamic_cast<TListView*>(Component))
            return Index < View->Items()->Count() ? View->Items()->Item(Index)->Caption()
                                                  : "(no item " + Query.Key + ")";
        TStrings* Items = nullptr;
        if (auto* List = dynamic_cast<TCustomListBox*>(Component))
            Items = List->Items();
        else
            Items = As<TComboBox>(Component, "a list, combo box or list view")->Items();
        return Index < Items->Count() ? Items->Strings(Index) : "(no item " + Query.Key + ")";
    }
    case TSubjectKind::Selected: {
        if (auto* View = dynamic_cast<TListView*>(Component))
            return View->Selected() != nullptr ? View->Selected()->Caption() : "none";
        if (auto* List = dynamic_cast<TCustomListBox*>(Component))
            return List->ItemIndex() >= 0 ? List->Items()->Strings(List->ItemIndex()) : "none";
        auto* Box = As<TComboBox>(Component, "a list, combo box or list view");
        return Box->ItemIndex() >= 0 ? Box->Items()->Strings(Box->ItemIndex()) : "none";
    }
    case TSubjectKind::Directory:
        if (auto* Files = dynamic_cast<TFileListBox*>(Component))
            return Files->Directory();
        return As<TDirectoryListBox>(Component, "a directory or file list")->Directory();
    case TSubjectKind::Mask:
        return As<TFileListBox>(Component, "a file list")->Mask();
    case TSubjectKind::TabOrder:
        return std::to_string(As<TWinControl>(Component, "a windowed control")->TabOrder());
    case TSubjectKind::Picture: {
        TPicture* Picture = As<TImage>(Component, "an image")->Picture();
        return SizeText(Picture->Graphic(), Picture->Width(), Picture->Height());
    }
    case TSubjectKind::Stretch:
        return YesNo(As<TImage>(Component, "an image")->Stretch(), "on", "off");
    case TSubjectKind::Glyph: {
        const TBitmap* Glyph = As<TBitBtn>(Component, "a bitmap button")->Glyph();
        return SizeText(Glyph, Glyph->Width(), Glyph->Height());
    }
    default: {
        auto* View = As<TListView>(Component, "a list view");
        for (int I = 0; I < View->Items()->Count(); ++I)
            if (View->Items()->Item(I)->Caption() == Query.Key)
                return View->Items()->Item(I)->ImageIndex() >= 0 ? "own" : "none";
        return "(no item " + Query.Key + ")";
    }
    }
}
