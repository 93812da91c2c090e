// Controls: docking, z-order, tab order and focus, fonts, scaling and the published properties.

#include "ControlsFixture.hpp"

#include "Buttons.hpp"
#include "ComCtrls.hpp"
#include "ExtCtrls.hpp"
#include "StdCtrls.hpp"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

#include <cstdlib>

namespace {

struct Bounds
{
    int Left, Top, Width, Height;
    bool operator==(const Bounds&) const = default;
};

Bounds BoundsOf(const TControl* C)
{
    return {C->Left(), C->Top(), C->Width(), C->Height()};
}

void PrintTo(const Bounds& B, std::ostream* Out)
{
    *Out << "(" << B.Left << ", " << B.Top << ", " << B.Width << ", " << B.Height << ")";
}

// Docking

struct DockChild
{
    TAlign Align;
    int Width;
    int Height;
    bool Visible;
    // Where docking puts the child; for children it leaves alone, where they were put.
    Bounds Expected;
};

struct DockCase
{
    const char* Name;
    TPanelBevel Outer;
    TPanelBevel Inner;
    int BevelWidth;
    std::vector<DockChild> Children;
};

// Children are created in the order listed, each first placed at 5, 6 with its own size; the
// parent panel is 200 by 100.
const DockCase DockCases[] = {
    {"strips by side, then the client",
     bvNone,
     bvNone,
     1,
     {{alClient, 10, 10, true, {30, 10, 130, 70}},
      {alLeft, 30, 10, true, {0, 10, 30, 70}},
      {alBottom, 10, 20, true, {0, 80, 200, 20}},
      {alTop, 10, 10, true, {0, 0, 200, 10}},
      {alRight, 40, 10, true, {160, 10, 40, 70}}}},
    {"a raised outer bevel keeps one pixel",
     bvRaised,
     bvNone,
     1,
     {{alTop, 10, 10, true, {1, 1, 198, 10}}, {alClient, 10, 10, true, {1, 11, 198, 88}}}},
    {"a lowered outer bevel too", bvLowered, bvNone, 1, {{alClient, 10, 10, true, {1, 1, 198, 98}}}},
    {"two bevels of width two keep four",
     bvRaised,
     bvLowered,
     2,
     {{alClient, 10, 10, true, {4, 4, 192, 92}}}},
    {"one side in creation order",
     bvNone,
     bvNone,
     1,
     {{alTop, 10, 10, true, {0, 0, 200, 10}},
      {alTop, 10, 15, true, {0, 10, 200, 15}},
      {alLeft, 20, 10, true, {0, 25, 20, 75}},
      {alLeft, 25, 10, true, {20, 25, 25, 75}}}},
    {"two client children overlap",
     bvNone,
     bvNone,
     1,
     {{alClient, 10, 10, true, {0, 20, 200, 80}},
      {alClient, 10, 10, true, {0, 20, 200, 80}},
      {alTop, 10, 20, true, {0, 0, 200, 20}}}},
    {"hidden children take no space",
     bvNone,
     bvNone,
     1,
     {{alTop, 10, 10, false, {5, 6, 10, 10}}, {alClient, 10, 10, true, {0, 0, 200, 100}}}},
    {"strips wider than the space leave the client empty",
     bvNone,
     bvNone,
     1,
     {{alLeft, 150, 10, true, {0, 0, 150, 100}},
      {alRight, 100, 10, true, {100, 0, 100, 100}},
      {alClient, 10, 10, true, {150, 0, 0, 100}}}},
    {"undocked children stay where they are",
     bvRaised,
     bvNone,
     1,
     {{alNone, 7, 8, true, {5, 6, 7, 8}}, {alTop, 10, 10, true, {1, 1, 198, 10}}}},
};

void PrintTo(const DockCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class DockingTest : public ControlsTest, public ::testing::WithParamInterface<DockCase>
{
};

TEST_P(DockingTest, PlacesChildren)
{
    const DockCase& Case = GetParam();
    auto* Parent = Make<TPanel>(Form.get(), "Parent");
    Parent->SetBevelOuter(Case.Outer);
    Parent->SetBevelInner(Case.Inner);
    Parent->SetBevelWidth(Case.BevelWidth);
    Parent->SetBounds(0, 0, 200, 100);
    std::vector<TPanel*> Children;
    for (const DockChild& Wanted : Case.Children) {
        auto* Child = Make<TPanel>(Parent);
        Child->SetBounds(5, 6, Wanted.Width, Wanted.Height);
        Child->SetVisible(Wanted.Visible);
        Child->SetAlign(Wanted.Align);
        Children.push_back(Child);
    }
    for (std::size_t I = 0; I < Children.size(); ++I) {
        EXPECT_EQ(BoundsOf(Children[I]), Case.Children[I].Expected) << "child " << I;
        // The widget is exactly where the control says.
        const QRect Geometry = WidgetOf(Children[I])->geometry();
        EXPECT_EQ((Bounds{Geometry.x(), Geometry.y(), Geometry.width(), Geometry.height()}),
                  Case.Children[I].Expected)
            << "widget of child " << I;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DockingTest, ::testing::ValuesIn(DockCases),
                         [](const ::testing::TestParamInfo<DockCase>& Info) {
                             std::string Name;
                             for (const char* C = Info.param.Name; *C; ++C)
                                 Name += std::isalnum(static_cast<unsigned char>(*C)) ? *C : '_';
                             return Name;
                         });

TEST_F(ControlsTest, DockingFollowsChangesOfParentAndChildren)
{
    auto* Parent = Make<TPanel>(Form.get());
    Parent->SetBevelOuter(bvNone);
    Parent->SetBounds(0, 0, 200, 100);
    auto* Top = Make<TPanel>(Parent);
    Top->SetHeight(10);
    Top->SetAlign(alTop);
    auto* Client = Make<TPanel>(Parent);
    Client->SetAlign(alClient);
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 10, 200, 90}));

