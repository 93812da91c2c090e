#include "DialogFixture.hpp"

namespace {

class ThumbnailView : public DialogTest
{
protected:
    // Writes Names into a folder of their own: bitmaps (.bmp), icons (.ico), metafiles (.emf) or,
    // with any other content, files that cannot be decoded.
    std::string Folder(const std::string& Name, const std::vector<std::pair<std::string, std::string>>& Files)
    {
        const std::string Dir = Images.MakeDir(Name);
        for (const auto& [File, Bytes] : Files)
            Images.Write(Name + "/" + File, Bytes);
        return Dir;
    }
    static std::string Bitmap(int W = 8, int H = 8) { return BmpFile(PatternImage(W, H)); }
    static std::string Icon() { return IcoFile({{PatternImage(32, 32)}}); }

    static std::vector<std::string> Captions(TfrmTolvane& F)
    {
        std::vector<std::string> Result;
        for (int I = 0; I < F.lsvImages->Items()->Count(); ++I)
            Result.push_back(F.lsvImages->Items()->Item(I)->Caption());
        return Result;
    }
    static TListItem* Item(TfrmTolvane& F, const std::string& Caption)
    {
        for (int I = 0; I < F.lsvImages->Items()->Count(); ++I)
            if (F.lsvImages->Items()->Item(I)->Caption() == Caption)
                return F.lsvImages->Items()->Item(I);
        ADD_FAILURE() << "no thumbnail " << Caption;
        return nullptr;
    }
    static bool HasOwnImage(TfrmTolvane& F, const std::string& Caption)
    {
        TListItem* I = Item(F, Caption);
        return I != nullptr && I->ImageIndex() >= 0;
    }
    static QPoint ItemCentre(TfrmTolvane& F, const std::string& Caption)
    {
        auto* List = WidgetOf<QListWidget>(F.lsvImages);
        const QList<QListWidgetItem*> Found =
            List->findItems(QString::fromStdString(Caption), Qt::MatchExactly);
        if (Found.isEmpty()) {
            ADD_FAILURE() << "no thumbnail widget item " << Caption;
            return {};
        }
        return List->visualItemRect(Found.front()).center();
    }
    static void ClickThumbnail(TfrmTolvane& F, const std::string& Caption)
    {
        QTest::mouseClick(WidgetOf<QListWidget>(F.lsvImages)->viewport(), Qt::LeftButton, {},
                          ItemCentre(F, Caption));
    }
    static void ClickEmptySpace(TfrmTolvane& F)
    {
        auto* List = WidgetOf<QListWidget>(F.lsvImages);
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {},
                          QPoint(List->viewport()->width() - 5, List->viewport()->height() - 5));
    }
    static void ShowThumbnails(TfrmTolvane& F, const std::string& Dir)
    {
        Enter(F, Dir);
        Click(F.btnView);
        ASSERT_TRUE(F.lsvImages->Visible());
        ASSERT_FALSE(F.cbxFile->Visible());
    }
};

TEST_F(ThumbnailView, EachMatchingFileGetsAThumbnailInFileListOrder)
{
    const std::string Dir = Folder("mixed", {{"A.BMP", Bitmap()}, {"B.ICO", Icon()}, {"note.txt", "text"}});
    auto E = Editor("Picture");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ASSERT_EQ(F.PropertyType, ptPicture);
        ShowThumbnails(F, Dir);
        EXPECT_EQ(Captions(F), F.cbxFile->Items()->ToVector());
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"A.BMP", "B.ICO"}));
        EXPECT_TRUE(HasOwnImage(F, "A.BMP"));
        EXPECT_TRUE(HasOwnImage(F, "B.ICO"));
        EXPECT_EQ(F.iltImages->Count(), 2);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        Click(F.btnCancel);
    });
    EXPECT_TRUE(Messages.empty());
}

