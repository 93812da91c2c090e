// The image control, the image list and the list view.

#include "ControlsFixture.hpp"

#include "ComCtrls.hpp"
#include "ExtCtrls.hpp"
#include "ImageFiles.hpp"
#include "TempDir.hpp"

#include <QListWidget>

namespace {

std::string Ico(std::vector<TestImage> Images)
{
    std::vector<IconEntry> Entries(Images.size());
    for (std::size_t I = 0; I < Images.size(); ++I)
        Entries[I].Image = std::move(Images[I]);
    return IcoFile(Entries);
}

std::unique_ptr<TBitmap> Solid(int Width, int Height, TColor Color)
{
    auto Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetSize(Width, Height);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Bitmap->SetPixel(X, Y, Color);
    return Bitmap;
}

class ImageTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Back = Make<TPanel>(Form.get());
        Back->SetBevelOuter(bvNone);
        Back->SetColor(clWhite);
        Back->SetBounds(0, 0, 100, 100);
        Image = Make<TImage>(Back);
        Image->SetBounds(10, 10, 40, 40);
    }

    // The colour shown at X, Y of the image control, as the screen would show it.
    QRgb At(int X, int Y) const { return WidgetOf(Back)->grab().toImage().pixel(10 + X, 10 + Y) & RGB_MASK; }

    TPanel* Back = nullptr;
    TImage* Image = nullptr;
};

const QRgb White = qRgb(255, 255, 255) & RGB_MASK;
const QRgb Red = qRgb(255, 0, 0) & RGB_MASK;
const QRgb Blue = qRgb(0, 0, 255) & RGB_MASK;

TEST_F(ImageTest, DrawsAtOwnSizeOrStretched)
{
    const auto Small = Solid(4, 4, clRed);
    Image->Picture()->SetBitmap(Small.get());
    EXPECT_EQ(At(0, 0), Red);
    EXPECT_EQ(At(3, 3), Red);
    EXPECT_EQ(At(4, 4), White);
    EXPECT_EQ(At(20, 20), White);

    Image->SetStretch(true);
    EXPECT_EQ(At(20, 20), Red);
    EXPECT_EQ(At(39, 39), Red);
    EXPECT_EQ(WidgetOf(Back)->grab().toImage().pixel(50, 50) & RGB_MASK, White);

    // A new picture shows at once, stretched as the control is.
    const auto Other = Solid(2, 2, clBlue);
    Image->Picture()->Assign(Other.get());
    EXPECT_EQ(At(39, 0), Blue);
    Image->SetStretch(false);
    EXPECT_EQ(At(1, 1), Blue);
    EXPECT_EQ(At(2, 2), White);

    Image->SetPicture(nullptr);
    EXPECT_EQ(Image->Picture()->Graphic(), nullptr);
    EXPECT_EQ(At(1, 1), White);
}

TEST_F(ImageTest, ShowsIconsAndOutlinesMetafiles)
{
    TempDir Dir;
    Image->Picture()->LoadFromFile(Dir.Write("app.ico", Ico({SolidImage(16, 16, 0xFF0000FF)})));
    EXPECT_EQ(At(15, 15), Blue);
    EXPECT_EQ(At(16, 16), White);
    Image->Picture()->LoadFromFile(Dir.Write("shape.emf", EmfFile(0, 0, 20, 20)));
    ASSERT_NE(dynamic_cast<TMetafile*>(Image->Picture()->Graphic()), nullptr);
    const int Width = Image->Picture()->Width();
    const int Height = Image->Picture()->Height();
    ASSERT_GT(Width, 4);
    EXPECT_NE(At(0, 0), White);
    EXPECT_NE(At(Width - 1, Height - 1), White);
    EXPECT_EQ(At(Width / 2, Height / 2), White);
}

