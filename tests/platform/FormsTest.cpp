// Forms and buttons: the modal loop and every way it ends, the dispatch of errors, destruction,
// bitmap buttons and their glyphs, message boxes and the screen.

#include "ControlsFixture.hpp"

#include "Buttons.hpp"
#include "Dialogs.hpp"
#include "StdCtrls.hpp"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <functional>

namespace {

// A dialog like the picker's: OK (default, disabled until wanted), Cancel, a custom button with a
// modal result, and a list box holding the focus.
class ModalTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Ok = Button("btnOK", "&OK", 4);
        Ok->SetKind(bkOK);
        Cancel = Button("btnCancel", "&Cancel", 84);
        Cancel->SetKind(bkCancel);
        Custom = Button("btnCustom", "C&ustom", 164);
        Custom->SetModalResult(mrYes);
        List = Make<TListBox>(Form.get(), "List");
        List->SetBounds(4, 40, 100, 100);
        List->Items()->Add("entry");
        Form->SetActiveControl(List);
        Form->OnClose = [this](TObject* Sender, TCloseAction&) {
            EXPECT_EQ(Sender, Form.get());
            Log.push_back("close " + std::to_string(Form->ModalResult()));
        };
    }

public:
    TBitBtn* Button(const char* Name, const char* Caption, int Left)
    {
        auto* B = Make<TBitBtn>(Form.get(), Name);
        B->SetCaption(Caption);
        B->SetBounds(Left, 4, 75, 29);
        B->OnClick = [this, Name](TObject*) { Log.push_back(std::string("click ") + Name); };
        return B;
    }

    QWidget* Focus() const { return QApplication::focusWidget(); }

    TBitBtn* Ok = nullptr;
    TBitBtn* Cancel = nullptr;
    TBitBtn* Custom = nullptr;
    TListBox* List = nullptr;
    std::vector<std::string> Log;
};

struct EndingCase
{
    const char* Name;
    std::function<void(ModalTest&)> Act;
    int Result;
    std::vector<std::string> Log;
};

