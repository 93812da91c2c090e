// The dialog's directory history and settings: the creation and close handlers that read and write
// the settings store, the rule by which OK records a directory, and the history box's widening.

#include "frmTolvane.hpp"

namespace {

const char* const SettingsKey = "\\Software\\Orvanda\\Components\\Tolvane";
const char* const HistorySection = "Directory History";
const char* const WindowSection = "Window Position";
const char* const LastDirectoryIdent = "Last Directory";
constexpr int MaxHistory = 15;

std::string HistoryIdent(int Index)
{
    return "Dir" + IntToStr(Index);
}

} // namespace

void TfrmTolvane::FormCreate(TObject* Sender)
{
    // A store that cannot be opened is reported here, once; the dialog then works without it.
    try {
        Ini = std::make_unique<TRegIniFile>(SettingsKey);
    } catch (const Exception& E) {
        Application->HandleException(Sender, E);
    }
    OldHistoryWidth = cbxHistory->Width();
    if (Ini) {
        // A last directory that can no longer be entered is reported, and the list stays in its
        // starting directory; the history is still loaded so that the close writes it back whole.
        try {
            cbxDir->SetDirectory(Ini->ReadString(HistorySection, LastDirectoryIdent, cbxDir->Directory()));
        } catch (const Exception& E) {
            Application->HandleException(Sender, E);
        }
    }
    cbxHistory->Items()->Clear();
    int History = 0;
    while (Ini) {
        const std::string Entry = Ini->ReadString(HistorySection, HistoryIdent(History), "");
        if (Entry.empty())
            break;
        cbxHistory->Items()->Add(Entry);
        ++History;
        if (History == MaxHistory)
            break;
    }
}

void TfrmTolvane::FormClose(TObject* Sender, TCloseAction& /*Action*/)
{
    if (!Ini)
        return;
    // A store that cannot be written is reported once; the dialog closes and the edit goes on.
    try {
        for (int History = 0; History < cbxHistory->Items()->Count(); ++History)
            Ini->WriteString(HistorySection, HistoryIdent(History), cbxHistory->Items()->Strings(History));
        Ini->WriteString(HistorySection, LastDirectoryIdent, cbxDir->Directory());
        Ini->WriteInteger(WindowSection, "Height", Height());
        Ini->WriteInteger(WindowSection, "Width", Width());
        Ini->WriteInteger(WindowSection, "Top", Top());
        Ini->WriteInteger(WindowSection, "Left", Left());
    } catch (const Exception& E) {
        Application->HandleException(Sender, E);
    }
}

void TfrmTolvane::btnOKClick(TObject* /*Sender*/)
{
    if (cbxHistory->Items()->IndexOf(cbxDir->Directory()) == -1)
        cbxHistory->Items()->Insert(0, cbxDir->Directory());
}

void TfrmTolvane::cbxHistoryDropDown(TObject* /*Sender*/)
{
    cbxHistory->BringToFront();
    cbxHistory->SetWidth(cbxHistory->Left() + pnlBottom->Width() - 20);
}

void TfrmTolvane::cbxHistoryClick(TObject* /*Sender*/)
{
    const std::string S = cbxHistory->Items()->Strings(cbxHistory->ItemIndex());
    if (S != cbxDir->Directory()) {
        // A directory that can no longer be entered raises here; the box still returns to its width.
        try {
            cbxDir->SetDirectory(S);
        } catch (...) {
            cbxHistory->SetWidth(OldHistoryWidth);
            throw;
        }
        btnOK->SetEnabled(false);
    }
    cbxHistory->SetWidth(OldHistoryWidth);
}

void TfrmTolvane::cbxHistoryExit(TObject* /*Sender*/)
{
    cbxHistory->SetWidth(OldHistoryWidth);
}
