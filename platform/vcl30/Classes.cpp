#include "Classes.hpp"

#include <algorithm>

TTypeInfo ClassTypeInfo(std::string Name, const TTypeInfo* Parent, std::vector<TPropInfo> Properties)
{
    TTypeInfo Info;
    Info.Name = std::move(Name);
    Info.Kind = tkClass;
    Info.Parent = Parent;
    Info.Properties = std::move(Properties);
    return Info;
}

const TTypeInfo* NotifyEventTypeInfo()
{
    static const TTypeInfo Info = SimpleTypeInfo("TNotifyEvent", tkMethod);
    return &Info;
}

const TTypeInfo* TObject::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TObject", nullptr);
    return &Info;
}

const TTypeInfo* TPersistent::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TPersistent", TObject::TypeInfo());
    return &Info;
}

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source == nullptr)
        throw EConvertError("Cannot assign nil to a " + ClassName());
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + Dest->ClassName());
}

const TTypeInfo* TComponent::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TComponent", TPersistent::TypeInfo(),
                                                {StrProp("Name", &TComponent::Name, &TComponent::SetName)});
    return &Info;
}

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner)
{
    if (FOwner)
        FOwner->FComponents.push_back(this);
}

TComponent::~TComponent()
{
    while (!FComponents.empty()) {
        TComponent* Last = FComponents.back();
        FComponents.pop_back();
        Last->FOwner = nullptr;
        delete Last;
    }
    if (FOwner)
        std::erase(FOwner->FComponents, this);
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("Component index out of bounds (" + IntToStr(Index) + ")");
    return FComponents[static_cast<std::size_t>(Index)];
}

TComponent* TComponent::FindComponent(const std::string& Name) const
{
    for (TComponent* C : FComponents)
        if (SameText(C->Name(), Name))
            return C;
    return nullptr;
}

const TTypeInfo* TStrings::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TStrings", TPersistent::TypeInfo());
    return &Info;
}

int TStrings::Add(const std::string& S)
{
    int Index = Count();
    Insert(Index, S);
    return Index;
}

int TStrings::IndexOf(const std::string& S) const
{
    for (int I = 0; I < Count(); ++I)
        if (SameText(Strings(I), S))
            return I;
    return -1;
}

std::vector<std::string> TStrings::ToVector() const
{
    std::vector<std::string> Result;
    for (int I = 0; I < Count(); ++I)
        Result.push_back(Strings(I));
    return Result;
}

void TStrings::Assign(const TPersistent* Source)
{
    if (auto* Other = dynamic_cast<const TStrings*>(Source)) {
        if (Other == this)
            return;
        std::vector<std::string> Items = Other->ToVector();
        Clear();
        for (const std::string& S : Items)
            Add(S);
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::CheckIndex(int Index, int Limit)
{
    if (Index < 0 || Index >= Limit)
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

const TTypeInfo* TStringList::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TStringList", TStrings::TypeInfo());
    return &Info;
}

std::string TStringList::Strings(int Index) const
{
    CheckIndex(Index, Count());
    return FItems[static_cast<std::size_t>(Index)];
}

void TStringList::Insert(int Index, const std::string& S)
{
    CheckIndex(Index, Count() + 1);
    FItems.insert(FItems.begin() + Index, S);
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index, Count());
    FItems.erase(FItems.begin() + Index);
}
