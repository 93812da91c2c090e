#include "FileCtrl.hpp"
#include "ControlsFixture.hpp"
#include "FormReader.hpp"
#include "TempDir.hpp"

#include <QListWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TNames = std::vector<std::string>;

// ---- Drive list ----

struct MountCase
{
    const char* Table;
    TNames Roots;
};

const MountCase MountCases[] = {
    {"", {"/"}},
    {"not a mount line\n", {"/"}},
    {"/dev/sda1 / ext4 rw,relatime 0 0\n", {"/"}},
    {"/dev/sda2 /home ext4 rw 0 0\n", {"/", "/home"}},
    {"/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n", {"/", "/boot/efi"}},
    {"/dev/mapper/vg-data /data/ xfs rw 0 0\n", {"/", "/data"}},
    {"/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n", {"/", "/media/My Disk"}},
    {"server:/export /mnt/nfs nfs4 rw 0 0\n", {"/", "/mnt/nfs"}},
    {"//srv/share /mnt/share cifs rw 0 0\n", {"/", "/mnt/share"}},
    {"tank/data /tank/data zfs rw 0 0\n", {"/", "/tank/data"}},
    {"/dev/loop3 /snap/core/123 squashfs ro 0 0\n", {"/"}},
    {"proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\ndevtmpfs /dev devtmpfs rw 0 0\n"
     "devpts /dev/pts devpts rw 0 0\ntmpfs /run tmpfs rw 0 0\ntmpfs /tmp tmpfs rw 0 0\n"
     "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\noverlay / overlay rw 0 0\nmqueue /dev/mqueue mqueue rw 0 0\n"
     "binfmt_misc /proc/sys/fs/binfmt_misc binfmt_misc rw 0 0\nnsfs /run/netns/x nsfs rw 0 0\n",
     {"/"}},
    {"/dev/sdc1 /mnt/b ext4 rw 0 0\n/dev/sda2 /home ext4 rw 0 0\n/dev/sdc1 /mnt/b ext4 rw 0 0\n"
     "/dev/sdd1 /mnt/a ext4 rw 0 0\n",
     {"/", "/home", "/mnt/a", "/mnt/b"}},
};

TEST(DriveList, KeepsTheRootAndRealVolumesOfAMountTable)
{
    for (const MountCase& C : MountCases)
        EXPECT_EQ(ParseMountTable(C.Table), C.Roots) << C.Table;
}

TEST(DriveList, TheSystemsDrivesStartWithTheRootAndAreDirectories)
{
    TNames Drives = MountedDrives();
    ASSERT_FALSE(Drives.empty());
    EXPECT_EQ(Drives.front(), "/");
    for (const std::string& Root : Drives)
        EXPECT_TRUE(fs::is_directory(Root)) << Root;
}

// ---- Masks ----

struct MaskCase
{
    const char* Name;
    const char* Mask;
    bool Matches;
};

const MaskCase MaskCases[] = {
    {"a.bmp", "*.BMP", true},
    {"A.BMP", "*.bmp", true},
    {"x.Bmp", "*.BMP", true},
    {"a.bmpx", "*.BMP", false},
    {"bmp", "*.BMP", false},
    {"a.ico", "*.BMP;*.ICO", true},
    {"a.ico", "*.BMP; *.ICO", true},
    {"a.emf", "*.BMP;*.ICO", false},
    {"README", "*.*", true},
    {"a.b.c", "*.*", true},
    {"README", "*", true},
    {"a.bmp", "?.bmp", true},
    {"ab.bmp", "?.bmp", false},
    {"\xC3\xA9.bmp", "?.bmp", true},
    {"ac", "a*c", true},
    {"aXbXc", "a*b*c", true},
    {"aXbX", "a*b*c", false},
    {"x", "", false},
    {"x", " ; ", false},
    {"\xC3\xA9", "\xC3\x89", false},
};

TEST(FileMask, MatchesWildcardsWithoutRegardToCase)
{
    for (const MaskCase& C : MaskCases)
        EXPECT_EQ(MatchesMask(C.Name, C.Mask), C.Matches) << C.Name << " ~ " << C.Mask;
}

// ---- Controls on real directories ----

