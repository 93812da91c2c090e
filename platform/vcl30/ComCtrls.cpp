#include "ComCtrls.hpp"

#include "ControlsImpl.hpp"
#include "GraphicsImage.hpp"
#include "Thumbnails.hpp"

#include <QIcon>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {

// Image fitted into Width by Height: scaled with its aspect kept, centred, transparent around it.
QImage FitImage(const QImage& Image, int Width, int Height)
{
    const QImage Source = Image.convertToFormat(QImage::Format_ARGB32);
    if (Source.width() == Width && Source.height() == Height)
        return Source;
    QImage Result(Width, Height, QImage::Format_ARGB32);
    Result.fill(Qt::transparent);
    const QSize Fitted = Source.size().scaled(Width, Height, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QPainter Painter(&Result);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform);
    Painter.drawImage(QRect(QPoint((Width - Fitted.width()) / 2, (Height - Fitted.height()) / 2), Fitted),
                      Source);
    return Result;
}

} // namespace

// TImageList

const TTypeInfo* TImageList::TypeInfo()
{
    static const TTypeInfo Info =
        ComponentTypeInfo<TImageList>("TImageList", TComponent::TypeInfo(),
                                      {IntProp("Width", &TImageList::Width, &TImageList::SetWidth),
                                       IntProp("Height", &TImageList::Height, &TImageList::SetHeight)});
    return &Info;
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner), FData(std::make_unique<TImageListData>())
{
}

TImageList::~TImageList()
{
    const std::vector<TListView*> Views = FViews;
    for (TListView* View : Views)
        View->ImagesDestroyed(this);
}

void TImageList::SetWidth(int Value)
{
    SetSize(Value, FHeight);
}

void TImageList::SetHeight(int Value)
{
    SetSize(FWidth, Value);
}

void TImageList::SetSize(int AWidth, int AHeight)
{
    if (AWidth < 1 || AHeight < 1)
        throw EInvalidOperation("Image list '" + Name() + "': invalid image size " + IntToStr(AWidth) +
                                " x " + IntToStr(AHeight));
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    FWidth = AWidth;
    FHeight = AHeight;
    FData->Images.clear();
    Changed(0);
}

int TImageList::Count() const
{
    return static_cast<int>(FData->Images.size());
}

void TImageList::Clear()
{
    FData->Images.clear();
    Changed(0);
}

int TImageList::Add(const TBitmap* Image)
{
    if (Image == nullptr || Image->Empty())
        throw EInvalidGraphic("Image list '" + Name() + "': cannot add an empty image");
    FData->Images.push_back(FitImage(BitmapImage(*Image), FWidth, FHeight));
    Changed(Count() - 1);
    return Count() - 1;
}

bool TImageList::FileLoad(TResType ResType, const std::string& Name, TColor MaskColor)
{
    const QSize Box(FWidth, FHeight);
    QImage Image;
    try {
        Image =
            ResType == rtBitmap ? BitmapFileThumbnail(Name, Box, MaskColor) : IconFileThumbnail(Name, Box);
    } catch (const Exception&) {
        // By contract: a file that cannot be read or decoded adds nothing, and the caller sees that in
        // Count.
        return false;
    }
    FData->Images.push_back(std::move(Image));
    Changed(Count() - 1);
    return true;
}

void TImageList::GetBitmap(int Index, TBitmap* Image) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("Image list '" + Name() + "': image index out of bounds (" + IntToStr(Index) + ")");
    if (Image == nullptr)
        throw EInvalidOperation("Image list '" + Name() + "': no bitmap to copy image " + IntToStr(Index) +
                                " into");
    SetBitmapImage(*Image, FData->Images[static_cast<std::size_t>(Index)]);
}

void TImageList::Changed(int FirstIndex)
{
    const std::vector<TListView*> Views = FViews;
    for (TListView* View : Views)
        View->ImagesChanged(this, FirstIndex);
}

// List items

// The widget's entry for a list item, pointing back at it.
struct TListItemHandle : public QListWidgetItem
{
    TListItem* Item = nullptr;
};

namespace {

TListItem* ItemOf(QListWidgetItem* Entry)
{
    return Entry != nullptr ? static_cast<TListItemHandle*>(Entry)->Item : nullptr;
}

} // namespace

const TTypeInfo* TListItem::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TListItem", TPersistent::TypeInfo());
    return &Info;
}

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner)
{
}

std::string TListItem::Caption() const
{
    return FromQString(FHandle->text());
}

