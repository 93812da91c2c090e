#include "ImageFiles.hpp"
#include "SampleComponents.hpp"
#include "TempDir.hpp"
#include "TolvaneProperty.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A graphic class the editor does not know.
class TOtherGraphic : public TGraphic
{
public:
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TOtherGraphic", TGraphic::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    bool Empty() const override { return false; }
    int Width() const override { return 4; }
    int Height() const override { return 4; }
    void LoadFromBytes(const std::vector<std::uint8_t>&, const std::string&) override {}
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TOtherGraphic>(); }
};

class ValueText : public ::testing::Test
{
protected:
    ValueText()
    {
        Files.Write("glyph.bmp", BmpFile(PatternImage(8, 6)));
        Files.Write("app.ico", IcoFile({{PatternImage(16, 16)}, {PatternImage(32, 32), 32, true}}));
        Files.Write("shape.emf", EmfFile(0, 0, 99, 49));
        Files.Write("shape.wmf", WmfFile({true, 0, 0, 1440, 720}));
    }

    std::unique_ptr<TTolvaneProperty> Editor(const char* Property, TSampleComponent* On = nullptr)
    {
        std::vector<TPersistent*> Components{On ? On : &Sample};
        return std::make_unique<TTolvaneProperty>(nullptr, Components,
                                                  GetPropInfo(TSampleComponent::TypeInfo(), Property));
    }

    // Loads a file into the picture property, or empties it when File is empty.
    void SetPicture(const std::string& File)
    {
        TPicture P;
        if (!File.empty())
            P.LoadFromFile(Files.File(File));
        Sample.SetPicture(&P);
    }

    TempDir Files;
    TSampleComponent Sample{nullptr};
};

TEST_F(ValueText, BitmapAndIconProperties)
{
    EXPECT_EQ(Editor("Glyph")->GetValue(), "(None)");
    EXPECT_EQ(Editor("Icon")->GetValue(), "(None)");
    Sample.Glyph()->LoadFromFile(Files.File("glyph.bmp"));
    Sample.Icon()->LoadFromFile(Files.File("app.ico"));
    EXPECT_EQ(Editor("Glyph")->GetValue(), "(TBitMap)");
    EXPECT_EQ(Editor("Icon")->GetValue(), "(TIcon)");
}

TEST_F(ValueText, PicturePropertyByGraphicClass)
{
    struct Case
    {
        const char* File;
        const char* Expected;
    };
    const Case Cases[] = {
        {"", "(None)"},
        {"glyph.bmp", "(TBitMap)"},
        {"app.ico", "(TIcon)"},
        {"shape.emf", "(TMetaFile)"},
        {"shape.wmf", "(TMetaFile)"},
    };
    for (const Case& C : Cases) {
        SetPicture(C.File);
        EXPECT_EQ(Editor("Picture")->GetValue(), C.Expected) << C.File;
    }
}

TEST_F(ValueText, ProbesLeaveThePropertysPictureUntouched)
{
    for (const char* File : {"app.ico", "shape.emf"}) {
        SetPicture(File);
        const TGraphic* Before = Sample.Picture()->Graphic();
        const std::string Class = Before->ClassName();
        const int Width = Before->Width();
        Editor("Picture")->GetValue();
        ASSERT_EQ(Sample.Picture()->Graphic(), Before) << File;
        EXPECT_EQ(Sample.Picture()->Graphic()->ClassName(), Class);
        EXPECT_EQ(Sample.Picture()->Width(), Width);
        EXPECT_FALSE(Sample.Picture()->Graphic()->Empty());
    }
}

TEST_F(ValueText, PictureHoldingAnUnknownGraphicClassShowsNone)
{
    TOtherGraphic Other;
    Sample.Picture()->SetGraphic(&Other);
    EXPECT_EQ(Editor("Picture")->GetValue(), "(None)");
    EXPECT_EQ(Sample.Picture()->Graphic()->ClassName(), "TOtherGraphic");
}

TEST_F(ValueText, TypesOfOtherNamesAndNullValuesShowNone)
{
    Sample.Shaded()->LoadFromFile(Files.File("glyph.bmp"));
    EXPECT_EQ(Editor("Shaded")->GetValue(), "(None)");
    ASSERT_EQ(Sample.Missing(), nullptr);
    EXPECT_EQ(Editor("Missing")->GetValue(), "(None)");
}

TEST_F(ValueText, ComputedAfreshOnEveryCall)
{
    auto E = Editor("Glyph");
    EXPECT_EQ(E->GetValue(), "(None)");
    EXPECT_EQ(E->GetValue(), "(None)");
    Sample.Glyph()->LoadFromFile(Files.File("glyph.bmp"));
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
    Sample.SetGlyph(nullptr);
    EXPECT_EQ(E->GetValue(), "(None)");
}

TEST_F(ValueText, OnlyTheFirstSelectedComponentIsRead)
{
    TSampleComponent Second(nullptr);
    Second.Glyph()->LoadFromFile(Files.File("glyph.bmp"));
    auto E = std::make_unique<TTolvaneProperty>(nullptr, std::vector<TPersistent*>{&Sample, &Second},
                                                GetPropInfo(TSampleComponent::TypeInfo(), "Glyph"));
    EXPECT_EQ(E->GetValue(), "(None)");
}

TEST_F(ValueText, AttributesAndTypedText)
{
    auto E = Editor("Glyph");
    EXPECT_EQ(E->GetAttributes(), TPropertyAttributes{paDialog});
    Sample.Glyph()->LoadFromFile(Files.File("glyph.bmp"));
    E->SetValue("(None)");
    E->SetValue("");
    EXPECT_EQ(E->GetValue(), "(TBitMap)");
    EXPECT_EQ(Sample.Glyph()->Width(), 8);
}

} // namespace