class FileControls : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Root = fs::canonical(Tmp.Path()).string();
    }

    // Files, a hidden one, a directory and links, as the listing cases expect them.
    void WriteFiles()
    {
        for (const char* Name : {"b.bmp", "A.BMP", "a.bmp", "c.ico", "notes.txt", "README", ".hidden.bmp"})
            Tmp.Write(Name, "x");
        Tmp.MakeDir("dir.bmp");
        fs::create_symlink(Root + "/A.BMP", Root + "/link.bmp");
        fs::create_symlink(Root + "/dir.bmp", Root + "/dirlink.bmp");
        fs::create_symlink(Root + "/gone.bmp", Root + "/broken.bmp");
    }

    // Directory list, file list and drive box, linked, on a shown form.
    void MakeLinked()
    {
        Dir = Make<TDirectoryListBox>(Form.get(), "cbxDir");
        Dir->SetBounds(0, 0, 200, 150);
        Files = Make<TFileListBox>(Form.get(), "cbxFile");
        Files->SetBounds(0, 150, 200, 150);
        Drive = Make<TDriveComboBox>(Form.get(), "cbxDrive");
        Drive->SetBounds(200, 0, 150, 22);
        for (const char* Volume : {"vol1", "vol2", "vol10"})
            Tmp.MakeDir(Volume);
        Drive->SetDrives({"/", Root + "/vol1", Root + "/vol2", Root + "/vol10"});
        Drive->SetDirList(Dir);
        Dir->SetFileList(Files);
    }

    QListWidget* List(const TCustomListBox* Box) { return WidgetOf<QListWidget>(Box); }
    QPoint EntryCentre(const TCustomListBox* Box, int Index)
    {
        QListWidget* W = List(Box);
        W->doItemsLayout();
        return W->visualItemRect(W->item(Index)).center();
    }

    TempDir Tmp;
    std::string Root;
    TDirectoryListBox* Dir = nullptr;
    TFileListBox* Files = nullptr;
    TDriveComboBox* Drive = nullptr;
};

struct ListingCase
{
    const char* Mask;
    TNames Items;
};

TEST_F(FileControls, FileListShowsMatchingRegularFilesSortedWithoutHiddenOnes)
{
    WriteFiles();
    const ListingCase Cases[] = {
        {"*.*", {"A.BMP", "a.bmp", "b.bmp", "c.ico", "link.bmp", "notes.txt", "README"}},
        {"*", {"A.BMP", "a.bmp", "b.bmp", "c.ico", "link.bmp", "notes.txt", "README"}},
        {"*.BMP", {"A.BMP", "a.bmp", "b.bmp", "link.bmp"}},
        {"*.BMP;*.ICO", {"A.BMP", "a.bmp", "b.bmp", "c.ico", "link.bmp"}},
        {"*.png", {}},
    };
    Files = Make<TFileListBox>(Form.get());
    Files->SetDirectory(Root);
    for (const ListingCase& C : Cases) {
        Files->SetMask(C.Mask);
        EXPECT_EQ(Files->Items()->ToVector(), C.Items) << C.Mask;
    }
}

TEST_F(FileControls, FileListUpdateRereadsAndKeepsTheSelectedFile)
{
    Tmp.Write("b.bmp", "x");
    Files = Make<TFileListBox>(Form.get());
    Files->SetDirectory(Root);
    Files->SetItemIndex(0);
    Tmp.Write("a.bmp", "x");
    Files->Update();
    EXPECT_EQ(Files->Items()->ToVector(), (TNames{"a.bmp", "b.bmp"}));
    EXPECT_EQ(Files->FileName(), Root + "/b.bmp");
}

TEST_F(FileControls, FileListOfAnUnreadableDirectoryIsEmpty)
{
    Files = Make<TFileListBox>(Form.get());
    Files->SetDirectory(Root + "/missing");
    EXPECT_EQ(Files->Count(), 0);
    EXPECT_EQ(Files->Directory(), Root + "/missing");
    EXPECT_EQ(Files->FileName(), "");
}

