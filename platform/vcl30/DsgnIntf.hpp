#pragma once
// The design-time interface: property editors that a host's property grid creates for each row,
// their registration by packages, and the lookup a host uses to find the editor of a property.

#include "Classes.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TPropertyAttribute : std::uint8_t
{
    paValueList,     // the grid offers GetValues in a drop-down list
    paSubProperties, // the row expands into GetProperties
    paDialog,        // the grid shows an ellipsis button that calls Edit
    paMultiSelect,   // the row stays when several components are selected
    paAutoUpdate,    // SetValue on every keystroke
    paSortList,      // the value list is sorted
    paReadOnly,      // the value text cannot be typed into
    paRevertable     // the value can be reverted to its inherited one
};
using TPropertyAttributes = TSet<TPropertyAttribute>;

// What the host's form designer offers its editors.
class IFormDesigner
{
public:
    virtual ~IFormDesigner() = default;
    // Tells the designer that a component of its form has changed.
    virtual void Modified() = 0;
};

class TPropertyEditor;
using TGetPropEditProc = std::function<void(std::unique_ptr<TPropertyEditor> Editor)>;
using TGetStrProc = std::function<void(const std::string& Value)>;

// The editor of one property row: the property PropInfo on the selected components.
class TPropertyEditor : public TObject
{
public:
    TPropertyEditor(IFormDesigner* Designer, std::vector<TPersistent*> Components, const TPropInfo* PropInfo);
    ~TPropertyEditor() override;

    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The virtual operations a host calls, in slot order.
    virtual void Activate();
    // True when the property has the same value on every selected component.
    virtual bool AllEqual();
    virtual void Edit();
    virtual TPropertyAttributes GetAttributes();
    virtual int GetEditLimit();
    virtual std::string GetName();
    virtual void GetProperties(const TGetPropEditProc& Proc);
    virtual std::string GetValue();
    virtual void GetValues(const TGetStrProc& Proc);
    virtual void Initialize();
    virtual void SetValue(const std::string& Value);

    IFormDesigner* Designer() const { return FDesigner; }
    // The selected component Index (0 is the first); raises EListError out of range.
    TPersistent* GetComponent(int Index) const;
    int PropCount() const { return static_cast<int>(FComponents.size()); }
    const TPropInfo* GetPropInfo() const { return FPropInfo; }
    const TTypeInfo* GetPropType() const { return FPropInfo->PropType; }

protected:
    // Value access on the first component; the setters write every selected component and then
    // notify the designer.
    std::int64_t GetOrdValue() const;
    void SetOrdValue(std::int64_t Value);
    std::string GetStrValue() const;
    void SetStrValue(const std::string& Value);
    TObject* GetObjectValue() const;
    void Modified();

private:
    IFormDesigner* FDesigner;
    std::vector<TPersistent*> FComponents;
    const TPropInfo* FPropInfo;
};

// A property editor class: its name and how to create one.
struct TPropertyEditorClass
{
    std::string Name;
    std::function<std::unique_ptr<TPropertyEditor>(IFormDesigner*, std::vector<TPersistent*>,
                                                   const TPropInfo*)>
        Create;
};

template <class E> TPropertyEditorClass MakeEditorClass(std::string Name)
{
    return {std::move(Name),
            [](IFormDesigner* Designer, std::vector<TPersistent*> Components,
               const TPropInfo* PropInfo) -> std::unique_ptr<TPropertyEditor> {
                return std::make_unique<E>(Designer, std::move(Components), PropInfo);
            }};
}

// The default editors of the property kinds.
class TOrdinalProperty : public TPropertyEditor
{
public:
    using TPropertyEditor::TPropertyEditor;
    bool AllEqual() override;
};

class TIntegerProperty : public TOrdinalProperty
{
public:
    using TOrdinalProperty::TOrdinalProperty;
    static const TPropertyEditorClass* EditorClass();
    std::string GetValue() override;
    void SetValue(const std::string& Value) override;
};

// Integers with named constants (colours, cursors): the name where there is one.
class TIdentProperty : public TIntegerProperty
{
public:
    using TIntegerProperty::TIntegerProperty;
    static const TPropertyEditorClass* EditorClass();
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const std::string& Value) override;
};

class TEnumProperty : public TOrdinalProperty
{
public:
    using TOrdinalProperty::TOrdinalProperty;
    static const TPropertyEditorClass* EditorClass();
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
    void GetValues(const TGetStrProc& Proc) override;
    void SetValue(const std::string& Value) override;
};

class TSetProperty : public TOrdinalProperty
{
public:
    using TOrdinalProperty::TOrdinalProperty;
    static const TPropertyEditorClass* EditorClass();
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
};

class TStringProperty : public TPropertyEditor
{
public:
    using TPropertyEditor::TPropertyEditor;
    static const TPropertyEditorClass* EditorClass();
    bool AllEqual() override;
    std::string GetValue() override;
    void SetValue(const std::string& Value) override;
};

// An object-valued property: the type's name in parentheses, and its object's published
// properties as sub-properties.
class TClassProperty : public TPropertyEditor
{
public:
    using TPropertyEditor::TPropertyEditor;
    static const TPropertyEditorClass* EditorClass();
    TPropertyAttributes GetAttributes() override;
    void GetProperties(const TGetPropEditProc& Proc) override;
    std::string GetValue() override;
};

// An event: the name of its handler is not kept at run time, so the row is read-only.
class TMethodProperty : public TPropertyEditor
{
public:
    using TPropertyEditor::TPropertyEditor;
    static const TPropertyEditorClass* EditorClass();
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
};

// Ties EditorClass to properties of type PropertyType (and, for classes, of its descendants).
// ComponentClass nullptr means components of every class, an empty PropertyName every property.
void RegisterPropertyEditor(const TTypeInfo* PropertyType, const TTypeInfo* ComponentClass,
                            const std::string& PropertyName, const TPropertyEditorClass* EditorClass);

// The editor class for a property of ComponentClass: the registration that names the component
// class or the property wins over a general one, and among equals the latest; without one, the
// default editor of the property's kind.
const TPropertyEditorClass* GetEditorClass(const TPropInfo* PropInfo, const TTypeInfo* ComponentClass);

// A registered or default editor class by its name (letter case ignored), or nullptr.
const TPropertyEditorClass* FindEditorClass(const std::string& Name);

// Creates the editor of PropInfo for the selected components (the first decides the class).
std::unique_ptr<TPropertyEditor> CreatePropertyEditor(IFormDesigner* Designer,
                                                      std::vector<TPersistent*> Components,
                                                      const TPropInfo* PropInfo);

// Forgets every registration (a host that reloads its packages starts afresh).
void ClearPropertyEditorRegistrations();

extern "C" {
// The manifest a design-time package exports as `const TPackageInfo* PackageInfo()` beside
// `void Register()`, both with C linkage. Requires ends with nullptr.
struct TPackageInfo
{
    const char* Description;
    const char* FileVersion;
    const char* ProductVersion;
    bool DesignTimeOnly;
    const char* const* Requires;
};
}
