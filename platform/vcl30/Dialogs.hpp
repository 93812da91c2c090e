#pragma once
// Message boxes.

#include "Controls.hpp"

#include <cstdint>
#include <string>
#include <vector>

enum TMsgDlgType : std::uint8_t
{
    mtWarning,
    mtError,
    mtInformation,
    mtConfirmation,
    mtCustom
};
enum TMsgDlgBtn : std::uint8_t
{
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// A message box as it is shown: what automation (Application->OnMessageShown) is told.
struct TMessageBox
{
    TMsgDlgType DlgType = mtInformation;
    std::string Title;
    std::string Text;
    // The results of its buttons in order, and the one the default button gives.
    std::vector<TModalResult> Results;
    TModalResult DefaultResult = mrNone;
};

// Shows a real modal message box with the buttons in Buttons (OK when empty) and returns the
// modal result of the button pressed (mrOk, mrYes, ...; mrCancel when the box is closed otherwise).
// The default button is OK, else Yes, else the first. Automation answers it through
// Application->OnMessageShown. HelpCtx is accepted and not used: there is no help system.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// A message box with the text and an OK button.
void ShowMessage(const std::string& Msg);