void TListItem::SetCaption(const std::string& Value)
{
    FHandle->setText(ToQString(Value));
}

void TListItem::SetImageIndex(int Value)
{
    FImageIndex = Value;
    FOwner->FOwner->UpdateItemImage(this);
}

bool TListItem::Selected() const
{
    return FHandle->isSelected();
}

void TListItem::SetSelected(bool Value)
{
    FHandle->setSelected(Value);
}

int TListItem::Index() const
{
    const auto& Items = FOwner->FItems;
    const auto It = std::find_if(Items.begin(), Items.end(),
                                 [this](const std::unique_ptr<TListItem>& I) { return I.get() == this; });
    return static_cast<int>(It - Items.begin());
}

const TTypeInfo* TListItems::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TListItems", TPersistent::TypeInfo());
    return &Info;
}

TListItems::TListItems(TListView* AOwner) : FOwner(AOwner)
{
}

// The entries themselves belong to the widget, which deletes them with itself.
TListItems::~TListItems() = default;

TListItem* TListItems::Add()
{
    auto* List = static_cast<QListWidget*>(ControlWidget(FOwner));
    if (List == nullptr)
        throw EInvalidOperation("The list view '" + FOwner->Name() + "' has no window any more");
    std::unique_ptr<TListItem> Item(new TListItem(this));
    auto* Handle = new TListItemHandle;
    Handle->Item = Item.get();
    Item->FHandle = Handle;
    Qt::ItemFlags Flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!FOwner->ReadOnly())
        Flags |= Qt::ItemIsEditable;
    Handle->setFlags(Flags);
    Handle->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    List->addItem(Handle);
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

void TListItems::Clear()
{
    if (auto* List = static_cast<QListWidget*>(ControlWidget(FOwner)))
        List->clear();
    FItems.clear();
}

TListItem* TListItems::Item(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List view '" + FOwner->Name() + "': item index out of bounds (" + IntToStr(Index) +
                         ")");
    return FItems[static_cast<std::size_t>(Index)].get();
}

// TListView

// The list view's widget: every click in it, on an item or not, raises the view's OnClick.
class TListViewWidget : public QListWidget
{
public:
    explicit TListViewWidget(TListView* AView) : FView(AView) {}

protected:
    void mousePressEvent(QMouseEvent* Event) override
    {
        QListWidget::mousePressEvent(Event);
        // Qt keeps the selection on a press on empty space; the platform clears it.
        if (itemAt(Event->position().toPoint()) == nullptr)
            clearSelection();
        FPressed = Event->button() == Qt::LeftButton;
    }

    void mouseReleaseEvent(QMouseEvent* Event) override
    {
        QListWidget::mouseReleaseEvent(Event);
        if (Event->button() == Qt::LeftButton && FPressed) {
            FPressed = false;
            Dispatch(FView, [this] { FView->Click(); });
        }
    }

    void mouseDoubleClickEvent(QMouseEvent* Event) override
    {
        QListWidget::mouseDoubleClickEvent(Event);
        FPressed = false;
        if (Event->button() == Qt::LeftButton)
            Dispatch(FView, [this] { FView->DblClick(); });
    }

private:
    TListView* FView;
    bool FPressed = false;
};