void PrintTo(const EndingCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class ModalEndingTest : public ModalTest, public ::testing::WithParamInterface<EndingCase>
{
};

TEST_P(ModalEndingTest, EndsTheLoopAndRaisesClose)
{
    const EndingCase& Case = GetParam();
    const int Result = RunModal(Form.get(), [this, &Case] {
        EXPECT_TRUE(List->Focused());
        Case.Act(*this);
    });
    EXPECT_EQ(Result, Case.Result);
    EXPECT_EQ(Form->ModalResult(), Case.Result);
    EXPECT_EQ(Log, Case.Log);
    EXPECT_FALSE(WidgetOf(Form.get())->isVisible());
    EXPECT_FALSE(Form->Visible());
    EXPECT_TRUE(Errors.empty());
}

const EndingCase EndingCases[] = {
    {"OkClicked",
     [](ModalTest& T) { QTest::mouseClick(WidgetOf(T.Ok), Qt::LeftButton); },
     mrOk,
     {"click btnOK", "close 1"}},
    {"ButtonWithModalResult",
     [](ModalTest& T) { QTest::mouseClick(WidgetOf(T.Custom), Qt::LeftButton); },
     mrYes,
     {"click btnCustom", "close 6"}},
    {"ClickFromCode", [](ModalTest& T) { T.Ok->Click(); }, mrOk, {"click btnOK", "close 1"}},
    {"Close", [](ModalTest& T) { T.Form->Close(); }, mrCancel, {"close 2"}},
    {"EscPressesCancel",
     [](ModalTest& T) { QTest::keyClick(T.Focus(), Qt::Key_Escape); },
     mrCancel,
     {"click btnCancel", "close 2"}},
    {"EnterPressesDefault",
     [](ModalTest& T) { QTest::keyClick(T.Focus(), Qt::Key_Return); },
     mrOk,
     {"click btnOK", "close 1"}},
    {"EnterOnAFocusedButtonPressesIt",
     [](ModalTest& T) {
         T.Custom->SetFocus();
         QTest::keyClick(T.Focus(), Qt::Key_Return);
     },
     mrYes,
     {"click btnCustom", "close 6"}},
    {"Accelerator",
     [](ModalTest& T) { QTest::keyClick(T.Focus(), Qt::Key_C, Qt::AltModifier); },
     mrCancel,
     {"click btnCancel", "close 2"}},
    {"CloseBox", [](ModalTest& T) { WidgetOf(T.Form.get())->close(); }, mrCancel, {"close 2"}},
};

INSTANTIATE_TEST_SUITE_P(Ways, ModalEndingTest, ::testing::ValuesIn(EndingCases),
                         [](const ::testing::TestParamInfo<EndingCase>& Info) { return Info.param.Name; });

TEST_F(ModalTest, DisabledDefaultButtonAndMissingCancelButtonTakeNoKeys)
{
    Ok->SetEnabled(false);
    Cancel->SetCancel(false);
    const int Result = RunModal(Form.get(), [this] {
        QTest::keyClick(Focus(), Qt::Key_Return);
        QTest::keyClick(Focus(), Qt::Key_Escape);
        QTest::keyClick(Focus(), Qt::Key_O, Qt::AltModifier);
        EXPECT_EQ(Form->ModalResult(), mrNone);
        EXPECT_TRUE(WidgetOf(Form.get())->isVisible());
        Form->Close();
    });
    EXPECT_EQ(Result, mrCancel);
    EXPECT_EQ(Log, (std::vector<std::string>{"close 2"}));
}

TEST_F(ModalTest, AnErrorInAHandlerIsReportedAndTheFormStaysOpen)
{
    Ok->OnClick = [](TObject*) { throw EFOpenError("Cannot open file \"x.bmp\""); };
    const int Result = RunModal(Form.get(), [this] {
        QTest::mouseClick(WidgetOf(Ok), Qt::LeftButton);
        EXPECT_EQ(Errors, (std::vector<std::string>{"Cannot open file \"x.bmp\""}));
        EXPECT_EQ(ErrorSenders, (std::vector<TObject*>{Ok}));
        EXPECT_EQ(Form->ModalResult(), mrNone);
        QTimer::singleShot(0, [this] {
            EXPECT_TRUE(WidgetOf(Form.get())->isVisible());
            QTest::keyClick(Focus(), Qt::Key_Escape);
        });
    });
    EXPECT_EQ(Result, mrCancel);
    EXPECT_EQ(Log, (std::vector<std::string>{"click btnCancel", "close 2"}));
}

TEST_F(ModalTest, CloseHandlerCanKeepTheFormOpen)
{
    int Attempts = 0;
    Form->OnClose = [&](TObject*, TCloseAction& Action) {
        ++Attempts;
        EXPECT_EQ(Action, caHide);
        if (Attempts == 1)
            Action = caNone;
        if (Attempts == 2)
            throw Exception("cannot save the settings");
    };
    const int Result = RunModal(Form.get(), [this, &Attempts] {
        Form->Close();
        QTimer::singleShot(0, [this, &Attempts] {
            EXPECT_EQ(Attempts, 1);
            EXPECT_EQ(Form->ModalResult(), mrNone);
            Form->Close();
            QTimer::singleShot(0, [this] { Ok->Click(); });
        });
    });
    EXPECT_EQ(Attempts, 3);
    EXPECT_EQ(Result, mrOk);
    EXPECT_EQ(Errors, (std::vector<std::string>{"cannot save the settings"}));
}

TEST_F(ModalTest, ShowsCentredAndRaisesShowFirst)
{
    Form->SetPosition(poScreenCenter);
    Form->SetBounds(3, 5, 651, 522);
    Form->OnShow = [this](TObject*) { Log.push_back("show"); };
    RunModal(Form.get(), [this] {
        EXPECT_EQ(Form->Left(), (Screen->Width() - 651) / 2);
        EXPECT_EQ(Form->Top(), (Screen->Height() - 522) / 2);
        EXPECT_EQ(WidgetOf(Form.get())->size(), QSize(643, 490));
        EXPECT_TRUE(Form->Modal());
        EXPECT_THROW(Form->ShowModal(), EInvalidOperation);
        Form->SetModalResult(mrOk);
    });
    EXPECT_EQ(Log, (std::vector<std::string>{"show", "close 1"}));
    EXPECT_FALSE(Form->Modal());
}

TEST_F(ControlsTest, ShowingAVisibleFormModallyFails)
{
    ShowForm();
    EXPECT_THROW(Form->ShowModal(), EInvalidOperation);
    Form->Close();
    EXPECT_FALSE(Form->Visible());
}

TEST_F(ControlsTest, ErrorsOfUserActionsGoToTheApplication)
{
    auto* Button = Make<TBitBtn>(Form.get(), "Thrower");
    Button->OnClick = [](TObject*) { throw std::runtime_error("not a platform error"); };
    ShowForm();
    QTest::mouseClick(WidgetOf(Button), Qt::LeftButton);
    EXPECT_EQ(Errors, (std::vector<std::string>{"not a platform error"}));
    EXPECT_EQ(ErrorSenders, (std::vector<TObject*>{Button}));

    // Without OnException the error is shown in a real box; automation answers it.
    Application->OnException = nullptr;
    std::vector<std::string> Shown;
    Application->OnMessageShown = [&Shown](const TMessageBox& Box) {
        EXPECT_NE(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()), nullptr);
        Shown.push_back(Box.Text);
        return Box.DefaultResult;
    };
    QTest::mouseClick(WidgetOf(Button), Qt::LeftButton);
    EXPECT_EQ(Shown, (std::vector<std::string>{"not a platform error"}));
}