TEST_F(ImageTest, ClicksAndDoubleClicks)
{
    std::vector<std::string> Log;
    Image->OnClick = [&Log](TObject*) { Log.push_back("click"); };
    Image->OnDblClick = [&Log](TObject*) { Log.push_back("double"); };
    ShowForm();
    QTest::mouseClick(WidgetOf(Image), Qt::LeftButton);
    DoubleClick(WidgetOf(Image));
    EXPECT_EQ(Log, (std::vector<std::string>{"click", "click", "double"}));
    // A press that is released outside the control is no click.
    QTest::mousePress(WidgetOf(Image), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(WidgetOf(Image), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(Log.size(), 3u);
}

// Image lists

class ImageListTest : public ::testing::Test
{
protected:
    // The pixel of image Index of the list as 0xAARRGGBB.
    QRgb Pixel(int Index, int X, int Y) const
    {
        TBitmap Copy;
        List.GetBitmap(Index, &Copy);
        EXPECT_EQ(Copy.Width(), List.Width());
        return BitmapImage(Copy).pixel(X, Y);
    }

    TempDir Dir;
    TImageList List{nullptr};
};

TEST_F(ImageListTest, BitmapFilesFitIntoTheImageSize)
{
    // 64 by 32: the left half in the mask colour (maroon), the right half blue.
    TestImage Wide = SolidImage(64, 32, 0xFF0000FF);
    for (int Y = 0; Y < 32; ++Y)
        for (int X = 0; X < 32; ++X)
            Wide.Set(X, Y, 0xFF800000);
    EXPECT_TRUE(List.FileLoad(rtBitmap, Dir.Write("wide.bmp", BmpFile(Wide)), clMaroon));
    ASSERT_EQ(List.Count(), 1);
    // Scaled to 32 by 16 and centred: transparent above and below.
    EXPECT_EQ(qAlpha(Pixel(0, 24, 2)), 0);
    EXPECT_EQ(qAlpha(Pixel(0, 24, 29)), 0);
    EXPECT_EQ(Pixel(0, 24, 16), 0xFF0000FFu);
    // The mask colour is transparent.
    EXPECT_EQ(qAlpha(Pixel(0, 6, 16)), 0);

    // A 32 by 32 bitmap is taken as it is; another mask colour leaves maroon opaque.
    EXPECT_TRUE(
        List.FileLoad(rtBitmap, Dir.Write("square.bmp", BmpFile(SolidImage(32, 32, 0xFF800000))), clRed));
    EXPECT_EQ(Pixel(1, 0, 0), 0xFF800000u);
    EXPECT_EQ(List.Count(), 2);
}

TEST_F(ImageListTest, IconsAndUnreadableFiles)
{
    const std::string Icon =
        Dir.Write("two.ico", Ico({SolidImage(16, 16, 0xFFFF0000), SolidImage(32, 32, 0xFF00FF00)}));
    EXPECT_TRUE(List.FileLoad(rtIcon, Icon, clMaroon));
    // The entry of the list's size is taken.
    EXPECT_EQ(Pixel(0, 16, 16), 0xFF00FF00u);

    EXPECT_FALSE(List.FileLoad(rtBitmap, Dir.File("missing.bmp"), clMaroon));
    EXPECT_FALSE(List.FileLoad(rtBitmap, Dir.Write("broken.bmp", "BM not really"), clMaroon));
    EXPECT_FALSE(List.FileLoad(rtIcon, Dir.Write("broken.ico", std::string(30, '\0')), clMaroon));
    EXPECT_FALSE(List.FileLoad(rtBitmap, Dir.Path().string(), clMaroon));
    EXPECT_EQ(List.Count(), 1);
}

TEST_F(ImageListTest, AddClearAndSize)
{
    const auto Tall = Solid(8, 16, clBlue);
    EXPECT_EQ(List.Add(Tall.get()), 0);
    EXPECT_EQ(List.Add(Tall.get()), 1);
    EXPECT_EQ(Pixel(1, 16, 16), 0xFF0000FFu);
    EXPECT_EQ(qAlpha(Pixel(1, 2, 16)), 0);
    TBitmap Empty;
    EXPECT_THROW(List.Add(&Empty), EInvalidGraphic);
    EXPECT_THROW(List.Add(nullptr), EInvalidGraphic);
    TBitmap Copy;
    EXPECT_THROW(List.GetBitmap(2, &Copy), EListError);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);

    List.Add(Tall.get());
    List.SetWidth(16);
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Width(), 16);
    EXPECT_THROW(List.SetHeight(0), EInvalidOperation);
}

