#pragma once
// Common controls: the image list and the list view.

#include "Controls.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TResType : std::uint8_t
{
    rtBitmap,
    rtCursor,
    rtIcon
};

class TListView;
// The images of an image list; defined inside the platform only.
struct TImageListData;

// A list of images of one size (Width by Height, 32 by 32 unless set), each kept with its alpha.
// List views that show its images follow every change.
class TImageList : public TComponent
{
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list. Sizes below 1 raise EInvalidOperation.
    void SetWidth(int Value);
    void SetHeight(int Value);
    int Count() const;
    void Clear();
    // Adds Image fitted into Width by Height (aspect kept, centred, transparent around it) and
    // returns its index. An empty or missing image raises EInvalidGraphic.
    int Add(const TBitmap* Image);
    // Reads the file as a bitmap (rtBitmap) or an icon (rtIcon, rtCursor) and adds its image as Add
    // does; in a bitmap, pixels of MaskColor become transparent. A file that cannot be read or
    // decoded adds nothing, raises nothing and returns false.
    bool FileLoad(TResType ResType, const std::string& Name, TColor MaskColor);
    // Copies image Index into Image (a Width by Height bitmap with alpha); out of range raises
    // EListError.
    void GetBitmap(int Index, TBitmap* Image) const;

    TImageListData& Data() const { return *FData; }

private:
    friend class TListView;
    void Changed(int FirstIndex);
    void SetSize(int AWidth, int AHeight);
    int FWidth = 32;
    int FHeight = 32;
    std::unique_ptr<TImageListData> FData;
    std::vector<TListView*> FViews;
};

class TListItems;
// The platform's entry behind a list item; defined inside the platform only.
struct TListItemHandle;

// An entry of a list view: a caption and the index of its image (-1: no image).
class TListItem : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    std::string Caption() const;
    void SetCaption(const std::string& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Selected() const;
    void SetSelected(bool Value);
    // The item's position in its list.
    int Index() const;
    TListItems* Owner() const { return FOwner; }

private:
    friend class TListItems;
    friend class TListView;
    explicit TListItem(TListItems* AOwner);
    TListItems* FOwner;
    TListItemHandle* FHandle = nullptr;
    int FImageIndex = -1;
};

// The items of a list view, in order; the list view owns them.
class TListItems : public TPersistent
{
public:
    ~TListItems() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // Appends a new item without caption or image and returns it.
    TListItem* Add();
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Item Index; out of range raises EListError.
    TListItem* Item(int Index) const;
    TListView* Owner() const { return FOwner; }

private:
    friend class TListView;
    friend class TListItem;
    explicit TListItems(TListView* AOwner);
    TListView* FOwner;
    std::vector<std::unique_ptr<TListItem>> FItems;
};

enum TViewStyle : std::uint8_t
{
    vsIcon,
    vsSmallIcon,
    vsList,
    vsReport
};
const TTypeInfo* ViewStyleTypeInfo();

// A list view: items with captions and images from an image list (LargeImages in vsIcon style,
// SmallImages otherwise), one selected at a time. OnClick is raised by every click in the view,
// on an item or on empty space (which clears the selection); OnDblClick by a double-click.
// Captions are edited in place only when ReadOnly is off (F2 or a click on the selected item).
class TListView : public TWinControl
{
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    TListItems* Items() const { return FItems.get(); }
    // The first selected item, or nullptr.
    TListItem* Selected() const;
    void SetSelected(TListItem* Value);

    // References to image lists that the view does not own; a destroyed list is dropped.
    TImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TImageList* Value);
    TImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TImageList* Value);
    TImageList* StateImages() const { return FStateImages; }
    void SetStateImages(TImageList* Value);

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

private:
    friend class TImageList;
    friend class TListItem;
    friend class TListItems;
    // The image list the current view style draws from.
    TImageList* ShownImages() const;
    void ImagesChanged(TImageList* Images, int FirstIndex);
    void ImagesDestroyed(TImageList* Images);
    void ReplaceImages(TImageList*& Field, TImageList* Value);
    void UpdateItemImage(TListItem* Item);
    void ApplyViewStyle();
    std::unique_ptr<TListItems> FItems;
    TImageList* FLargeImages = nullptr;
    TImageList* FSmallImages = nullptr;
    TImageList* FStateImages = nullptr;
    TViewStyle FViewStyle = vsIcon;
    bool FReadOnly = true;
};