// Bitmap buttons

struct KindCase
{
    TBitBtnKind Kind;
    TModalResult Result;
    bool Default;
    bool Cancel;
    const char* Caption;
    bool Glyph;
};

TEST_F(ControlsTest, KindsGiveResultRoleCaptionAndGlyph)
{
    const KindCase Cases[] = {
        {bkOK, mrOk, true, false, "OK", true},
        {bkCancel, mrCancel, false, true, "Cancel", true},
        {bkYes, mrYes, true, false, "&Yes", true},
        {bkNo, mrNo, false, true, "&No", true},
        {bkRetry, mrRetry, false, false, "&Retry", false},
        {bkCustom, mrNone, false, false, "", false},
    };
    for (const KindCase& Case : Cases) {
        auto* Button = Make<TBitBtn>(Form.get());
        Button->SetKind(Case.Kind);
        EXPECT_EQ(Button->Kind(), Case.Kind);
        EXPECT_EQ(Button->ModalResult(), Case.Result) << Case.Caption;
        EXPECT_EQ(Button->Default(), Case.Default) << Case.Caption;
        EXPECT_EQ(Button->Cancel(), Case.Cancel) << Case.Caption;
        EXPECT_EQ(Button->Caption(), Case.Caption);
        EXPECT_EQ(!Button->Glyph()->Empty(), Case.Glyph) << Case.Caption;
        EXPECT_EQ(!WidgetOf<QPushButton>(Button)->icon().isNull(), Case.Glyph) << Case.Caption;
    }
    // A caption set first stays.
    auto* Ok = Make<TBitBtn>(Form.get());
    Ok->SetCaption("&OK");
    Ok->SetKind(bkOK);
    EXPECT_EQ(Ok->Caption(), "&OK");
    EXPECT_EQ(WidgetOf<QPushButton>(Ok)->text(), "&OK");
}

TEST_F(ControlsTest, GlyphIsTheButtonsOwnCopy)
{
    auto* Button = Make<TBitBtn>(Form.get());
    Button->SetKind(bkOK);
    TBitmap Source;
    Source.SetSize(10, 10);
    Source.SetPixel(3, 3, clRed);
    Button->SetGlyph(&Source);
    EXPECT_EQ(Button->Kind(), bkCustom);
    EXPECT_EQ(Button->ModalResult(), mrOk);
    Source.SetPixel(3, 3, clBlue);
    Source.SetSize(4, 4);
    EXPECT_EQ(Button->Glyph()->Width(), 10);
    EXPECT_EQ(Button->Glyph()->Pixel(3, 3), clRed);
    Button->SetGlyph(nullptr);
    EXPECT_TRUE(Button->Glyph()->Empty());
    EXPECT_TRUE(WidgetOf<QPushButton>(Button)->icon().isNull());
}

int CountPixels(const QImage& Image, QRgb Colour)
{
    int Count = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            Count += (Image.pixel(X, Y) & RGB_MASK) == (Colour & RGB_MASK);
    return Count;
}

