#include "FormReader.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

const TPublishedBase::TEntry* TPublishedBase::FindField(const std::string& Name) const
{
    for (const TEntry& E : FEntries)
        if (E.Assign && SameText(E.Name, Name))
            return &E;
    return nullptr;
}

const TPublishedBase::TEntry* TPublishedBase::FindHandler(const std::string& Name) const
{
    for (const TEntry& E : FEntries)
        if (E.Bind && SameText(E.Name, Name))
            return &E;
    return nullptr;
}

namespace {

class TNoBindings : public TPublishedBase
{
public:
    TNoBindings() : TPublishedBase({}) {}
    bool Accepts(const TComponent* /*Form*/) const override { return true; }
    bool Binds() const override { return false; }
};

// Where problems go: reading raises the first one, checking collects them all with their lines.
class TReport
{
public:
    TReport(const std::string& Source, std::vector<std::pair<int, std::string>>* Collected = nullptr)
        : FSource(Source), FCollected(Collected)
    {
    }

    // Raises the problem, or records it when collecting.
    void operator()(int Line, const std::string& What, const std::string& Name) const
    {
        if (FCollected == nullptr)
            Raise(Line, What, Name);
        FCollected->emplace_back(Line, Format(Line, What, Name));
    }

    // For problems that end reading whatever is done with the rest.
    [[noreturn]] void Raise(int Line, const std::string& What, const std::string& Name) const
    {
        throw EReadError(Format(Line, What, Name));
    }

private:
    std::string Format(int Line, const std::string& What, const std::string& Name) const
    {
        return FSource + "(" + IntToStr(Line) + "): " + What + ": " + Name;
    }

