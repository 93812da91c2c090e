#include "UserInput.hpp"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <vector>

namespace {

struct TKeyName
{
    const char* Name;
    Qt::Key Key;
};

constexpr TKeyName KeyNames[] = {
    {"Up", Qt::Key_Up},
    {"Down", Qt::Key_Down},
    {"Left", Qt::Key_Left},
    {"Right", Qt::Key_Right},
    {"Home", Qt::Key_Home},
    {"End", Qt::Key_End},
    {"PageUp", Qt::Key_PageUp},
    {"PageDown", Qt::Key_PageDown},
    {"Enter", Qt::Key_Return},
    {"Escape", Qt::Key_Escape},
    {"Tab", Qt::Key_Tab},
    {"Space", Qt::Key_Space},
    {"Backspace", Qt::Key_Backspace},
    {"Delete", Qt::Key_Delete},
};

struct TModifierName
{
    const char* Prefix;
    Qt::KeyboardModifier Modifier;
};

constexpr TModifierName ModifierNames[] = {
    {"Alt+", Qt::AltModifier}, {"Ctrl+", Qt::ControlModifier}, {"Shift+", Qt::ShiftModifier}};

std::optional<Qt::Key> KeyOf(const std::string& Name)
{
    for (const TKeyName& K : KeyNames)
        if (Name == K.Name)
            return K.Key;
    if (Name.size() == 1) {
        const char C = Name[0];
        if (C >= 'a' && C <= 'z')
            return static_cast<Qt::Key>(Qt::Key_A + (C - 'a'));
        if (C >= 'A' && C <= 'Z')
            return static_cast<Qt::Key>(Qt::Key_A + (C - 'A'));
        if (C >= '0' && C <= '9')
            return static_cast<Qt::Key>(Qt::Key_0 + (C - '0'));
    }
    if (Name.size() >= 2 && Name.size() <= 3 && Name[0] == 'F') {
        const int N = std::atoi(Name.c_str() + 1);
        if (N >= 1 && N <= 12 && std::to_string(N) == Name.substr(1))
            return static_cast<Qt::Key>(Qt::Key_F1 + (N - 1));
    }
    return std::nullopt;
}

QWindow* WindowOf(QWidget* Widget)
{
    QWidget* Top = Widget->window();
    return Top != nullptr ? Top->windowHandle() : nullptr;
}

// The text a key types: letters and digits type themselves (lower case unless shifted), Space a space.
QString TextOf(TKeyStroke Stroke)
{
    if (Stroke.Modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return QString();
    if (Stroke.Key >= Qt::Key_A && Stroke.Key <= Qt::Key_Z) {
        const QChar Letter(static_cast<char16_t>(u'a' + (Stroke.Key - Qt::Key_A)));
        return Stroke.Modifiers & Qt::ShiftModifier ? QString(Letter.toUpper()) : QString(Letter);
    }
    if (Stroke.Key >= Qt::Key_0 && Stroke.Key <= Qt::Key_9)
        return QString(QChar(static_cast<char16_t>(u'0' + (Stroke.Key - Qt::Key_0))));
    if (Stroke.Key == Qt::Key_Space)
        return QStringLiteral(" ");
    if (Stroke.Key == Qt::Key_Return)
        return QStringLiteral("\r");
    return QString();
}

} // namespace

std::optional<TKeyStroke> ParseKeyName(const std::string& Name)
{
    TKeyStroke Stroke;
    std::string Rest = Name;
    bool Again = true;
    while (Again) {
        Again = false;
        for (const TModifierName& M : ModifierNames) {
            const std::string Prefix = M.Prefix;
            if (Rest.size() > Prefix.size() && Rest.compare(0, Prefix.size(), Prefix) == 0) {
                Stroke.Modifiers |= M.Modifier;
                Rest = Rest.substr(Prefix.size());
                Again = true;
            }
        }
    }
    std::optional<Qt::Key> Key = KeyOf(Rest);
    if (!Key)
        return std::nullopt;
    Stroke.Key = *Key;
    return Stroke;
}

std::optional<QPoint> HitPoint(QWidget* Widget, std::optional<QPoint> Preferred)
{
    if (Widget == nullptr || !Widget->isVisible())
        return std::nullopt;
    QWidget* Top = Widget->window();
    auto Reaches = [&](QPoint Local) {
        if (!Widget->rect().contains(Local))
            return false;
        QWidget* Hit = Top->childAt(Widget->mapTo(Top, Local));
        if (Widget == Top)
            return Hit == nullptr;
        return Hit == Widget || (Hit != nullptr && Widget->isAncestorOf(Hit));
    };
    const QPoint First = Preferred.value_or(Widget->rect().center());
    if (Reaches(First))
        return First;
    const int StepX = std::max(1, Widget->width() / 16);
    const int StepY = std::max(1, Widget->height() / 16);
    for (int Y = StepY / 2; Y < Widget->height(); Y += StepY)
        for (int X = StepX / 2; X < Widget->width(); X += StepX)
            if (Reaches(QPoint(X, Y)))
                return QPoint(X, Y);
    return std::nullopt;
}

void MouseClick(QWidget* Widget, QPoint Local)
{
    if (QWindow* Window = WindowOf(Widget))
        QTest::mouseClick(Window, Qt::LeftButton, Qt::NoModifier, Widget->mapTo(Widget->window(), Local));
}

void MouseDoubleClick(QWidget* Widget, QPoint Local)
{
    if (QWindow* Window = WindowOf(Widget))
        QTest::mouseDClick(Window, Qt::LeftButton, Qt::NoModifier, Widget->mapTo(Widget->window(), Local));
}

void FocusWidget(QWidget* Widget)
{
    QWidget* Top = Widget->window();
    if (!Top->isActiveWindow()) {
        Top->activateWindow();
        SettleEvents();
    }
    Widget->setFocus(Qt::TabFocusReason);
    SettleEvents();
}

void PressKey(QWidget* Widget, TKeyStroke Stroke)
{
    if (QWindow* Window = WindowOf(Widget))
        QTest::sendKeyEvent(QTest::Click, Window, Stroke.Key, TextOf(Stroke), Stroke.Modifiers);
    SettleEvents();
}

void TypeText(QWidget* Widget, const QString& Text)
{
    QWindow* Window = WindowOf(Widget);
    if (Window == nullptr)
        return;
    for (QChar C : Text) {
        const char16_t Code = C.unicode();
        Qt::Key Key = Qt::Key_unknown;
        if (Code >= u'a' && Code <= u'z')
            Key = static_cast<Qt::Key>(Qt::Key_A + (Code - u'a'));
        else if (Code >= 0x20 && Code < 0x7f)
            Key = static_cast<Qt::Key>(QChar(Code).toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, Window, Key, QString(C), Qt::NoModifier);
    }
    SettleEvents();
}

void SettleEvents()
{
    for (int I = 0; I < 3; ++I)
        QCoreApplication::processEvents();
}
