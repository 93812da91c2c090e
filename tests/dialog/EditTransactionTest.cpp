#include "DialogFixture.hpp"

#include <QCloseEvent>

namespace {

using EditTransaction = DialogTest;

TEST_F(EditTransaction, OkWritesTheSelectedBitmap)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.cbxFile->Mask(), "*.BMP");
        Enter(F, Images.Path().string());
        ClickFile(F, "a.bmp");
        EXPECT_TRUE(F.btnOK->Enabled());
        Click(F.btnOK);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
    EXPECT_EQ(Sample.Glyph()->Pixel(0, 0), ColorOf(0xFF0000FF));
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
    EXPECT_EQ(Designer.Count, 0);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(EditTransaction, OkOnAnIconPropertyWritesTheIcon)
{
    auto E = Editor("Icon");
    RunEdit(*E, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.cbxFile->Mask(), "*.ICO");
        Enter(F, Images.Path().string());
        EXPECT_EQ(F.cbxFile->Items()->ToVector(), std::vector<std::string>{"c.ico"});
        ClickFile(F, "c.ico");
        EXPECT_EQ(F.imgView->Picture()->Width(), 32);
        EXPECT_TRUE(F.btnTest->Glyph()->Empty());
        Click(F.btnOK);
    });
    EXPECT_EQ(Sample.Icon()->Width(), 32);
    EXPECT_EQ(E->GetValue(), "(TIcon)");
}

TEST_F(EditTransaction, ClearEmptiesThePropertyWithOrWithoutASelection)
{
    struct Case
    {
        const char* Property;
        const char* File;
        const char* Select;
    };
    const Case Cases[] = {{"Glyph", "b.bmp", ""}, {"Glyph", "b.bmp", "a.bmp"}, {"Icon", "c.ico", ""}};
    for (const Case& C : Cases) {
        auto E = Editor(C.Property);
        static_cast<TGraphic*>(GetOrdProp(&Sample, E->GetPropInfo()).Object)
            ->LoadFromFile(Images.File(C.File));
        ASSERT_NE(E->GetValue(), "(None)");
        RunEdit(*E, [&](TfrmTolvane& F) {
            Enter(F, Images.Path().string());
            if (*C.Select)
                ClickFile(F, C.Select);
            Click(F.btnClear);
        });
        EXPECT_EQ(E->GetValue(), "(None)") << C.Property << " " << C.Select;
        EXPECT_EQ(Designer.Count, 0);
    }
}

TEST_F(EditTransaction, CancelEscAndTheCloseBoxWriteNothing)
{
    const std::vector<std::pair<const char*, std::function<void(TfrmTolvane&)>>> Ways = {
        {"Cancel", [](TfrmTolvane& F) { Click(F.btnCancel); }},
        {"Esc", [](TfrmTolvane& F) { Key(F.cbxFile, Qt::Key_Escape); }},
        {"close box", [](TfrmTolvane& F) { WidgetOf(&F)->close(); }},
    };
    Sample.Glyph()->LoadFromFile(Images.File("b.bmp"));
    const TColor Before = Sample.Glyph()->Pixel(3, 3);
    for (const auto& [Name, Close] : Ways) {
        auto E = Editor("Glyph");
        RunEdit(*E, [&](TfrmTolvane& F) {
            Enter(F, Images.Path().string());
            ClickFile(F, "a.bmp");
            ClickFile(F, "b.bmp");
            Close(F);
        });
        EXPECT_EQ(Sample.Glyph()->Width(), 16) << Name;
        EXPECT_EQ(Sample.Glyph()->Pixel(3, 3), Before) << Name;
    }
    EXPECT_TRUE(Errors.empty());
}

TEST_F(EditTransaction, OpensWithTheCurrentImageInThePreview)
{
    Sample.Glyph()->LoadFromFile(Images.File("b.bmp"));
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.imgView->Picture()->Width(), 16);
        EXPECT_FALSE(F.btnOK->Enabled());
        EXPECT_TRUE(F.btnTest->Glyph()->Empty());
        EXPECT_FALSE(F.Cleared);
        Click(F.btnCancel);
    });
    auto Empty = Editor("Icon");
    RunEdit(*Empty, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.imgView->Picture()->Graphic(), nullptr);
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, ValuesOfAnotherClassPreviewNothing)
{
    // Shaded is a bitmap class of its own name: the kind falls back to bitmaps, and its bitmap shows.
    Sample.Shaded()->LoadFromFile(Images.File("a.bmp"));
    auto Shaded = Editor("Shaded");
    RunEdit(*Shaded, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.PropertyType, ptBitmap);
        EXPECT_EQ(F.cbxFile->Mask(), "*.BMP");
        EXPECT_EQ(F.imgView->Picture()->Width(), 8);
        Click(F.btnCancel);
    });
    // Missing holds no object at all.
    auto Missing = Editor("Missing");
    RunEdit(*Missing, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.imgView->Picture()->Graphic(), nullptr);
        Click(F.btnCancel);
    });
    EXPECT_TRUE(Errors.empty());
}