// List views

class ListViewTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        Images = new TImageList(Form.get());
        View = Make<TListView>(Form.get(), "View");
        View->SetBounds(0, 0, 300, 200);
        View->SetLargeImages(Images);
        View->OnClick = [this](TObject*) { Log.push_back(Name(View->Selected())); };
        View->OnDblClick = [this](TObject*) { Log.push_back("double " + Name(View->Selected())); };
        for (const char* Caption : {"A.BMP", "B.ICO", "C.EMF"}) {
            TListItem* Item = View->Items()->Add();
            Item->SetCaption(Caption);
        }
    }

    static std::string Name(const TListItem* Item) { return Item != nullptr ? Item->Caption() : "none"; }
    QListWidget* Widget() const { return WidgetOf<QListWidget>(View); }
    QPoint Centre(int Index) const { return Widget()->visualItemRect(Widget()->item(Index)).center(); }
    bool HasIcon(int Index) const { return !Widget()->item(Index)->icon().isNull(); }

    TImageList* Images = nullptr;
    TListView* View = nullptr;
    std::vector<std::string> Log;
};

TEST_F(ListViewTest, ItemsShowTheirImages)
{
    EXPECT_EQ(View->Items()->Count(), 3);
    EXPECT_EQ(View->Items()->Item(1)->Caption(), "B.ICO");
    EXPECT_EQ(Widget()->item(2)->text(), "C.EMF");
    EXPECT_EQ(View->Items()->Item(2)->Index(), 2);
    EXPECT_THROW(View->Items()->Item(3), EListError);
    EXPECT_EQ(View->ViewStyle(), vsIcon);
    EXPECT_EQ(Widget()->viewMode(), QListView::IconMode);
    EXPECT_FALSE(Widget()->item(0)->flags() & Qt::ItemIsEditable);

    const auto Red = Solid(32, 32, clRed);
    View->Items()->Item(1)->SetImageIndex(0);
    EXPECT_FALSE(HasIcon(1));
    Images->Add(Red.get());
    EXPECT_TRUE(HasIcon(1));
    View->Items()->Item(0)->SetImageIndex(0);
    View->Items()->Item(2)->SetImageIndex(7);
    EXPECT_TRUE(HasIcon(0));
    EXPECT_FALSE(HasIcon(2));
    Images->Clear();
    EXPECT_FALSE(HasIcon(0));
    EXPECT_FALSE(HasIcon(1));

    // A destroyed image list is dropped.
    Images->Add(Red.get());
    delete Images;
    EXPECT_EQ(View->LargeImages(), nullptr);
    EXPECT_FALSE(HasIcon(0));

    View->Items()->Clear();
    EXPECT_EQ(View->Items()->Count(), 0);
    EXPECT_EQ(Widget()->count(), 0);
}

TEST_F(ListViewTest, ClicksOnItemsAndEmptySpace)
{
    ShowForm();
    QTest::mouseClick(Widget()->viewport(), Qt::LeftButton, {}, Centre(1));
    EXPECT_EQ(View->Selected(), View->Items()->Item(1));
    QTest::mouseClick(Widget()->viewport(), Qt::LeftButton, {}, QPoint(290, 190));
    EXPECT_EQ(View->Selected(), nullptr);
    DoubleClick(Widget()->viewport(), Centre(2));
    EXPECT_EQ(Log, (std::vector<std::string>{"B.ICO", "none", "C.EMF", "double C.EMF"}));

    View->SetSelected(View->Items()->Item(0));
    EXPECT_TRUE(View->Items()->Item(0)->Selected());
    View->SetSelected(nullptr);
    EXPECT_EQ(View->Selected(), nullptr);
    EXPECT_EQ(Log.size(), 4u);
}

} // namespace