    const std::string& FSource;
    std::vector<std::pair<int, std::string>>* FCollected;
};

// ---- Text to tree ----

enum class TTokenKind
{
    Name,
    String,
    Number,
    Symbol,
    EndOfData
};

struct TToken
{
    TTokenKind Kind = TTokenKind::EndOfData;
    // A name or symbol as written; a string's decoded value.
    std::string Text;
    std::int64_t Number = 0;
    int Line = 1;
    // Where the token stands in the data.
    std::size_t Start = 0;
    std::size_t End = 0;
};

bool IsNameStart(char C)
{
    return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}

bool IsNamePart(char C)
{
    return std::isalnum(static_cast<unsigned char>(C)) || C == '_' || C == '.';
}

void AppendUtf8(std::string& S, std::uint32_t Code)
{
    auto Byte = [&S](std::uint32_t B) { S += static_cast<char>(B); };
    if (Code < 0x80) {
        Byte(Code);
    } else if (Code < 0x800) {
        Byte(0xC0 | (Code >> 6));
        Byte(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Byte(0xE0 | (Code >> 12));
        Byte(0x80 | ((Code >> 6) & 0x3F));
        Byte(0x80 | (Code & 0x3F));
    } else {
        Byte(0xF0 | (Code >> 18));
        Byte(0x80 | ((Code >> 12) & 0x3F));
        Byte(0x80 | ((Code >> 6) & 0x3F));
        Byte(0x80 | (Code & 0x3F));
    }
}

class TLexer
{
public:
    TLexer(const std::string& Data, const TReport& Report) : FData(Data), FReport(Report) { Scan(); }

    const TToken& Peek() const { return FToken; }
    TToken Next()
    {
        TToken T = std::move(FToken);
        Scan();
        return T;
    }
    // The token as written, for messages.
    std::string Describe(const TToken& T) const
    {
        if (T.Kind == TTokenKind::EndOfData)
            return "end of data";
        return FData.substr(T.Start, T.End - T.Start);
    }
    std::string Span(std::size_t Start, std::size_t End) const
    {
        // Values continued on further lines read as one line in messages.
        std::string Text;
        for (std::size_t I = Start; I < End; ++I) {
            bool Space = std::isspace(static_cast<unsigned char>(FData[I]));
            if (!Space)
                Text += FData[I];
            else if (!Text.empty() && Text.back() != ' ')
                Text += ' ';
        }
        return Text;
    }

private:
    char At(std::size_t I) const { return I < FData.size() ? FData[I] : '\0'; }

    void Scan()
    {
        while (FPos < FData.size() && std::isspace(static_cast<unsigned char>(FData[FPos]))) {
            if (FData[FPos] == '\n')
                ++FLine;
            ++FPos;
        }
        FToken = TToken();
        FToken.Start = FPos;
        // The end of the data is reported on the line of the last text before it.
        FToken.Line = FPos < FData.size() ? FLine : FLastTextLine;
        char C = At(FPos);
        if (FPos >= FData.size()) {
            FToken.Kind = TTokenKind::EndOfData;
        } else if (IsNameStart(C)) {
            FToken.Kind = TTokenKind::Name;
            while (FPos < FData.size() && IsNamePart(FData[FPos]))
                ++FPos;
            FToken.Text = FData.substr(FToken.Start, FPos - FToken.Start);
        } else if (std::isdigit(static_cast<unsigned char>(C)) || C == '$' ||
                   ((C == '-' || C == '+') &&
                    (std::isdigit(static_cast<unsigned char>(At(FPos + 1))) || At(FPos + 1) == '$'))) {
            ScanNumber();
        } else if (C == '\'' || C == '#') {
            ScanString();
        } else {
            FToken.Kind = TTokenKind::Symbol;
            FToken.Text = std::string(1, C);
            ++FPos;
        }
        FToken.End = FPos;
        if (FToken.Kind != TTokenKind::EndOfData)
            FLastTextLine = FLine;
    }

    // Decimal or $-hexadecimal digits from FPos; nullopt when there are none or they overflow.
    std::optional<std::int64_t> ScanDigits(bool Negative)
    {
        int Base = 10;
        if (At(FPos) == '$') {
            Base = 16;
            ++FPos;
        }
        std::size_t First = FPos;
        while (FPos < FData.size() && std::isxdigit(static_cast<unsigned char>(FData[FPos])) &&
               (Base == 16 || std::isdigit(static_cast<unsigned char>(FData[FPos]))))
            ++FPos;
        std::uint64_t Magnitude = 0;
        auto [Ptr, Error] = std::from_chars(FData.data() + First, FData.data() + FPos, Magnitude, Base);
        const auto Limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        if (First == FPos || Error != std::errc() || Magnitude > Limit + (Negative ? 1 : 0))
            return std::nullopt;
        return Negative ? static_cast<std::int64_t>(0 - Magnitude) : static_cast<std::int64_t>(Magnitude);
    }

    void ScanNumber()
    {
        FToken.Kind = TTokenKind::Number;
        bool Negative = At(FPos) == '-';
        if (At(FPos) == '-' || At(FPos) == '+')
            ++FPos;
        std::optional<std::int64_t> Value = ScanDigits(Negative);
        bool Trailing = IsNamePart(At(FPos));
        while (IsNamePart(At(FPos)))
            ++FPos;
        if (!Value || Trailing)
            FReport.Raise(FLine, "invalid number", FData.substr(FToken.Start, FPos - FToken.Start));
        FToken.Number = *Value;
        FToken.Text = FData.substr(FToken.Start, FPos - FToken.Start);
    }

    // A run of quoted parts and #character codes written without space between them.
    void ScanString()
    {
        FToken.Kind = TTokenKind::String;
        for (;;) {
            if (At(FPos) == '\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FData.size() || FData[FPos] == '\n' || FData[FPos] == '\r')
                        FReport.Raise(FLine, "unterminated string",
                                      FData.substr(FToken.Start, FPos - FToken.Start));
                    if (FData[FPos] == '\'') {
                        ++FPos;
                        if (At(FPos) != '\'')
                            break;
                    }
                    FToken.Text += FData[FPos++];
                }
            } else if (At(FPos) == '#') {
                std::size_t Hash = FPos++;
                std::optional<std::int64_t> Code = ScanDigits(false);
                bool Surrogate = Code && *Code >= 0xD800 && *Code <= 0xDFFF;
                if (!Code || *Code > 0x10FFFF || Surrogate)
                    FReport.Raise(FLine, "invalid character code",
                                  FData.substr(Hash, std::max(FPos - Hash, std::size_t{1})));
                AppendUtf8(FToken.Text, static_cast<std::uint32_t>(*Code));
            } else {
                return;
            }
        }
    }

    const std::string& FData;
    const TReport& FReport;
    std::size_t FPos = 0;
    int FLine = 1;
    int FLastTextLine = 1;
    TToken FToken;
};

struct TValue
{
    enum TKind : std::uint8_t
    {
        vkNumber,
        vkString,
        vkName,
        vkSet,
        vkList
    };
    TKind Kind = vkNumber;
    std::int64_t Number = 0;
    // A string's text, or a name.
    std::string Text;
    // A set's element names, or a list's strings.
    std::vector<std::string> Items;
    // As written, for messages.
    std::string Source;
};

struct TPropertyNode
{
    std::string Path;
    int Line = 0;
    TValue Value;
};

struct TObjectNode
{
    std::string Name;
    std::string ClassName;
    int Line = 0;
    std::vector<TPropertyNode> Properties;
    std::vector<TObjectNode> Children;

