#include "TypInfo.hpp"

#include "Classes.hpp"

#include <map>
#include <memory>

bool TTypeInfo::InheritsFrom(const TTypeInfo* Class) const
{
    for (const TTypeInfo* T = this; T != nullptr; T = T->Parent)
        if (T == Class)
            return true;
    return false;
}

TTypeInfo SimpleTypeInfo(std::string Name, TTypeKind Kind)
{
    TTypeInfo Info;
    Info.Name = std::move(Name);
    Info.Kind = Kind;
    return Info;
}

TPropInfo MakePropInfo(std::string Name, const TTypeInfo* Type)
{
    TPropInfo Info;
    Info.Name = std::move(Name);
    Info.PropType = Type;
    return Info;
}

std::string ClassNameOf(const TObject* Object)
{
    return Object ? Object->ClassName() : std::string("nil");
}

namespace {

const TPropInfo& Checked(const TObject* Instance, const TPropInfo* PropInfo)
{
    if (Instance == nullptr || PropInfo == nullptr)
        throw EPropertyError("Property access without an instance or property information");
    return *PropInfo;
}

EPropertyError WrongKind(const TPropInfo& P, const char* Access)
{
    return EPropertyError("Property " + P.Name + " of type " + P.PropType->Name + " cannot be " + Access);
}

std::map<std::string, const TTypeInfo*>& ClassRegistry()
{
    static std::map<std::string, const TTypeInfo*> Registry;
    return Registry;
}

} // namespace

TOrdValue GetOrdProp(const TObject* Instance, const TPropInfo* PropInfo)
{
    const TPropInfo& P = Checked(Instance, PropInfo);
    if (P.GetObj)
        return TOrdValue(P.GetObj(Instance));
    if (P.GetOrd)
        return TOrdValue(P.GetOrd(Instance));
    throw WrongKind(P, "read as an ordinal");
}

void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, TOrdValue Value)
{
    const TPropInfo& P = Checked(Instance, PropInfo);
    if (P.PropType->Kind == tkClass) {
        if (!P.SetObj)
            throw WrongKind(P, "written: it is read-only");
        P.SetObj(Instance, Value.Object);
        return;
    }
    if (!P.SetOrd)
        throw WrongKind(P, "written as an ordinal");
    P.SetOrd(Instance, Value.Ordinal);
}

std::string GetStrProp(const TObject* Instance, const TPropInfo* PropInfo)
{
    const TPropInfo& P = Checked(Instance, PropInfo);
    if (!P.GetStr)
        throw WrongKind(P, "read as a string");
    return P.GetStr(Instance);
}

void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const std::string& Value)
{
    const TPropInfo& P = Checked(Instance, PropInfo);
    if (!P.SetStr)
        throw WrongKind(P, "written as a string");
    P.SetStr(Instance, Value);
}

const TPropInfo* GetPropInfo(const TTypeInfo* Class, const std::string& Name)
{
    for (const TTypeInfo* T = Class; T != nullptr; T = T->Parent)
        for (const TPropInfo& P : T->Properties)
            if (SameText(P.Name, Name))
                return &P;
    return nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TTypeInfo* Class)
{
    std::vector<const TTypeInfo*> Chain;
    for (const TTypeInfo* T = Class; T != nullptr; T = T->Parent)
        Chain.insert(Chain.begin(), T);
    std::vector<const TPropInfo*> List;
    for (const TTypeInfo* T : Chain)
        for (const TPropInfo& P : T->Properties) {
            // A descendant may republish a property under the same name; it replaces the ancestor's.
            auto Same = [&P](const TPropInfo* Q) { return SameText(Q->Name, P.Name); };
            std::erase_if(List, Same);
            List.push_back(&P);
        }
    return List;
}

std::string GetEnumName(const TTypeInfo* Type, std::int64_t Value)
{
    if (Value < 0 || Value >= static_cast<std::int64_t>(Type->EnumNames.size()))
        return IntToStr(Value);
    return Type->EnumNames[static_cast<std::size_t>(Value)];
}

std::int64_t GetEnumValue(const TTypeInfo* Type, const std::string& Name)
{
    for (std::size_t I = 0; I < Type->EnumNames.size(); ++I)
        if (SameText(Type->EnumNames[I], Name))
            return static_cast<std::int64_t>(I);
    return -1;
}

const TTypeInfo* IntegerTypeInfo()
{
    static const TTypeInfo Info = SimpleTypeInfo("Integer", tkInteger);
    return &Info;
}

const TTypeInfo* BooleanTypeInfo()
{
    static const TTypeInfo* Info = MakeEnumTypeInfo("Boolean", {"False", "True"});
    return Info;
}

const TTypeInfo* StringTypeInfo()
{
    static const TTypeInfo Info = SimpleTypeInfo("string", tkString);
    return &Info;
}

const TTypeInfo* MakeEnumTypeInfo(std::string Name, std::vector<std::string> Names)
{
    // Enumeration types live as long as the program, as compiled type information does.
    static std::vector<std::unique_ptr<TTypeInfo>> Types;
    auto Info = std::make_unique<TTypeInfo>();
    Info->Name = std::move(Name);
    Info->Kind = tkEnumeration;
    Info->EnumNames = std::move(Names);
    Types.push_back(std::move(Info));
    return Types.back().get();
}

void RegisterClass(const TTypeInfo* Class)
{
    ClassRegistry()[UpperCase(Class->Name)] = Class;
}

const TTypeInfo* FindClass(const std::string& Name)
{
    auto& Registry = ClassRegistry();
    auto It = Registry.find(UpperCase(Name));
    return It == Registry.end() ? nullptr : It->second;
}
