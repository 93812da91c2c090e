#include "Dialogs.hpp"

#include "ControlsImpl.hpp"
#include "Forms.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

struct TButtonText
{
    TMsgDlgBtn Button;
    TModalResult Result;
    const char* Caption;
    QMessageBox::ButtonRole Role;
};
constexpr TButtonText ButtonTexts[] = {
    {mbYes, mrYes, "&Yes", QMessageBox::YesRole},
    {mbNo, mrNo, "&No", QMessageBox::NoRole},
    {mbOK, mrOk, "OK", QMessageBox::AcceptRole},
    {mbCancel, mrCancel, "Cancel", QMessageBox::RejectRole},
    {mbAbort, mrAbort, "&Abort", QMessageBox::RejectRole},
    {mbRetry, mrRetry, "&Retry", QMessageBox::AcceptRole},
    {mbIgnore, mrIgnore, "&Ignore", QMessageBox::AcceptRole},
    {mbAll, mrAll, "&All", QMessageBox::YesRole},
};

const TButtonText* TextOf(TModalResult Result)
{
    for (const TButtonText& T : ButtonTexts)
        if (T.Result == Result)
            return &T;
    return nullptr;
}

QMessageBox::Icon IconOf(TMsgDlgType DlgType)
{
    switch (DlgType) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

std::string TitleOf(TMsgDlgType DlgType)
{
    switch (DlgType) {
    case mtWarning:
        return "Warning";
    case mtError:
        return "Error";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Confirm";
    default:
        return Application->Title();
    }
}

} // namespace

TModalResult ShowMessageBox(const TMessageBox& Box)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s: %s\n", Box.Title.c_str(), Box.Text.c_str());
        return Box.DefaultResult;
    }
    QMessageBox Window(IconOf(Box.DlgType), ToQString(Box.Title), ToQString(Box.Text), QMessageBox::NoButton,
                       QApplication::activeWindow());
    std::vector<std::pair<QAbstractButton*, TModalResult>> Buttons;
    for (TModalResult Result : Box.Results) {
        const TButtonText* Text = TextOf(Result);
        QPushButton* Button = Text != nullptr
                                  ? Window.addButton(QString::fromLatin1(Text->Caption), Text->Role)
                                  : Window.addButton(QString::number(Result), QMessageBox::AcceptRole);
        Buttons.emplace_back(Button, Result);
        if (Result == Box.DefaultResult)
            Window.setDefaultButton(Button);
    }
    auto ButtonFor = [&Buttons](TModalResult Result) -> QAbstractButton* {
        auto It = std::find_if(Buttons.begin(), Buttons.end(),
                               [Result](const auto& B) { return B.second == Result; });
        return It == Buttons.end() ? nullptr : It->first;
    };
    if (QAbstractButton* Escape = ButtonFor(mrCancel) ? ButtonFor(mrCancel) : ButtonFor(mrNo))
        Window.setEscapeButton(Escape);
    if (Application->OnMessageShown) {
        // Runs inside the box's own loop, once the box is up.
        QTimer::singleShot(0, &Window, [&] {
            TModalResult Answer = mrNone;
            try {
                Answer = Application->OnMessageShown(Box);
            } catch (const std::exception& E) {
                std::fprintf(stderr, "Message box hook failed (%s); answering with the default button\n",
                             E.what());
                Answer = Box.DefaultResult;
            }
            if (Answer == mrNone)
                return;
            if (QAbstractButton* Button =
                    ButtonFor(Answer) ? ButtonFor(Answer) : ButtonFor(Box.DefaultResult))
                Button->click();
            else
                Window.reject();
        });
    }
    Window.exec();
    QAbstractButton* Clicked = Window.clickedButton();
    for (const auto& [Button, Result] : Buttons)
        if (Button == Clicked)
            return Result;
    return mrCancel;
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int /*HelpCtx*/)
{
    TMessageBox Box;
    Box.DlgType = DlgType;
    Box.Title = TitleOf(DlgType);
    Box.Text = Msg;
    for (const TButtonText& T : ButtonTexts)
        if (Buttons.Contains(T.Button))
            Box.Results.push_back(T.Result);
    if (Box.Results.empty())
        Box.Results.push_back(mrOk);
    const auto Has = [&Box](TModalResult R) {
        return std::find(Box.Results.begin(), Box.Results.end(), R) != Box.Results.end();
    };
    Box.DefaultResult = Has(mrOk) ? mrOk : Has(mrYes) ? mrYes : Box.Results.front();
    return ShowMessageBox(Box);
}

void ShowMessage(const std::string& Msg)
{
    TMessageBox Box;
    Box.DlgType = mtCustom;
    Box.Title = Application->Title();
    Box.Text = Msg;
    Box.Results = {mrOk};
    Box.DefaultResult = mrOk;
    ShowMessageBox(Box);
}