    // The object's name for messages: unnamed objects go by their class.
    const std::string& Title() const { return Name.empty() ? ClassName : Name; }
};

// Parses the whole text before anything is created; a syntax error always ends it.
class TParser
{
public:
    TParser(const std::string& Data, const std::string& Source) : FReport(Source), FLexer(Data, FReport) {}

    TObjectNode Parse()
    {
        if (!IsKeyword(FLexer.Peek(), "object"))
            SyntaxError("object");
        TObjectNode Root = ParseObject();
        if (FLexer.Peek().Kind != TTokenKind::EndOfData)
            SyntaxError("end of data");
        return Root;
    }

private:
    static bool IsKeyword(const TToken& T, const char* Keyword)
    {
        return T.Kind == TTokenKind::Name && SameText(T.Text, Keyword);
    }
    static bool IsSymbol(const TToken& T, char Symbol)
    {
        return T.Kind == TTokenKind::Symbol && T.Text[0] == Symbol;
    }

    [[noreturn]] void SyntaxError(const std::string& Expected)
    {
        const TToken& T = FLexer.Peek();
        FReport.Raise(T.Line, "syntax error", FLexer.Describe(T) + " (expected " + Expected + ")");
    }

    std::string ExpectName(const char* What)
    {
        if (FLexer.Peek().Kind != TTokenKind::Name)
            SyntaxError(What);
        return FLexer.Next().Text;
    }

    void ExpectSymbol(char Symbol)
    {
        if (!IsSymbol(FLexer.Peek(), Symbol))
            SyntaxError(std::string(1, Symbol));
        FLexer.Next();
    }

    TObjectNode ParseObject()
    {
        TObjectNode Node;
        Node.Line = FLexer.Next().Line;
        std::string First = ExpectName("a component name");
        if (IsSymbol(FLexer.Peek(), ':')) {
            FLexer.Next();
            Node.Name = First;
            Node.ClassName = ExpectName("a class name");
        } else {
            Node.ClassName = First;
        }
        for (;;) {
            const TToken& T = FLexer.Peek();
            if (T.Kind == TTokenKind::EndOfData)
                FReport.Raise(Node.Line, "missing end", Node.Title());
            if (IsKeyword(T, "end")) {
                FLexer.Next();
                return Node;
            }
            if (IsKeyword(T, "object"))
                Node.Children.push_back(ParseObject());
            else if (T.Kind == TTokenKind::Name && Node.Children.empty())
                Node.Properties.push_back(ParseProperty());
            else
                SyntaxError(Node.Children.empty() ? "a property, object or end" : "object or end");
        }
    }

    TPropertyNode ParseProperty()
    {
        TPropertyNode Node;
        Node.Line = FLexer.Peek().Line;
        Node.Path = FLexer.Next().Text;
        ExpectSymbol('=');
        Node.Value = ParseValue();
        return Node;
    }

