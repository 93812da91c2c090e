#pragma once
// Forms, the application and the screen.
//
// A form is a top-level window. Its Left and Top are those of the window's frame on the screen;
// Width and Height are the outer size, which is always the client size plus a frame of constant
// metrics: FormBorderWidth pixels on the left, right and bottom, and FormCaptionHeight pixels on top
// (caption bar and top border together). So a form with a 643 by 490 client area is 651 by 522 on
// every platform, whatever frame the window system really draws. The client area is placed at
// (Left + FormBorderWidth, Top + FormCaptionHeight), so the frame the form reports is the one it is
// centred and measured by.

#include "Controls.hpp"
#include "Dialogs.hpp"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

constexpr int FormBorderWidth = 4;
constexpr int FormCaptionHeight = 28;

enum TPosition : std::uint8_t
{
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter
};
const TTypeInfo* PositionTypeInfo();

enum TCloseAction : std::uint8_t
{
    caNone,
    caHide,
    caFree,
    caMinimize
};
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
const TTypeInfo* CloseEventTypeInfo();

class TBitBtn;

// A form. ShowModal runs a modal event loop until ModalResult becomes non-zero, which a button with
// a modal result, Close, Esc (the cancel button), Enter (the default button, while it is enabled)
// or the window's close box brings about. Every way of closing raises OnClose before the form
// hides; a handler may set the action to caNone to keep the form open, and an exception in it
// keeps the form open too (and goes to Application->HandleException). caFree acts as caHide (the
// owner destroys the form); caMinimize minimises a modeless form and hides a modal one.
class TForm : public TWinControl
{
public:
    explicit TForm(TComponent* AOwner);
    // Raises no more events from here on, then destroys the controls.
    ~TForm() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    using TControl::Caption;
    using TControl::SetCaption;
    // The window's icon. Setting it copies the icon; nullptr empties it.
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(const TIcon* Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    // The resolution the form's layout was designed at.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int Value) { FTextHeight = Value; }

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);

    TModalResult ModalResult() const { return FModalResult; }
    // A non-zero result ends the modal loop.
    void SetModalResult(TModalResult Value);
    // Shows the form modally and returns its modal result. Raises EInvalidOperation when the form
    // is already shown.
    int ShowModal();
    // A modal form ends with mrCancel; a modeless one raises OnClose and hides.
    void Close();
    bool Modal() const { return FModal; }
    // Shows or hides the form as a modeless window.
    void SetVisible(bool Value) override;

    // The control that has, or on showing gets, the focus.
    TWinControl* ActiveControl() const;
    void SetActiveControl(TWinControl* Value);

    // Scales the layout from PixelsPerInch to the screen's resolution (when they differ) and makes
    // PixelsPerInch the screen's. The form class calls it once its form data has been read.
    void ScaleToScreen();

    // The enabled and visible button that Enter (default) or Esc (cancel) presses, or nullptr.
    TBitBtn* DefaultButton() const;
    TBitBtn* CancelButton() const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;

protected:
    // Raises OnCreate; the form class calls it once its form data has been read.
    void DoCreate();
    // Raises OnClose.
    virtual void DoClose(TCloseAction& Action);
    void ScaleBounds(int M, int D) override;
    void Resized() override;
    void CaptionChanged() override;

private:
    friend struct TControlImpl;
    friend class TWinControl;
    // Drops references to Control, which is leaving the form.
    void ForgetControl(const TControl* Control);
    friend struct TFormWindow;
    void PlaceOnScreen();
    void ShowWindow(bool Modal);
    // Raises OnClose for a modal form whose result was set; caNone or an error resets the result.
    void CloseModal();
    void CloseModeless();
    void FocusMoved(TWinControl* Control);
    std::unique_ptr<TIcon> FIcon;
    TPosition FPosition = poDesigned;
    int FPixelsPerInch = 96;
    int FTextHeight = 13;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
};

// The control's form (the form itself for a form), or nullptr when it is on none.
TForm* GetParentForm(const TControl* Control);

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

// Called while a message box is up (see Dialogs.hpp); returns the result to answer the box with,
// mrNone to leave it up for the user.
using TMessageShownEvent = std::function<TModalResult(const TMessageBox& Box)>;

// The application. The QApplication itself is created by the host's or test's main.
class TApplication : public TComponent
{
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // Reports an error that escaped an event handler: to OnException when set, otherwise in a
    // real error message box.
    void HandleException(TObject* Sender, const std::exception& E);
    // Processes the pending events and returns.
    void ProcessMessages();
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }

    TExceptionEvent OnException;
    TMessageShownEvent OnMessageShown;

private:
    std::string FTitle = "Tolvane";
};

// The screen: its size, resolution and the application-wide cursor.
class TScreen : public TComponent
{
public:
    explicit TScreen(TComponent* AOwner);
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // crDefault lets each control show its own cursor; any other cursor overrides them all.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // The resolution that forms are scaled to: the primary screen's logical resolution unless set.
    int PixelsPerInch() const;
    void SetPixelsPerInch(int Value);
    // The primary screen's size in pixels.
    int Width() const;
    int Height() const;

private:
    TCursor FCursor = crDefault;
    bool FOverriding = false;
    int FPixelsPerInch = 0;
};

// Both live as long as the program and exist before any code of the program runs.
extern TApplication* Application;
extern TScreen* Screen;
