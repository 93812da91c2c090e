#include "StdCtrls.hpp"

#include "ControlsImpl.hpp"
#include "Forms.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// The extra room before an entry's image, in pixels.
constexpr int IndentRole = Qt::UserRole + 1;

// Draws list entries ItemHeight pixels high, each indented as its IndentRole says.
class TItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        QSize Size = QStyledItemDelegate::sizeHint(Option, Index);
        Size.setWidth(Size.width() + Index.data(IndentRole).toInt());
        Size.setHeight(ItemHeight);
        return Size;
    }

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        QStyleOptionViewItem Shifted = Option;
        Shifted.rect.adjust(Index.data(IndentRole).toInt(), 0, 0, 0);
        QStyledItemDelegate::paint(Painter, Shifted, Index);
    }

    int ItemHeight = 16;
};

void SetDelegateHeight(QAbstractItemView* View, int Height)
{
    if (auto* Delegate = dynamic_cast<TItemDelegate*>(View->itemDelegate())) {
        Delegate->ItemHeight = Height;
        View->doItemsLayout();
    }
}

} // namespace

// TLabel

const TTypeInfo* TLabel::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TLabel>("TLabel", TGraphicControl::TypeInfo(),
                                  {StrProp("Caption", &TLabel::Caption, &TLabel::SetCaption),
                                   BoolProp("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize),
                                   BoolProp("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)});
    return &Info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    auto* Label = new QLabel;
    Label->setTextFormat(Qt::PlainText);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Impl().Attach(Label);
    SetBounds(0, 0, 65, 17);
    AdjustSize();
}

void TLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    AdjustSize();
}

void TLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    ApplyBackground();
}

void TLabel::CaptionChanged()
{
    if (auto* Label = static_cast<QLabel*>(ControlWidget(this)))
        Label->setText(ToQString(StripAccelerator(Caption())));
    AdjustSize();
}

void TLabel::FontChanged()
{
    AdjustSize();
}

void TLabel::ColorChanged()
{
    FParentColor = false;
    ApplyBackground();
}

void TLabel::ApplyBackground()
{
    Impl().FillBackground = !FTransparent && !FParentColor;
    Impl().ApplyColor();
}

void TLabel::AdjustSize()
{
    if (!FAutoSize)
        return;
    const QFontMetrics Metrics(ToQFont(*Font()));
    SetBounds(Left(), Top(), Metrics.horizontalAdvance(ToQString(StripAccelerator(Caption()))),
              Metrics.height());
}

// TCheckBox

const TTypeInfo* TCheckBox::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TCheckBox>("TCheckBox", TWinControl::TypeInfo(),
                                     {StrProp("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption),
                                      BoolProp("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)});
    return &Info;
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner)
{
    auto* Box = new TAcceleratedButton<QCheckBox>;
    Box->setFocusPolicy(Qt::StrongFocus);
    // A user's toggle only: setChecked does not emit clicked.
    QObject::connect(Box, &QCheckBox::clicked, Impl().Bridge.get(),
                     [this] { Dispatch(this, [this] { Click(); }); });
    Impl().Attach(Box);
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

bool TCheckBox::Checked() const
{
    auto* Box = static_cast<QCheckBox*>(ControlWidget(this));
    return Box != nullptr && Box->isChecked();
}

void TCheckBox::SetChecked(bool Value)
{
    if (auto* Box = static_cast<QCheckBox*>(ControlWidget(this))) {
        const QSignalBlocker Quiet(Box);
        Box->setChecked(Value);
    }
}

void TCheckBox::CaptionChanged()
{
    if (auto* Box = static_cast<QCheckBox*>(ControlWidget(this)))
        Box->setText(ToQString(Caption()));
}

// TComboBox

const TTypeInfo* ComboBoxStyleTypeInfo()
{
    static const TTypeInfo* Info =
        MakeEnumTypeInfo("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"});
    return Info;
}

// The combo box's widget: raises OnDropDown before its list opens.
class TComboBoxWidget : public QComboBox
{
public:
    explicit TComboBoxWidget(TComboBox* ABox) : FBox(ABox) {}

    void showPopup() override
    {
        if (!FQuiet)
            Dispatch(FBox, [this] { FBox->DropDown(); });
        if (!FBox->Destroying())
            QComboBox::showPopup();
    }

    // Opens the list without raising OnDropDown.
    void ShowPopupQuietly()
    {
        FQuiet = true;
        showPopup();
        FQuiet = false;
    }

private:
    TComboBox* FBox;
    bool FQuiet = false;
};

// The entries of a combo box, read and written on the widget itself.
class TComboBoxStrings : public TStrings
{
public:
    explicit TComboBoxStrings(TComboBox* ABox) : FBox(ABox) {}

    int Count() const override { return Box().count(); }

    std::string Strings(int Index) const override
    {
        CheckIndex(Index, Count());
        return FromQString(Box().itemText(Index));
    }

    void Insert(int Index, const std::string& S) override
    {
        CheckIndex(Index, Count() + 1);
        QComboBox& W = Box();
        const QSignalBlocker Quiet(&W);
        // Qt chooses the first entry added to an empty box; the platform chooses none.
        const int Current = W.currentIndex();
        const QString Text = W.currentText();
        W.insertItem(Index, ToQString(S));
        W.setCurrentIndex(Current < 0 ? -1 : Current >= Index ? Current + 1 : Current);
        if (W.isEditable())
            W.setEditText(Text);
    }

    void Delete(int Index) override
    {
        CheckIndex(Index, Count());
        QComboBox& W = Box();
        const QSignalBlocker Quiet(&W);
        const int Current = W.currentIndex();
        W.removeItem(Index);
        if (Current == Index)
            W.setCurrentIndex(-1);
    }

    void Clear() override
    {
        QComboBox& W = Box();
        const QSignalBlocker Quiet(&W);
        W.clear();
    }

private:
    QComboBox& Box() const
    {
        auto* W = static_cast<QComboBox*>(ControlWidget(FBox));
        if (W == nullptr)
            throw EInvalidOperation("The combo box '" + FBox->Name() + "' has no window any more");
        return *W;
    }
    TComboBox* FBox;
};

const TTypeInfo* TComboBox::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TComboBox>(
        "TComboBox", TWinControl::TypeInfo(),
        {OrdProp("Style", ComboBoxStyleTypeInfo(), &TComboBox::Style, &TComboBox::SetStyle),
         IntProp("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight),
         ClassProp("Items", &TComboBox::Items, &TComboBox::SetItems),
         StrProp("Text", &TComboBox::Text, &TComboBox::SetText),
         EventProp("OnChange", NotifyEventTypeInfo(), &TComboBox::OnChange),
         EventProp("OnDropDown", NotifyEventTypeInfo(), &TComboBox::OnDropDown)});
    return &Info;
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TComboBoxStrings>(this))
{
    auto* Box = new TComboBoxWidget(this);
    Box->setFocusPolicy(Qt::StrongFocus);
    Box->setInsertPolicy(QComboBox::NoInsert);
    Box->setItemDelegate(new TItemDelegate(Box));
    // activated: a choice by the user, by mouse, keyboard or wheel, never a programmatic change.
    QObject::connect(Box, &QComboBox::activated, Impl().Bridge.get(), [this](int) {
        Dispatch(this, [this] {
            Click();
            Change();
        });
    });
    Impl().ColorRole = QPalette::Base;
    SetDefaultColor(clWindow);
    Impl().Attach(Box);
    SetStyle(csDropDown);
    SetItemHeight(FItemHeight);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() = default;

void TComboBox::SetStyle(TComboBoxStyle Value)
{
    FStyle = Value;
    auto* Box = static_cast<QComboBox*>(ControlWidget(this));
    if (Box == nullptr)
        return;
    const bool Editable = Value != csDropDownList;
    if (Box->isEditable() == Editable)
        return;
    const QSignalBlocker Quiet(Box);
    Box->setEditable(Editable);
    if (Editable)
        QObject::connect(Box->lineEdit(), &QLineEdit::textEdited, Impl().Bridge.get(),
                         [this](const QString&) { Dispatch(this, [this] { Change(); }); });
}

void TComboBox::SetItems(const TStrings* Value)
{
    FItems->Assign(Value);
}

int TComboBox::ItemIndex() const
{
    auto* Box = static_cast<QComboBox*>(ControlWidget(this));
    return Box != nullptr ? Box->currentIndex() : -1;
}

void TComboBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= FItems->Count())
        throw EListError("Combo box '" + Name() + "': item index out of bounds (" + IntToStr(Value) + ")");
    if (auto* Box = static_cast<QComboBox*>(ControlWidget(this))) {
        const QSignalBlocker Quiet(Box);
        Box->setCurrentIndex(Value);
    }
}

std::string TComboBox::Text() const
{
    auto* Box = static_cast<QComboBox*>(ControlWidget(this));
    return Box != nullptr ? FromQString(Box->currentText()) : std::string();
}

void TComboBox::SetText(const std::string& Value)
{
    auto* Box = static_cast<QComboBox*>(ControlWidget(this));
    if (Box == nullptr)
        return;
    const QSignalBlocker Quiet(Box);
    if (Box->isEditable())
        Box->setEditText(ToQString(Value));
    else
        Box->setCurrentIndex(Box->findText(ToQString(Value), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TComboBox::SetItemHeight(int Value)
{
    FItemHeight = std::max(1, Value);
    if (auto* Box = static_cast<QComboBox*>(ControlWidget(this)))
        SetDelegateHeight(Box->view(), FItemHeight);
}

bool TComboBox::DroppedDown() const
{
    auto* Box = static_cast<QComboBox*>(ControlWidget(this));
    return Box != nullptr && Box->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool Value)
{
    auto* Box = static_cast<TComboBoxWidget*>(ControlWidget(this));
    if (Box == nullptr || Value == DroppedDown())
        return;
    if (Value)
        Box->ShowPopupQuietly();
    else
        Box->hidePopup();
}

void TComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TComboBox::ChangeScale(int M, int D)
{
    TWinControl::ChangeScale(M, D);
    SetItemHeight(MulDiv(FItemHeight, M, D));
}

// TCustomListBox

// The list box's widget: turns the user's mouse and keyboard actions into the list box's events.
class TListBoxWidget : public QListWidget
{
public:
    explicit TListBoxWidget(TCustomListBox* ABox) : FBox(ABox) {}

protected:
    // A press that selects another entry raises OnClick at once; a press on the selected entry
    // raises it on release, unless the press turned out to begin a double-click.
    void mousePressEvent(QMouseEvent* Event) override
    {
        const int Before = FBox->ItemIndex();
        QListWidget::mousePressEvent(Event);
        const bool OnEntry =
            Event->button() == Qt::LeftButton && itemAt(Event->position().toPoint()) != nullptr;
        FClickPending = false;
        if (FBox->ItemIndex() != Before)
            RaiseClick();
        else
            FClickPending = OnEntry;
    }

    void mouseReleaseEvent(QMouseEvent* Event) override
    {
        QListWidget::mouseReleaseEvent(Event);
        if (FClickPending && Event->button() == Qt::LeftButton) {
            FClickPending = false;
            RaiseClick();
        }
    }

    void mouseMoveEvent(QMouseEvent* Event) override
    {
        const int Before = FBox->ItemIndex();
        QListWidget::mouseMoveEvent(Event);
        if (FBox->ItemIndex() != Before)
            RaiseClick();
    }

    void mouseDoubleClickEvent(QMouseEvent* Event) override
    {
        // A double-click elsewhere than its first press counts as a press there first, which the
        // press handler reports.
        FClickPending = false;
        QListWidget::mouseDoubleClickEvent(Event);
        FClickPending = false;
        if (Event->button() == Qt::LeftButton && itemAt(Event->position().toPoint()) != nullptr)
            Dispatch(FBox, [this] { FBox->DblClick(); });
    }

    void keyPressEvent(QKeyEvent* Event) override
    {
        const bool Enter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
        if (Enter && (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // An enabled default button takes Enter first; the form presses it.
            const TForm* Form = GetParentForm(FBox);
            const int Index = FBox->ItemIndex();
            if ((Form != nullptr && Form->DefaultButton() != nullptr) || Index < 0) {
                Event->ignore();
                return;
            }
            Event->accept();
            Dispatch(FBox, [this, Index] { FBox->ItemActivated(Index); });
            return;
        }
        const int Before = FBox->ItemIndex();
        // With nothing selected, the first move starts from before the first entry, so Down, Home
        // and Up select the first one rather than skipping it.
        if (Before < 0 && selectionModel() != nullptr)
            selectionModel()->clearCurrentIndex();
        QListWidget::keyPressEvent(Event);
        if (FBox->ItemIndex() != Before)
            RaiseClick();
    }

private:
    void RaiseClick()
    {
        Dispatch(FBox, [this] { FBox->Click(); });
    }
    TCustomListBox* FBox;
    bool FClickPending = false;
};

// The entries of a list box, read and written on the widget itself.
class TListBoxStrings : public TStrings
{
public:
    explicit TListBoxStrings(TCustomListBox* ABox) : FBox(ABox) {}

    int Count() const override { return List().count(); }

    std::string Strings(int Index) const override
    {
        CheckIndex(Index, Count());
        return FromQString(List().item(Index)->text());
    }

    void Insert(int Index, const std::string& S) override
    {
        CheckIndex(Index, Count() + 1);
        List().insertItem(Index, ToQString(S));
    }

    void Delete(int Index) override
    {
        CheckIndex(Index, Count());
        delete List().takeItem(Index);
    }

    void Clear() override { List().clear(); }

private:
    QListWidget& List() const
    {
        auto* W = static_cast<QListWidget*>(ControlWidget(FBox));
        if (W == nullptr)
            throw EInvalidOperation("The list box '" + FBox->Name() + "' has no window any more");
        return *W;
    }
    TCustomListBox* FBox;
};

const TTypeInfo* TCustomListBox::TypeInfo()
{
    static const TTypeInfo Info =
        ClassTypeInfo("TCustomListBox", TWinControl::TypeInfo(),
                      {IntProp("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight),
                       ClassProp("Items", &TCustomListBox::Items, &TCustomListBox::SetItems)});
    return &Info;
}

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TListBoxStrings>(this))
{
    auto* List = new TListBoxWidget(this);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setFocusPolicy(Qt::StrongFocus);
    List->setItemDelegate(new TItemDelegate(List));
    List->setUniformItemSizes(false);
    Impl().ColorRole = QPalette::Base;
    SetDefaultColor(clWindow);
    Impl().Attach(List);
    SetItemHeight(FItemHeight);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::SetItems(const TStrings* Value)
{
    FItems->Assign(Value);
}

int TCustomListBox::Count() const
{
    return FItems->Count();
}

int TCustomListBox::ItemIndex() const
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return -1;
    const QList<QListWidgetItem*> Selected = List->selectedItems();
    return Selected.isEmpty() ? -1 : List->row(Selected.first());
}

void TCustomListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= Count())
        throw EListError("List box '" + Name() + "': item index out of bounds (" + IntToStr(Value) + ")");
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return;
    if (Value < 0) {
        List->clearSelection();
        List->setCurrentRow(-1);
        return;
    }
    List->setCurrentRow(Value);
    List->scrollToItem(List->item(Value));
}

void TCustomListBox::SetItemHeight(int Value)
{
    FItemHeight = std::max(1, Value);
    if (auto* List = static_cast<QListWidget*>(ControlWidget(this)))
        SetDelegateHeight(List, FItemHeight);
}

int TCustomListBox::TopIndex() const
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr || List->count() == 0)
        return 0;
    const QListWidgetItem* Top = List->itemAt(1, 1);
    return Top != nullptr ? List->row(Top) : 0;
}

void TCustomListBox::SetTopIndex(int Value)
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List != nullptr && Value >= 0 && Value < List->count())
        List->scrollToItem(List->item(Value), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::ItemActivated(int /*Index*/)
{
}

void TCustomListBox::SetItemImage(int Index, const TGraphic* Image, int Indent)
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return;
    if (Index < 0 || Index >= List->count())
        throw EListError("List box '" + Name() + "': item index out of bounds (" + IntToStr(Index) + ")");
    QListWidgetItem* Item = List->item(Index);
    Item->setData(IndentRole, std::max(0, Indent));
    const QImage Picture = GraphicImage(Image, 16);
    if (Picture.isNull()) {
        Item->setIcon(QIcon());
        return;
    }
    Item->setIcon(QIcon(QPixmap::fromImage(Picture)));
    const QSize Size = List->iconSize().expandedTo(Picture.size());
    if (Size != List->iconSize())
        List->setIconSize(Size);
}

void TCustomListBox::ChangeScale(int M, int D)
{
    TWinControl::ChangeScale(M, D);
    SetItemHeight(MulDiv(FItemHeight, M, D));
}

// TListBox

const TTypeInfo* TListBox::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TListBox>("TListBox", TCustomListBox::TypeInfo());
    return &Info;
}

TListBox::TListBox(TComponent* AOwner) : TCustomListBox(AOwner)
{
}

namespace {

struct TStdCtrlsRegistration
{
    TStdCtrlsRegistration()
    {
        for (const TTypeInfo* Class : {TLabel::TypeInfo(), TCheckBox::TypeInfo(), TComboBox::TypeInfo(),
                                       TCustomListBox::TypeInfo(), TListBox::TypeInfo()})
            RegisterClass(Class);
    }
} const StdCtrlsRegistration;

} // namespace