TEST_F(EditTransaction, SelectingPreviewsAndSetsTheGlyphInTheBitmapKindOnly)
{
    auto Glyph = Editor("Glyph");
    RunEdit(*Glyph, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        ClickFile(F, "b.bmp");
        EXPECT_EQ(F.imgView->Picture()->Width(), 16);
        EXPECT_EQ(F.btnTest->Glyph()->Width(), 16);
        Click(F.btnCancel);
    });
    auto Icon = Editor("Icon");
    RunEdit(*Icon, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        ClickFile(F, "c.ico");
        EXPECT_EQ(F.imgView->Picture()->Width(), 32);
        EXPECT_TRUE(F.btnTest->Glyph()->Empty());
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, ArrowKeysPreviewEachFileInTurn)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        ASSERT_EQ(F.cbxFile->Items()->ToVector(), (std::vector<std::string>{"a.bmp", "b.bmp", "bad.bmp"}));
        ClickFile(F, "a.bmp");
        Key(F.cbxFile, Qt::Key_Down);
        EXPECT_EQ(F.imgView->Picture()->Width(), 16);
        EXPECT_TRUE(F.btnOK->Enabled());
        Key(F.cbxFile, Qt::Key_Up);
        EXPECT_EQ(F.imgView->Picture()->Width(), 8);
        EXPECT_EQ(F.btnTest->Glyph()->Width(), 8);
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, PreviewStretchAndEnableDisableToggle)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Click(F.imgView);
        EXPECT_TRUE(F.imgView->Stretch());
        Enter(F, Images.Path().string());
        ClickFile(F, "a.bmp");
        EXPECT_TRUE(F.imgView->Stretch());
        Click(F.imgView);
        EXPECT_FALSE(F.imgView->Stretch());

        Click(F.chbEnableDisable);
        EXPECT_TRUE(F.chbEnableDisable->Checked());
        EXPECT_FALSE(F.btnTest->Enabled());
        Click(F.chbEnableDisable);
        EXPECT_TRUE(F.btnTest->Enabled());

        Click(F.btnAbout);
        EXPECT_TRUE(F.pnlAbout->Visible());
        Click(F.btnAbout);
        EXPECT_FALSE(F.pnlAbout->Visible());
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, DoubleClickOnAFileAcceptsAtOnce)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        DblClickFile(F, "b.bmp");
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 16);
}

TEST_F(EditTransaction, DirectoryChangeDisablesOkAndKeepsThePreview)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        ClickFile(F, "a.bmp");
        Enter(F, Images.File("sub"));
        EXPECT_FALSE(F.btnOK->Enabled());
        EXPECT_EQ(F.imgView->Picture()->Width(), 8);
        EXPECT_EQ(F.btnTest->Glyph()->Width(), 8);
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, AFileThatCannotBePreviewedIsReportedAndTheDialogStaysOpen)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        ClickFile(F, "a.bmp");
        ClickFile(F, "bad.bmp");
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_NE(Errors[0].find("bad.bmp"), std::string::npos) << Errors[0];
        EXPECT_TRUE(F.btnOK->Enabled());
        EXPECT_EQ(F.imgView->Picture()->Width(), 8);
        EXPECT_EQ(F.btnTest->Glyph()->Width(), 8);
        EXPECT_TRUE(WidgetOf(&F)->isVisible());
        Click(F.btnCancel);
    });
}

TEST_F(EditTransaction, AFileThatFailsToLoadAtOkLeavesThePropertyUnchanged)
{
    Sample.Glyph()->LoadFromFile(Images.File("a.bmp"));
    auto E = Editor("Glyph");
    try {
        RunEdit(*E, [&](TfrmTolvane& F) {
            Enter(F, Images.Path().string());
            ClickFile(F, "bad.bmp");
            Click(F.btnOK);
        });
        ADD_FAILURE() << "Edit did not raise";
    } catch (const Exception& Error) {
        EXPECT_NE(Error.Message().find("bad.bmp"), std::string::npos) << Error.Message();
    }
    EXPECT_EQ(frmTolvane, nullptr);
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
}

TEST_F(EditTransaction, OkWithNothingSelectedInTheVisibleViewWritesNothingAndSaysSo)
{
    Sample.Glyph()->LoadFromFile(Images.File("a.bmp"));
    auto E = Editor("Glyph");
    try {
        RunEdit(*E, [&](TfrmTolvane& F) {
            Enter(F, Images.Path().string());
            ClickFile(F, "b.bmp");
            Click(F.btnView);
            ASSERT_TRUE(F.btnOK->Enabled());
            ASSERT_EQ(F.lsvImages->Selected(), nullptr);
            Click(F.btnOK);
        });
        ADD_FAILURE() << "Edit did not raise";
    } catch (const EInvalidGraphicOperation& Error) {
        EXPECT_NE(Error.Message().find("Glyph is left unchanged"), std::string::npos) << Error.Message();
    }
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
}

TEST_F(EditTransaction, OnlyTheFirstSelectedComponentIsReadAndWritten)
{
    TSampleComponent Second(nullptr);
    Second.Glyph()->LoadFromFile(Images.File("b.bmp"));
    auto E = Editor("Glyph", {&Sample, &Second});
    RunEdit(*E, [&](TfrmTolvane& F) {
        EXPECT_EQ(F.imgView->Picture()->Graphic(), nullptr);
        Enter(F, Images.Path().string());
        ClickFile(F, "a.bmp");
        Click(F.btnOK);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
    EXPECT_EQ(Second.Glyph()->Width(), 16);
    EXPECT_EQ(Designer.Count, 0);
}

TEST_F(EditTransaction, AWholeEditThroughRealInputEvents)
{
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        Enter(F, Images.Path().string());
        // Into the file list with the mouse, down to the second file with the keyboard, OK with Enter.
        ClickFile(F, "a.bmp");
        Key(F.cbxFile, Qt::Key_Down);
        EXPECT_EQ(F.cbxFile->FileName(), Images.File("b.bmp"));
        Click(F.chbEnableDisable);
        EXPECT_FALSE(F.btnTest->Enabled());
        Key(F.cbxFile, Qt::Key_Return);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 16);
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
}

TEST_F(EditTransaction, ClearByItsAccelerator)
{
    Sample.Glyph()->LoadFromFile(Images.File("a.bmp"));
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) { Key(F.cbxFile, Qt::Key_L, Qt::AltModifier); });
    EXPECT_EQ(E->GetValue(), "(None)");
}

} // namespace