    TValue ParseValue()
    {
        std::size_t Start = FLexer.Peek().Start;
        std::size_t End = FLexer.Peek().End;
        TValue V;
        const TToken& T = FLexer.Peek();
        if (T.Kind == TTokenKind::Number) {
            V.Kind = TValue::vkNumber;
            V.Number = FLexer.Next().Number;
        } else if (T.Kind == TTokenKind::String) {
            V.Kind = TValue::vkString;
            V.Text = ParseString(End);
        } else if (T.Kind == TTokenKind::Name) {
            V.Kind = TValue::vkName;
            V.Text = FLexer.Next().Text;
        } else if (IsSymbol(T, '[')) {
            V.Kind = TValue::vkSet;
            FLexer.Next();
            while (!IsSymbol(FLexer.Peek(), ']')) {
                if (!V.Items.empty())
                    ExpectSymbol(',');
                V.Items.push_back(ExpectName("a set element or ]"));
            }
            End = FLexer.Next().End;
        } else if (IsSymbol(T, '(')) {
            V.Kind = TValue::vkList;
            FLexer.Next();
            while (!IsSymbol(FLexer.Peek(), ')')) {
                if (FLexer.Peek().Kind != TTokenKind::String)
                    SyntaxError("a string or )");
                V.Items.push_back(ParseString(End));
            }
            End = FLexer.Next().End;
        } else {
            SyntaxError("a value");
        }
        V.Source = FLexer.Span(Start, End);
        return V;
    }

    // A string, or strings joined with +; End becomes the end of the last one.
    std::string ParseString(std::size_t& End)
    {
        TToken First = FLexer.Next();
        std::string Text = First.Text;
        End = First.End;
        while (IsSymbol(FLexer.Peek(), '+')) {
            FLexer.Next();
            if (FLexer.Peek().Kind != TTokenKind::String)
                SyntaxError("a string");
            TToken Part = FLexer.Next();
            Text += Part.Text;
            End = Part.End;
        }
        return Text;
    }

