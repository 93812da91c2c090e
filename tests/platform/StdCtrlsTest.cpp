// Standard controls driven by real mouse and keyboard input: list boxes, combo boxes, check boxes.

#include "ControlsFixture.hpp"

#include "Buttons.hpp"
#include "StdCtrls.hpp"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

namespace {

// A list box that records what the keyboard hook receives, as the directory list uses it.
class TRecordingListBox : public TListBox
{
public:
    using TListBox::TListBox;
    std::vector<int> Activated;

protected:
    void ItemActivated(int Index) override { Activated.push_back(Index); }
};

class ListBoxTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        List = new TRecordingListBox(Form.get());
        List->SetParent(Form.get());
        List->SetBounds(10, 10, 120, 120);
        for (const char* Name : {"a.bmp", "b.bmp", "c.ico", "d.bmp", "e.ico"})
            List->Items()->Add(Name);
        List->OnClick = [this](TObject*) { Clicks.push_back(List->ItemIndex()); };
        List->OnDblClick = [this](TObject*) { DoubleClicks.push_back(List->ItemIndex()); };
        ShowForm();
        List->SetFocus();
    }

    QListWidget* View() const { return WidgetOf<QListWidget>(List); }
    QPoint EntryCentre(int Index) const { return View()->visualItemRect(View()->item(Index)).center(); }
    void Key(Qt::Key K) { QTest::keyClick(View(), K); }

    TRecordingListBox* List = nullptr;
    std::vector<int> Clicks;
    std::vector<int> DoubleClicks;
};

TEST_F(ListBoxTest, ItemsAreTheEntries)
{
    TStrings* Items = List->Items();
    EXPECT_EQ(List->Count(), 5);
    EXPECT_EQ(View()->item(2)->text(), "c.ico");
    Items->Insert(0, "first");
    EXPECT_EQ(View()->item(0)->text(), "first");
    EXPECT_EQ(Items->IndexOf("C.ICO"), 3);
    Items->Delete(0);
    EXPECT_EQ(Items->Strings(0), "a.bmp");
    EXPECT_THROW(Items->Strings(5), EListError);
    EXPECT_THROW(Items->Insert(7, "x"), EListError);
    EXPECT_THROW(List->SetItemIndex(5), EListError);
    EXPECT_THROW(List->SetItemIndex(-2), EListError);
    TStringList Other{"x", "y"};
    List->SetItems(&Other);
    EXPECT_EQ(List->Items()->ToVector(), (std::vector<std::string>{"x", "y"}));
    Items->Clear();
    EXPECT_EQ(View()->count(), 0);
    EXPECT_EQ(List->ItemIndex(), -1);
    EXPECT_TRUE(Clicks.empty());
}

TEST_F(ListBoxTest, ClickIsRaisedByTheUserOnly)
{
    List->SetItemIndex(2);
    EXPECT_EQ(List->ItemIndex(), 2);
    List->SetItemIndex(-1);
    EXPECT_EQ(List->ItemIndex(), -1);
    List->Items()->Add("f.bmp");
    List->SetItemHeight(18);
    EXPECT_TRUE(Clicks.empty());

    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, EntryCentre(1));
    // A click on the entry already selected raises it again.
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, EntryCentre(1));
    Key(Qt::Key_Down);
    Key(Qt::Key_End);
    Key(Qt::Key_Home);
    // Up on the first entry changes nothing and raises nothing.
    Key(Qt::Key_Up);
    EXPECT_EQ(Clicks, (std::vector<int>{1, 1, 2, 5, 0}));
    EXPECT_TRUE(DoubleClicks.empty());
}

TEST_F(ListBoxTest, DoubleClickOnAnEntry)
{
    DoubleClick(View()->viewport(), EntryCentre(3));
    EXPECT_EQ(DoubleClicks, (std::vector<int>{3}));
    EXPECT_EQ(Clicks, (std::vector<int>{3}));
    // Below the last entry there is none to double-click.
    DoubleClick(View()->viewport(), QPoint(20, View()->viewport()->height() - 3));
    EXPECT_EQ(DoubleClicks.size(), 1u);
}

TEST_F(ListBoxTest, EnterGoesToTheEnabledDefaultButtonFirst)
{
    List->SetItemIndex(2);
    Key(Qt::Key_Return);
    EXPECT_EQ(List->Activated, (std::vector<int>{2}));

    auto* Ok = Make<TBitBtn>(Form.get(), "Ok");
    Ok->SetKind(bkOK);
    Ok->SetBounds(200, 10, 75, 25);
    int Pressed = 0;
    Ok->OnClick = [&Pressed](TObject*) { ++Pressed; };
    List->SetFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(Pressed, 1);
    EXPECT_EQ(List->Activated.size(), 1u);

    Ok->SetEnabled(false);
    Key(Qt::Key_Enter);
    EXPECT_EQ(Pressed, 1);
    EXPECT_EQ(List->Activated, (std::vector<int>{2, 2}));
    EXPECT_TRUE(Clicks.empty());
}

// Combo boxes

class ComboBoxTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Combo = Make<TComboBox>(Form.get(), "Combo");
        Combo->SetBounds(8, 9, 145, 24);
        Combo->SetStyle(csDropDownList);
        for (const char* Dir : {"/home", "/tmp", "/usr"})
            Combo->Items()->Add(Dir);
        Combo->OnClick = [this](TObject*) { Log.push_back("click " + Combo->Text()); };
        Combo->OnChange = [this](TObject*) { Log.push_back("change " + Combo->Text()); };
        Combo->OnDropDown = [this](TObject*) { Log.push_back("dropdown"); };
    }

    QComboBox* Box() const { return WidgetOf<QComboBox>(Combo); }

    TComboBox* Combo = nullptr;
    std::vector<std::string> Log;
};