const TTypeInfo* ViewStyleTypeInfo()
{
    static const TTypeInfo* Info =
        MakeEnumTypeInfo("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
    return Info;
}

const TTypeInfo* TListView::TypeInfo()
{
    static const TTypeInfo Info = ComponentTypeInfo<TListView>(
        "TListView", TWinControl::TypeInfo(),
        {ClassProp("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages),
         ClassProp("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages),
         ClassProp("StateImages", &TListView::StateImages, &TListView::SetStateImages),
         OrdProp("ViewStyle", ViewStyleTypeInfo(), &TListView::ViewStyle, &TListView::SetViewStyle),
         BoolProp("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly)});
    return &Info;
}

TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::unique_ptr<TListItems>(new TListItems(this)))
{
    auto* List = new TListViewWidget(this);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setFocusPolicy(Qt::StrongFocus);
    List->setWordWrap(true);
    Impl().ColorRole = QPalette::Base;
    SetDefaultColor(clWindow);
    Impl().Attach(List);
    ApplyViewStyle();
    SetTabStop(true);
    SetBounds(0, 0, 250, 150);
}

TListView::~TListView()
{
    for (TImageList* Images : {FLargeImages, FSmallImages, FStateImages})
        if (Images != nullptr)
            std::erase(Images->FViews, this);
}

TListItem* TListView::Selected() const
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return nullptr;
    QList<QListWidgetItem*> Entries = List->selectedItems();
    if (Entries.isEmpty())
        return nullptr;
    const auto First = std::min_element(Entries.begin(), Entries.end(),
                                        [List](auto* A, auto* B) { return List->row(A) < List->row(B); });
    return ItemOf(*First);
}

void TListView::SetSelected(TListItem* Value)
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return;
    if (Value == nullptr) {
        List->clearSelection();
        return;
    }
    if (Value->FOwner != FItems.get())
        throw EInvalidOperation("List view '" + Name() + "': the item belongs to another view");
    List->setCurrentItem(Value->FHandle);
}

void TListView::SetLargeImages(TImageList* Value)
{
    ReplaceImages(FLargeImages, Value);
}

void TListView::SetSmallImages(TImageList* Value)
{
    ReplaceImages(FSmallImages, Value);
}

void TListView::SetStateImages(TImageList* Value)
{
    ReplaceImages(FStateImages, Value);
}

void TListView::ReplaceImages(TImageList*& Field, TImageList* Value)
{
    if (Field == Value)
        return;
    TImageList* Old = Field;
    Field = Value;
    if (Old != nullptr && Old != FLargeImages && Old != FSmallImages && Old != FStateImages)
        std::erase(Old->FViews, this);
    if (Value != nullptr &&
        std::find(Value->FViews.begin(), Value->FViews.end(), this) == Value->FViews.end())
        Value->FViews.push_back(this);
    ApplyViewStyle();
}

TImageList* TListView::ShownImages() const
{
    return FViewStyle == vsIcon ? FLargeImages : FSmallImages;
}

void TListView::ImagesChanged(TImageList* Images, int FirstIndex)
{
    if (Images != ShownImages())
        return;
    if (FirstIndex == 0) {
        ApplyViewStyle();
        return;
    }
    for (const auto& Item : FItems->FItems)
        if (Item->FImageIndex >= FirstIndex)
            UpdateItemImage(Item.get());
}

void TListView::ImagesDestroyed(TImageList* Images)
{
    for (TImageList** Field : {&FLargeImages, &FSmallImages, &FStateImages})
        if (*Field == Images)
            *Field = nullptr;
    ApplyViewStyle();
}

void TListView::UpdateItemImage(TListItem* Item)
{
    const TImageList* Images = ShownImages();
    const int Index = Item->FImageIndex;
    if (Images == nullptr || Index < 0 || Index >= Images->Count())
        Item->FHandle->setIcon(QIcon());
    else
        Item->FHandle->setIcon(
            QIcon(QPixmap::fromImage(Images->Data().Images[static_cast<std::size_t>(Index)])));
}

void TListView::SetViewStyle(TViewStyle Value)
{
    FViewStyle = Value;
    ApplyViewStyle();
}

void TListView::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return;
    List->setEditTriggers(Value ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    for (const auto& Item : FItems->FItems)
        Item->FHandle->setFlags(Value ? Item->FHandle->flags() & ~Qt::ItemIsEditable
                                      : Item->FHandle->flags() | Qt::ItemIsEditable);
}

void TListView::ApplyViewStyle()
{
    auto* List = static_cast<QListWidget*>(ControlWidget(this));
    if (List == nullptr)
        return;
    const TImageList* Images = ShownImages();
    const QSize IconSize = Images != nullptr ? QSize(Images->Width(), Images->Height())
                                             : (FViewStyle == vsIcon ? QSize(32, 32) : QSize(16, 16));
    if (FViewStyle == vsIcon) {
        List->setViewMode(QListView::IconMode);
        const int LineHeight = List->fontMetrics().height();
        List->setGridSize(
            QSize(std::max(IconSize.width() + 40, 76), IconSize.height() + 2 * LineHeight + 10));
    } else {
        List->setViewMode(QListView::ListMode);
        List->setGridSize(QSize());
    }
    List->setMovement(QListView::Static);
    List->setResizeMode(QListView::Adjust);
    List->setIconSize(IconSize);
    for (const auto& Item : FItems->FItems)
        UpdateItemImage(Item.get());
}

namespace {

struct TComCtrlsRegistration
{
    TComCtrlsRegistration()
    {
        RegisterClass(TImageList::TypeInfo());
        RegisterClass(TListView::TypeInfo());
    }
} const ComCtrlsRegistration;

} // namespace
