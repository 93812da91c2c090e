#include "DialogFixture.hpp"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QScreen>

#include <cmath>

namespace {

struct Bounds
{
    const char* Name;
    const char* Parent;
    int Left, Top, Width, Height;
};

// The designed arrangement, at 120 pixels per inch.
const Bounds Designed[] = {
    {"Panel1", "frmTolvane", 0, 37, 157, 412},  {"cbxFile", "Panel1", 1, 137, 155, 274},
    {"Panel4", "Panel1", 1, 1, 155, 136},       {"cbxDir", "Panel4", 0, 32, 155, 104},
    {"cbxDrive", "Panel4", 4, 4, 145, 22},      {"Panel2", "frmTolvane", 157, 37, 486, 412},
    {"imgView", "Panel2", 1, 1, 484, 410},      {"pnlAbout", "Panel2", 28, 44, 273, 173},
    {"lsvImages", "Panel2", 1, 1, 484, 410},    {"Panel3", "frmTolvane", 0, 0, 643, 37},
    {"btnOK", "Panel3", 4, 4, 75, 29},          {"btnCancel", "Panel3", 84, 4, 75, 29},
    {"btnClear", "Panel3", 164, 4, 75, 29},     {"btnView", "Panel3", 324, 4, 75, 29},
    {"btnSave", "Panel3", 244, 4, 75, 29},      {"pnlBottom", "frmTolvane", 0, 449, 643, 41},
    {"cbxHistory", "pnlBottom", 8, 9, 145, 24}, {"btnTest", "pnlBottom", 164, 8, 75, 25},
    {"btnAbout", "pnlBottom", 372, 8, 75, 25},  {"chbEnableDisable", "pnlBottom", 244, 8, 125, 17},
};

class Layout : public DialogTest
{
protected:
    // The dialog as it is created on a screen of Ppi pixels per inch, shown modeless.
    std::unique_ptr<TfrmTolvane> MakeDialog(int Ppi)
    {
        Screen->SetPixelsPerInch(Ppi);
        auto F = std::make_unique<TfrmTolvane>(Application);
        F->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(F.get())));
        return F;
    }
    void TearDown() override
    {
        Screen->SetPixelsPerInch(120);
        DialogTest::TearDown();
    }
    static TControl* Control(TfrmTolvane& F, const char* Name)
    {
        auto* C = dynamic_cast<TControl*>(F.FindComponent(Name));
        EXPECT_NE(C, nullptr) << Name;
        return C;
    }
};

TEST_F(Layout, EveryControlStandsWhereItWasDesignedAt120Ppi)
{
    auto F = MakeDialog(120);
    EXPECT_EQ(F->Caption(), "Tolvane V0.93 Beta");
    EXPECT_EQ(F->Width(), 651);
    EXPECT_EQ(F->Height(), 522);
    EXPECT_EQ(F->ClientWidth(), 643);
    EXPECT_EQ(F->ClientHeight(), 490);
    for (const Bounds& B : Designed) {
        TControl* C = Control(*F, B.Name);
        ASSERT_NE(C, nullptr);
        ASSERT_NE(C->Parent(), nullptr) << B.Name;
        EXPECT_EQ(C->Parent()->Name(), B.Parent) << B.Name;
        EXPECT_EQ((std::vector<int>{C->Left(), C->Top(), C->Width(), C->Height()}),
                  (std::vector<int>{B.Left, B.Top, B.Width, B.Height}))
            << B.Name;
        // The widget is where the control says it is (hidden controls are placed when shown).
        if (!C->Visible())
            continue;
        const QRect R = WidgetOf(C)->geometry();
        EXPECT_EQ((std::vector<int>{R.x(), R.y(), R.width(), R.height()}),
                  (std::vector<int>{C->Left(), C->Top(), C->Width(), C->Height()}))
            << B.Name;
    }
}

