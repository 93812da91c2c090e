#pragma once
// Run-time type information: classes by name with their ancestors, enumerations, and the published
// properties of each class, which form data and a property grid read and write.

#include "SysUtils.hpp"

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class TObject;
class TComponent;
struct TPropInfo;

enum TTypeKind : std::uint8_t
{
    tkUnknown,
    tkInteger,
    tkEnumeration,
    tkSet,
    tkString,
    tkClass,
    tkMethod
};

// One type. Classes carry their ancestor, their own published properties and, for component
// classes that form data may create, a constructor; enumerations and sets their value names;
// integer types may carry named constants (colours, cursors).
struct TTypeInfo
{
    std::string Name;
    TTypeKind Kind = tkUnknown;
    const TTypeInfo* Parent = nullptr;
    std::vector<std::string> EnumNames;
    std::vector<std::pair<std::string, std::int64_t>> Idents;
    std::vector<TPropInfo> Properties;
    std::function<TComponent*(TComponent* Owner)> Create;

    // True when this class is Class or descends from it.
    bool InheritsFrom(const TTypeInfo* Class) const;
};

// A property that a class publishes. Ordinal properties (integers, enumerations, sets, booleans,
// colours) use GetOrd/SetOrd, strings GetStr/SetStr, object references GetObj/SetObj, and events
// SetMethod with a std::any that holds the event's std::function type. A missing setter means the
// property is read-only.
struct TPropInfo
{
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    std::function<std::int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, std::int64_t)> SetOrd;
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<TObject*(const TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    std::function<void(TObject*, const std::any&)> SetMethod;

    bool Writable() const { return SetOrd || SetStr || SetObj || SetMethod; }
};

// Raised for a property that does not exist or is used as the wrong kind.
class EPropertyError : public Exception
{
public:
    using Exception::Exception;
};

// The value of an ordinal or object property: an integer (enumerations, sets and booleans by their
// ordinal), or for a class property the object it refers to.
struct TOrdValue
{
    TOrdValue(std::int64_t Value) : Ordinal(Value) {}
    TOrdValue(TObject* Value) : Object(Value) {}
    std::int64_t Ordinal = 0;
    TObject* Object = nullptr;
};

// Reads a published ordinal or object property of Instance.
TOrdValue GetOrdProp(const TObject* Instance, const TPropInfo* PropInfo);
// Writes a published ordinal or object property through its write access. Graphic properties copy
// the object they are handed, so the caller keeps ownership of Value.
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, TOrdValue Value);
std::string GetStrProp(const TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const std::string& Value);

// The published property Name of Class or its ancestors (letter case ignored), or nullptr.
const TPropInfo* GetPropInfo(const TTypeInfo* Class, const std::string& Name);
// All published properties of Class, the ancestors' first.
std::vector<const TPropInfo*> GetPropList(const TTypeInfo* Class);

// Enumeration and set values by name.
std::string GetEnumName(const TTypeInfo* Type, std::int64_t Value);
// The value of Name in Type (letter case ignored), or -1.
std::int64_t GetEnumValue(const TTypeInfo* Type, const std::string& Name);

// The built-in types of published properties.
const TTypeInfo* IntegerTypeInfo();
const TTypeInfo* BooleanTypeInfo();
const TTypeInfo* StringTypeInfo();

const TTypeInfo* MakeEnumTypeInfo(std::string Name, std::vector<std::string> Names);

// The class registry that form data and hosts look classes up in.
void RegisterClass(const TTypeInfo* Class);
// The registered class Name (letter case ignored), or nullptr.
const TTypeInfo* FindClass(const std::string& Name);

// A type of the given name and kind with nothing else set.
TTypeInfo SimpleTypeInfo(std::string Name, TTypeKind Kind);
// A property entry of the given name and type with no access yet.
TPropInfo MakePropInfo(std::string Name, const TTypeInfo* Type);

// The class name of an object, for messages.
std::string ClassNameOf(const TObject* Object);

// Builders of published property entries from member functions.
template <class C, class R, class S> TPropInfo IntProp(std::string Name, R (C::*Get)() const, S Set)
{
    TPropInfo P = MakePropInfo(std::move(Name), IntegerTypeInfo());
    P.GetOrd = [Get](const TObject* O) { return std::int64_t((static_cast<const C*>(O)->*Get)()); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
        P.SetOrd = [Set](TObject* O, std::int64_t V) { (static_cast<C*>(O)->*Set)(static_cast<R>(V)); };
    return P;
}

template <class C, class R, class S>
TPropInfo OrdProp(std::string Name, const TTypeInfo* Type, R (C::*Get)() const, S Set)
{
    TPropInfo P = IntProp(std::move(Name), Get, Set);
    P.PropType = Type;
    return P;
}

template <class C, class S> TPropInfo BoolProp(std::string Name, bool (C::*Get)() const, S Set)
{
    return OrdProp(std::move(Name), BooleanTypeInfo(), Get, Set);
}

template <class C, class R, class S> TPropInfo StrProp(std::string Name, R (C::*Get)() const, S Set)
{
    TPropInfo P = MakePropInfo(std::move(Name), StringTypeInfo());
    P.GetStr = [Get](const TObject* O) { return std::string((static_cast<const C*>(O)->*Get)()); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
        P.SetStr = [Set](TObject* O, const std::string& V) { (static_cast<C*>(O)->*Set)(V); };
    return P;
}

// An object-valued property of class T. A setter receives the object to copy from.
template <class C, class T, class S> TPropInfo ClassProp(std::string Name, T* (C::*Get)() const, S Set)
{
    TPropInfo P = MakePropInfo(std::move(Name), T::TypeInfo());
    P.GetObj = [Get](const TObject* O) -> TObject* { return (static_cast<const C*>(O)->*Get)(); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
        P.SetObj = [Set](TObject* O, TObject* V) {
            T* Typed = dynamic_cast<T*>(V);
            if (V != nullptr && Typed == nullptr)
                throw EPropertyError("Cannot assign a " + ClassNameOf(V) + " to a " + T::TypeInfo()->Name);
            (static_cast<C*>(O)->*Set)(Typed);
        };
    return P;
}

// An event property: a std::function member of type F, bound from form data by handler name.
template <class C, class F> TPropInfo EventProp(std::string Name, const TTypeInfo* Type, F C::*Member)
{
    TPropInfo P = MakePropInfo(std::move(Name), Type);
    P.SetMethod = [Member](TObject* O, const std::any& Handler) {
        static_cast<C*>(O)->*Member = std::any_cast<F>(Handler);
    };
    return P;
}