    Parent->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(BoundsOf(Top), (Bounds{0, 0, 300, 10}));
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 10, 300, 140}));

    Top->SetHeight(30);
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 30, 300, 120}));
    // A strip keeps its own height but not its width.
    Top->SetWidth(50);
    EXPECT_EQ(BoundsOf(Top), (Bounds{0, 0, 300, 30}));

    Top->Hide();
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 0, 300, 150}));
    Top->Show();
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 30, 300, 120}));

    Top->SetAlign(alNone);
    EXPECT_EQ(BoundsOf(Top), (Bounds{0, 0, 300, 30}));
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 0, 300, 150}));

    // Docking inside docking: a client child of the client child follows it.
    auto* Inner = Make<TPanel>(Client);
    Inner->SetAlign(alClient);
    Parent->SetWidth(250);
    EXPECT_EQ(BoundsOf(Inner), (Bounds{1, 1, 248, 148}));

    // A child that leaves stops taking space.
    Top->SetAlign(alTop);
    Top->SetParent(nullptr);
    EXPECT_EQ(BoundsOf(Client), (Bounds{0, 0, 250, 150}));
    delete Top;
}

// The picker's arrangement: a button row on top, a row at the bottom, a column on the left with a
// file list under a panel holding the directory list and the drive box, the preview on the right.
struct DesignedLayout
{
    TPanel *Panel1, *Panel2, *Panel3, *Panel4, *BottomRow, *About;
    TListBox *FileList, *DirList;
    TComboBox* Drives;
    TImage* Preview;
    TLabel* Label;
};

DesignedLayout BuildLayout(TForm* Form)
{
    DesignedLayout L{};
    auto Panel = [Form](TWinControl* Parent, TAlign Align, Bounds B) {
        auto* P = new TPanel(Form);
        P->SetParent(Parent);
        P->SetBounds(B.Left, B.Top, B.Width, B.Height);
        P->SetAlign(Align);
        return P;
    };
    Form->SetClientWidth(643);
    Form->SetClientHeight(490);
    Form->Font()->SetHeight(-13);
    L.Panel1 = Panel(Form, alLeft, {0, 37, 157, 412});
    L.FileList = new TListBox(Form);
    L.FileList->SetParent(L.Panel1);
    L.FileList->SetBounds(1, 137, 155, 274);
    L.FileList->SetAlign(alClient);
    L.Panel4 = Panel(L.Panel1, alTop, {1, 1, 155, 136});
    L.Panel4->SetBevelOuter(bvNone);
    L.DirList = new TListBox(Form);
    L.DirList->SetParent(L.Panel4);
    L.DirList->SetBounds(0, 32, 155, 104);
    L.DirList->SetAlign(alBottom);
    L.Drives = new TComboBox(Form);
    L.Drives->SetParent(L.Panel4);
    L.Drives->SetBounds(4, 4, 145, 22);
    L.Panel2 = Panel(Form, alClient, {157, 37, 486, 412});
    L.Preview = new TImage(Form);
    L.Preview->SetParent(L.Panel2);
    L.Preview->SetAlign(alClient);
    L.About = Panel(L.Panel2, alNone, {28, 44, 273, 173});
    L.About->Font()->SetName("Arial");
    L.About->Font()->SetHeight(-13);
    L.Label = new TLabel(Form);
    L.Label->SetParent(L.About);
    L.Label->SetBounds(4, 20, 10, 10);
    L.Label->SetCaption("Tolvane");
    L.Panel3 = Panel(Form, alTop, {0, 0, 643, 37});
    L.BottomRow = Panel(Form, alBottom, {0, 449, 643, 41});
    return L;
}