    TReport FReport;
    TLexer FLexer;
};

// ---- Names and values against type information ----

bool ClassNamed(const TTypeInfo* Class, const std::string& Name)
{
    for (const TTypeInfo* T = Class; T != nullptr; T = T->Parent)
        if (SameText(T->Name, Name))
            return true;
    return false;
}

bool IsStringsClass(const TTypeInfo* Class)
{
    return Class != nullptr && Class->InheritsFrom(TStrings::TypeInfo());
}

std::vector<std::string> SplitPath(const std::string& Path)
{
    std::vector<std::string> Names(1);
    for (char C : Path)
        if (C == '.')
            Names.emplace_back();
        else
            Names.back() += C;
    return Names;
}

// A property value converted for the type of its property.
struct TSetting
{
    enum TKind : std::uint8_t
    {
        skOrdinal,
        skString,
        skNil,
        skReference,
        skHandler
    };
    TKind Kind = skOrdinal;
    std::int64_t Ordinal = 0;
    // A string's text, or the name of a component or handler.
    std::string Text;
};

std::optional<TSetting> Convert(const TPropertyNode& Node, const TPropInfo& Prop, const TReport& Report)
{
    const TValue& V = Node.Value;
    const TTypeInfo* Type = Prop.PropType;
    auto Make = [](TSetting::TKind Kind, std::int64_t Ordinal, std::string Text) {
        TSetting S;
        S.Kind = Kind;
        S.Ordinal = Ordinal;
        S.Text = std::move(Text);
        return std::optional<TSetting>(std::move(S));
    };
    auto Fail = [&](const std::string& What, const std::string& Name) {
        Report(Node.Line, What, Name);
        return std::optional<TSetting>();
    };
    switch (Type->Kind) {
    case tkInteger:
        if (V.Kind == TValue::vkNumber) {
            if (V.Number < std::numeric_limits<std::int32_t>::min() ||
                V.Number > std::numeric_limits<std::int32_t>::max())
                return Fail("invalid value for " + Node.Path, V.Source + " (out of range)");
            return Make(TSetting::skOrdinal, V.Number, "");
        }
        if (V.Kind == TValue::vkName) {
            for (const auto& [Name, Value] : Type->Idents)
                if (SameText(Name, V.Text))
                    return Make(TSetting::skOrdinal, Value, "");
            return Fail("unknown value", V.Text);
        }
        break;
    case tkEnumeration:
        if (V.Kind == TValue::vkName) {
            std::int64_t Value = GetEnumValue(Type, V.Text);
            if (Value < 0)
                return Fail("unknown enumeration name", V.Text);
            return Make(TSetting::skOrdinal, Value, "");
        }
        break;
    case tkSet:
        if (V.Kind == TValue::vkSet) {
            std::uint64_t Mask = 0;
            for (const std::string& Name : V.Items) {
                std::int64_t Value = GetEnumValue(Type, Name);
                if (Value < 0 || Value >= 64)
                    return Fail("unknown enumeration name", Name);
                Mask |= std::uint64_t{1} << Value;
            }
            return Make(TSetting::skOrdinal, static_cast<std::int64_t>(Mask), "");
        }
        break;
    case tkString:
        if (V.Kind == TValue::vkString)
            return Make(TSetting::skString, 0, V.Text);
        break;
    case tkClass:
        if (V.Kind == TValue::vkName && SameText(V.Text, "nil"))
            return Make(TSetting::skNil, 0, "");
        // A name in an object property refers to a component; other objects are set by their
        // own properties (Font.Name).
        if (V.Kind == TValue::vkName && Type->InheritsFrom(TComponent::TypeInfo()))
            return Make(TSetting::skReference, 0, V.Text);
        break;
    case tkMethod:
        if (V.Kind == TValue::vkName)
            return Make(TSetting::skHandler, 0, V.Text);
        break;
    default:
        break;
    }
    return Fail("invalid value for " + Node.Path, V.Source);
}

// Where a property path ends: the object that holds its last property. Prop is nullptr when the
// path names a string list itself, as "Items.Strings" does.
template <class TPlace> struct TPathEnd
{
    TPlace Place;
    const TPropInfo* Prop = nullptr;
};

// Follows Node's dotted path from Start. Places are objects when reading and classes when checking:
// ClassOf gives a place's class, Inner the place an object property leads to (nullopt after it has
// reported why there is none).
template <class TPlace, class FClassOf, class FInner>
std::optional<TPathEnd<TPlace>> ResolvePath(TPlace Start, const TPropertyNode& Node, FClassOf ClassOf,
                                            FInner Inner, const TReport& Report)
{
    std::vector<std::string> Names = SplitPath(Node.Path);
    bool IsList = Node.Value.Kind == TValue::vkList;
    TPlace Place = Start;
    for (std::size_t I = 0; I < Names.size(); ++I) {
        bool Last = I + 1 == Names.size();
        if (Last && IsList && I > 0 && SameText(Names[I], "Strings") && IsStringsClass(ClassOf(Place)))
            return TPathEnd<TPlace>{Place, nullptr};
        const TPropInfo* P = GetPropInfo(ClassOf(Place), Names[I]);
        if (P == nullptr || (!Last && P->PropType->Kind != tkClass)) {
            Report(Node.Line, "unknown property", Node.Path);
            return std::nullopt;
        }
        if (Last && !IsList)
            return TPathEnd<TPlace>{Place, P};
        if (Last && !IsStringsClass(P->PropType)) {
            Report(Node.Line, "invalid value for " + Node.Path, Node.Value.Source);
            return std::nullopt;
        }
        std::optional<TPlace> Next = Inner(Place, *P);
        if (!Next)
            return std::nullopt;
        Place = *Next;
    }
    return TPathEnd<TPlace>{Place, nullptr};
}

bool RootClassFits(const TTypeInfo* RootClass, const TObjectNode& Node, const TPublishedBase& Published)
{
    // A designed form's own class need not exist: it is read onto the class it was designed from.
    return ClassNamed(RootClass, Node.ClassName) ||
           (!Published.Binds() && FindClass(Node.ClassName) == nullptr);
}

std::string ClassMismatch(const std::string& Name, const std::string& Actual, const std::string& Expected)
{
    return Name + " (" + Actual + ", expected " + Expected + ")";
}

// ---- Reading onto a root ----

class TFormReader
{
public:
    TFormReader(TComponent* Root, const TPublishedBase& Published, const TReport& Report)
        : FRoot(Root), FPublished(Published), FReport(Report)
    {
    }

