#include "FormReader.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

extern const char* const FormReaderTestForm;

namespace {

// Every Loaded call, in order, with what the component could see at that moment.
std::vector<std::string> LoadedLog;

enum TShade : std::uint8_t
{
    shLight,
    shDark
};
enum TFlag : std::uint8_t
{
    flA,
    flB,
    flC
};
using TFlags = TSet<TFlag>;
using TQueryEvent = std::function<void(TObject* Sender, int& Answer)>;

const TTypeInfo* ShadeTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo("TShade", {"shLight", "shDark"});
    return Info;
}

const TTypeInfo* FlagsTypeInfo()
{
    static const TTypeInfo Info = [] {
        TTypeInfo T = SimpleTypeInfo("TFlags", tkSet);
        T.EnumNames = {"flA", "flB", "flC"};
        return T;
    }();
    return &Info;
}

// An integer type with named constants, as colours are.
const TTypeInfo* TintTypeInfo()
{
    static const TTypeInfo Info = [] {
        TTypeInfo T = SimpleTypeInfo("TTint", tkInteger);
        T.Idents = {{"tiPale", 16}, {"tiDeep", -128}};
        return T;
    }();
    return &Info;
}

const TTypeInfo* QueryEventTypeInfo()
{
    static const TTypeInfo Info = SimpleTypeInfo("TQueryEvent", tkMethod);
    return &Info;
}

