#include "DsgnIntf.hpp"

#include <gtest/gtest.h>

namespace {

class TAlpha : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TAlpha", TPersistent::TypeInfo(),
                                                    {IntProp("Level", &TAlpha::Level, &TAlpha::SetLevel)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    int Level() const { return FLevel; }
    void SetLevel(int Value) { FLevel = Value; }

private:
    int FLevel = 3;
};

class TBeta : public TAlpha
{
public:
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TBeta", TAlpha::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

const TTypeInfo* ModeTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo("TMode", {"mdOff", "mdOn"});
    return Info;
}

class THolder : public TComponent
{
public:
    using TComponent::TComponent;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo(
            "THolder", TComponent::TypeInfo(),
            {ClassProp("First", &THolder::First, nullptr), ClassProp("Second", &THolder::Second, nullptr),
             IntProp("Count", &THolder::Count, &THolder::SetCount),
             OrdProp("Mode", ModeTypeInfo(), &THolder::Mode, &THolder::SetMode),
             BoolProp("Visible", &THolder::Visible, &THolder::SetVisible)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    TAlpha* First() const { return FFirst.get(); }
    TBeta* Second() const { return FSecond.get(); }
    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    int Mode() const { return FMode; }
    void SetMode(int Value) { FMode = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }

private:
    std::unique_ptr<TAlpha> FFirst = std::make_unique<TAlpha>();
    std::unique_ptr<TBeta> FSecond = std::make_unique<TBeta>();
    int FCount = 0;
    int FMode = 0;
    bool FVisible = false;
};

class TSpecialHolder : public THolder
{
public:
    using THolder::THolder;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TSpecialHolder", THolder::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

class TCountingDesigner : public IFormDesigner
{
public:
    void Modified() override { ++Count; }
    int Count = 0;
};

const TPropertyEditorClass EditorA = MakeEditorClass<TClassProperty>("TEditorA");
const TPropertyEditorClass EditorB = MakeEditorClass<TClassProperty>("TEditorB");
const TPropertyEditorClass EditorC = MakeEditorClass<TClassProperty>("TEditorC");

class EditorLookup : public ::testing::Test
{
protected:
    void SetUp() override { ClearPropertyEditorRegistrations(); }
    void TearDown() override { ClearPropertyEditorRegistrations(); }
    static const TPropertyEditorClass* For(const char* Prop, const TTypeInfo* Component = THolder::TypeInfo())
    {
        return GetEditorClass(GetPropInfo(THolder::TypeInfo(), Prop), Component);
    }
};

TEST_F(EditorLookup, DefaultsFollowThePropertyKind)
{
    EXPECT_EQ(For("First"), TClassProperty::EditorClass());
    EXPECT_EQ(For("Count"), TIntegerProperty::EditorClass());
    EXPECT_EQ(For("Mode"), TEnumProperty::EditorClass());
    EXPECT_EQ(For("Visible"), TEnumProperty::EditorClass());
    EXPECT_EQ(For("Name"), TStringProperty::EditorClass());
}

TEST_F(EditorLookup, ClassRegistrationServesDescendants)
{
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "", &EditorA);
    EXPECT_EQ(For("First"), &EditorA);
    EXPECT_EQ(For("Second"), &EditorA);
    EXPECT_EQ(For("Count"), TIntegerProperty::EditorClass());
}

TEST_F(EditorLookup, RegistrationForADescendantLeavesTheAncestor)
{
    RegisterPropertyEditor(TBeta::TypeInfo(), nullptr, "", &EditorA);
    EXPECT_EQ(For("First"), TClassProperty::EditorClass());
    EXPECT_EQ(For("Second"), &EditorA);
}

TEST_F(EditorLookup, LatestRegistrationWins)
{
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "", &EditorA);
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "", &EditorB);
    EXPECT_EQ(For("First"), &EditorB);
}

TEST_F(EditorLookup, ComponentClassOrPropertyNameWinsOverGeneral)
{
    RegisterPropertyEditor(TAlpha::TypeInfo(), THolder::TypeInfo(), "", &EditorA);
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "second", &EditorB);
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "", &EditorC);
    EXPECT_EQ(For("First"), &EditorA);
    EXPECT_EQ(For("Second"), &EditorB);
    EXPECT_EQ(For("First", TSpecialHolder::TypeInfo()), &EditorA);
    EXPECT_EQ(For("First", TComponent::TypeInfo()), &EditorC);
}

TEST_F(EditorLookup, FindEditorClassByName)
{
    RegisterPropertyEditor(TAlpha::TypeInfo(), nullptr, "", &EditorA);
    EXPECT_EQ(FindEditorClass("teditora"), &EditorA);
    EXPECT_EQ(FindEditorClass("TClassProperty"), TClassProperty::EditorClass());
    EXPECT_EQ(FindEditorClass("TEditorB"), nullptr);
}

TEST(DefaultEditors, ValueTextsAndTypedValues)
{
    THolder H(nullptr);
    TCountingDesigner Designer;
    auto Editor = [&](const char* Prop) {
        return CreatePropertyEditor(&Designer, {&H}, GetPropInfo(THolder::TypeInfo(), Prop));
    };
    Editor("Count")->SetValue("12");
    EXPECT_EQ(Editor("Count")->GetValue(), "12");
    EXPECT_THROW(Editor("Count")->SetValue("twelve"), EConvertError);
    Editor("Mode")->SetValue("MDON");
    EXPECT_EQ(Editor("Mode")->GetValue(), "mdOn");
    EXPECT_THROW(Editor("Mode")->SetValue("mdMaybe"), EPropertyError);
    Editor("Visible")->SetValue("True");
    EXPECT_TRUE(H.Visible());
    Editor("Name")->SetValue("Holder1");
    EXPECT_EQ(H.Name(), "Holder1");
    EXPECT_EQ(Designer.Count, 4);
    EXPECT_EQ(Editor("First")->GetValue(), "(TAlpha)");
    EXPECT_TRUE(Editor("First")->GetAttributes().Contains(paSubProperties));
}

TEST(DefaultEditors, ClassPropertyExpandsIntoTheObjectsProperties)
{
    THolder H(nullptr);
    std::vector<std::unique_ptr<TPropertyEditor>> Subs;
    CreatePropertyEditor(nullptr, {&H}, GetPropInfo(THolder::TypeInfo(), "Second"))
        ->GetProperties([&](std::unique_ptr<TPropertyEditor> E) { Subs.push_back(std::move(E)); });
    ASSERT_EQ(Subs.size(), 1u);
    EXPECT_EQ(Subs[0]->GetName(), "Level");
    EXPECT_EQ(Subs[0]->GetValue(), "3");
    Subs[0]->SetValue("5");
    EXPECT_EQ(H.Second()->Level(), 5);
}

TEST(DefaultEditors, AllEqualComparesEverySelectedComponent)
{
    THolder A(nullptr), B(nullptr);
    auto E = CreatePropertyEditor(nullptr, {&A, &B}, GetPropInfo(THolder::TypeInfo(), "Count"));
    EXPECT_TRUE(E->AllEqual());
    B.SetCount(1);
    EXPECT_FALSE(E->AllEqual());
    EXPECT_EQ(E->PropCount(), 2);
    EXPECT_THROW(E->GetComponent(2), EListError);
}

} // namespace