TEST_F(ThumbnailView, AFileOfAnotherKindGetsAnUnknownBoxAndNoImage)
{
    const std::string Dir =
        Folder("emf", {{"A.BMP", Bitmap()}, {"C.EMF", EmfFile(0, 0, 9, 9)}, {"D.BMP", Bitmap(4, 4)}});
    TCursor CursorDuringBox = crDefault;
    Application->OnMessageShown = [&](const TMessageBox& Box) {
        Messages.push_back(Box.Text);
        CursorDuringBox = Screen->Cursor();
        EXPECT_EQ(Box.DlgType, mtError);
        EXPECT_EQ(Box.Results, std::vector<TModalResult>{mrOk});
        return Box.DefaultResult;
    };
    auto E = Editor("Picture");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"A.BMP", "C.EMF", "D.BMP"}));
        EXPECT_TRUE(HasOwnImage(F, "A.BMP"));
        EXPECT_FALSE(HasOwnImage(F, "C.EMF"));
        EXPECT_TRUE(HasOwnImage(F, "D.BMP"));
        EXPECT_EQ(Item(F, "D.BMP")->ImageIndex(), 1);
        Click(F.btnCancel);
    });
    EXPECT_EQ(Messages, std::vector<std::string>{"Unknown: C.EMF"});
    EXPECT_EQ(CursorDuringBox, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(ThumbnailView, NamesAreClassifiedBySubstringBitmapFirst)
{
    // A bitmap named .BMP.ICO is read as a bitmap; an icon named .ICO.BMP would be read as a bitmap
    // too, and fails, leaving its item without an image.
    const std::string Dir = Folder("names", {{"X.BMP.ICO", Bitmap()}, {"Y.ICO.BMP", Icon()}});
    auto E = Editor("Picture");
    RunEdit(*E, [&](TfrmTolvane& F) {
        F.cbxFile->SetMask("*");
        ShowThumbnails(F, Dir);
        EXPECT_TRUE(HasOwnImage(F, "X.BMP.ICO"));
        EXPECT_FALSE(HasOwnImage(F, "Y.ICO.BMP"));
        Click(F.btnCancel);
    });
    EXPECT_TRUE(Messages.empty());
}

TEST_F(ThumbnailView, AFileThatCannotBeReadLeavesItsItemWithoutAnImage)
{
    const std::string Dir = Folder("bad", {{"a.bmp", Bitmap()}, {"b.bmp", "BM broken"}, {"c.bmp", Bitmap()}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        EXPECT_TRUE(HasOwnImage(F, "a.bmp"));
        EXPECT_FALSE(HasOwnImage(F, "b.bmp"));
        EXPECT_TRUE(HasOwnImage(F, "c.bmp"));
        EXPECT_EQ(Item(F, "c.bmp")->ImageIndex(), 1);
        Click(F.btnCancel);
    });
    EXPECT_TRUE(Errors.empty());
}

TEST_F(ThumbnailView, MaroonIsTransparentInABitmapsThumbnail)
{
    TestImage Image = SolidImage(32, 32, 0xFF800000);
    for (int X = 0; X < 32; ++X)
        Image.Set(X, 16, 0xFF00FF00);
    const std::string Dir = Folder("maroon", {{"m.bmp", BmpFile(Image)}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        TBitmap Thumbnail;
        F.iltImages->GetBitmap(0, &Thumbnail);
        EXPECT_EQ(Thumbnail.Alpha(4, 4), 0);
        EXPECT_EQ(Thumbnail.Alpha(4, 16), 255);
        Click(F.btnCancel);
    });
}

TEST_F(ThumbnailView, ADirectoryChangeRefillsAndDisablesOk)
{
    const std::string First = Folder("one", {{"a.bmp", Bitmap()}});
    const std::string Second = Folder("two", {{"b.bmp", Bitmap()}, {"c.bmp", Bitmap()}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, First);
        ClickThumbnail(F, "a.bmp");
        EXPECT_TRUE(F.btnOK->Enabled());
        Enter(F, Second);
        EXPECT_FALSE(F.btnOK->Enabled());
        EXPECT_EQ(Captions(F), (std::vector<std::string>{"b.bmp", "c.bmp"}));
        EXPECT_EQ(F.iltImages->Count(), 2);
        Click(F.btnCancel);
    });
}