    void Read(const TObjectNode& Node)
    {
        if (!RootClassFits(FRoot->ClassInfo(), Node, FPublished))
            FReport.Raise(Node.Line, "root class mismatch",
                          Node.ClassName + " (the form is a " + FRoot->ClassName() + ")");
        if (!FPublished.Accepts(FRoot))
            FReport.Raise(Node.Line, "published table is for another class", FRoot->ClassName());
        if (!Node.Name.empty())
            FRoot->SetName(Node.Name);
        FRoot->SetLoading(true);
        try {
            ReadObject(Node, FRoot);
            ResolveReferences();
        } catch (...) {
            EndLoading();
            throw;
        }
        EndLoading();
        for (const auto& [Component, Object] : FCreated)
            Guard(Object->Line, "cannot finish loading", Object->Title(), [C = Component] { C->Loaded(); });
        Guard(Node.Line, "cannot finish loading", Node.Title(), [this] { FRoot->Loaded(); });
    }

private:
    void EndLoading()
    {
        FRoot->SetLoading(false);
        for (const auto& Created : FCreated)
            Created.first->SetLoading(false);
    }

    struct TReference
    {
        TObject* Instance;
        const TPropInfo* Prop;
        const TPropertyNode* Node;
    };

    // Runs Apply; a platform error it raises becomes a read error at Line.
    template <class FApply>
    void Guard(int Line, const std::string& What, const std::string& Name, FApply Apply)
    {
        try {
            Apply();
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& E) {
            FReport.Raise(Line, What, Name + " (" + E.Message() + ")");
        }
    }

    void ReadObject(const TObjectNode& Node, TComponent* Instance)
    {
        for (const TPropertyNode& P : Node.Properties)
            ReadProperty(Instance, P);
        for (const TObjectNode& Child : Node.Children)
            ReadObject(Child, CreateChild(Child, Instance));
    }

    TComponent* CreateChild(const TObjectNode& Node, TComponent* Parent)
    {
        const TTypeInfo* Class = FindClass(Node.ClassName);
        if (Class == nullptr)
            FReport.Raise(Node.Line, "unknown class", Node.ClassName);
        if (!Class->Create)
            FReport.Raise(Node.Line, "not a component class", Node.ClassName);
        const TPublishedBase::TEntry* FieldEntry = nullptr;
        if (!Node.Name.empty()) {
            if (FRoot->FindComponent(Node.Name) != nullptr || SameText(Node.Name, FRoot->Name()))
                FReport.Raise(Node.Line, "duplicate component name", Node.Name);
            FieldEntry = FPublished.FindField(Node.Name);
            if (FieldEntry == nullptr && FPublished.Binds())
                FReport.Raise(Node.Line, "unknown field", Node.Name);
        }
        // Owned by the root from here on, so an error below leaves nothing unowned.
        TComponent* Component = nullptr;
        Guard(Node.Line, "cannot create", Node.ClassName, [&] { Component = Class->Create(FRoot); });
        FCreated.emplace_back(Component, &Node);
        Component->SetLoading(true);
        Component->SetName(Node.Name);
        if (FieldEntry != nullptr && !FieldEntry->Assign(FRoot, Component))
            FReport.Raise(Node.Line, "field class mismatch",
                          ClassMismatch(Node.Name, Component->ClassName(), FieldEntry->FieldClass->Name));
        Guard(Node.Line, "cannot place", Node.Title(), [&] { Component->SetParentComponent(Parent); });
        return Component;
    }

    void ReadProperty(TObject* Instance, const TPropertyNode& Node)
    {
        auto ClassOf = [](TObject* O) { return O->ClassInfo(); };
        auto Inner = [&](TObject* O, const TPropInfo& P) -> std::optional<TObject*> {
            TObject* Object = P.GetObj ? P.GetObj(O) : nullptr;
            if (Object == nullptr)
                FReport.Raise(Node.Line, "no object in property", Node.Path);
            return Object;
        };
        std::optional<TPathEnd<TObject*>> End =
            ResolvePath<TObject*>(Instance, Node, ClassOf, Inner, FReport);
        TObject* Object = End->Place;
        const std::string What = "cannot set " + Node.Path;
        if (End->Prop == nullptr) {
            auto* List = dynamic_cast<TStrings*>(Object);
            if (List == nullptr)
                FReport.Raise(Node.Line, "invalid value for " + Node.Path, Node.Value.Source);
            Guard(Node.Line, What, Node.Value.Source, [&] {
                List->Clear();
                for (const std::string& S : Node.Value.Items)
                    List->Add(S);
            });
            return;
        }
        const TPropInfo* Prop = End->Prop;
        if (!Prop->Writable())
            FReport.Raise(Node.Line, "read-only property", Node.Path);
        TSetting Setting = *Convert(Node, *Prop, FReport);
        switch (Setting.Kind) {
        case TSetting::skOrdinal:
            Guard(Node.Line, What, Node.Value.Source,
                  [&] { SetOrdProp(Object, Prop, TOrdValue(Setting.Ordinal)); });
            break;
        case TSetting::skString:
            Guard(Node.Line, What, Node.Value.Source, [&] { SetStrProp(Object, Prop, Setting.Text); });
            break;
        case TSetting::skNil:
            Guard(Node.Line, What, Node.Value.Source,
                  [&] { SetOrdProp(Object, Prop, TOrdValue(static_cast<TObject*>(nullptr))); });
            break;
        case TSetting::skReference:
            FReferences.push_back(TReference{Object, Prop, &Node});
            break;
        case TSetting::skHandler:
            BindHandler(Object, *Prop, Node, Setting.Text);
            break;
        }
    }