TEST_F(FileControls, FileNameJoinsTheDirectoryAndTheSelectedName)
{
    Tmp.Write("a.bmp", "x");
    Files = Make<TFileListBox>(Form.get());
    Files->SetDirectory(Root + "/");
    EXPECT_EQ(Files->FileName(), "");
    Files->SetItemIndex(0);
    EXPECT_EQ(Files->FileName(), Root + "/a.bmp");

    // The root directory takes no second separator.
    Files->SetDirectory("/");
    if (Files->Count() == 0)
        GTEST_SKIP() << "no visible file in / to select";
    Files->SetItemIndex(0);
    EXPECT_EQ(Files->FileName(), "/" + Files->Items()->Strings(0));
}

TEST_F(FileControls, DirectoryListShowsThePathThenTheVisibleSubdirectoriesSorted)
{
    WriteFiles();
    for (const char* Name : {"sub/Beta", "sub/alpha", "sub/Alpha", "sub/.git", "sub/gamma"})
        Tmp.MakeDir(Name);
    Tmp.Write("sub/file", "x");
    Dir = Make<TDirectoryListBox>(Form.get());
    Dir->SetDirectory(Root + "/sub");

    TNames Expected{"/"};
    for (const fs::path& Level : fs::path(Root).relative_path())
        Expected.push_back(Level.string());
    Expected.push_back("sub");
    const int Current = static_cast<int>(Expected.size()) - 1;
    for (const char* Name : {"Alpha", "alpha", "Beta", "gamma"})
        Expected.push_back(Name);
    EXPECT_EQ(Dir->Items()->ToVector(), Expected);
    EXPECT_EQ(Dir->ItemIndex(), Current);
    EXPECT_EQ(Dir->GetItemPath(0), "/");
    EXPECT_EQ(Dir->GetItemPath(Current), Root + "/sub");
    EXPECT_EQ(Dir->GetItemPath(Current - 1), Root);
    EXPECT_EQ(Dir->GetItemPath(Current + 1), Root + "/sub/Alpha");
    EXPECT_THROW(Dir->GetItemPath(static_cast<int>(Expected.size())), EListError);

    // A link to a directory is one; a link to a file or nowhere is not.
    Dir->SetDirectory(Root);
    EXPECT_EQ(Dir->Items()->ToVector().back(), "sub");
    EXPECT_EQ(Dir->Items()->IndexOf("dirlink.bmp") > Dir->ItemIndex(), true);
    EXPECT_EQ(Dir->Items()->IndexOf("link.bmp"), -1);
    EXPECT_EQ(Dir->Items()->IndexOf("broken.bmp"), -1);
}

TEST_F(FileControls, DirectoryIsNormalised)
{
    Tmp.MakeDir("a/b");
    Dir = Make<TDirectoryListBox>(Form.get());
    const std::pair<std::string, std::string> Cases[] = {
        {Root + "/a/b/", Root + "/a/b"},
        {Root + "/a/./b", Root + "/a/b"},
        {Root + "/a/b/../b/.", Root + "/a/b"},
        {Root + "//a//b", Root + "/a/b"},
        {"/", "/"},
        {"/..", "/"},
        {"///", "/"},
    };
    for (const auto& [Given, Normal] : Cases) {
        Dir->SetDirectory(Given);
        EXPECT_EQ(Dir->Directory(), Normal) << Given;
    }
    // A relative path is taken from the process's current directory.
    fs::path Before = fs::current_path();
    fs::current_path(Root + "/a");
    Dir->SetDirectory("b/..");
    fs::current_path(Before);
    EXPECT_EQ(Dir->Directory(), Root + "/a");
    EXPECT_EQ(Dir->Items()->ToVector().back(), "b");
}

TEST_F(FileControls, DirectoryListStartsInTheHomeDirectory)
{
    const char* Home = std::getenv("HOME");
    std::string Saved = Home ? Home : "";
    setenv("HOME", Root.c_str(), 1);
    Dir = Make<TDirectoryListBox>(Form.get());
    Files = Make<TFileListBox>(Form.get());
    Home ? setenv("HOME", Saved.c_str(), 1) : unsetenv("HOME");
    EXPECT_EQ(Dir->Directory(), Root);
    EXPECT_EQ(Files->Directory(), Root);
}