TEST_F(ComboBoxTest, ItemsAndProgrammaticChangesRaiseNothing)
{
    EXPECT_FALSE(Box()->isEditable());
    // Entries added to an empty box leave it without a choice.
    EXPECT_EQ(Combo->ItemIndex(), -1);
    EXPECT_EQ(Combo->Text(), "");
    Combo->SetItemIndex(1);
    EXPECT_EQ(Combo->Text(), "/tmp");
    Combo->Items()->Insert(0, "/");
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(Combo->Items()->IndexOf("/TMP"), 2);
    Combo->Items()->Delete(2);
    EXPECT_EQ(Combo->ItemIndex(), -1);
    Combo->SetText("/usr");
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_THROW(Combo->SetItemIndex(3), EListError);
    Combo->Items()->Clear();
    EXPECT_EQ(Combo->ItemIndex(), -1);
    EXPECT_TRUE(Log.empty());

    Combo->SetStyle(csDropDown);
    EXPECT_TRUE(Box()->isEditable());
    Combo->SetText("typed");
    Combo->Items()->Add("/opt");
    EXPECT_EQ(Combo->Text(), "typed");
    EXPECT_TRUE(Log.empty());
}

TEST_F(ComboBoxTest, DropDownComesBeforeTheListOpens)
{
    bool OpenAlready = true;
    Combo->OnDropDown = [this, &OpenAlready](TObject*) {
        Log.push_back("dropdown");
        OpenAlready = Combo->DroppedDown();
        // Widening the box here widens the list that opens.
        Combo->BringToFront();
        Combo->SetWidth(300);
    };
    ShowForm();
    QTest::mouseClick(Box(), Qt::LeftButton);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_FALSE(OpenAlready);
    EXPECT_EQ(Log, (std::vector<std::string>{"dropdown"}));
    EXPECT_GE(Box()->view()->window()->width(), 300);

    // The user chooses the second entry with the mouse (once the opening click's release has passed).
    QAbstractItemView* View = Box()->view();
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint Second = View->visualRect(View->model()->index(1, 0)).center();
    QTest::mouseMove(View->viewport(), Second);
    QTest::mouseClick(View->viewport(), Qt::LeftButton, {}, Second);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Log, (std::vector<std::string>{"dropdown", "click /tmp", "change /tmp"}));

    // Opening it from code raises nothing.
    Combo->SetDroppedDown(true);
    EXPECT_TRUE(Combo->DroppedDown());
    Combo->SetDroppedDown(false);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Log.size(), 3u);
}

TEST_F(ComboBoxTest, KeyboardChoicesRaiseClick)
{
    ShowForm();
    Combo->SetFocus();
    Combo->SetItemIndex(0);
    QTest::keyClick(Box(), Qt::Key_Down);
    EXPECT_EQ(Combo->ItemIndex(), 1);
    // Choosing in the open list with the keyboard.
    QTest::keyClick(Box(), Qt::Key_F4);
    ASSERT_TRUE(Combo->DroppedDown());
    QTest::keyClick(Box()->view(), Qt::Key_Down);
    QTest::keyClick(Box()->view(), Qt::Key_Return);
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(Log, (std::vector<std::string>{"click /tmp", "change /tmp", "dropdown", "click /usr",
                                             "change /usr"}));
}

TEST_F(ComboBoxTest, ExitWhenTheFocusGoesToAnotherControl)
{
    auto* Other = Make<TBitBtn>(Form.get(), "Other");
    Other->SetBounds(200, 9, 75, 25);
    int Exits = 0;
    Combo->OnExit = [&Exits](TObject*) { ++Exits; };
    ShowForm();
    Combo->SetFocus();
    Combo->SetDroppedDown(true);
    Combo->SetDroppedDown(false);
    EXPECT_EQ(Exits, 0);
    QTest::mouseClick(WidgetOf(Other), Qt::LeftButton);
    EXPECT_EQ(Exits, 1);
}

// Check boxes

TEST_F(ControlsTest, CheckBoxRaisesClickOnTheUsersToggleOnly)
{
    auto* Box = Make<TCheckBox>(Form.get(), "Box");
    Box->SetCaption("&Enable/Disable");
    Box->SetBounds(10, 10, 125, 17);
    std::vector<bool> Clicks;
    Box->OnClick = [&](TObject*) { Clicks.push_back(Box->Checked()); };
    Box->SetChecked(true);
    EXPECT_TRUE(Box->Checked());
    Box->SetChecked(false);
    EXPECT_TRUE(Clicks.empty());

    ShowForm();
    auto* Widget = WidgetOf<QCheckBox>(Box);
    QTest::mouseClick(Widget, Qt::LeftButton);
    QTest::keyClick(Widget, Qt::Key_Space);
    QTest::keyClick(WidgetOf(Form.get()), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(Clicks, (std::vector<bool>{true, false, true}));

    Box->SetEnabled(false);
    QTest::mouseClick(Widget, Qt::LeftButton);
    EXPECT_EQ(Clicks.size(), 3u);
}

} // namespace