    void BindHandler(TObject* Object, const TPropInfo& Prop, const TPropertyNode& Node,
                     const std::string& Name)
    {
        if (!FPublished.Binds())
            return;
        const TPublishedBase::TEntry* Entry = FPublished.FindHandler(Name);
        if (Entry == nullptr)
            FReport.Raise(Node.Line, "unknown handler", Name);
        if (!Prop.SetMethod)
            FReport.Raise(Node.Line, "read-only property", Node.Path);
        std::any Bound = Entry->Bind(FRoot);
        Guard(Node.Line, "cannot set " + Node.Path, Name, [&] {
            try {
                Prop.SetMethod(Object, Bound);
            } catch (const std::bad_any_cast&) {
                FReport.Raise(Node.Line, "handler signature mismatch", Name + " for " + Node.Path);
            }
        });
    }

    void ResolveReferences()
    {
        for (const TReference& R : FReferences) {
            const std::string& Name = R.Node->Value.Text;
            TComponent* Target = SameText(Name, FRoot->Name()) ? FRoot : FRoot->FindComponent(Name);
            if (Target == nullptr)
                FReport.Raise(R.Node->Line, "unknown component reference", Name);
            if (!Target->InheritsFrom(R.Prop->PropType))
                FReport.Raise(R.Node->Line, "component reference class mismatch",
                              ClassMismatch(Name, Target->ClassName(), R.Prop->PropType->Name));
            Guard(R.Node->Line, "cannot set " + R.Node->Path, Name,
                  [&] { SetOrdProp(R.Instance, R.Prop, TOrdValue(static_cast<TObject*>(Target))); });
        }
    }

    TComponent* FRoot;
    const TPublishedBase& FPublished;
    const TReport& FReport;
    std::vector<std::pair<TComponent*, const TObjectNode*>> FCreated;
    std::vector<TReference> FReferences;
};

// ---- Checking against classes ----

class TFormCheck
{
public:
    TFormCheck(const TTypeInfo* RootClass, const TPublishedBase& Published, const TReport& Report)
        : FRootClass(RootClass), FPublished(Published), FReport(Report)
    {
    }

    void Check(const TObjectNode& Node)
    {
        if (!RootClassFits(FRootClass, Node, FPublished))
            FReport(Node.Line, "root class mismatch",
                    Node.ClassName + " (the form is a " + FRootClass->Name + ")");
        if (!Node.Name.empty())
            FNames.emplace_back(Node.Name, FRootClass);
        CheckObject(Node, FRootClass);
        for (const TReference& R : FReferences) {
            const std::string& Name = R.Node->Value.Text;
            auto Named = [&Name](const auto& Entry) { return SameText(Entry.first, Name); };
            auto It = std::find_if(FNames.begin(), FNames.end(), Named);
            if (It == FNames.end())
                FReport(R.Node->Line, "unknown component reference", Name);
            else if (It->second != nullptr && !It->second->InheritsFrom(R.Type))
                FReport(R.Node->Line, "component reference class mismatch",
                        ClassMismatch(Name, It->second->Name, R.Type->Name));
        }
    }

private:
    struct TReference
    {
        const TTypeInfo* Type;
        const TPropertyNode* Node;
    };

