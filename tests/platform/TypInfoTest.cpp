#include "Classes.hpp"

#include <gtest/gtest.h>

namespace {

enum TShape : std::uint8_t
{
    stCircle,
    stSquare
};

const TTypeInfo* ShapeTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo("TShape", {"stCircle", "stSquare"});
    return Info;
}

class TWidgetPart : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info =
            ClassTypeInfo("TWidgetPart", TPersistent::TypeInfo(),
                          {IntProp("Size", &TWidgetPart::Size, &TWidgetPart::SetSize)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    void Assign(const TPersistent* Source) override
    {
        if (auto* Other = dynamic_cast<const TWidgetPart*>(Source)) {
            FSize = Other->FSize;
            return;
        }
        TPersistent::Assign(Source);
    }

private:
    int FSize = 0;
};

class TGadget : public TComponent
{
public:
    using TComponent::TComponent;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ComponentTypeInfo<TGadget>(
            "TGadget", TComponent::TypeInfo(),
            {IntProp("Count", &TGadget::Count, &TGadget::SetCount),
             BoolProp("Active", &TGadget::Active, &TGadget::SetActive),
             OrdProp("Shape", ShapeTypeInfo(), &TGadget::Shape, &TGadget::SetShape),
             StrProp("Caption", &TGadget::Caption, &TGadget::SetCaption),
             IntProp("ReadOnlyCount", &TGadget::Count, nullptr),
             ClassProp("Part", &TGadget::Part, &TGadget::SetPart),
             EventProp("OnPoke", NotifyEventTypeInfo(), &TGadget::OnPoke)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    TShape Shape() const { return FShape; }
    void SetShape(TShape Value) { FShape = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    TWidgetPart* Part() const { return FPart.get(); }
    void SetPart(TWidgetPart* Value) { FPart->Assign(Value); }
    TNotifyEvent OnPoke;

private:
    int FCount = 0;
    bool FActive = false;
    TShape FShape = stCircle;
    std::string FCaption;
    std::unique_ptr<TWidgetPart> FPart = std::make_unique<TWidgetPart>();
};

class TGadgetPlus : public TGadget
{
public:
    using TGadget::TGadget;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TGadgetPlus", TGadget::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

TEST(TypInfo, ClassNamesAndAncestry)
{
    TGadgetPlus G(nullptr);
    EXPECT_EQ(G.ClassName(), "TGadgetPlus");
    EXPECT_TRUE(G.InheritsFrom(TGadget::TypeInfo()));
    EXPECT_TRUE(G.InheritsFrom(TComponent::TypeInfo()));
    EXPECT_FALSE(TGadget::TypeInfo()->InheritsFrom(TGadgetPlus::TypeInfo()));
    EXPECT_EQ(ClassNameOf(nullptr), "nil");
}

TEST(TypInfo, PublishedPropertiesIncludeAncestors)
{
    std::vector<std::string> Names;
    for (const TPropInfo* P : GetPropList(TGadgetPlus::TypeInfo()))
        Names.push_back(P->Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Name", "Count", "Active", "Shape", "Caption", "ReadOnlyCount",
                                               "Part", "OnPoke"}));
    EXPECT_EQ(GetPropInfo(TGadgetPlus::TypeInfo(), "caption")->Name, "Caption");
    EXPECT_EQ(GetPropInfo(TGadgetPlus::TypeInfo(), "Nothing"), nullptr);
}

TEST(TypInfo, OrdinalStringAndObjectAccess)
{
    TGadget G(nullptr);
    const TTypeInfo* C = TGadget::TypeInfo();
    SetOrdProp(&G, GetPropInfo(C, "Count"), std::int64_t{42});
    SetOrdProp(&G, GetPropInfo(C, "Active"), std::int64_t{1});
    SetOrdProp(&G, GetPropInfo(C, "Shape"), std::int64_t{stSquare});
    SetStrProp(&G, GetPropInfo(C, "Caption"), "Hello");
    EXPECT_EQ(G.Count(), 42);
    EXPECT_TRUE(G.Active());
    EXPECT_EQ(G.Shape(), stSquare);
    EXPECT_EQ(GetOrdProp(&G, GetPropInfo(C, "Count")).Ordinal, 42);
    EXPECT_EQ(GetStrProp(&G, GetPropInfo(C, "Caption")), "Hello");
    EXPECT_EQ(GetEnumName(ShapeTypeInfo(), 1), "stSquare");
    EXPECT_EQ(GetEnumValue(ShapeTypeInfo(), "STCIRCLE"), 0);
    EXPECT_EQ(GetEnumValue(ShapeTypeInfo(), "stTriangle"), -1);
}

TEST(TypInfo, ObjectPropertyWriteCopiesTheObject)
{
    TGadget G(nullptr);
    const TPropInfo* Part = GetPropInfo(TGadget::TypeInfo(), "Part");
    TWidgetPart Mine;
    Mine.SetSize(7);
    SetOrdProp(&G, Part, &Mine);
    EXPECT_NE(GetOrdProp(&G, Part).Object, &Mine);
    EXPECT_EQ(G.Part()->Size(), 7);
    Mine.SetSize(9);
    EXPECT_EQ(G.Part()->Size(), 7);
    TGadget WrongClass(nullptr);
    EXPECT_THROW(SetOrdProp(&G, Part, &WrongClass), EPropertyError);
}

TEST(TypInfo, WrongKindAndReadOnlyRaise)
{
    TGadget G(nullptr);
    const TTypeInfo* C = TGadget::TypeInfo();
    EXPECT_THROW(SetOrdProp(&G, GetPropInfo(C, "ReadOnlyCount"), std::int64_t{1}), EPropertyError);
    EXPECT_THROW(GetStrProp(&G, GetPropInfo(C, "Count")), EPropertyError);
    EXPECT_THROW(GetOrdProp(&G, GetPropInfo(C, "Caption")), EPropertyError);
    EXPECT_THROW(GetOrdProp(&G, nullptr), EPropertyError);
    EXPECT_FALSE(GetPropInfo(C, "ReadOnlyCount")->Writable());
}

TEST(TypInfo, EventPropertyBindsAHandler)
{
    TGadget G(nullptr);
    int Pokes = 0;
    GetPropInfo(TGadget::TypeInfo(), "OnPoke")->SetMethod(&G, std::any(TNotifyEvent([&](TObject*) {
        ++Pokes;
    })));
    G.OnPoke(&G);
    EXPECT_EQ(Pokes, 1);
}

TEST(TypInfo, ClassRegistryFindsByNameIgnoringCase)
{
    RegisterClass(TGadget::TypeInfo());
    EXPECT_EQ(FindClass("tgadget"), TGadget::TypeInfo());
    EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);
    std::unique_ptr<TComponent> Made(FindClass("TGadget")->Create(nullptr));
    EXPECT_EQ(Made->ClassName(), "TGadget");
}

} // namespace
