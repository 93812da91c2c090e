#include "PropertyGrid.hpp"

#include "ControlsImpl.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

// TValueCell

TValueCell::TValueCell(TPropertyAttributes Attributes, QWidget* Parent)
    : QWidget(Parent), FReadOnly(Attributes.Contains(paReadOnly))
{
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    if (Attributes.Contains(paValueList)) {
        FList = new QComboBox(this);
        FList->setEditable(!FReadOnly);
        FList->setInsertPolicy(QComboBox::NoInsert);
        FLine = FList->lineEdit();
        Layout->addWidget(FList, 1);
        QObject::connect(FList, &QComboBox::activated, this, [this](int Index) {
            if (OnCommit)
                OnCommit(FList->itemText(Index));
        });
    } else {
        FLine = new QLineEdit(this);
        FLine->setReadOnly(FReadOnly);
        FLine->setFrame(false);
        FLine->installEventFilter(this);
        Layout->addWidget(FLine, 1);
    }
    if (FLine != nullptr)
        QObject::connect(FLine, &QLineEdit::returnPressed, this, [this] {
            // A value list commits text that names one of its values through activated.
            if (FReadOnly || (FList != nullptr && FList->findText(FLine->text()) >= 0))
                return;
            if (OnCommit)
                OnCommit(FLine->text());
        });
    if (Attributes.Contains(paDialog)) {
        FEllipsis = new QToolButton(this);
        FEllipsis->setText(QStringLiteral("..."));
        FEllipsis->setFocusPolicy(Qt::NoFocus);
        Layout->addWidget(FEllipsis);
        QObject::connect(FEllipsis, &QToolButton::clicked, this, [this] {
            if (OnEllipsis)
                OnEllipsis();
        });
    }
}

bool TValueCell::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FLine && FReadOnly && Event->type() == QEvent::KeyPress &&
        !static_cast<QKeyEvent*>(Event)->text().isEmpty())
        return true;
    return QWidget::eventFilter(Watched, Event);
}

QString TValueCell::Text() const
{
    return FLine != nullptr ? FLine->text() : FList->currentText();
}

void TValueCell::SetText(const QString& Value)
{
    if (FList != nullptr) {
        const QSignalBlocker Quiet(FList);
        const int Index = FList->findText(Value);
        if (FList->isEditable()) {
            FList->setCurrentIndex(Index);
            FList->setEditText(Value);
        } else {
            FList->setCurrentIndex(Index);
        }
        return;
    }
    const QSignalBlocker Quiet(FLine);
    FLine->setText(Value);
    FLine->setCursorPosition(0);
}

void TValueCell::SetValues(const QStringList& Values)
{
    if (FList == nullptr)
        return;
    const QSignalBlocker Quiet(FList);
    const QString Current = Text();
    FList->clear();
    FList->addItems(Values);
    SetText(Current);
}

// TPropertyRow

TPropertyRow::TPropertyRow(std::unique_ptr<TPropertyEditor> Editor) : FEditor(std::move(Editor))
{
}

std::string TPropertyRow::Path() const
{
    std::string Result = FromQString(text(0));
    for (const QTreeWidgetItem* P = parent(); P != nullptr; P = P->parent())
        Result = FromQString(P->text(0)) + "." + Result;
    return Result;
}

// TPropertyGrid

TPropertyGrid::TPropertyGrid(IFormDesigner* Designer, QWidget* Parent)
    : QTreeWidget(Parent), FDesigner(Designer)
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setStretchLastSection(true);
    header()->resizeSection(0, 130);
    setUniformRowHeights(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    setAlternatingRowColors(true);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* Item) {
        auto* Row = static_cast<TPropertyRow*>(Item);
        if (!Row->FChildrenLoaded)
            LoadChildren(Row);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [](QTreeWidgetItem* Current, QTreeWidgetItem*) {
        if (auto* Row = static_cast<TPropertyRow*>(Current))
            Dispatch(nullptr, [Row] { Row->Editor().Activate(); });
    });
}

TPropertyGrid::~TPropertyGrid()
{
    // The rows' editors may refer to the component; they go first.
    clear();
}

void TPropertyGrid::SetComponent(TComponent* Component)
{
    if (FEditDepth > 0)
        throw EInvalidOperation(
            "The object inspector cannot change its component while a property is edited");
    clear();
    FComponent = Component;
    if (Component == nullptr)
        return;
    for (const TPropInfo* Prop : GetPropList(Component->ClassInfo()))
        Dispatch(nullptr, [&] { AddRow(CreatePropertyEditor(FDesigner, {Component}, Prop), nullptr); });
}

void TPropertyGrid::AddRow(std::unique_ptr<TPropertyEditor> Editor, QTreeWidgetItem* Parent)
{
    if (!Editor)
        return;
    Editor->Initialize();
    auto* Row = new TPropertyRow(std::move(Editor));
    if (Parent != nullptr)
        Parent->addChild(Row);
    else
        addTopLevelItem(Row);
    try {
        SetUpRow(Row);
    } catch (...) {
        delete Row;
        throw;
    }
}