TEST_F(ControlsTest, DesignedLayoutDocksAsDesignedAndFollowsTheWindow)
{
    const DesignedLayout L = BuildLayout(Form.get());
    EXPECT_EQ(Form->Width(), 651);
    EXPECT_EQ(Form->Height(), 522);
    EXPECT_EQ(BoundsOf(L.Panel1), (Bounds{0, 37, 157, 412}));
    EXPECT_EQ(BoundsOf(L.Panel2), (Bounds{157, 37, 486, 412}));
    EXPECT_EQ(BoundsOf(L.Panel3), (Bounds{0, 0, 643, 37}));
    EXPECT_EQ(BoundsOf(L.BottomRow), (Bounds{0, 449, 643, 41}));
    EXPECT_EQ(BoundsOf(L.Panel4), (Bounds{1, 1, 155, 136}));
    EXPECT_EQ(BoundsOf(L.FileList), (Bounds{1, 137, 155, 274}));
    EXPECT_EQ(BoundsOf(L.DirList), (Bounds{0, 32, 155, 104}));
    EXPECT_EQ(BoundsOf(L.Drives), (Bounds{4, 4, 145, 22}));
    EXPECT_EQ(BoundsOf(L.Preview), (Bounds{1, 1, 484, 410}));

    // The user resizes the window: its client area is what Qt resized, the frame stays constant.
    ShowForm();
    WidgetOf(Form.get())->resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(Form->ClientWidth(), 800);
    EXPECT_EQ(Form->Width(), 808);
    EXPECT_EQ(Form->Height(), 632);
    EXPECT_EQ(BoundsOf(L.Panel3), (Bounds{0, 0, 800, 37}));
    EXPECT_EQ(BoundsOf(L.BottomRow), (Bounds{0, 559, 800, 41}));
    EXPECT_EQ(BoundsOf(L.Panel1), (Bounds{0, 37, 157, 522}));
    EXPECT_EQ(BoundsOf(L.Panel2), (Bounds{157, 37, 643, 522}));
}

TEST_F(ControlsTest, ScalingFromDesignResolutionScalesEdgesAndFonts)
{
    const int ScreenPixels = Screen->PixelsPerInch();
    Screen->SetPixelsPerInch(96);
    const DesignedLayout L = BuildLayout(Form.get());
    Form->SetPixelsPerInch(120);
    Form->SetTextHeight(16);
    Form->ScaleToScreen();
    Screen->SetPixelsPerInch(ScreenPixels);

    EXPECT_EQ(Form->PixelsPerInch(), 96);
    EXPECT_EQ(Form->ClientWidth(), 514);
    EXPECT_EQ(Form->ClientHeight(), 392);
    EXPECT_EQ(Form->Width(), 522);
    EXPECT_EQ(Form->TextHeight(), 13);
    EXPECT_EQ(BoundsOf(L.Panel3), (Bounds{0, 0, 514, 30}));
    EXPECT_EQ(BoundsOf(L.BottomRow), (Bounds{0, 359, 514, 33}));
    EXPECT_EQ(BoundsOf(L.Panel1), (Bounds{0, 30, 126, 329}));
    EXPECT_EQ(BoundsOf(L.Panel2), (Bounds{126, 30, 388, 329}));
    // Undocked controls: edges scaled, so 28..301 becomes 22..241.
    EXPECT_EQ(BoundsOf(L.About), (Bounds{22, 35, 219, 139}));
    EXPECT_EQ(BoundsOf(L.Drives), (Bounds{3, 3, 116, 18}));
    EXPECT_EQ(Form->Font()->Height(), -10);
    EXPECT_EQ(L.About->Font()->Height(), -10);
    // Children with ParentFont follow their parent's scaled font.
    EXPECT_TRUE(L.Label->ParentFont());
    EXPECT_EQ(L.Label->Font()->Height(), -10);
    EXPECT_EQ(L.Label->Font()->Name(), "Arial");
    EXPECT_EQ(L.FileList->Font()->Height(), -10);
    EXPECT_EQ(L.FileList->ItemHeight(), 13);

    // At the screen's resolution nothing changes.
    Form->ScaleToScreen();
    EXPECT_EQ(Form->ClientWidth(), 514);
}