TEST_F(FileControls, SettingTheDirectoryUpdatesTheFileListBeforeOnChange)
{
    Tmp.MakeDir("pics");
    Tmp.Write("pics/one.bmp", "x");
    Tmp.Write("pics/two.ico", "x");
    MakeLinked();
    Files->SetMask("*.bmp");
    std::vector<std::string> Seen;
    Dir->OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Dir);
        Seen.push_back(Files->Directory() + " " + (Files->Count() ? Files->Items()->Strings(0) : "-"));
    };
    Dir->SetDirectory(Root + "/pics");
    EXPECT_EQ(Seen, (TNames{Root + "/pics one.bmp"}));
    EXPECT_EQ(Files->Mask(), "*.bmp");
    // Setting the directory shown again re-reads it and runs the chain again.
    Tmp.Write("pics/three.bmp", "x");
    Dir->SetDirectory(Root + "/pics");
    EXPECT_EQ(Seen.size(), 2u);
    EXPECT_EQ(Files->Items()->ToVector(), (TNames{"one.bmp", "three.bmp"}));
}

TEST_F(FileControls, LinkingAFileListShowsTheDirectoryListsDirectory)
{
    Tmp.Write("x.bmp", "x");
    Dir = Make<TDirectoryListBox>(Form.get());
    Dir->SetDirectory(Root);
    Files = Make<TFileListBox>(Form.get());
    Dir->SetFileList(Files);
    EXPECT_EQ(Files->Directory(), Root);
    EXPECT_EQ(Files->Items()->ToVector(), (TNames{"x.bmp"}));
}

TEST_F(FileControls, ADirectoryThatCannotBeEnteredRaisesAndChangesNothing)
{
    Tmp.MakeDir("start/sub");
    Tmp.Write("start/f.bmp", "x");
    Tmp.Write("plain.txt", "x");
    Tmp.MakeDir("locked");
    fs::permissions(Root + "/locked", fs::perms::none);
    MakeLinked();
    Dir->SetDirectory(Root + "/start");
    int Changes = 0;
    Dir->OnChange = [&](TObject*) { ++Changes; };
    const TNames Entries = Dir->Items()->ToVector();

    struct BadCase
    {
        std::string Path;
        const char* Reason;
    };
    std::vector<BadCase> Cases = {{Root + "/missing", "No such file or directory"},
                                  {Root + "/plain.txt", "Not a directory"}};
    if (geteuid() != 0)
        Cases.push_back({Root + "/locked", "Permission denied"});
    for (const BadCase& C : Cases) {
        SCOPED_TRACE(C.Path);
        try {
            Dir->SetDirectory(C.Path);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& E) {
            EXPECT_EQ(E.Message(), "Cannot open directory '" + C.Path + "': " + C.Reason);
        }
        EXPECT_EQ(Dir->Directory(), Root + "/start");
        EXPECT_EQ(Dir->Items()->ToVector(), Entries);
        EXPECT_EQ(Files->Directory(), Root + "/start");
        EXPECT_EQ(Files->Items()->ToVector(), (TNames{"f.bmp"}));
        EXPECT_EQ(Drive->Drive(), "/");
    }
    EXPECT_EQ(Changes, 0);
}

struct MoveCase
{
    const char* What;
    bool ByEnter;
    // The entry moved to, counted from the current directory's entry.
    int Offset;
    const char* Expected;
};

TEST_F(FileControls, TheUserMovesByDoubleClickOrEnter)
{
    Tmp.MakeDir("a/b/c");
    Tmp.MakeDir("a/b/d");
    MakeLinked();
    ShowForm();
    const MoveCase Cases[] = {
        {"double-click a subdirectory", false, +2, "/a/b/d"},
        {"double-click the parent", false, -1, "/a"},
        {"Enter on a subdirectory", true, +1, "/a/b/c"},
        {"Enter on the grandparent", true, -2, ""},
        {"double-click the current directory", false, 0, "/a/b"},
    };
    for (const MoveCase& C : Cases) {
        SCOPED_TRACE(C.What);
        Dir->SetDirectory(Root + "/a/b");
        int Changes = 0;
        Dir->OnChange = [&](TObject*) { ++Changes; };
        const int Target = Dir->ItemIndex() + C.Offset;
        if (C.ByEnter) {
            Dir->SetItemIndex(Target);
            QTest::keyClick(List(Dir), Qt::Key_Return);
        } else {
            QTest::mouseDClick(List(Dir)->viewport(), Qt::LeftButton, {}, EntryCentre(Dir, Target));
        }
        EXPECT_EQ(Dir->Directory(), Root + C.Expected);
        EXPECT_EQ(Files->Directory(), Root + C.Expected);
        EXPECT_EQ(Changes, 1);
        Dir->OnChange = nullptr;
    }
    EXPECT_TRUE(Errors.empty());
}

