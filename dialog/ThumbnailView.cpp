// The thumbnail view: thumbnails of every file of the current directory that the file list shows,
// each captioned with its name, in place of the single-image preview.

#include "Dialogs.hpp"
#include "frmTolvane.hpp"

namespace {

// Maroon: its pixels are transparent in a bitmap's thumbnail.
constexpr TColor ThumbnailMaskColor = clMaroon;

// Restores the default cursor however the fill ends.
class THourGlass
{
public:
    THourGlass() { Screen->SetCursor(crHourGlass); }
    ~THourGlass() { Screen->SetCursor(crDefault); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
};

// Shows the chosen thumbnail's bitmap on the test button, as a selection in the file list does.
void LoadThumbnailGlyph(TfrmTolvane& Form)
{
    if (Form.PropertyType == ptBitmap)
        Form.btnTest->Glyph()->LoadFromFile(
            ImagePath(Form.cbxDir->Directory(), Form.lsvImages->Selected()->Caption()));
}

} // namespace

void TfrmTolvane::btnViewClick(TObject* /*Sender*/)
{
    if (lsvImages->Visible()) {
        lsvImages->Hide();
        cbxFile->Show();
    } else {
        lsvImages->Show();
        cbxFile->Hide();
        LoadListView();
    }
}

void TfrmTolvane::LoadListView()
{
    if (!lsvImages->Visible())
        return;
    THourGlass Cursor;
    iltImages->Clear();
    lsvImages->Items()->Clear();
    for (int Cnt = 0; Cnt < cbxFile->Items()->Count(); ++Cnt) {
        const std::string N = cbxFile->Items()->Strings(Cnt);
        TListItem* NewItem = lsvImages->Items()->Add();
        NewItem->SetCaption(N);
        const std::string U = UpperCase(N);
        auto LoadThumbnail = [&](TResType ResType) {
            const int C = iltImages->Count();
            iltImages->FileLoad(ResType, ImagePath(cbxDir->Directory(), N), ThumbnailMaskColor);
            if (iltImages->Count() > C)
                NewItem->SetImageIndex(C);
        };
        if (U.find(".BMP") != std::string::npos)
            LoadThumbnail(rtBitmap);
        else if (U.find(".ICO") != std::string::npos)
            LoadThumbnail(rtIcon);
        else
            MessageDlg("Unknown: " + N, mtError, TMsgDlgButtons{mbOK}, 0);
    }
}

void TfrmTolvane::lsvImagesClick(TObject* /*Sender*/)
{
    if (lsvImages->Selected() != nullptr) {
        LoadThumbnailGlyph(*this);
        btnOK->SetEnabled(true);
    } else {
        btnOK->SetEnabled(false);
    }
}

void TfrmTolvane::lsvImagesDblClick(TObject* /*Sender*/)
{
    if (lsvImages->Selected() == nullptr)
        return;
    LoadThumbnailGlyph(*this);
    btnOK->SetEnabled(true);
    btnOK->Click();
}