TEST_F(ControlsTest, ScaleByScalesAControlAndItsChildren)
{
    auto* Panel = Make<TPanel>(Form.get());
    Panel->SetBounds(10, 20, 100, 50);
    Panel->Font()->SetHeight(-13);
    auto* Child = Make<TPanel>(Panel);
    Child->SetBounds(5, 5, 20, 20);
    Panel->ScaleBy(96, 120);
    EXPECT_EQ(BoundsOf(Panel), (Bounds{8, 16, 80, 40}));
    EXPECT_EQ(BoundsOf(Child), (Bounds{4, 4, 16, 16}));
    EXPECT_EQ(Panel->Font()->Height(), -10);
    EXPECT_EQ(Child->Font()->Height(), -10);
}

// Z-order

TEST_F(ControlsTest, LaterSiblingsLieAboveUntilBroughtToFront)
{
    TPanel* Panels[3];
    for (TPanel*& P : Panels) {
        P = Make<TPanel>(Form.get());
        P->SetBounds(10, 10, 100, 100);
    }
    ShowForm();
    QWidget* Window = WidgetOf(Form.get());
    auto Top = [Window] { return TControlImpl::ControlOf(Window->childAt(50, 50)); };
    EXPECT_EQ(Top(), Panels[2]);
    Panels[0]->BringToFront();
    EXPECT_EQ(Top(), Panels[0]);
    Panels[0]->SendToBack();
    EXPECT_EQ(Top(), Panels[2]);
    Panels[2]->Hide();
    EXPECT_EQ(Top(), Panels[1]);
}

// Tab order

std::vector<std::string> TabNames(const TWinControl* Parent)
{
    std::vector<std::pair<int, std::string>> Ordered;
    for (int I = 0; I < Parent->ControlCount(); ++I)
        if (auto* W = dynamic_cast<TWinControl*>(Parent->Controls(I)))
            Ordered.emplace_back(W->TabOrder(), W->Name());
    std::sort(Ordered.begin(), Ordered.end());
    std::vector<std::string> Names;
    for (std::size_t I = 0; I < Ordered.size(); ++I) {
        EXPECT_EQ(Ordered[I].first, static_cast<int>(I)) << "tab orders are 0..n-1";
        Names.push_back(Ordered[I].second);
    }
    return Names;
}

struct TabOrderCase
{
    const char* Control;
    int TabOrder;
    std::vector<std::string> Expected;
};

TEST_F(ControlsTest, SettingTabOrderShiftsTheSiblings)
{
    const TabOrderCase Cases[] = {
        {"D", 0, {"D", "A", "B", "C"}},  {"A", 2, {"B", "C", "A", "D"}}, {"B", 99, {"A", "C", "D", "B"}},
        {"C", -5, {"C", "A", "B", "D"}}, {"B", 1, {"A", "B", "C", "D"}},
    };
    for (const TabOrderCase& Case : Cases) {
        auto* Parent = Make<TPanel>(Form.get());
        for (const char* Name : {"A", "B", "C", "D"})
            Make<TBitBtn>(Parent, Name);
        EXPECT_EQ(TabNames(Parent), (std::vector<std::string>{"A", "B", "C", "D"}));
        static_cast<TWinControl*>(Parent->Controls(Case.Control[0] - 'A'))->SetTabOrder(Case.TabOrder);
        EXPECT_EQ(TabNames(Parent), Case.Expected) << Case.Control << " to " << Case.TabOrder;
        delete Parent;
    }
}