    void CheckObject(const TObjectNode& Node, const TTypeInfo* Class)
    {
        if (Class != nullptr)
            for (const TPropertyNode& P : Node.Properties)
                CheckProperty(Class, P);
        for (const TObjectNode& Child : Node.Children)
            CheckObject(Child, CheckChild(Child));
    }

    // The child's class, or nullptr when it cannot be created.
    const TTypeInfo* CheckChild(const TObjectNode& Node)
    {
        const TTypeInfo* Class = FindClass(Node.ClassName);
        if (Class == nullptr)
            FReport(Node.Line, "unknown class", Node.ClassName);
        else if (!Class->Create)
            FReport(Node.Line, "not a component class", Node.ClassName);
        if (Class != nullptr && !Class->Create)
            Class = nullptr;
        if (Node.Name.empty())
            return Class;
        auto Named = [&Node](const auto& Entry) { return SameText(Entry.first, Node.Name); };
        if (std::any_of(FNames.begin(), FNames.end(), Named))
            FReport(Node.Line, "duplicate component name", Node.Name);
        FNames.emplace_back(Node.Name, Class);
        const TPublishedBase::TEntry* FieldEntry = FPublished.FindField(Node.Name);
        if (FieldEntry == nullptr && FPublished.Binds())
            FReport(Node.Line, "unknown field", Node.Name);
        if (FieldEntry != nullptr && Class != nullptr && !Class->InheritsFrom(FieldEntry->FieldClass))
            FReport(Node.Line, "field class mismatch",
                    ClassMismatch(Node.Name, Class->Name, FieldEntry->FieldClass->Name));
        return Class;
    }

    void CheckProperty(const TTypeInfo* Class, const TPropertyNode& Node)
    {
        auto ClassOf = [](const TTypeInfo* T) { return T; };
        auto Inner = [](const TTypeInfo*, const TPropInfo& P) {
            return std::optional<const TTypeInfo*>(P.PropType);
        };
        std::optional<TPathEnd<const TTypeInfo*>> End =
            ResolvePath<const TTypeInfo*>(Class, Node, ClassOf, Inner, FReport);
        if (!End || End->Prop == nullptr)
            return;
        if (!End->Prop->Writable()) {
            FReport(Node.Line, "read-only property", Node.Path);
            return;
        }
        std::optional<TSetting> Setting = Convert(Node, *End->Prop, FReport);
        if (!Setting)
            return;
        if (Setting->Kind == TSetting::skReference)
            FReferences.push_back(TReference{End->Prop->PropType, &Node});
        if (Setting->Kind == TSetting::skHandler && FPublished.Binds() &&
            !FPublished.FindHandler(Setting->Text))
            FReport(Node.Line, "unknown handler", Setting->Text);
    }

    const TTypeInfo* FRootClass;
    const TPublishedBase& FPublished;
    const TReport& FReport;
    // Every component name of the data with its class (nullptr when that is unknown).
    std::vector<std::pair<std::string, const TTypeInfo*>> FNames;
    std::vector<TReference> FReferences;
};

} // namespace

const TPublishedBase& NoBindings()
{
    static const TNoBindings Table;
    return Table;
}

void ReadForm(TComponent* Root, const std::string& FormData, const std::string& SourceName,
              const TPublishedBase& Published)
{
    TReport Report(SourceName);
    TObjectNode Tree = TParser(FormData, SourceName).Parse();
    TFormReader(Root, Published, Report).Read(Tree);
}

void ReadComponent(TComponent* Root, const std::string& FormData, const std::string& SourceName)
{
    ReadForm(Root, FormData, SourceName, NoBindings());
}

std::vector<std::string> CheckForm(const TTypeInfo* RootClass, const std::string& FormData,
                                   const std::string& SourceName, const TPublishedBase& Published)
{
    std::vector<std::pair<int, std::string>> Problems;
    try {
        TObjectNode Tree = TParser(FormData, SourceName).Parse();
        TFormCheck(RootClass, Published, TReport(SourceName, &Problems)).Check(Tree);
    } catch (const EReadError& E) {
        Problems.emplace_back(0, E.Message());
    }
    std::stable_sort(Problems.begin(), Problems.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    std::vector<std::string> Messages;
    for (auto& [Line, Message] : Problems)
        Messages.push_back(std::move(Message));
    return Messages;
}