TEST_F(Layout, DesignedStatesCaptionsAndFonts)
{
    auto F = MakeDialog(120);
    EXPECT_FALSE(F->btnOK->Enabled());
    EXPECT_FALSE(F->btnSave->Enabled());
    EXPECT_TRUE(F->btnTest->Enabled());
    EXPECT_TRUE(F->btnTest->Glyph()->Empty());
    EXPECT_FALSE(F->chbEnableDisable->Checked());
    EXPECT_FALSE(F->pnlAbout->Visible());
    EXPECT_FALSE(F->lsvImages->Visible());
    EXPECT_TRUE(F->cbxFile->Visible());
    EXPECT_FALSE(F->imgView->Stretch());
    EXPECT_EQ(F->btnOK->Kind(), bkOK);
    EXPECT_EQ(F->btnCancel->Kind(), bkCancel);
    EXPECT_FALSE(F->btnOK->Glyph()->Empty());
    EXPECT_FALSE(F->btnCancel->Glyph()->Empty());
    for (TBitBtn* Plain : {F->btnClear, F->btnView, F->btnSave, F->btnAbout})
        EXPECT_TRUE(Plain->Glyph()->Empty()) << Plain->Name();
    const std::pair<TControl*, const char*> Captions[] = {
        {F->btnOK, "&OK"},       {F->btnCancel, "&Cancel"},
        {F->btnClear, "C&lear"}, {F->btnView, "View All"},
        {F->btnSave, "&Save"},   {F->btnTest, "&Test"},
        {F->btnAbout, "&About"}, {F->chbEnableDisable, "Enable/Disable"},
        {F->Label1, "Tolvane"},
    };
    for (const auto& [C, Text] : Captions)
        EXPECT_EQ(GetStrProp(C, GetPropInfo(C->ClassInfo(), "Caption")), Text) << C->Name();
    EXPECT_EQ(F->cbxHistory->Style(), csDropDownList);
    EXPECT_EQ(F->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(F->Font()->Height(), -13);
    EXPECT_EQ(F->pnlAbout->Font()->Name(), "Arial");
    EXPECT_EQ(F->Label5->Font()->Name(), "Arial");
    EXPECT_EQ(F->lsvImages->Font()->Height(), -10);
    EXPECT_EQ(F->lsvImages->Font()->Color(), clBlack);
    // The fonts asked for by name resolve to installed ones of the asked size.
    EXPECT_GT(QFontInfo(WidgetOf(F->btnOK)->font()).pixelSize(), 0);
    const std::pair<TLabel*, int> LabelTops[] = {{F->Label1, 4},   {F->Label2, 20}, {F->Label5, 40},
                                                 {F->Label3, 56},  {F->Label4, 72}, {F->Label7, 88},
                                                 {F->Label6, 120}, {F->Label8, 136}};
    for (const auto& [L, Top] : LabelTops) {
        EXPECT_EQ(L->Left(), 4) << L->Name();
        EXPECT_EQ(L->Top(), Top) << L->Name();
        EXPECT_FALSE(L->Caption().empty()) << L->Name();
    }
}

TEST_F(Layout, ResizingKeepsTheRowsFullWidthAndTheLeftColumnItsWidth)
{
    auto F = MakeDialog(120);
    F->lsvImages->Show();
    for (const auto& [W, H] : {std::pair{800, 600}, std::pair{500, 400}}) {
        F->SetClientWidth(W);
        F->SetClientHeight(H);
        const Bounds Expected[] = {
            {"Panel3", "", 0, 0, W, 37},
            {"pnlBottom", "", 0, H - 41, W, 41},
            {"Panel1", "", 0, 37, 157, H - 78},
            {"Panel2", "", 157, 37, W - 157, H - 78},
            {"imgView", "", 1, 1, W - 159, H - 80},
            {"lsvImages", "", 1, 1, W - 159, H - 80},
            {"cbxFile", "", 1, 137, 155, H - 78 - 138},
            {"Panel4", "", 1, 1, 155, 136},
        };
        for (const Bounds& B : Expected) {
            TControl* C = Control(*F, B.Name);
            EXPECT_EQ((std::vector<int>{C->Left(), C->Top(), C->Width(), C->Height()}),
                      (std::vector<int>{B.Left, B.Top, B.Width, B.Height}))
                << B.Name << " at " << W << "x" << H;
        }
    }
}

TEST_F(Layout, ScaledFromTheDesignResolution)
{
    auto F = MakeDialog(96);
    auto Scaled = [](int V) { return static_cast<int>(std::lround(V * 96.0 / 120.0)); };
    EXPECT_EQ(F->PixelsPerInch(), 96);
    EXPECT_EQ(F->ClientWidth(), Scaled(643));
    EXPECT_EQ(F->ClientHeight(), Scaled(490));
    for (const char* Name : {"btnOK", "btnView", "cbxHistory", "btnAbout", "cbxDrive"}) {
        const Bounds& B = *std::find_if(std::begin(Designed), std::end(Designed),
                                        [&](const Bounds& D) { return std::string(D.Name) == Name; });
        TControl* C = Control(*F, Name);
        EXPECT_EQ(C->Left(), Scaled(B.Left)) << Name;
        EXPECT_EQ(C->Top(), Scaled(B.Top)) << Name;
        EXPECT_NEAR(C->Width(), Scaled(B.Width), 1) << Name;
        EXPECT_NEAR(C->Height(), Scaled(B.Height), 1) << Name;
    }
    // Docked controls still tile the form.
    EXPECT_EQ(F->Panel2->Left(), F->Panel1->Width());
    EXPECT_EQ(F->Panel2->Width(), F->ClientWidth() - F->Panel1->Width());
    EXPECT_EQ(F->pnlBottom->Top() + F->pnlBottom->Height(), F->ClientHeight());
    EXPECT_EQ(F->Font()->Height(), -Scaled(13));
    EXPECT_EQ(F->lsvImages->Font()->Height(), -Scaled(10));
}

TEST_F(Layout, TabOrderFollowsTheDesignNotThePlace)
{
    auto F = MakeDialog(120);
    struct Chain
    {
        std::vector<TWinControl*> Controls;
        std::vector<int> TabOrders;
    };
    const Chain Chains[] = {
        {{F->btnOK, F->btnCancel, F->btnClear, F->btnView, F->btnSave}, {0, 1, 2, 3, 4}},
        {{F->cbxHistory, F->btnTest, F->btnAbout, F->chbEnableDisable}, {0, 1, 2, 3}},
        // The file list is first in the left column; the other two sit in Panel4, second.
        {{F->cbxFile, F->cbxDir, F->cbxDrive}, {0, 0, 1}},
        {{F->Panel1, F->Panel2, F->Panel3, F->pnlBottom}, {0, 1, 2, 3}},
    };
    for (const auto& [Controls, TabOrders] : Chains) {
        const std::vector<TWinControl*>& Chain = Controls;
        for (std::size_t I = 0; I < Chain.size(); ++I)
            EXPECT_EQ(Chain[I]->TabOrder(), TabOrders[I]) << Chain[I]->Name();
        // The widgets' focus chain visits them in that order.
        std::vector<QWidget*> Widgets;
        for (TWinControl* C : Chain)
            Widgets.push_back(WidgetOf(C));
        std::vector<QWidget*> Visited;
        QWidget* W = WidgetOf(F.get());
        for (int Guard = 0; Guard < 500 && Visited.size() < Widgets.size(); ++Guard) {
            W = W->nextInFocusChain();
            if (std::find(Widgets.begin(), Widgets.end(), W) != Widgets.end() &&
                std::find(Visited.begin(), Visited.end(), W) == Visited.end())
                Visited.push_back(W);
        }
        EXPECT_EQ(Visited, Widgets) << Chain.front()->Name();
    }
}

TEST_F(Layout, ThePreviewLiesLowestAndTheThumbnailViewOnTop)
{
    auto F = MakeDialog(120);
    const QObjectList& Stack = WidgetOf(F->Panel2)->children();
    const auto Place = [&](TControl* C) { return Stack.indexOf(WidgetOf(C)); };
    EXPECT_LT(Place(F->imgView), Place(F->pnlAbout));
    EXPECT_LT(Place(F->pnlAbout), Place(F->lsvImages));
}

TEST_F(Layout, OpensCentredAtItsDesignedSize)
{
    // The settings hold other bounds; the dialog ignores them.
    {
        TRegIniFile Ini("\\Software\\Orvanda\\Components\\Tolvane");
        for (const char* Ident : {"Left", "Top", "Width", "Height"})
            Ini.WriteInteger("Window Position", Ident, 10);
    }
    auto F = MakeDialog(120);
    EXPECT_EQ(F->Width(), 651);
    EXPECT_EQ(F->Height(), 522);
    EXPECT_LE(std::abs(2 * F->Left() + F->Width() - Screen->Width()), 2);
    EXPECT_LE(std::abs(2 * F->Top() + F->Height() - Screen->Height()), 2);
    // The window's client area lies inside that frame.
    const QRect Client = WidgetOf(F.get())->geometry();
    EXPECT_EQ(Client.x(), F->Left() + FormBorderWidth);
    EXPECT_EQ(Client.y(), F->Top() + FormCaptionHeight);
}

TEST_F(Layout, RenderedWhereTheRectanglesAre)
{
    auto F = MakeDialog(120);
    QTest::qWait(50);
    const QImage Shot = WidgetOf(F.get())->grab().toImage();
    QDir().mkpath(TOLVANE_ARTIFACT_DIR);
    Shot.save(QString(TOLVANE_ARTIFACT_DIR) + "/dialog-120ppi.png");
    ASSERT_EQ(Shot.width(), 643);
    ASSERT_EQ(Shot.height(), 490);
    // A control's colour inside its rectangle, in client coordinates of the form.
    auto At = [&](TControl* C, int X, int Y) {
        const QPoint P = WidgetOf(C)->mapTo(WidgetOf(F.get()), QPoint(X, Y));
        return Shot.pixelColor(P);
    };
    const QColor Face = At(F->pnlBottom, 600, 20);
    const QColor ListBase = At(F->cbxFile, 100, 260);
    EXPECT_NE(Face, ListBase);
    // The raised bevels: light on the top-left edge, dark on the bottom-right edge.
    for (TPanel* P : {F->Panel1, F->Panel2, F->Panel3, F->pnlBottom}) {
        EXPECT_GT(At(P, 0, 5).lightness(), Face.lightness()) << P->Name();
        EXPECT_LT(At(P, P->Width() - 1, 5).lightness(), Face.lightness()) << P->Name();
    }
    // Buttons draw their captions: some pixels inside differ from the face.
    for (TBitBtn* B : {F->btnOK, F->btnCancel, F->btnView, F->btnAbout}) {
        int Differing = 0;
        for (int X = 4; X < B->Width() - 4; ++X)
            Differing += At(B, X, B->Height() / 2) != At(B, 2, B->Height() / 2);
        EXPECT_GT(Differing, 3) << B->Name();
    }
    EXPECT_EQ(At(F->cbxFile, 150, 200), ListBase);
}

} // namespace
