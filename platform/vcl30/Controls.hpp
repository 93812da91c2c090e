#pragma once
// Controls: the visual components. A control has bounds relative to its parent's client area, may
// dock to a side of its parent (Align), and is shown, enabled and drawn with a font. Windowed
// controls hold child controls, take the focus and keep a tab order.
//
// Contract shared by every control of the platform:
// - Bounds are exact pixels. Docking is computed here, not left to a layout: within one parent the
//   visible alTop children are placed first, then alBottom, alLeft and alRight, each group in the
//   order the children were added to the parent; each strip takes the full width (top, bottom) or
//   height (left, right) of the space the earlier strips left and keeps its own height or width.
//   Every alClient child then fills what remains (two of them overlap). Hidden children take no
//   space. Docking reruns when the parent's size changes and when a child's Align, size or
//   visibility changes.
// - Z-order follows the order in which children were added (later ones lie above); BringToFront
//   and SendToBack change it.
// - Events are raised by user actions, never by programmatic changes, unless a member says so.
//   Every handler the platform raises runs inside a dispatch that hands an escaping exception to
//   Application->HandleException; once a form's destruction has begun, none of its controls raises
//   any more events.

#include "Classes.hpp"
#include "Graphics.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An operation that a control cannot perform in its current state.
class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

struct TRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

enum TAlign : std::uint8_t
{
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient
};
const TTypeInfo* AlignTypeInfo();

// Cursors: 0 is the control's default, negative values the platform's standard shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// "TCursor": an integer type whose named constants are the cursors above.
const TTypeInfo* CursorTypeInfo();

// The result a modal form ends with; mrNone keeps it open.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;

class TWinControl;
// The platform's widget behind a control; defined inside the platform only.
struct TControlImpl;

class TControl : public TComponent
{
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    TWinControl* Parent() const { return FParent; }
    // Moves the control into Value (nullptr takes it out of its parent); it is added above its new
    // siblings and last in their tab order.
    virtual void SetParent(TWinControl* Value);
    // Form data nests controls: a windowed control becomes the parent; anything else raises.
    void SetParentComponent(TComponent* Value) override;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value);
    void SetHeight(int Value);
    // Negative sizes are taken as 0. A docked control's bounds follow its parent's docking.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    // The size of the area that children are placed in.
    virtual int ClientWidth() const { return FWidth; }
    virtual int ClientHeight() const { return FHeight; }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // True when the control and every parent up to its form are visible and the form is shown.
    bool Showing() const;

    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);

    // The control's own font. Changing it clears ParentFont; while ParentFont is set, the control
    // follows its parent's font.
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value);

    void BringToFront();
    void SendToBack();

    // Scales bounds and font heights by M/D, children included: edges are scaled, so controls that
    // touched before still touch.
    void ScaleBy(int M, int D);

    // What a mouse click does: raises OnClick.
    virtual void Click();
    // What a mouse double-click does: raises OnDblClick.
    virtual void DblClick();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // The platform's side of the control (incomplete outside the platform).
    TControlImpl& Impl() const { return *FImpl; }
    // True once the destruction of this control or of one of its parents has begun.
    bool Destroying() const;

protected:
    // Controls that show a caption publish these.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    virtual void CaptionChanged() {}
    // Called after the font has changed and has been applied to the widget.
    virtual void FontChanged() {}
    // Called after Color has been set and applied.
    virtual void ColorChanged() {}
    // Called after the bounds have changed and have been applied to the widget.
    virtual void Resized() {}
    // Scales this control's own bounds and font; windowed controls go on with their children.
    virtual void ChangeScale(int M, int D);
    // Scales the bounds alone (forms scale their client size instead).
    virtual void ScaleBounds(int M, int D);
    // Marks the start of the control's destruction: no more events, no more docking.
    void BeginDestroy();
    // Positions the widget as the bounds say, without docking.
    void ApplyBounds();
    // Sets the bounds without asking the parent to re-dock (used by docking itself).
    void SetBoundsQuiet(int ALeft, int ATop, int AWidth, int AHeight);
    void SetDefaultColor(TColor Value) { FColor = Value; }

private:
    friend class TWinControl;
    friend struct TControlImpl;
    void ParentFontChanged();
    void ApplyFont();
    void RequestRealign();

    std::unique_ptr<TControlImpl> FImpl;
    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FAdoptingFont = false;
    bool FDestroying = false;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clBtnFace;
    TCursor FCursor = crDefault;
    std::string FHint;
    std::string FCaption;
};

// A control without a window of its own in the platform's model: it takes no focus and holds no
// children. Mouse clicks on it raise OnClick (on release after a press inside) and OnDblClick.
class TGraphicControl : public TControl
{
public:
    explicit TGraphicControl(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

// A control that holds children, takes the focus and has a place in its parent's tab order.
class TWinControl : public TControl
{
public:
    explicit TWinControl(TComponent* AOwner);
    // Destroys the child controls first, newest first.
    ~TWinControl() override;

    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // Children in the order they were added.
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;

    // The place among the parent's windowed children, from 0; -1 without a parent. Setting it moves
    // the control there and shifts the siblings in between (out-of-range values go to the end).
    // The focus moves through a form's controls in tab order, each container's children right
    // after the container.
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);

    // Gives the control the keyboard focus; raises EInvalidOperation when it cannot take it.
    void SetFocus();
    bool Focused() const;
    // Visible and enabled, as are all its parents, on a form that is shown.
    virtual bool CanFocus() const;

    // Re-docks the aligned children now; while form data is being read, once it has been read.
    void Realign();
    void Loaded() override;
    // Suspends docking until the matching EnableAlign, which then re-docks once.
    void DisableAlign();
    void EnableAlign();

    // Raised when the focus moves into, or out of, this control to another control of the form.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    // The area the aligned children are docked in, given the client rectangle.
    virtual void AdjustClientRect(TRect& Rect) const;
    void ChangeScale(int M, int D) override;
    void Resized() override;
    // Raise OnEnter and OnExit.
    virtual void DoEnter();
    virtual void DoExit();
    // The initial TabStop of a control class.
    void SetTabStopDefault(bool Value) { FTabStop = Value; }

private:
    friend class TControl;
    friend class TForm;
    friend struct TControlImpl;
    void InsertControl(TControl* Control);
    void RemoveControl(TControl* Control);
    void UpdateFocusChain();

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    int FPendingTabOrder = -1;
    int FAlignDisabled = 0;
    bool FRealignPending = false;
    bool FTabStop = false;
};