TEST_F(ControlsTest, GlyphIsDrawnTransparentAndGreyedWhenDisabled)
{
    auto* Button = Make<TBitBtn>(Form.get());
    Button->SetBounds(0, 0, 60, 40);
    // The left half carries the bottom-left colour, which is drawn transparent.
    TBitmap Glyph;
    Glyph.SetSize(10, 10);
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 10; ++X)
            Glyph.SetPixel(X, Y, X < 5 ? clBlue : clRed);
    Button->SetGlyph(&Glyph);
    const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Shadow = qRgb(128, 128, 128);

    const QImage Enabled = WidgetOf(Button)->grab().toImage();
    EXPECT_EQ(CountPixels(Enabled, Red), 50);
    EXPECT_EQ(CountPixels(Enabled, Blue), 0);

    Button->SetEnabled(false);
    const QImage Disabled = WidgetOf(Button)->grab().toImage();
    EXPECT_EQ(CountPixels(Disabled, Red), 0);
    EXPECT_EQ(CountPixels(Disabled, Blue), 0);
    EXPECT_GE(CountPixels(Disabled, Shadow), 50);

    // Changing the glyph in place redraws the button.
    Button->SetEnabled(true);
    Button->Glyph()->SetPixel(0, 0, clRed);
    EXPECT_EQ(CountPixels(WidgetOf(Button)->grab().toImage(), Red), 51);

    // The standard glyph of the OK kind: its background is its bottom-left colour.
    Button->SetKind(bkOK);
    const QRgb Background = BitmapImage(*Button->Glyph()).pixel(0, Button->Glyph()->Height() - 1);
    const QImage Standard = WidgetOf(Button)->grab().toImage();
    EXPECT_EQ(CountPixels(Standard, Background), 0);
    EXPECT_GT(CountPixels(Standard, qRgb(0, 128, 0)), 10);
}

TEST_F(ControlsTest, ClickSetsTheFormsModalResultAfterTheHandler)
{
    auto* Button = Make<TBitBtn>(Form.get());
    Button->SetModalResult(mrAbort);
    TModalResult During = -1;
    Button->OnClick = [&](TObject*) { During = Form->ModalResult(); };
    Button->Click();
    EXPECT_EQ(During, mrNone);
    EXPECT_EQ(Form->ModalResult(), mrAbort);
}

// Message boxes and the screen

TEST_F(ControlsTest, MessageBoxesAreRealAndAnsweredByAutomation)
{
    std::vector<TMessageBox> Shown;
    TModalResult Answer = mrNone;
    Application->OnMessageShown = [&](const TMessageBox& Box) {
        EXPECT_TRUE(QApplication::activeModalWidget() != nullptr &&
                    QApplication::activeModalWidget()->isVisible());
        Shown.push_back(Box);
        return Answer;
    };
    Answer = mrOk;
    EXPECT_EQ(MessageDlg("Unknown: C.EMF", mtError, {mbOK}, 0), mrOk);
    Answer = mrNo;
    EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrNo);
    // A result that the box has no button for picks its default button.
    Answer = mrRetry;
    EXPECT_EQ(MessageDlg("Proceed?", mtWarning, {mbYes, mbNo}, 0), mrYes);
    ASSERT_EQ(Shown.size(), 3u);
    EXPECT_EQ(Shown[0].Text, "Unknown: C.EMF");
    EXPECT_EQ(Shown[0].Title, "Error");
    EXPECT_EQ(Shown[0].DlgType, mtError);
    EXPECT_EQ(Shown[0].Results, (std::vector<TModalResult>{mrOk}));
    EXPECT_EQ(Shown[1].Results, (std::vector<TModalResult>{mrYes, mrNo, mrCancel}));
    EXPECT_EQ(Shown[1].DefaultResult, mrYes);
    EXPECT_EQ(Shown[2].DefaultResult, mrYes);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Screen, CursorOverridesTheApplicationUntilDefault)
{
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crHourGlass);
    Screen->SetCursor(crArrow);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Screen, SizeAndResolution)
{
    EXPECT_GT(Screen->Width(), 0);
    EXPECT_GT(Screen->Height(), 0);
    const int Own = Screen->PixelsPerInch();
    EXPECT_GT(Own, 0);
    Screen->SetPixelsPerInch(144);
    EXPECT_EQ(Screen->PixelsPerInch(), 144);
    TForm Form(nullptr);
    EXPECT_EQ(Form.PixelsPerInch(), 144);
    EXPECT_THROW(Screen->SetPixelsPerInch(0), EInvalidOperation);
    Screen->SetPixelsPerInch(Own);
}

} // namespace
