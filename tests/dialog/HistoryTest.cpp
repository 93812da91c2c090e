#include "DialogFixture.hpp"

#include <QAbstractItemView>
#include <QComboBox>

#include <filesystem>
#include <fstream>

namespace {

const char* const SettingsKey = "\\Software\\Orvanda\\Components\\Tolvane";
const char* const History = "Directory History";

class DirectoryHistory : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        // The directory list starts in the home directory.
        OldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        setenv("HOME", Home.Path().c_str(), 1);
        A = Images.MakeDir("a");
        B = Images.MakeDir("b");
        C = Images.MakeDir("c");
    }
    void TearDown() override
    {
        setenv("HOME", OldHome.c_str(), 1);
        DialogTest::TearDown();
    }

    static TRegIniFile Store() { return TRegIniFile(SettingsKey); }
    static void Seed(const std::vector<std::pair<std::string, std::string>>& Values)
    {
        TRegIniFile S(SettingsKey);
        for (const auto& [Ident, Value] : Values)
            S.WriteString(History, Ident, Value);
    }
    static std::string Stored(const std::string& Ident)
    {
        return Store().ReadString(History, Ident, "<absent>");
    }

    // Opens the editor on Glyph, runs Steps in the dialog and returns what the history box offered
    // when the dialog opened.
    std::vector<std::string> Open(const std::function<void(TfrmTolvane&)>& Steps)
    {
        std::vector<std::string> Offered;
        auto E = Editor("Glyph");
        RunEdit(*E, [&](TfrmTolvane& F) {
            Offered = F.cbxHistory->Items()->ToVector();
            Steps(F);
        });
        return Offered;
    }
    std::vector<std::string> OpenAndCancel()
    {
        return Open([](TfrmTolvane& F) { Click(F.btnCancel); });
    }
    // OK in Dir after choosing a file there.
    void AcceptIn(const std::string& Dir)
    {
        Images.Write(std::filesystem::path(Dir).lexically_relative(Images.Path()).string() + "/x.bmp",
                     BmpFile(SolidImage(2, 2, 0xFF00FF00)));
        Open([&](TfrmTolvane& F) {
            Enter(F, Dir);
            ClickFile(F, "x.bmp");
            Click(F.btnOK);
        });
    }

    // The user opens the history box's list with the mouse and clicks entry Index.
    static void Choose(TfrmTolvane& F, int Index)
    {
        auto* Box = WidgetOf<QComboBox>(F.cbxHistory);
        QApplication::setActiveWindow(Box->window());
        QTest::mouseClick(Box, Qt::LeftButton, {}, Box->rect().center());
        // The list takes no click that comes within a double-click time of its opening.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QAbstractItemView* List = Box->view();
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {},
                          List->visualRect(List->model()->index(Index, 0)).center());
    }

    TempDir Home;
    std::string OldHome;
    std::string A, B, C;
};

TEST_F(DirectoryHistory, FirstUseCreatesTheKeyAndStartsAtHome)
{
    std::string Start;
    EXPECT_TRUE(Open([&](TfrmTolvane& F) {
                    Start = F.cbxDir->Directory();
                    Click(F.btnCancel);
                }).empty());
    EXPECT_EQ(Start, Home.Path().string());
    EXPECT_TRUE(std::filesystem::exists(Config.Path() / "Orvanda/Components/Tolvane.ini"));
    EXPECT_EQ(Stored("Last Directory"), Home.Path().string());
    EXPECT_EQ(Stored("Dir0"), "<absent>");
}

TEST_F(DirectoryHistory, OpensInTheLastDirectory)
{
    Seed({{"Last Directory", B}});
    std::string Start;
    Open([&](TfrmTolvane& F) {
        Start = F.cbxDir->Directory();
        EXPECT_EQ(F.cbxFile->Directory(), B);
        EXPECT_FALSE(F.btnOK->Enabled());
        Click(F.btnCancel);
    });
    EXPECT_EQ(Start, B);
}

TEST_F(DirectoryHistory, AnEmptyValueEndsTheList)
{
    Seed({{"Dir0", A}, {"Dir1", ""}, {"Dir2", C}});
    EXPECT_EQ(OpenAndCancel(), std::vector<std::string>{A});
}

TEST_F(DirectoryHistory, AtMostFifteenEntriesInStoredOrder)
{
    std::vector<std::pair<std::string, std::string>> Values;
    std::vector<std::string> First15;
    for (int I = 0; I < 20; ++I) {
        Values.emplace_back("Dir" + std::to_string(I), "/dir" + std::to_string(I));
        if (I < 15)
            First15.push_back("/dir" + std::to_string(I));
    }
    Seed(Values);
    EXPECT_EQ(OpenAndCancel(), First15);
}