TEST_F(ThumbnailView, AClickChoosesAndAClickOnEmptySpaceDisablesOk)
{
    const std::string Dir = Folder("click", {{"a.bmp", Bitmap(8, 8)}, {"b.bmp", Bitmap(16, 8)}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        ClickThumbnail(F, "b.bmp");
        EXPECT_TRUE(F.btnOK->Enabled());
        EXPECT_EQ(F.btnTest->Glyph()->Width(), 16);
        EXPECT_EQ(F.imgView->Picture()->Graphic(), nullptr);
        ClickEmptySpace(F);
        EXPECT_EQ(F.lsvImages->Selected(), nullptr);
        EXPECT_FALSE(F.btnOK->Enabled());
        Click(F.btnCancel);
    });
}

TEST_F(ThumbnailView, ADoubleClickAcceptsWithThatFile)
{
    const std::string Dir = Folder("dbl", {{"a.bmp", Bitmap(8, 8)}, {"b.bmp", Bitmap(16, 8)}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        const QPoint At = ItemCentre(F, "b.bmp");
        auto* Viewport = WidgetOf<QListWidget>(F.lsvImages)->viewport();
        QTest::mouseClick(Viewport, Qt::LeftButton, {}, At);
        QTest::mouseDClick(Viewport, Qt::LeftButton, {}, At);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 16);
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
}

TEST_F(ThumbnailView, InTheIconKindAThumbnailEnablesOkAndLeavesTheGlyph)
{
    const std::string Dir = Folder("icons", {{"i.ico", Icon()}});
    auto E = Editor("Icon");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        ClickThumbnail(F, "i.ico");
        EXPECT_TRUE(F.btnOK->Enabled());
        EXPECT_TRUE(F.btnTest->Glyph()->Empty());
        Click(F.btnOK);
    });
    EXPECT_EQ(E->GetValue(), "(TIcon)");
}

TEST_F(ThumbnailView, AnEmptyDirectoryGivesAnEmptyViewAndNoMessage)
{
    const std::string Dir = Images.MakeDir("empty");
    auto E = Editor("Picture");
    RunEdit(*E, [&](TfrmTolvane& F) {
        ShowThumbnails(F, Dir);
        EXPECT_EQ(F.lsvImages->Items()->Count(), 0);
        EXPECT_EQ(F.iltImages->Count(), 0);
        Click(F.btnCancel);
    });
    EXPECT_TRUE(Messages.empty());
}

TEST_F(ThumbnailView, SwitchingBackKeepsOkAndTheFileViewsSelection)
{
    const std::string Dir = Folder("switch", {{"a.bmp", Bitmap()}});
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Dir);
        ClickFile(F, "a.bmp");
        Click(F.btnView);
        EXPECT_TRUE(F.btnOK->Enabled());
        Click(F.btnView);
        EXPECT_TRUE(F.cbxFile->Visible());
        EXPECT_FALSE(F.lsvImages->Visible());
        EXPECT_EQ(F.lsvImages->Items()->Count(), 1);
        EXPECT_TRUE(F.btnOK->Enabled());
        Click(F.btnOK);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
}

TEST(ImagePath, JoinsWithASlashWhateverTheDirectoryEndsWith)
{
    EXPECT_EQ(ImagePath("/home/a", "x.bmp"), "/home/a/x.bmp");
    EXPECT_EQ(ImagePath("/", "x.bmp"), "//x.bmp");
    EXPECT_EQ(ImagePath("/home/a/", "x.bmp"), "/home/a//x.bmp");
}

} // namespace
