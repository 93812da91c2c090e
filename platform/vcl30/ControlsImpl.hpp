#pragma once
// Inside the platform only: the Qt widget behind each control, the event dispatch and the
// conversions between the platform's types and Qt's. Product code sees the public units alone.

#include "Controls.hpp"
#include "Dialogs.hpp"

#include <QColor>
#include <QEvent>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QShortcutEvent>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The widget of a control and what the platform keeps beside it.
struct TControlImpl
{
    explicit TControlImpl(TControl* AControl);
    // Disconnects the widget from the control, then deletes it unless Qt already has.
    ~TControlImpl();
    TControlImpl(const TControlImpl&) = delete;
    TControlImpl& operator=(const TControlImpl&) = delete;

    // Makes Widget the control's widget and applies the control's state to it.
    void Attach(QWidget* AWidget);
    // Places the widget inside its parent's, or takes it out of any.
    void ApplyParent();
    void ApplyBounds();
    void ApplyVisible();
    void ApplyColor();

    // The control of Widget or of its nearest ancestor that has one.
    static TControl* ControlOf(const QWidget* Widget);
    // The keyboard focus has moved to Now: raises OnExit and OnEnter within its form.
    static void FocusChanged(QWidget* Now);

    TControl* Control;
    QPointer<QWidget> Widget;
    // Receives the widget's events and signals; deleting it disconnects them.
    std::unique_ptr<QObject> Bridge;
    // The window of a form: its geometry is the client area inside the emulated frame.
    bool TopLevel = false;
    // Raw mouse presses and releases raise Click and DblClick (controls without their own clicks).
    bool MouseClicks = false;
    bool Pressed = false;
    // The palette role that Color paints, and whether the widget fills its background with it.
    QPalette::ColorRole ColorRole = QPalette::Window;
    bool FillBackground = false;
    // The running modal loop of a form.
    QPointer<QEventLoop> ModalLoop;
};

// The control's widget (nullptr once Qt has deleted it).
inline QWidget* ControlWidget(const TControl* Control)
{
    return Control ? Control->Impl().Widget.data() : nullptr;
}

// Runs Handler for an event of Sender unless Sender (or a parent) is being destroyed. An exception
// escaping it goes to Application->HandleException and no further. Returns false when the handler
// did not run to its end.
bool Dispatch(TControl* Sender, const std::function<void()>& Handler);
// Hands E to Application->HandleException, reporting on stderr anything that escapes that too.
void ReportException(TObject* Sender, const std::exception& E);

// Hooks into the QApplication once it exists: focus tracking and clean-up at its end.
void InstallApplicationHooks();

QString ToQString(const std::string& S);
std::string FromQString(const QString& S);
QColor ToQColor(TColor Color);
// The font as Qt draws it: the family (metric-compatible substitutes for families that are not
// installed), the pixel size from Height (negative: character height; positive: cell height),
// and the style.
QFont ToQFont(const TFont& Font);
// Sets the widget's font and its text colour.
void ApplyFontTo(QWidget* Widget, const TFont& Font);
// Qt's shape for a cursor; false for crDefault (the widget's own cursor).
bool ToQtCursor(TCursor Cursor, Qt::CursorShape& Shape);
// A caption without its accelerator marks ("&&" stays as one "&").
std::string StripAccelerator(const std::string& Caption);
// The image a graphic shows at its own size (an icon's entry nearest PreferredSize); null for none
// and for metafiles.
QImage GraphicImage(const TGraphic* Graphic, int PreferredSize);
// Round(A * M / D), halves away from zero.
int MulDiv(int A, int M, int D);

// Shows a real modal message box and returns the result of the button that closed it (mrCancel
// when it was closed otherwise); Application->OnMessageShown answers it when set.
TModalResult ShowMessageBox(const TMessageBox& Box);

// A button whose accelerator (Alt+letter) presses it at once, as a click does.
template <class TButton> class TAcceleratedButton : public TButton
{
public:
    using TButton::TButton;

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(Event)->isAmbiguous()) {
            if (this->focusPolicy() & Qt::TabFocus)
                this->setFocus(Qt::ShortcutFocusReason);
            this->click();
            return true;
        }
        return TButton::event(Event);
    }
};

// The images of an image list, each Width by Height in QImage::Format_ARGB32.
struct TImageListData
{
    std::vector<QImage> Images;
};