// A persistent sub-object reached by dotted names, as a font is.
class TPart : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info =
            ClassTypeInfo("TPart", TPersistent::TypeInfo(),
                          {IntProp("Size", &TPart::Size, &TPart::SetSize),
                           StrProp("Label", &TPart::Label, &TPart::SetLabel),
                           OrdProp("Style", FlagsTypeInfo(), &TPart::Style, &TPart::SetStyle)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    const std::string& Label() const { return FLabel; }
    void SetLabel(const std::string& Value) { FLabel = Value; }
    std::int64_t Style() const { return static_cast<std::int64_t>(FStyle.Mask()); }
    void SetStyle(std::int64_t Value) { FStyle = TFlags::FromMask(static_cast<std::uint64_t>(Value)); }

private:
    int FSize = 0;
    std::string FLabel;
    TFlags FStyle;
};

// The class that widgets refer to each other by.
class TPeer : public TComponent
{
public:
    using TComponent::TComponent;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TPeer", TComponent::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

class TWidget : public TPeer
{
public:
    using TPeer::TPeer;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ComponentTypeInfo<TWidget>(
            "TWidget", TPeer::TypeInfo(),
            {IntProp("Count", &TWidget::Count, &TWidget::SetCount),
             IntProp("ReadOnlyCount", &TWidget::Count, nullptr),
             OrdProp("Tint", TintTypeInfo(), &TWidget::Tint, &TWidget::SetTint),
             OrdProp("Shade", ShadeTypeInfo(), &TWidget::Shade, &TWidget::SetShade),
             BoolProp("Active", &TWidget::Active, &TWidget::SetActive),
             OrdProp("Flags", FlagsTypeInfo(), &TWidget::Flags, &TWidget::SetFlags),
             StrProp("Caption", &TWidget::Caption, &TWidget::SetCaption),
             StrProp("Fails", &TWidget::Caption, &TWidget::SetFails),
             ClassProp("Part", &TWidget::Part, &TWidget::SetPart),
             ClassProp("Items", &TWidget::Items, nullptr),
             ClassProp("Buddy", &TWidget::Buddy, &TWidget::SetBuddy),
             EventProp("OnPoke", NotifyEventTypeInfo(), &TWidget::OnPoke),
             EventProp("OnQuery", QueryEventTypeInfo(), &TWidget::OnQuery)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    int Count() const { return FCount; }
    void SetCount(int Value) { FCount = Value; }
    int Tint() const { return FTint; }
    void SetTint(int Value) { FTint = Value; }
    TShade Shade() const { return FShade; }
    void SetShade(TShade Value) { FShade = Value; }
    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    std::int64_t Flags() const { return static_cast<std::int64_t>(FFlags.Mask()); }
    void SetFlags(std::int64_t Value) { FFlags = TFlags::FromMask(static_cast<std::uint64_t>(Value)); }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    void SetFails(const std::string& Value) { throw EConvertError("refused " + Value); }
    TPart* Part() const { return FPart.get(); }
    void SetPart(TPart* /*Value*/) {}
    TStrings* Items() const { return FItems.get(); }
    TPeer* Buddy() const { return FBuddy; }
    void SetBuddy(TPeer* Value) { FBuddy = Value; }

    TComponent* ParentComponent() const { return FParent; }
    void SetParentComponent(TComponent* Parent) override { FParent = Parent; }
    void Loaded() override { LoadedLog.push_back(Name() + (FBuddy ? "->" + FBuddy->Name() : "")); }

    TNotifyEvent OnPoke;
    TQueryEvent OnQuery;

private:
    int FCount = 0;
    int FTint = 0;
    TShade FShade = shLight;
    bool FActive = false;
    TFlags FFlags;
    std::string FCaption;
    std::unique_ptr<TPart> FPart = std::make_unique<TPart>();
    std::unique_ptr<TStringList> FItems =
        std::make_unique<TStringList>(std::initializer_list<std::string>{"seed"});
    TPeer* FBuddy = nullptr;
    TComponent* FParent = nullptr;
};

class TGizmo : public TWidget
{
public:
    using TWidget::TWidget;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ComponentTypeInfo<TGizmo>("TGizmo", TWidget::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
};

class TTestFormBase : public TComponent
{
public:
    using TComponent::TComponent;
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info =
            ClassTypeInfo("TTestFormBase", TComponent::TypeInfo(),
                          {StrProp("Caption", &TTestFormBase::Caption, &TTestFormBase::SetCaption),
                           EventProp("OnOpen", NotifyEventTypeInfo(), &TTestFormBase::OnOpen)});
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    void Loaded() override { LoadedLog.push_back(Name()); }
    TNotifyEvent OnOpen;

private:
    std::string FCaption;
};

class TTestForm : public TTestFormBase
{
public:
    TTestForm() : TTestFormBase(nullptr) {}
    static const TTypeInfo* TypeInfo()
    {
        static const TTypeInfo Info = ClassTypeInfo("TTestForm", TTestFormBase::TypeInfo());
        return &Info;
    }
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }
    static const TPublished<TTestForm>& Published();

    TWidget* Widget1 = nullptr;
    TWidget* Widget2 = nullptr;
    TGizmo* Gizmo1 = nullptr;
    std::vector<std::string> Calls;

    void FormOpen(TObject* /*Sender*/) { Calls.push_back("FormOpen"); }
    void WidgetPoke(TObject* Sender)
    {
        Calls.push_back("WidgetPoke " + static_cast<TComponent*>(Sender)->Name());
    }
    void WidgetQuery(TObject* /*Sender*/, int& Answer) { Answer = 42; }
};

const TPublished<TTestForm>& TTestForm::Published()
{
    static const TPublished<TTestForm> Table{
        Field("Widget1", &TTestForm::Widget1),         Field("Widget2", &TTestForm::Widget2),
        Field("Gizmo1", &TTestForm::Gizmo1),           Handler("FormOpen", &TTestForm::FormOpen),
        Handler("WidgetPoke", &TTestForm::WidgetPoke), Handler("WidgetQuery", &TTestForm::WidgetQuery),
    };
    return Table;
}

[[maybe_unused]] const bool Registered = [] {
    RegisterClass(TWidget::TypeInfo());
    RegisterClass(TGizmo::TypeInfo());
    RegisterClass(TPart::TypeInfo());
    return true;
}();

class FormReader : public ::testing::Test
{
protected:
    void SetUp() override { LoadedLog.clear(); }

    void Read(const std::string& Data) { ReadForm(&Form, Data, "test.form", TTestForm::Published()); }
    // The message ReadForm raises for Data, or "" when it reads.
    std::string ReadError(const std::string& Data)
    {
        try {
            Read(Data);
        } catch (const EReadError& E) {
            return E.Message();
        }
        return "";
    }

    TTestForm Form;
};

// A property's value as text: ordinals in decimal, a string list joined by '|', a component by name.
std::string ValueText(const TObject* Object, const std::string& Path)
{
    std::string Rest = Path;
    for (std::size_t Dot; (Dot = Rest.find('.')) != std::string::npos; Rest = Rest.substr(Dot + 1))
        Object = GetOrdProp(Object, GetPropInfo(Object->ClassInfo(), Rest.substr(0, Dot))).Object;
    const TPropInfo* P = GetPropInfo(Object->ClassInfo(), Rest);
    if (P->PropType->Kind == tkString)
        return GetStrProp(Object, P);
    if (P->PropType->Kind != tkClass)
        return IntToStr(GetOrdProp(Object, P).Ordinal);
    TObject* Value = GetOrdProp(Object, P).Object;
    if (auto* List = dynamic_cast<TStrings*>(Value)) {
        std::string Text;
        for (int I = 0; I < List->Count(); ++I)
            Text += (I ? "|" : "") + List->Strings(I);
        return Text;
    }
    return Value ? static_cast<TComponent*>(Value)->Name() : "nil";
}

struct GoodCase
{
    const char* Lines;
    const char* Path;
    const char* Expected;
};

const GoodCase GoodCases[] = {
    {"Count = -13", "Count", "-13"},
    {"Count = +7", "Count", "7"},
    {"Count = $1F", "Count", "31"},
    {"Count = -2147483648", "Count", "-2147483648"},
    {"Tint = tiDeep", "Tint", "-128"},
    {"Tint = TIPALE", "Tint", "16"},
    {"Tint = 5", "Tint", "5"},
    {"Shade = shDark", "Shade", "1"},
    {"sHaDe = SHDARK", "Shade", "1"},
    {"Active = True", "Active", "1"},
    {"Active = false", "Active", "0"},
    {"Flags = [flA, flC]", "Flags", "5"},
    {"Flags = [ flB ]", "Flags", "2"},
    {"Flags = []", "Flags", "0"},
    {"Caption = 'plain'", "Caption", "plain"},
    {"Caption = ''", "Caption", ""},
    {"Caption = 'It''s'", "Caption", "It's"},
    {"Caption = 'a'#13#10'b'", "Caption", "a\r\nb"},
    {"Caption = #$41#66'c'", "Caption", "ABc"},
    {"Caption = '(c) '#169", "Caption", "(c) \xC2\xA9"},
    {"Caption = 'one ' + 'two'", "Caption", "one two"},
    {"Caption = 'one ' +\n      'two' +\n      'three'", "Caption", "one twothree"},
    {"Caption = 'x = ''1'' + 2'", "Caption", "x = '1' + 2"},
    {"Part.Size = 9", "Part.Size", "9"},
    {"Part.Label = 'tag'", "Part.Label", "tag"},
    {"Part.Style = [flB, flC]", "Part.Style", "6"},
    {"Items.Strings = (\n      'a'\n      'b' + 'c'\n      'd'#9'e')", "Items", "a|bc|d\te"},
    {"Items = ( 'only' )", "Items", "only"},
    {"Items.Strings = ( )", "Items", ""},
    {"Buddy = Widget1", "Buddy", "Widget1"},
    {"Buddy = nil", "Buddy", "nil"},
};

TEST_F(FormReader, SetsEveryKindOfValue)
{
    for (const GoodCase& C : GoodCases) {
        SCOPED_TRACE(C.Lines);
        TTestForm Fresh;
        std::string Data = std::string("object Form1: TTestForm\n  object Widget1: TWidget\n    ") + C.Lines +
                           "\n  end\nend\n";
        ASSERT_NO_THROW(ReadForm(&Fresh, Data, "test.form", TTestForm::Published()));
        ASSERT_NE(Fresh.Widget1, nullptr);
        EXPECT_EQ(ValueText(Fresh.Widget1, C.Path), C.Expected);
        EXPECT_EQ(CheckForm(TTestForm::TypeInfo(), Data, "test.form", TTestForm::Published()),
                  std::vector<std::string>());
    }
}

TEST_F(FormReader, BuildsTheTreeBindsFieldsAndResolvesForwardReferences)
{
    Read(FormReaderTestForm);

    EXPECT_EQ(Form.Name(), "Form1");
    EXPECT_EQ(Form.Caption(), "Sample form");
    ASSERT_EQ(Form.ComponentCount(), 3);
    EXPECT_EQ(Form.Widget1, Form.FindComponent("Widget1"));
    EXPECT_EQ(Form.Widget2, Form.FindComponent("Widget2"));
    EXPECT_EQ(Form.Gizmo1, Form.FindComponent("Gizmo1"));
    for (int I = 0; I < Form.ComponentCount(); ++I)
        EXPECT_EQ(Form.Components(I)->Owner(), &Form);
    // The root's direct children are placed into the root, nested ones into their enclosing object.
    EXPECT_EQ(Form.Widget1->ParentComponent(), &Form);
    EXPECT_EQ(Form.Widget2->ParentComponent(), Form.Widget1);
    EXPECT_EQ(Form.Gizmo1->ParentComponent(), &Form);

    EXPECT_EQ(Form.Widget1->Buddy(), Form.Gizmo1);
    EXPECT_EQ(Form.Widget1->Count(), 3);
    EXPECT_EQ(Form.Widget2->Part()->Size(), 9);
    EXPECT_EQ(Form.Widget2->Items()->ToVector(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(Form.Gizmo1->Flags(), 5);
}

TEST_F(FormReader, LoadedRunsInDataOrderAfterReferencesThenOnTheRoot)
{
    Read(FormReaderTestForm);
    EXPECT_EQ(LoadedLog, (std::vector<std::string>{"Widget1->Gizmo1", "Widget2", "Gizmo1", "Form1"}));
}

TEST_F(FormReader, BindsHandlersOfEachSignatureToTheForm)
{
    Read(FormReaderTestForm);

    ASSERT_TRUE(Form.OnOpen);
    Form.OnOpen(&Form);
    ASSERT_TRUE(Form.Widget1->OnPoke);
    Form.Widget1->OnPoke(Form.Widget1);
    EXPECT_EQ(Form.Calls, (std::vector<std::string>{"FormOpen", "WidgetPoke Widget1"}));

    ASSERT_TRUE(Form.Widget1->OnQuery);
    int Answer = 0;
    Form.Widget1->OnQuery(Form.Widget1, Answer);
    EXPECT_EQ(Answer, 42);
    EXPECT_FALSE(Form.Widget2->OnPoke);
}

TEST_F(FormReader, CheckFindsNothingInAFormThatReads)
{
    EXPECT_EQ(CheckForm(TTestForm::TypeInfo(), FormReaderTestForm, "test.form", TTestForm::Published()),
              std::vector<std::string>());
}

struct BadCase
{
    const char* Data;
    const char* Message;
    // Whether CheckForm finds it without creating anything.
    bool FoundByCheck;
};

const BadCase BadCases[] = {
    {"", "test.form(1): syntax error: end of data (expected object)", true},
    {"\n\nobject Form1: TTestForm\nend\nend\n", "test.form(5): syntax error: end (expected end of data)",
     true},
    {"object Form1: TTestForm\n  Caption 'x'\nend", "test.form(2): syntax error: 'x' (expected =)", true},
    {"object Form1: TTestForm\n  Caption = ,\nend", "test.form(2): syntax error: , (expected a value)", true},
    {"object Form1: TTestForm\n  Flags = [flA flB]\nend", "test.form(2): syntax error: flB (expected ,)",
     true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n  end\n  Caption = 'late'\nend",
     "test.form(4): syntax error: Caption (expected object or end)", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Items.Strings = ( 1 )\n  end\nend",
     "test.form(3): syntax error: 1 (expected a string or ))", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = 1\n",
     "test.form(2): missing end: Widget1", true},
    {"object Form1: TTestForm\n  Caption = 'abc\nend", "test.form(2): unterminated string: 'abc", true},
    {"object Form1: TTestForm\n  Caption = 'a' + 'b\nend", "test.form(2): unterminated string: 'b", true},
    {"object Form1: TTestForm\n  Caption = #1114112\nend", "test.form(2): invalid character code: #1114112",
     true},
    {"object Form1: TTestForm\n  Caption = #\nend", "test.form(2): invalid character code: #", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = 1.5\n  end\nend",
     "test.form(3): invalid number: 1.5", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = 99999999999999999999\n  end\nend",
     "test.form(3): invalid number: 99999999999999999999", true},
    {"object Form1: TWidget\nend", "test.form(1): root class mismatch: TWidget (the form is a TTestForm)",
     true},
    {"object Form1: TTestForm\n  object Widget1: TNoSuch\n  end\nend", "test.form(2): unknown class: TNoSuch",
     true},
    {"object Form1: TTestForm\n  object Widget1: TPart\n  end\nend",
     "test.form(2): not a component class: TPart", true},
    {"object Form1: TTestForm\n  object Widget9: TWidget\n  end\nend", "test.form(2): unknown field: Widget9",
     true},
    {"object Form1: TTestForm\n  object Gizmo1: TWidget\n  end\nend",
     "test.form(2): field class mismatch: Gizmo1 (TWidget, expected TGizmo)", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    object Widget1: TWidget\n    end\n  end\nend",
     "test.form(3): duplicate component name: Widget1", true},
    {"object Form1: TTestForm\n  Captoin = 'x'\nend", "test.form(2): unknown property: Captoin", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Part.Sise = 1\n  end\nend",
     "test.form(3): unknown property: Part.Sise", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count.Size = 1\n  end\nend",
     "test.form(3): unknown property: Count.Size", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    ReadOnlyCount = 1\n  end\nend",
     "test.form(3): read-only property: ReadOnlyCount", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Shade = shMedium\n  end\nend",
     "test.form(3): unknown enumeration name: shMedium", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Active = 1\n  end\nend",
     "test.form(3): invalid value for Active: 1", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Flags = [flA, flQ]\n  end\nend",
     "test.form(3): unknown enumeration name: flQ", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Tint = tiPink\n  end\nend",
     "test.form(3): unknown value: tiPink", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = 'abc'\n  end\nend",
     "test.form(3): invalid value for Count: 'abc'", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = 3000000000\n  end\nend",
     "test.form(3): invalid value for Count: 3000000000 (out of range)", true},
    {"object Form1: TTestForm\n  Caption = 12\nend", "test.form(2): invalid value for Caption: 12", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Part = Widget1\n  end\nend",
     "test.form(3): invalid value for Part: Widget1", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Count = ( 'a' 'b' )\n  end\nend",
     "test.form(3): invalid value for Count: ( 'a' 'b' )", true},
    {"object Form1: TTestForm\n  OnOpen = FormShut\nend", "test.form(2): unknown handler: FormShut", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    OnPoke = WidgetQuery\n  end\nend",
     "test.form(3): handler signature mismatch: WidgetQuery for OnPoke", false},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Buddy = Widget7\n  end\nend",
     "test.form(3): unknown component reference: Widget7", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Buddy = Form1\n  end\nend",
     "test.form(3): component reference class mismatch: Form1 (TTestForm, expected TPeer)", true},
    {"object Form1: TTestForm\n  object Widget1: TWidget\n    Fails = 'x'\n  end\nend",
     "test.form(3): cannot set Fails: 'x' (refused x)", false},
};

TEST_F(FormReader, RaisesANamedErrorForEveryFault)
{
    for (const BadCase& C : BadCases) {
        SCOPED_TRACE(C.Data);
        TTestForm Fresh;
        std::string Message;
        try {
            ReadForm(&Fresh, C.Data, "test.form", TTestForm::Published());
        } catch (const EReadError& E) {
            Message = E.Message();
        }
        EXPECT_EQ(Message, C.Message);
        std::vector<std::string> Expected;
        if (C.FoundByCheck)
            Expected.push_back(C.Message);
        EXPECT_EQ(CheckForm(TTestForm::TypeInfo(), C.Data, "test.form", TTestForm::Published()), Expected);
    }
}

TEST_F(FormReader, CheckReportsEveryProblemInDataOrder)
{
    const char* Data = "object Form1: TTestForm\n"
                       "  object Widget1: TWidget\n"
                       "    Buddy = Nobody\n"
                       "    Cuont = 1\n"
                       "  end\n"
                       "  object Widget5: TNoSuch\n"
                       "    Anything = 1\n"
                       "    object Widget2: TWidget\n"
                       "      Shade = shNone\n"
                       "    end\n"
                       "  end\n"
                       "end\n";
    EXPECT_EQ(CheckForm(TTestForm::TypeInfo(), Data, "a.form", TTestForm::Published()),
              (std::vector<std::string>{
                  "a.form(3): unknown component reference: Nobody",
                  "a.form(4): unknown property: Cuont",
                  "a.form(6): unknown class: TNoSuch",
                  "a.form(6): unknown field: Widget5",
                  "a.form(9): unknown enumeration name: shNone",
              }));
}

TEST_F(FormReader, AnErrorLeavesEveryCreatedComponentOwnedByTheRootAndSkipsLoaded)
{
    // Three components exist when the reference fails; the fixture's form frees them.
    EXPECT_EQ(ReadError("object Form1: TTestForm\n"
                        "  object Widget1: TWidget\n"
                        "    Buddy = Missing\n"
                        "    object Widget2: TWidget\n"
                        "    end\n"
                        "  end\n"
                        "  object Gizmo1: TGizmo\n"
                        "  end\n"
                        "end\n"),
              "test.form(3): unknown component reference: Missing");
    ASSERT_EQ(Form.ComponentCount(), 3);
    for (int I = 0; I < Form.ComponentCount(); ++I)
        EXPECT_EQ(Form.Components(I)->Owner(), &Form);
    EXPECT_TRUE(LoadedLog.empty());
}

TEST_F(FormReader, AComponentOfTheWrongClassForItsFieldIsStillOwned)
{
    EXPECT_NE(ReadError("object Form1: TTestForm\n  object Widget1: TWidget\n  end\n"
                        "  object Gizmo1: TWidget\n  end\nend\n"),
              "");
    EXPECT_EQ(Form.ComponentCount(), 2);
    EXPECT_EQ(Form.Gizmo1, nullptr);
}

TEST_F(FormReader, ReadingTheSameNamesTwiceOntoOneRootIsADuplicate)
{
    Read(FormReaderTestForm);
    EXPECT_EQ(ReadError(FormReaderTestForm), "test.form(5): duplicate component name: Widget1");
}

TEST_F(FormReader, RootLineMayNameAnAncestorOfTheRootsClass)
{
    Read("object Main: TTestFormBase\n  Caption = 'base'\nend\n");
    EXPECT_EQ(Form.Name(), "Main");
    EXPECT_EQ(Form.Caption(), "base");
}

TEST(ReadComponent, CreatesAndNamesComponentsButBindsNothing)
{
    LoadedLog.clear();
    TTestForm Form;
    // A designed form's own class is not compiled in; its fields and handlers are not known.
    ReadComponent(&Form,
                  "object Designed1: TDesigned1\n"
                  "  OnOpen = AnyHandler\n"
                  "  object Extra: TWidget\n"
                  "    OnPoke = OtherHandler\n"
                  "    Buddy = Widget1\n"
                  "  end\n"
                  "  object Widget1: TWidget\n"
                  "  end\n"
                  "end\n",
                  "designed.form");
    EXPECT_EQ(Form.Name(), "Designed1");
    ASSERT_EQ(Form.ComponentCount(), 2);
    auto* Extra = dynamic_cast<TWidget*>(Form.FindComponent("Extra"));
    ASSERT_NE(Extra, nullptr);
    EXPECT_EQ(Extra->Buddy(), Form.FindComponent("Widget1"));
    EXPECT_FALSE(Extra->OnPoke);
    EXPECT_FALSE(Form.OnOpen);
    EXPECT_EQ(Form.Widget1, nullptr);
    EXPECT_EQ(LoadedLog, (std::vector<std::string>{"Extra->Widget1", "Widget1", "Designed1"}));
}

TEST(ReadComponent, StillRejectsARegisteredRootClassThatDoesNotFit)
{
    TTestForm Form;
    try {
        ReadComponent(&Form, "object Form1: TWidget\nend\n", "designed.form");
        ADD_FAILURE() << "no error";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Message(), "designed.form(1): root class mismatch: TWidget (the form is a TTestForm)");
    }
}

} // namespace
