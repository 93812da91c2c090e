#pragma once
// Standard controls: labels, check boxes, combo boxes and list boxes.

#include "Controls.hpp"

#include <cstdint>
#include <memory>
#include <string>

// A line of text. With AutoSize (the default) the label takes the size of its text in its font.
class TLabel : public TGraphicControl
{
public:
    explicit TLabel(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    using TControl::Caption;
    using TControl::SetCaption;
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // A transparent label lets its parent show through instead of filling with Color.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

protected:
    void CaptionChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    void AdjustSize();
    void ApplyBackground();
    bool FAutoSize = true;
    bool FTransparent = false;
    // Until Color is set, the label shows its parent's colour.
    bool FParentColor = true;
};

// A check box. A toggle by the user (mouse or Space) raises OnClick; SetChecked raises nothing.
// An ampersand in the caption marks its accelerator (Alt+letter toggles the box).
class TCheckBox : public TWinControl
{
public:
    explicit TCheckBox(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    using TControl::Caption;
    using TControl::SetCaption;
    bool Checked() const;
    void SetChecked(bool Value);

protected:
    void CaptionChanged() override;
};

enum TComboBoxStyle : std::uint8_t
{
    csDropDown,
    csSimple,
    csDropDownList
};
const TTypeInfo* ComboBoxStyleTypeInfo();

// A combo box. csDropDown lets the user type; csDropDownList only offers its entries.
// Items is live on the box's entries. When the user chooses an entry (mouse or keyboard) the box
// raises OnClick, then OnChange; typing raises OnChange. OnDropDown is raised just before the list
// opens, so a handler that resizes the box changes the list that opens. Programmatic changes
// (Items, ItemIndex, Text, DroppedDown) raise nothing.
class TComboBox : public TWinControl
{
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* Value);
    // The index of the chosen entry, -1 for none; out of range raises EListError.
    int ItemIndex() const;
    void SetItemIndex(int Value);
    // The text in the box: the chosen entry's in csDropDownList style.
    std::string Text() const;
    void SetText(const std::string& Value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

protected:
    // Raise OnChange and OnDropDown.
    virtual void Change();
    virtual void DropDown();
    void ChangeScale(int M, int D) override;

private:
    friend class TComboBoxStrings;
    friend class TComboBoxWidget;
    TComboBoxStyle FStyle = csDropDown;
    int FItemHeight = 16;
    std::unique_ptr<TStrings> FItems;
};

// The base of list boxes, including the platform's file and directory lists.
// Items is live on the entries. OnClick is raised on every change of the selection that the user
// makes (mouse, arrow keys, Home, End, Page Up, Page Down, typing) and by a click on the selected
// entry; a double-click raises OnDblClick, and OnClick only when its first press changed the
// selection. SetItemIndex and changes of Items raise nothing.
class TCustomListBox : public TWinControl
{
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* Value);
    int Count() const;
    // The selected entry, -1 for none; out of range raises EListError.
    int ItemIndex() const;
    void SetItemIndex(int Value);
    // The height of every entry, in pixels.
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // The first entry in view.
    int TopIndex() const;
    void SetTopIndex(int Value);

protected:
    // Called when the user presses Enter on the entry Index while no enabled default button of
    // the form takes the key; does nothing by default.
    virtual void ItemActivated(int Index);
    // Shows Image (nullptr: none) before entry Index, indented by Indent pixels.
    void SetItemImage(int Index, const TGraphic* Image, int Indent);
    void ChangeScale(int M, int D) override;

private:
    friend class TListBoxStrings;
    friend class TListBoxWidget;
    int FItemHeight = 16;
    std::unique_ptr<TStrings> FItems;
};

class TListBox : public TCustomListBox
{
public:
    explicit TListBox(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};