TEST_F(FileControls, AMoveThatFailsGoesToTheApplicationAndLeavesTheList)
{
    Tmp.MakeDir("a/gone");
    MakeLinked();
    ShowForm();
    Dir->SetDirectory(Root + "/a");
    fs::remove(Root + "/a/gone");
    QTest::mouseDClick(List(Dir)->viewport(), Qt::LeftButton, {}, EntryCentre(Dir, Dir->ItemIndex() + 1));
    EXPECT_EQ(Errors, (TNames{"Cannot open directory '" + Root + "/a/gone': No such file or directory"}));
    EXPECT_EQ(Dir->Directory(), Root + "/a");
}

TEST_F(FileControls, FileListRaisesOnClickForUserSelectionsOnly)
{
    for (const char* Name : {"a.bmp", "b.bmp", "c.bmp"})
        Tmp.Write(Name, "x");
    Files = Make<TFileListBox>(Form.get());
    Files->SetBounds(0, 0, 200, 200);
    Files->SetDirectory(Root);
    ShowForm();
    TNames Clicks;
    int DoubleClicks = 0;
    Files->OnClick = [&](TObject*) { Clicks.push_back(Files->FileName()); };
    Files->OnDblClick = [&](TObject*) { ++DoubleClicks; };

    Files->SetItemIndex(1);
    Files->SetMask("*.bmp");
    Files->Update();
    Files->SetDirectory(Root);
    EXPECT_TRUE(Clicks.empty());

    QTest::mouseClick(List(Files)->viewport(), Qt::LeftButton, {}, EntryCentre(Files, 0));
    QTest::keyClick(List(Files), Qt::Key_Down);
    QTest::keyClick(List(Files), Qt::Key_Down);
    EXPECT_EQ(Clicks, (TNames{Root + "/a.bmp", Root + "/b.bmp", Root + "/c.bmp"}));
    QTest::mouseDClick(List(Files)->viewport(), Qt::LeftButton, {}, EntryCentre(Files, 1));
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(Files->FileName(), Root + "/b.bmp");
}

TEST_F(FileControls, DriveBoxFollowsTheVolumeHoldingTheDirectory)
{
    Tmp.MakeDir("vol1/sub");
    Tmp.MakeDir("vol2/x");
    Tmp.MakeDir("other");
    Tmp.MakeDir("vol1x");
    MakeLinked();
    const std::pair<const char*, const char*> Cases[] = {
        {"/vol1", "/vol1"}, {"/vol1/sub", "/vol1"}, {"/vol10", "/vol10"},
        {"/vol1x", ""},     {"/vol2/x", "/vol2"},   {"/other", ""},
    };
    for (const auto& [Directory, Volume] : Cases) {
        Dir->SetDirectory(Root + Directory);
        EXPECT_EQ(Drive->Drive(), *Volume ? Root + Volume : "/") << Directory;
    }
}

