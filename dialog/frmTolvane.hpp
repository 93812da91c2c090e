#pragma once
// The picker dialog: a drive, directory and file browser with a preview, a thumbnail view, a glyph
// test button, a directory history, and OK, Cancel and Clear.

#include "Buttons.hpp"
#include "ComCtrls.hpp"
#include "ExtCtrls.hpp"
#include "FileCtrl.hpp"
#include "FormReader.hpp"
#include "Forms.hpp"
#include "PictureKinds.hpp"
#include "Registry.hpp"
#include "StdCtrls.hpp"

#include <memory>
#include <string>

class TfrmTolvane : public TForm
{
public:
    // Creates the dialog from its form data; the creation handler runs last.
    explicit TfrmTolvane(TComponent* AOwner);
    ~TfrmTolvane() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    static const TPublished<TfrmTolvane>& Published();

    // Controls and components, owned by the form and bound from its form data.
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TFileListBox* cbxFile = nullptr;
    TImage* imgView = nullptr;
    TPanel* Panel3 = nullptr;
    TBitBtn* btnOK = nullptr;
    TBitBtn* btnCancel = nullptr;
    TPanel* pnlBottom = nullptr;
    TComboBox* cbxHistory = nullptr;
    TBitBtn* btnTest = nullptr;
    TBitBtn* btnClear = nullptr;
    TPanel* Panel4 = nullptr;
    TDirectoryListBox* cbxDir = nullptr;
    TDriveComboBox* cbxDrive = nullptr;
    TBitBtn* btnAbout = nullptr;
    TCheckBox* chbEnableDisable = nullptr;
    TPanel* pnlAbout = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TLabel* Label8 = nullptr;
    TListView* lsvImages = nullptr;
    TBitBtn* btnView = nullptr;
    TImageList* iltImages = nullptr;
    TBitBtn* btnSave = nullptr;

    // Event handlers.
    void cbxFileClick(TObject* Sender);
    void cbxFileDblClick(TObject* Sender);
    void cbxHistoryClick(TObject* Sender);
    void FormCreate(TObject* Sender);
    void cbxHistoryExit(TObject* Sender);
    void cbxHistoryDropDown(TObject* Sender);
    void cbxDirChange(TObject* Sender);
    void btnClearClick(TObject* Sender);
    void imgViewClick(TObject* Sender);
    void btnOKClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void chbEnableDisableClick(TObject* Sender);
    void btnAboutClick(TObject* Sender);
    void btnViewClick(TObject* Sender);
    void lsvImagesClick(TObject* Sender);
    void lsvImagesDblClick(TObject* Sender);

    // The kind of the property being edited, set by the edit transaction.
    TPropertyType PropertyType = ptBitmap;
    // True once Clear has been pressed.
    bool Cleared = false;

private:
    int OldHistoryWidth = 0;
    std::unique_ptr<TRegIniFile> Ini;
    void LoadListView();
};

// The dialog of the running edit transaction, or nullptr.
extern TfrmTolvane* frmTolvane;

// The path of a file in a directory: Directory + "/" + FileName, with no test for a separator that
// Directory already ends with.
std::string ImagePath(const std::string& Directory, const std::string& FileName);