TEST_F(DirectoryHistory, OkInANewDirectoryPutsItOnTop)
{
    Seed({{"Dir0", A}});
    AcceptIn(B);
    EXPECT_EQ(OpenAndCancel(), (std::vector<std::string>{B, A}));
    EXPECT_EQ(Stored("Last Directory"), B);
}

TEST_F(DirectoryHistory, OkInAKnownDirectoryInAnyLetterCaseKeepsTheList)
{
    Seed({{"Dir0", A}, {"Dir1", UpperCase(B)}});
    AcceptIn(B);
    EXPECT_EQ(OpenAndCancel(), (std::vector<std::string>{A, UpperCase(B)}));
    EXPECT_EQ(Stored("Last Directory"), B);
}

TEST_F(DirectoryHistory, OkAfterAGapOverwritesOnlyTheEntriesItHas)
{
    Seed({{"Dir0", A}, {"Dir1", ""}, {"Dir2", C}});
    AcceptIn(B);
    EXPECT_EQ(Stored("Dir0"), B);
    EXPECT_EQ(Stored("Dir1"), A);
    EXPECT_EQ(Stored("Dir2"), C);
    EXPECT_EQ(OpenAndCancel(), (std::vector<std::string>{B, A, C}));
}

TEST_F(DirectoryHistory, TheSixteenthEntryIsWrittenButNotReadBack)
{
    std::vector<std::pair<std::string, std::string>> Values;
    for (int I = 0; I < 15; ++I)
        Values.emplace_back("Dir" + std::to_string(I), "/dir" + std::to_string(I));
    Seed(Values);
    AcceptIn(B);
    EXPECT_EQ(Stored("Dir0"), B);
    EXPECT_EQ(Stored("Dir15"), "/dir14");
    const std::vector<std::string> Offered = OpenAndCancel();
    ASSERT_EQ(Offered.size(), 15u);
    EXPECT_EQ(Offered.front(), B);
    EXPECT_EQ(Offered.back(), "/dir13");
}

TEST_F(DirectoryHistory, EveryWayOfClosingWritesTheSettings)
{
    const std::vector<std::pair<const char*, std::function<void(TfrmTolvane&)>>> Ways = {
        {"Cancel", [](TfrmTolvane& F) { Click(F.btnCancel); }},
        {"Clear", [](TfrmTolvane& F) { Click(F.btnClear); }},
        {"close box", [](TfrmTolvane& F) { WidgetOf(&F)->close(); }},
        {"Esc", [](TfrmTolvane& F) { Key(F.cbxFile, Qt::Key_Escape); }},
    };
    for (const auto& [Name, Close] : Ways) {
        std::filesystem::remove(Config.Path() / "Orvanda/Components/Tolvane.ini");
        Seed({{"Dir0", A}});
        Open([&](TfrmTolvane& F) {
            Enter(F, C);
            Close(F);
        });
        EXPECT_EQ(Stored("Last Directory"), C) << Name;
        EXPECT_EQ(Stored("Dir0"), A) << Name;
        TRegIniFile S(SettingsKey);
        EXPECT_EQ(S.ReadInteger("Window Position", "Width", 0), 651) << Name;
        EXPECT_EQ(S.ReadInteger("Window Position", "Height", 0), 522) << Name;
        EXPECT_TRUE(S.ValueExists("Window Position", "Top")) << Name;
        EXPECT_TRUE(S.ValueExists("Window Position", "Left")) << Name;
    }
}

TEST_F(DirectoryHistory, ChoosingTheCurrentDirectoryChangesOnlyTheWidth)
{
    Seed({{"Last Directory", Images.Path().string()}, {"Dir0", Images.Path().string()}});
    Open([&](TfrmTolvane& F) {
        ClickFile(F, "a.bmp");
        ASSERT_TRUE(F.btnOK->Enabled());
        Choose(F, 0);
        EXPECT_EQ(F.cbxHistory->Width(), 145);
        EXPECT_TRUE(F.btnOK->Enabled());
        EXPECT_EQ(F.cbxDir->Directory(), Images.Path().string());
        EXPECT_EQ(F.cbxFile->FileName(), Images.File("a.bmp"));
        Click(F.btnCancel);
    });
}

