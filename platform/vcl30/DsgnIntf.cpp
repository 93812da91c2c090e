#include "DsgnIntf.hpp"

#include <algorithm>

const TTypeInfo* TPropertyEditor::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TPropertyEditor", TObject::TypeInfo());
    return &Info;
}

TPropertyEditor::TPropertyEditor(IFormDesigner* Designer, std::vector<TPersistent*> Components,
                                 const TPropInfo* PropInfo)
    : FDesigner(Designer), FComponents(std::move(Components)), FPropInfo(PropInfo)
{
    if (FPropInfo == nullptr)
        throw EPropertyError("A property editor needs a property");
}

TPropertyEditor::~TPropertyEditor() = default;

void TPropertyEditor::Activate()
{
}

bool TPropertyEditor::AllEqual()
{
    return FComponents.size() <= 1;
}

void TPropertyEditor::Edit()
{
}

TPropertyAttributes TPropertyEditor::GetAttributes()
{
    return {paMultiSelect, paRevertable};
}

int TPropertyEditor::GetEditLimit()
{
    return 255;
}

std::string TPropertyEditor::GetName()
{
    return FPropInfo->Name;
}

void TPropertyEditor::GetProperties(const TGetPropEditProc& /*Proc*/)
{
}

std::string TPropertyEditor::GetValue()
{
    return "(unknown)";
}

void TPropertyEditor::GetValues(const TGetStrProc& /*Proc*/)
{
}

void TPropertyEditor::Initialize()
{
}

void TPropertyEditor::SetValue(const std::string& /*Value*/)
{
}

TPersistent* TPropertyEditor::GetComponent(int Index) const
{
    if (Index < 0 || Index >= PropCount())
        throw EListError("Property editor component index out of bounds (" + IntToStr(Index) + ")");
    return FComponents[static_cast<std::size_t>(Index)];
}

std::int64_t TPropertyEditor::GetOrdValue() const
{
    return GetOrdProp(GetComponent(0), FPropInfo).Ordinal;
}

void TPropertyEditor::SetOrdValue(std::int64_t Value)
{
    for (TPersistent* C : FComponents)
        SetOrdProp(C, FPropInfo, Value);
    Modified();
}

std::string TPropertyEditor::GetStrValue() const
{
    return GetStrProp(GetComponent(0), FPropInfo);
}

void TPropertyEditor::SetStrValue(const std::string& Value)
{
    for (TPersistent* C : FComponents)
        SetStrProp(C, FPropInfo, Value);
    Modified();
}

TObject* TPropertyEditor::GetObjectValue() const
{
    return GetOrdProp(GetComponent(0), FPropInfo).Object;
}

void TPropertyEditor::Modified()
{
    if (FDesigner)
        FDesigner->Modified();
}

bool TOrdinalProperty::AllEqual()
{
    std::int64_t First = GetOrdValue();
    for (int I = 1; I < PropCount(); ++I)
        if (GetOrdProp(GetComponent(I), GetPropInfo()).Ordinal != First)
            return false;
    return true;
}

const TPropertyEditorClass* TIntegerProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TIntegerProperty>("TIntegerProperty");
    return &Class;
}

std::string TIntegerProperty::GetValue()
{
    return IntToStr(GetOrdValue());
}

void TIntegerProperty::SetValue(const std::string& Value)
{
    SetOrdValue(StrToInt(Value));
}

const TPropertyEditorClass* TIdentProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TIdentProperty>("TIdentProperty");
    return &Class;
}

TPropertyAttributes TIdentProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paValueList, paRevertable};
}

std::string TIdentProperty::GetValue()
{
    std::int64_t Value = GetOrdValue();
    for (const auto& [Name, IdentValue] : GetPropType()->Idents)
        if (IdentValue == Value)
            return Name;
    return IntToStr(Value);
}

void TIdentProperty::GetValues(const TGetStrProc& Proc)
{
    for (const auto& Ident : GetPropType()->Idents)
        Proc(Ident.first);
}

void TIdentProperty::SetValue(const std::string& Value)
{
    for (const auto& [Name, IdentValue] : GetPropType()->Idents)
        if (SameText(Name, Value)) {
            SetOrdValue(IdentValue);
            return;
        }
    SetOrdValue(StrToInt(Value));
}

const TPropertyEditorClass* TEnumProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TEnumProperty>("TEnumProperty");
    return &Class;
}

TPropertyAttributes TEnumProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TEnumProperty::GetValue()
{
    return GetEnumName(GetPropType(), GetOrdValue());
}

void TEnumProperty::GetValues(const TGetStrProc& Proc)
{
    for (const std::string& Name : GetPropType()->EnumNames)
        Proc(Name);
}

void TEnumProperty::SetValue(const std::string& Value)
{
    std::int64_t Ordinal = GetEnumValue(GetPropType(), Value);
    if (Ordinal < 0)
        throw EPropertyError("Invalid property value '" + Value + "' for " + GetName() + " (" +
                             GetPropType()->Name + ")");
    SetOrdValue(Ordinal);
}

const TPropertyEditorClass* TSetProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TSetProperty>("TSetProperty");
    return &Class;
}

TPropertyAttributes TSetProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paReadOnly, paRevertable};
}

std::string TSetProperty::GetValue()
{
    std::uint64_t Mask = static_cast<std::uint64_t>(GetOrdValue());
    std::string Text;
    const std::vector<std::string>& Names = GetPropType()->EnumNames;
    for (std::size_t I = 0; I < Names.size() && I < 64; ++I)
        if (Mask & (std::uint64_t{1} << I))
            Text += (Text.empty() ? "" : ",") + Names[I];
    return "[" + Text + "]";
}

const TPropertyEditorClass* TStringProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TStringProperty>("TStringProperty");
    return &Class;
}