TEST_F(ControlsTest, TabOrderSetBeforeTheParentAppliesWhenAdded)
{
    auto* Parent = Make<TPanel>(Form.get());
    Make<TBitBtn>(Parent, "A");
    Make<TBitBtn>(Parent, "B");
    auto* Late = new TBitBtn(Form.get());
    Late->SetName("Late");
    Late->SetTabOrder(0);
    EXPECT_EQ(Late->TabOrder(), 0);
    Late->SetParent(Parent);
    EXPECT_EQ(TabNames(Parent), (std::vector<std::string>{"Late", "A", "B"}));
}

// A form whose containers and controls stand in an order other than their tab order.
struct FocusLayout
{
    TPanel *Left, *Top;
    TListBox* List;
    TComboBox* Combo;
    TBitBtn *First, *Second;
    TCheckBox* Box;
};

FocusLayout BuildFocusLayout(TForm* Form)
{
    FocusLayout L{};
    auto Add = [Form]<class C>(C* Control, TWinControl* Parent, const char* Name, int X) {
        Control->SetName(Name);
        Control->SetParent(Parent);
        Control->SetBounds(X, 5, 60, 25);
        return Control;
    };
    L.Left = Add(new TPanel(Form), Form, "Left", 0);
    L.Left->SetBounds(0, 40, 200, 100);
    L.Top = Add(new TPanel(Form), Form, "Top", 0);
    L.Top->SetBounds(0, 0, 200, 40);
    L.Top->SetTabOrder(0);
    L.List = Add(new TListBox(Form), L.Left, "List", 5);
    L.Combo = Add(new TComboBox(Form), L.Left, "Combo", 80);
    L.Combo->SetStyle(csDropDownList);
    L.Second = Add(new TBitBtn(Form), L.Top, "Second", 80);
    L.First = Add(new TBitBtn(Form), L.Top, "First", 5);
    L.First->SetTabOrder(0);
    L.Box = Add(new TCheckBox(Form), Form, "Box", 210);
    return L;
}

std::string FocusedName()
{
    const TControl* C = TControlImpl::ControlOf(QApplication::focusWidget());
    return C != nullptr ? C->Name() : "(none)";
}