void TPropertyGrid::SetUpRow(TPropertyRow* Row)
{
    // Everything the editor may raise comes first, so a row is either set up in full or not at all.
    TPropertyEditor& Editor = Row->Editor();
    const TPropertyAttributes Attributes = Editor.GetAttributes();
    const std::string Name = Editor.GetName();
    QStringList Values;
    if (Attributes.Contains(paValueList)) {
        Editor.GetValues([&Values](const std::string& V) { Values << ToQString(V); });
        if (Attributes.Contains(paSortList))
            Values.sort(Qt::CaseInsensitive);
    }
    Row->FAttributes = Attributes;
    Row->setText(0, ToQString(Name));
    Row->setChildIndicatorPolicy(Attributes.Contains(paSubProperties)
                                     ? QTreeWidgetItem::ShowIndicator
                                     : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    auto* Cell = new TValueCell(Attributes, this);
    Cell->SetValues(Values);
    Cell->OnCommit = [this, Row](const QString& Text) { Commit(Row, Text); };
    Cell->OnEllipsis = [this, Row] { RunEdit(Row); };
    Row->FCell = Cell;
    setItemWidget(Row, 1, Cell);
    RefreshRow(Row);
}

void TPropertyGrid::ReplaceEditor(TPropertyRow* Row, const TPropertyEditorClass& EditorClass)
{
    if (FEditDepth > 0)
        throw EInvalidOperation("The object inspector cannot change an editor while a property is edited");
    const TPropertyEditor& Old = Row->Editor();
    std::vector<TPersistent*> Components;
    for (int I = 0; I < Old.PropCount(); ++I)
        Components.push_back(Old.GetComponent(I));
    std::unique_ptr<TPropertyEditor> Editor = EditorClass.Create(FDesigner, Components, Old.GetPropInfo());
    Editor->Initialize();
    DropChildren(Row);
    Row->FEditor = std::move(Editor);
    SetUpRow(Row);
}

TObject* TPropertyGrid::ValueObject(const TPropertyRow* Row) const
{
    const TPropertyEditor& Editor = Row->Editor();
    if (Editor.GetPropType()->Kind != tkClass || Editor.PropCount() == 0)
        return nullptr;
    return GetOrdProp(Editor.GetComponent(0), Editor.GetPropInfo()).Object;
}

void TPropertyGrid::LoadChildren(TPropertyRow* Row)
{
    Row->FChildrenLoaded = true;
    Dispatch(nullptr, [&] {
        Row->FChildrenOf = ValueObject(Row);
        Row->Editor().GetProperties(
            [this, Row](std::unique_ptr<TPropertyEditor> Editor) { AddRow(std::move(Editor), Row); });
    });
}

void TPropertyGrid::DropChildren(TPropertyRow* Row)
{
    Row->setExpanded(false);
    qDeleteAll(Row->takeChildren());
    Row->FChildrenLoaded = false;
    Row->FChildrenOf = nullptr;
}

void TPropertyGrid::Commit(TPropertyRow* Row, const QString& Text)
{
    if (!Row->FAttributes.Contains(paReadOnly))
        Dispatch(nullptr, [&] { Row->Editor().SetValue(FromQString(Text)); });
    RefreshValues();
}

void TPropertyGrid::RunEdit(TPropertyRow* Row)
{
    ++FEditDepth;
    Dispatch(nullptr, [Row] { Row->Editor().Edit(); });
    --FEditDepth;
    RefreshValues();
}

void TPropertyGrid::RefreshValues()
{
    for (int I = 0; I < topLevelItemCount(); ++I)
        RefreshRow(static_cast<TPropertyRow*>(topLevelItem(I)));
}

void TPropertyGrid::RefreshRow(TPropertyRow* Row)
{
    std::string Text;
    const bool Read = Dispatch(nullptr, [&] { Text = Row->Editor().GetValue(); });
    Row->FCell->SetText(Read ? ToQString(Text) : QStringLiteral("(unreadable)"));
    if (!Row->FChildrenLoaded)
        return;
    TObject* Object = nullptr;
    Dispatch(nullptr, [&] { Object = ValueObject(Row); });
    if (Object != Row->FChildrenOf) {
        // The value is another object now: the children described the old one.
        const bool Expanded = Row->isExpanded();
        DropChildren(Row);
        if (Expanded)
            Row->setExpanded(true);
        return;
    }
    for (int I = 0; I < Row->childCount(); ++I)
        RefreshRow(static_cast<TPropertyRow*>(Row->child(I)));
}

TPropertyRow* TPropertyGrid::FindRow(const std::string& Path) const
{
    QTreeWidgetItem* Found = nullptr;
    std::size_t Start = 0;
    while (Start <= Path.size()) {
        const std::size_t Dot = Path.find('.', Start);
        const std::string Name =
            Path.substr(Start, Dot == std::string::npos ? std::string::npos : Dot - Start);
        const int Count = Found != nullptr ? Found->childCount() : topLevelItemCount();
        QTreeWidgetItem* Next = nullptr;
        for (int I = 0; I < Count && Next == nullptr; ++I) {
            QTreeWidgetItem* Item = Found != nullptr ? Found->child(I) : topLevelItem(I);
            if (SameText(FromQString(Item->text(0)), Name))
                Next = Item;
        }
        if (Next == nullptr)
            return nullptr;
        Found = Next;
        if (Dot == std::string::npos)
            break;
        Start = Dot + 1;
    }
    return static_cast<TPropertyRow*>(Found);
}

TPropertyRow* TPropertyGrid::SelectedRow() const
{
    return static_cast<TPropertyRow*>(currentItem());
}