bool TStringProperty::AllEqual()
{
    std::string First = GetStrValue();
    for (int I = 1; I < PropCount(); ++I)
        if (GetStrProp(GetComponent(I), GetPropInfo()) != First)
            return false;
    return true;
}

std::string TStringProperty::GetValue()
{
    return GetStrValue();
}

void TStringProperty::SetValue(const std::string& Value)
{
    SetStrValue(Value);
}

const TPropertyEditorClass* TClassProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TClassProperty>("TClassProperty");
    return &Class;
}

TPropertyAttributes TClassProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paSubProperties, paReadOnly};
}

void TClassProperty::GetProperties(const TGetPropEditProc& Proc)
{
    std::vector<TPersistent*> Objects;
    for (int I = 0; I < PropCount(); ++I) {
        auto* Object = dynamic_cast<TPersistent*>(GetOrdProp(GetComponent(I), GetPropInfo()).Object);
        if (Object == nullptr)
            return;
        Objects.push_back(Object);
    }
    if (Objects.empty())
        return;
    for (const TPropInfo* Sub : GetPropList(Objects.front()->ClassInfo()))
        Proc(CreatePropertyEditor(Designer(), Objects, Sub));
}

std::string TClassProperty::GetValue()
{
    return "(" + GetPropType()->Name + ")";
}

const TPropertyEditorClass* TMethodProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TMethodProperty>("TMethodProperty");
    return &Class;
}

TPropertyAttributes TMethodProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paReadOnly};
}

std::string TMethodProperty::GetValue()
{
    return "";
}

namespace {

struct TRegistration
{
    const TTypeInfo* PropertyType;
    const TTypeInfo* ComponentClass;
    std::string PropertyName;
    const TPropertyEditorClass* EditorClass;
};

std::vector<TRegistration>& Registrations()
{
    static std::vector<TRegistration> List;
    return List;
}

bool Serves(const TRegistration& R, const TPropInfo* PropInfo, const TTypeInfo* ComponentClass)
{
    const TTypeInfo* Type = PropInfo->PropType;
    bool TypeFits = R.PropertyType == Type || (Type->Kind == tkClass && R.PropertyType->Kind == tkClass &&
                                               Type->InheritsFrom(R.PropertyType));
    bool ComponentFits = R.ComponentClass == nullptr ||
                         (ComponentClass != nullptr && ComponentClass->InheritsFrom(R.ComponentClass));
    bool NameFits = R.PropertyName.empty() || SameText(R.PropertyName, PropInfo->Name);
    return TypeFits && ComponentFits && NameFits;
}

int Specificity(const TRegistration& R)
{
    return (R.ComponentClass != nullptr ? 1 : 0) + (R.PropertyName.empty() ? 0 : 1);
}

const TPropertyEditorClass* DefaultEditorClass(const TTypeInfo* Type)
{
    switch (Type->Kind) {
    case tkInteger:
        return Type->Idents.empty() ? TIntegerProperty::EditorClass() : TIdentProperty::EditorClass();
    case tkEnumeration:
        return TEnumProperty::EditorClass();
    case tkSet:
        return TSetProperty::EditorClass();
    case tkString:
        return TStringProperty::EditorClass();
    case tkClass:
        return TClassProperty::EditorClass();
    case tkMethod:
        return TMethodProperty::EditorClass();
    case tkUnknown:
        break;
    }
    return nullptr;
}

} // namespace

void RegisterPropertyEditor(const TTypeInfo* PropertyType, const TTypeInfo* ComponentClass,
                            const std::string& PropertyName, const TPropertyEditorClass* EditorClass)
{
    if (PropertyType == nullptr || EditorClass == nullptr)
        throw EPropertyError("RegisterPropertyEditor needs a property type and an editor class");
    Registrations().push_back({PropertyType, ComponentClass, PropertyName, EditorClass});
}

const TPropertyEditorClass* GetEditorClass(const TPropInfo* PropInfo, const TTypeInfo* ComponentClass)
{
    const TRegistration* Best = nullptr;
    for (const TRegistration& R : Registrations())
        if (Serves(R, PropInfo, ComponentClass) && (Best == nullptr || Specificity(R) >= Specificity(*Best)))
            Best = &R;
    return Best ? Best->EditorClass : DefaultEditorClass(PropInfo->PropType);
}

const TPropertyEditorClass* FindEditorClass(const std::string& Name)
{
    for (const TRegistration& R : Registrations())
        if (SameText(R.EditorClass->Name, Name))
            return R.EditorClass;
    for (const TPropertyEditorClass* C :
         {TIntegerProperty::EditorClass(), TIdentProperty::EditorClass(), TEnumProperty::EditorClass(),
          TSetProperty::EditorClass(), TStringProperty::EditorClass(), TClassProperty::EditorClass(),
          TMethodProperty::EditorClass()})
        if (SameText(C->Name, Name))
            return C;
    return nullptr;
}

std::unique_ptr<TPropertyEditor>
CreatePropertyEditor(IFormDesigner* Designer, std::vector<TPersistent*> Components, const TPropInfo* PropInfo)
{
    if (Components.empty())
        throw EPropertyError("No component selected for property " + PropInfo->Name);
    const TPropertyEditorClass* Class = GetEditorClass(PropInfo, Components.front()->ClassInfo());
    if (Class == nullptr)
        throw EPropertyError("No editor for property " + PropInfo->Name + " of type " +
                             PropInfo->PropType->Name);
    std::unique_ptr<TPropertyEditor> Editor = Class->Create(Designer, std::move(Components), PropInfo);
    Editor->Initialize();
    return Editor;
}

void ClearPropertyEditorRegistrations()
{
    Registrations().clear();
}
