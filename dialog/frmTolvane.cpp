#include "frmTolvane.hpp"

extern const char* const frmTolvaneFormData;

TfrmTolvane* frmTolvane = nullptr;

std::string ImagePath(const std::string& Directory, const std::string& FileName)
{
    return Directory + "/" + FileName;
}

namespace {

// The dialog's outcome, read-only, for hosts that inspect a dialog through its type information.
TPropInfo ClearedPropInfo()
{
    TPropInfo P = MakePropInfo("Cleared", BooleanTypeInfo());
    P.GetOrd = [](const TObject* O) { return std::int64_t{static_cast<const TfrmTolvane*>(O)->Cleared}; };
    return P;
}

} // namespace

const TTypeInfo* TfrmTolvane::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TfrmTolvane", TForm::TypeInfo(), {ClearedPropInfo()});
    return &Info;
}

const TPublished<TfrmTolvane>& TfrmTolvane::Published()
{
    static const TPublished<TfrmTolvane> Table{
        Field("Panel1", &TfrmTolvane::Panel1),
        Field("Panel2", &TfrmTolvane::Panel2),
        Field("cbxFile", &TfrmTolvane::cbxFile),
        Field("imgView", &TfrmTolvane::imgView),
        Field("Panel3", &TfrmTolvane::Panel3),
        Field("btnOK", &TfrmTolvane::btnOK),
        Field("btnCancel", &TfrmTolvane::btnCancel),
        Field("pnlBottom", &TfrmTolvane::pnlBottom),
        Field("cbxHistory", &TfrmTolvane::cbxHistory),
        Field("btnTest", &TfrmTolvane::btnTest),
        Field("btnClear", &TfrmTolvane::btnClear),
        Field("Panel4", &TfrmTolvane::Panel4),
        Field("cbxDir", &TfrmTolvane::cbxDir),
        Field("cbxDrive", &TfrmTolvane::cbxDrive),
        Field("btnAbout", &TfrmTolvane::btnAbout),
        Field("chbEnableDisable", &TfrmTolvane::chbEnableDisable),
        Field("pnlAbout", &TfrmTolvane::pnlAbout),
        Field("Label1", &TfrmTolvane::Label1),
        Field("Label2", &TfrmTolvane::Label2),
        Field("Label3", &TfrmTolvane::Label3),
        Field("Label4", &TfrmTolvane::Label4),
        Field("Label5", &TfrmTolvane::Label5),
        Field("Label6", &TfrmTolvane::Label6),
        Field("Label7", &TfrmTolvane::Label7),
        Field("Label8", &TfrmTolvane::Label8),
        Field("lsvImages", &TfrmTolvane::lsvImages),
        Field("btnView", &TfrmTolvane::btnView),
        Field("iltImages", &TfrmTolvane::iltImages),
        Field("btnSave", &TfrmTolvane::btnSave),
        Handler("cbxFileClick", &TfrmTolvane::cbxFileClick),
        Handler("cbxFileDblClick", &TfrmTolvane::cbxFileDblClick),
        Handler("cbxHistoryClick", &TfrmTolvane::cbxHistoryClick),
        Handler("FormCreate", &TfrmTolvane::FormCreate),
        Handler("cbxHistoryExit", &TfrmTolvane::cbxHistoryExit),
        Handler("cbxHistoryDropDown", &TfrmTolvane::cbxHistoryDropDown),
        Handler("cbxDirChange", &TfrmTolvane::cbxDirChange),
        Handler("btnClearClick", &TfrmTolvane::btnClearClick),
        Handler("imgViewClick", &TfrmTolvane::imgViewClick),
        Handler("btnOKClick", &TfrmTolvane::btnOKClick),
        Handler("FormClose", &TfrmTolvane::FormClose),
        Handler("chbEnableDisableClick", &TfrmTolvane::chbEnableDisableClick),
        Handler("btnAboutClick", &TfrmTolvane::btnAboutClick),
        Handler("btnViewClick", &TfrmTolvane::btnViewClick),
        Handler("lsvImagesClick", &TfrmTolvane::lsvImagesClick),
        Handler("lsvImagesDblClick", &TfrmTolvane::lsvImagesDblClick),
    };
    return Table;
}

TfrmTolvane::TfrmTolvane(TComponent* AOwner) : TForm(AOwner)
{
    ReadForm(this, frmTolvaneFormData, "frmTolvane.form", Published());
    ScaleToScreen();
    DoCreate();
}

TfrmTolvane::~TfrmTolvane() = default;

void TfrmTolvane::cbxFileClick(TObject* /*Sender*/)
{
    btnOK->SetEnabled(true);
    imgView->Picture()->LoadFromFile(cbxFile->FileName());
    if (PropertyType == ptBitmap)
        btnTest->SetGlyph(imgView->Picture()->Bitmap());
}

void TfrmTolvane::cbxFileDblClick(TObject* /*Sender*/)
{
    if (cbxFile->Items()->Count() > 0) {
        btnOK->SetEnabled(true);
        btnOK->Click();
    }
}

void TfrmTolvane::cbxDirChange(TObject* /*Sender*/)
{
    btnOK->SetEnabled(false);
    if (lsvImages->Visible())
        LoadListView();
}

void TfrmTolvane::btnClearClick(TObject* /*Sender*/)
{
    Cleared = true;
    Close();
}

void TfrmTolvane::imgViewClick(TObject* /*Sender*/)
{
    imgView->SetStretch(!imgView->Stretch());
}

void TfrmTolvane::chbEnableDisableClick(TObject* /*Sender*/)
{
    btnTest->SetEnabled(!btnTest->Enabled());
}

void TfrmTolvane::btnAboutClick(TObject* /*Sender*/)
{
    pnlAbout->SetVisible(!pnlAbout->Visible());
}
