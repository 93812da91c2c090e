#include "PictureKinds.hpp"

#include <gtest/gtest.h>

namespace {

TEST(PictureKinds, ClassifiesTypeNamesInAnyLetterCase)
{
    struct Case
    {
        const char* TypeName;
        std::optional<TPropertyType> Kind;
    };
    const Case Cases[] = {
        {"TBitmap", ptBitmap},   {"tbitmap", ptBitmap},
        {"TBITMAP", ptBitmap},   {"tBiTmAp", ptBitmap},
        {"TIcon", ptIcon},       {"ticon", ptIcon},
        {"TPicture", ptPicture}, {"TPICTURE", ptPicture},
        {"TShadedBitmap", {}},   {"TBitmap2", {}},
        {"TBitma", {}},          {" TBitmap", {}},
        {"TMetafile", {}},       {"", {}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(ClassifyPropertyType(C.TypeName), C.Kind) << C.TypeName;
}

TEST(PictureKinds, OnlyAsciiLettersAreFolded)
{
    // A dotless capital I upper-cases to nothing that equals "I".
    EXPECT_EQ(ClassifyPropertyType("T\xC4\xB0"
                                   "con"),
              std::nullopt);
}

TEST(PictureKinds, MaskPerKind)
{
    EXPECT_STREQ(FileMaskOf(ptBitmap), "*.BMP");
    EXPECT_STREQ(FileMaskOf(ptIcon), "*.ICO");
    EXPECT_STREQ(FileMaskOf(ptPicture), "*.BMP;*.ICO;*.EMF;*.WMF");
    EXPECT_EQ(sizeof(TPropertyType), 1u);
}

} // namespace