TEST_F(ControlsTest, TabKeyFollowsTabOrderThroughContainers)
{
    const FocusLayout L = BuildFocusLayout(Form.get());
    ShowForm();
    L.First->SetFocus();
    EXPECT_TRUE(L.First->Focused());
    std::vector<std::string> Visited{FocusedName()};
    for (int I = 0; I < 5; ++I) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Visited.push_back(FocusedName());
    }
    EXPECT_EQ(Visited, (std::vector<std::string>{"First", "Second", "List", "Combo", "Box", "First"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(FocusedName(), "Box");
}

TEST_F(ControlsTest, FocusMovesRaiseExitThenEnterForControlsAndContainers)
{
    const FocusLayout L = BuildFocusLayout(Form.get());
    std::vector<std::string> Log;
    for (TWinControl* C :
         std::initializer_list<TWinControl*>{L.Left, L.Top, L.List, L.Combo, L.First, L.Second}) {
        C->OnEnter = [&Log](TObject* S) { Log.push_back("enter " + static_cast<TComponent*>(S)->Name()); };
        C->OnExit = [&Log](TObject* S) { Log.push_back("exit " + static_cast<TComponent*>(S)->Name()); };
    }
    ShowForm();
    L.Second->SetFocus();
    Log.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Log, (std::vector<std::string>{"exit Second", "exit Top", "enter Left", "enter List"}));
    Log.clear();
    L.Combo->SetFocus();
    EXPECT_EQ(Log, (std::vector<std::string>{"exit List", "enter Combo"}));
    EXPECT_EQ(Form->ActiveControl(), L.Combo);

    // Focus cannot go to a control that is hidden or disabled, or on a hidden form.
    L.List->SetEnabled(false);
    EXPECT_FALSE(L.List->CanFocus());
    EXPECT_THROW(L.List->SetFocus(), EInvalidOperation);
    L.Left->Hide();
    EXPECT_FALSE(L.Combo->CanFocus());
}

// Fonts

TEST_F(ControlsTest, ChildrenFollowTheParentFontUntilTheyGetTheirOwn)
{
    auto* Parent = Make<TPanel>(Form.get());
    auto* Follower = Make<TPanel>(Parent);
    auto* Own = Make<TPanel>(Parent);
    Own->Font()->SetName("Arial");
    EXPECT_FALSE(Own->ParentFont());
    EXPECT_TRUE(Follower->ParentFont());

    Parent->Font()->SetHeight(-20);
    Parent->Font()->SetStyle({fsBold});
    EXPECT_EQ(Follower->Font()->Height(), -20);
    EXPECT_TRUE(Follower->Font()->Style().Contains(fsBold));
    EXPECT_EQ(Own->Font()->Height(), -11);
    EXPECT_EQ(WidgetOf(Follower)->font().pixelSize(), 20);
    EXPECT_TRUE(WidgetOf(Follower)->font().bold());

    Own->SetParentFont(true);
    EXPECT_EQ(Own->Font()->Height(), -20);
    EXPECT_EQ(Own->Font()->Name(), Parent->Font()->Name());
}

TEST_F(ControlsTest, FontsMapToInstalledFamiliesAndHeights)
{
    TFont Font;
    Font.SetName("MS Sans Serif");
    Font.SetHeight(-13);
    Font.SetColor(clRed);
    const QFont Mapped = ToQFont(Font);
    EXPECT_EQ(Mapped.pixelSize(), 13);
    // Not installed here: a metric-compatible family stands in.
    const QString Family = QFontInfo(Mapped).family();
    EXPECT_TRUE(Family == "Liberation Sans" || Family == "DejaVu Sans") << Family.toStdString();
    Font.SetName("Arial");
    EXPECT_EQ(QFontInfo(ToQFont(Font)).family(), "Liberation Sans");

    // A positive height is the cell height, internal leading included.
    Font.SetHeight(20);
    EXPECT_NEAR(QFontMetrics(ToQFont(Font)).height(), 20, 1);

    auto* Label = Make<TLabel>(Form.get());
    Label->SetFont(&Font);
    EXPECT_FALSE(Label->ParentFont());
    EXPECT_EQ(WidgetOf(Label)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(ControlsTest, LabelSizesToItsText)
{
    auto* Label = Make<TLabel>(Form.get());
    Label->SetBounds(4, 20, 10, 10);
    Label->SetCaption("&Save the file");
    const QFontMetrics Metrics(ToQFont(*Label->Font()));
    EXPECT_EQ(Label->Width(), Metrics.horizontalAdvance("Save the file"));
    EXPECT_EQ(Label->Height(), Metrics.height());
    EXPECT_EQ(Label->Left(), 4);
    EXPECT_EQ(WidgetOf<QLabel>(Label)->text(), "Save the file");

    Label->Font()->SetHeight(-30);
    EXPECT_EQ(Label->Height(), QFontMetrics(ToQFont(*Label->Font())).height());

    Label->SetAutoSize(false);
    Label->SetWidth(5);
    Label->SetCaption("A much longer caption than before");
    EXPECT_EQ(Label->Width(), 5);
}

TEST_F(ControlsTest, ParentingRules)
{
    auto* Outer = Make<TPanel>(Form.get());
    auto* Inner = Make<TPanel>(Outer);
    EXPECT_THROW(Outer->SetParent(Inner), EInvalidOperation);
    EXPECT_THROW(Outer->SetParent(Outer), EInvalidOperation);
    TImageList NotAControl(nullptr);
    EXPECT_THROW(Inner->SetParentComponent(&NotAControl), EInvalidOperation);
    Inner->SetParentComponent(Form.get());
    EXPECT_EQ(Inner->Parent(), Form.get());
    EXPECT_EQ(WidgetOf(Inner)->parentWidget(), WidgetOf(Form.get()));
    EXPECT_EQ(Outer->ControlCount(), 0);

    // Destroying a container destroys its children and leaves the parent's list.
    auto* Child = Make<TLabel>(Inner);
    const int Owned = Form->ComponentCount();
    delete Inner;
    EXPECT_EQ(Form->ComponentCount(), Owned - 2);
    (void)Child;
    EXPECT_THROW(Form->Controls(5), EListError);
}

// Published properties, as form data and the property grid find them.

struct PublishedCase
{
    const char* Class;
    std::vector<const char*> Properties;
};

TEST(Published, ClassesAreRegisteredWithTheirProperties)
{
    const std::vector<const char*> Control = {"Left",    "Top",     "Width",   "Height",     "Align",
                                              "Visible", "Enabled", "Font",    "ParentFont", "Color",
                                              "Cursor",  "Hint",    "OnClick", "OnDblClick"};
    const std::vector<const char*> Windowed = {"TabOrder", "TabStop", "OnEnter", "OnExit"};
    const PublishedCase Cases[] = {
        {"TPanel", {"Caption", "BevelOuter", "BevelInner", "BevelWidth"}},
        {"TImage", {"Picture", "Stretch"}},
        {"TLabel", {"Caption", "AutoSize", "Transparent"}},
        {"TCheckBox", {"Caption", "Checked"}},
        {"TComboBox", {"Style", "ItemHeight", "Items", "Text", "OnChange", "OnDropDown"}},
        {"TListBox", {"ItemHeight", "Items"}},
        {"TBitBtn", {"Caption", "Kind", "Glyph", "ModalResult", "Default", "Cancel"}},
        {"TListView", {"LargeImages", "SmallImages", "StateImages", "ViewStyle", "ReadOnly"}},
        {"TForm",
         {"Caption", "Position", "PixelsPerInch", "TextHeight", "ClientWidth", "ClientHeight", "OnCreate",
          "OnClose", "OnShow", "ActiveControl"}},
    };
    for (const PublishedCase& Case : Cases) {
        const TTypeInfo* Class = FindClass(Case.Class);
        ASSERT_NE(Class, nullptr) << Case.Class;
        ASSERT_TRUE(Class->Create) << Case.Class;
        std::vector<const char*> Expected = Case.Properties;
        Expected.insert(Expected.end(), Control.begin(), Control.end());
        if (std::string(Case.Class) != "TImage" && std::string(Case.Class) != "TLabel")
            Expected.insert(Expected.end(), Windowed.begin(), Windowed.end());
        for (const char* Name : Expected)
            EXPECT_NE(GetPropInfo(Class, Name), nullptr) << Case.Class << "." << Name;
        std::unique_ptr<TComponent> Made(Class->Create(nullptr));
        EXPECT_EQ(Made->ClassName(), Case.Class);
    }
    const TTypeInfo* Images = FindClass("TImageList");
    ASSERT_NE(Images, nullptr);
    EXPECT_NE(GetPropInfo(Images, "Width"), nullptr);
    EXPECT_NE(GetPropInfo(Images, "Height"), nullptr);
    EXPECT_EQ(GetEnumValue(AlignTypeInfo(), "alClient"), alClient);
    EXPECT_EQ(GetEnumValue(BitBtnKindTypeInfo(), "bkCancel"), bkCancel);
    EXPECT_EQ(GetEnumValue(ComboBoxStyleTypeInfo(), "csDropDownList"), csDropDownList);
    EXPECT_EQ(GetEnumValue(PanelBevelTypeInfo(), "bvNone"), bvNone);
    EXPECT_EQ(GetEnumValue(PositionTypeInfo(), "poScreenCenter"), poScreenCenter);
    EXPECT_EQ(GetEnumValue(ViewStyleTypeInfo(), "vsIcon"), vsIcon);
    const auto& Cursors = CursorTypeInfo()->Idents;
    EXPECT_NE(
        std::find(Cursors.begin(), Cursors.end(), std::pair<std::string, std::int64_t>{"crHourGlass", -11}),
        Cursors.end());
}

TEST(Published, PropertiesWriteThroughTypeInformation)
{
    std::unique_ptr<TComponent> Made(FindClass("TBitBtn")->Create(nullptr));
    auto* Button = static_cast<TBitBtn*>(Made.get());
    const TTypeInfo* Class = Button->ClassInfo();
    SetOrdProp(Button, GetPropInfo(Class, "Kind"), bkCancel);
    SetStrProp(Button, GetPropInfo(Class, "Caption"), "&Cancel");
    SetOrdProp(Button, GetPropInfo(Class, "Width"), 80);
    EXPECT_EQ(Button->Kind(), bkCancel);
    EXPECT_EQ(Button->ModalResult(), mrCancel);
    EXPECT_TRUE(Button->Cancel());
    EXPECT_EQ(Button->Caption(), "&Cancel");
    EXPECT_EQ(Button->Width(), 80);
    // Sub-properties: the font is reached through its property and written in place.
    auto* Font = static_cast<TFont*>(GetOrdProp(Button, GetPropInfo(Class, "Font")).Object);
    SetOrdProp(Font, GetPropInfo(Font->ClassInfo(), "Height"), -13);
    EXPECT_EQ(Button->Font()->Height(), -13);
    EXPECT_FALSE(Button->ParentFont());
}

} // namespace