TEST_F(DirectoryHistory, ChoosingADirectoryThatDiffersOnlyInCaseMovesThere)
{
    const std::string Upper = Images.MakeDir("Pics");
    const std::string Lower = Images.MakeDir("pics");
    Images.Write("Pics/p.bmp", BmpFile(SolidImage(2, 2, 0xFF000000)));
    Seed({{"Last Directory", Upper}, {"Dir0", Lower}});
    Open([&](TfrmTolvane& F) {
        ClickFile(F, "p.bmp");
        Choose(F, 0);
        EXPECT_EQ(F.cbxDir->Directory(), Lower);
        EXPECT_FALSE(F.btnOK->Enabled());
        EXPECT_EQ(F.cbxHistory->Width(), 145);
        Click(F.btnCancel);
    });
}

TEST_F(DirectoryHistory, TheBoxWidensWhileItsListIsOpenAndNarrowsOnLeaving)
{
    Seed({{"Dir0", A}});
    Open([&](TfrmTolvane& F) {
        auto* Box = WidgetOf<QComboBox>(F.cbxHistory);
        QApplication::setActiveWindow(Box->window());
        QTest::mouseClick(Box, Qt::LeftButton, {}, Box->rect().center());
        EXPECT_EQ(F.cbxHistory->Width(), 631);
        // Above its siblings in the bottom row, covering Test, Enable/Disable and About.
        const QObjectList& Stack = WidgetOf(F.pnlBottom)->children();
        EXPECT_EQ(Stack.indexOf(Box), Stack.size() - 1);
        Box->hidePopup();
        F.cbxFile->SetFocus();
        EXPECT_EQ(F.cbxHistory->Width(), 145);
        Click(F.btnCancel);
    });
}

TEST_F(DirectoryHistory, AStoredLastDirectoryThatIsGoneOpensAtHomeAndKeepsTheHistory)
{
    Seed({{"Last Directory", Images.File("gone")}, {"Dir0", A}, {"Dir1", C}});
    std::string Start;
    EXPECT_EQ(Open([&](TfrmTolvane& F) {
                  Start = F.cbxDir->Directory();
                  Click(F.btnCancel);
              }),
              (std::vector<std::string>{A, C}));
    EXPECT_EQ(Start, Home.Path().string());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("gone"), std::string::npos) << Errors[0];
    EXPECT_EQ(Stored("Dir0"), A);
    EXPECT_EQ(Stored("Dir1"), C);
}

TEST_F(DirectoryHistory, AHistoryEntryThatIsGoneIsReportedAndOkKeepsItsState)
{
    Seed({{"Last Directory", Images.Path().string()}, {"Dir0", Images.File("gone")}});
    Open([&](TfrmTolvane& F) {
        ClickFile(F, "a.bmp");
        Choose(F, 0);
        EXPECT_EQ(F.cbxHistory->Width(), 145);
        EXPECT_TRUE(F.btnOK->Enabled());
        EXPECT_EQ(F.cbxDir->Directory(), Images.Path().string());
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_NE(Errors[0].find("gone"), std::string::npos) << Errors[0];
        Click(F.btnCancel);
    });
}

TEST_F(DirectoryHistory, AStoreThatCannotBeUsedIsReportedOnceAndTheEditGoesOn)
{
    // The settings file's place is taken by a directory: it can be neither read nor written.
    std::filesystem::create_directories(Config.Path() / "Orvanda/Components/Tolvane.ini");
    auto E = Editor("Glyph");
    RunEdit(*E, [&](TfrmTolvane& F) {
        EXPECT_TRUE(F.cbxHistory->Items()->Count() == 0);
        Enter(F, Images.Path().string());
        ClickFile(F, "b.bmp");
        Click(F.btnOK);
    });
    EXPECT_EQ(Sample.Glyph()->Width(), 16);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("Tolvane.ini"), std::string::npos) << Errors[0];
}

TEST_F(DirectoryHistory, AStoreThatCannotBeWrittenIsReportedOnce)
{
    Seed({{"Dir0", A}});
    // The folder holding the settings file cannot take the new file that a save renames into place.
    const auto Folder = Config.Path() / "Orvanda/Components";
    std::filesystem::rename(Folder, Config.Path() / "moved");
    std::filesystem::create_directories(Config.Path() / "Orvanda");
    std::ofstream(Folder) << "not a folder";
    std::vector<std::string> Offered = OpenAndCancel();
    EXPECT_TRUE(Offered.empty());
    ASSERT_EQ(Errors.size(), 1u) << (Errors.size() > 1 ? Errors[1] : "");
}

} // namespace
