#include "Classes.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SysUtils, UpperCaseMapsOnlyAsciiLetters)
{
    EXPECT_EQ(UpperCase("tBitmap_9-ä"), "TBITMAP_9-ä");
    EXPECT_EQ(UpperCase(""), "");
    EXPECT_EQ(LowerCase("ABC xyz"), "abc xyz");
    EXPECT_TRUE(SameText("/Home/A", "/HOME/a"));
    EXPECT_FALSE(SameText("ab", "abc"));
}

TEST(SysUtils, IntToStrAndBack)
{
    const std::pair<std::int64_t, const char*> Cases[] = {
        {0, "0"}, {15, "15"}, {-7, "-7"}, {1234567, "1234567"}};
    for (const auto& [Value, Text] : Cases) {
        EXPECT_EQ(IntToStr(Value), Text);
        EXPECT_EQ(StrToInt(Text), Value);
    }
    EXPECT_EQ(StrToInt("+3"), 3);
    for (const char* Bad : {"", "12a", "a", " 1", "99999999999999999999", "+"})
        EXPECT_THROW(StrToInt(Bad), EConvertError) << Bad;
    try {
        StrToInt("1x");
    } catch (const EConvertError& E) {
        EXPECT_NE(E.Message().find("'1x'"), std::string::npos);
    }
}

// Records the order in which component destructors start; a component's own destructor runs before
// the owner's base part destroys what it owns.
std::vector<std::string>* DestroyLog = nullptr;

class TLoggedComponent : public TComponent
{
public:
    TLoggedComponent(TComponent* Owner, const std::string& Name) : TComponent(Owner) { SetName(Name); }
    ~TLoggedComponent() override { DestroyLog->push_back(Name()); }
};

TEST(Component, OwnerDestroysOwnedComponentsNewestFirst)
{
    std::vector<std::string> Log;
    DestroyLog = &Log;
    {
        TLoggedComponent Root(nullptr, "Root");
        new TLoggedComponent(&Root, "A");
        auto* B = new TLoggedComponent(&Root, "B");
        new TLoggedComponent(B, "B1");
        new TLoggedComponent(&Root, "C");
        EXPECT_EQ(Root.ComponentCount(), 3);
        EXPECT_EQ(Root.FindComponent("b"), B);
        EXPECT_EQ(Root.FindComponent("B1"), nullptr);
        EXPECT_THROW(Root.Components(3), EListError);
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"Root", "C", "B", "B1", "A"}));
    DestroyLog = nullptr;
}

TEST(Component, DestroyedComponentLeavesItsOwner)
{
    std::vector<std::string> Log;
    DestroyLog = &Log;
    TLoggedComponent Root(nullptr, "Root");
    auto* A = new TLoggedComponent(&Root, "A");
    new TLoggedComponent(&Root, "B");
    delete A;
    ASSERT_EQ(Root.ComponentCount(), 1);
    EXPECT_EQ(Root.Components(0)->Name(), "B");
    Log.clear();
    DestroyLog = &Log;
}

TEST(StringList, AddInsertIndexOfIgnoresCase)
{
    TStringList L;
    EXPECT_EQ(L.Add("/home/A"), 0);
    EXPECT_EQ(L.Add("/home/b"), 1);
    L.Insert(0, "/top");
    EXPECT_EQ(L.ToVector(), (std::vector<std::string>{"/top", "/home/A", "/home/b"}));
    EXPECT_EQ(L.IndexOf("/HOME/a"), 1);
    EXPECT_EQ(L.IndexOf("/home/B"), 2);
    EXPECT_EQ(L.IndexOf("/home"), -1);
    L.Delete(0);
    EXPECT_EQ(L[0], "/home/A");
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
}

TEST(StringList, IndexOutOfBoundsRaises)
{
    TStringList L{"a"};
    EXPECT_THROW(L.Strings(1), EListError);
    EXPECT_THROW(L.Strings(-1), EListError);
    EXPECT_THROW(L.Insert(2, "x"), EListError);
    EXPECT_THROW(L.Delete(1), EListError);
    L.Insert(1, "b");
    EXPECT_EQ(L.Count(), 2);
}

TEST(StringList, AssignCopiesEntries)
{
    TStringList A{"x", "y"};
    TStringList B{"old"};
    B.Assign(&A);
    EXPECT_EQ(B.ToVector(), A.ToVector());
    B.Assign(&B);
    EXPECT_EQ(B.Count(), 2);
    TComponent NotAList(nullptr);
    EXPECT_THROW(B.Assign(&NotAList), EConvertError);
    EXPECT_THROW(B.Assign(nullptr), EConvertError);
}

TEST(Set, IncludeExcludeContains)
{
    enum E : std::uint8_t
    {
        eA,
        eB,
        eC
    };
    TSet<E> S{eA, eC};
    EXPECT_TRUE(S.Contains(eA));
    EXPECT_FALSE(S.Contains(eB));
    S.Exclude(eA).Include(eB);
    EXPECT_EQ(S, (TSet<E>{eB, eC}));
    EXPECT_EQ(S.Mask(), 6u);
    EXPECT_EQ(TSet<E>::FromMask(6), S);
    EXPECT_TRUE(TSet<E>{}.Empty());
}

} // namespace