TEST_F(FileControls, ChoosingADriveMovesTheDirectoryList)
{
    Tmp.Write("vol2/v.bmp", "x");
    MakeLinked();
    ShowForm();
    Dir->SetDirectory(Root + "/vol1");
    TNames Seen;
    Dir->OnChange = [&](TObject*) { Seen.push_back("dir " + Files->Directory()); };
    Drive->OnChange = [&](TObject*) { Seen.push_back("drive " + Drive->Drive()); };

    WidgetOf(Drive)->setFocus();
    QTest::keyClick(WidgetOf(Drive), Qt::Key_Down);
    EXPECT_EQ(Dir->Directory(), Root + "/vol2");
    EXPECT_EQ(Files->Items()->ToVector(), (TNames{"v.bmp"}));
    EXPECT_EQ(Seen, (TNames{"dir " + Root + "/vol2", "drive " + Root + "/vol2"}));

    // Set by program, the drive moves the list too, but the box raises nothing.
    Seen.clear();
    Drive->SetDrive(Root + "/vol1/");
    EXPECT_EQ(Dir->Directory(), Root + "/vol1");
    EXPECT_EQ(Seen, (TNames{"dir " + Root + "/vol1"}));
    EXPECT_THROW(Drive->SetDrive(Root + "/nowhere"), EInOutError);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(FileControls, ADriveThatCannotBeEnteredIsReportedAndTheBoxStaysWithTheList)
{
    MakeLinked();
    Drive->SetDrives({"/", Root + "/vol1", Root + "/vanished"});
    ShowForm();
    Dir->SetDirectory(Root + "/vol1");
    WidgetOf(Drive)->setFocus();
    QTest::keyClick(WidgetOf(Drive), Qt::Key_Down);
    EXPECT_EQ(Errors, (TNames{"Cannot open directory '" + Root + "/vanished': No such file or directory"}));
    EXPECT_EQ(Dir->Directory(), Root + "/vol1");
    EXPECT_EQ(Drive->Drive(), Root + "/vol1");
}

TEST_F(FileControls, LinkedControlsMayBeDestroyedInAnyOrder)
{
    MakeLinked();
    delete Files;
    EXPECT_EQ(Dir->FileList(), nullptr);
    Dir->SetDirectory(Root);
    delete Dir;
    EXPECT_EQ(Drive->DirList(), nullptr);
    Drive->SetDrive("/");
    EXPECT_EQ(Drive->Drive(), "/");
}

TEST_F(FileControls, ALinkHasOneOtherEnd)
{
    MakeLinked();
    auto* Second = Make<TDirectoryListBox>(Form.get());
    Second->SetFileList(Files);
    Drive->SetDirList(Second);
    EXPECT_EQ(Dir->FileList(), nullptr);
    Tmp.MakeDir("moved");
    Dir->SetDirectory(Root + "/moved");
    EXPECT_NE(Files->Directory(), Root + "/moved");
    Second->SetDirectory(Root + "/moved");
    EXPECT_EQ(Files->Directory(), Root + "/moved");
}

class TLinkedForm : public TForm
{
public:
    TLinkedForm() : TForm(nullptr) {}
    static const TPublished<TLinkedForm>& Published()
    {
        static const TPublished<TLinkedForm> Table{
            Field("cbxDrive", &TLinkedForm::cbxDrive),
            Field("cbxDir", &TLinkedForm::cbxDir),
            Field("cbxFile", &TLinkedForm::cbxFile),
            Handler("cbxDirChange", &TLinkedForm::cbxDirChange),
        };
        return Table;
    }
    void cbxDirChange(TObject* /*Sender*/) { ++Changes; }

    TDriveComboBox* cbxDrive = nullptr;
    TDirectoryListBox* cbxDir = nullptr;
    TFileListBox* cbxFile = nullptr;
    int Changes = 0;
};

TEST_F(FileControls, FormDataCreatesLinksAndBindsOnChange)
{
    Tmp.Write("p.BMP", "x");
    Tmp.Write("q.ico", "x");
    TLinkedForm Linked;
    ReadForm(&Linked,
             "object Linked: TForm\n"
             "  object cbxDrive: TDriveComboBox\n"
             "    DirList = cbxDir\n"
             "  end\n"
             "  object cbxDir: TDirectoryListBox\n"
             "    FileList = cbxFile\n"
             "    ItemHeight = 16\n"
             "    OnChange = cbxDirChange\n"
             "  end\n"
             "  object cbxFile: TFileListBox\n"
             "    Mask = '*.bmp'\n"
             "  end\n"
             "end\n",
             "linked.form", TLinkedForm::Published());
    ASSERT_NE(Linked.cbxDir, nullptr);
    EXPECT_EQ(Linked.cbxDrive->DirList(), Linked.cbxDir);
    EXPECT_EQ(Linked.cbxDir->FileList(), Linked.cbxFile);
    EXPECT_EQ(Linked.cbxFile->Parent(), &Linked);
    Linked.cbxDir->SetDirectory(Root);
    EXPECT_EQ(Linked.Changes, 1);
    EXPECT_EQ(Linked.cbxFile->Items()->ToVector(), (TNames{"p.BMP"}));
}

} // namespace
