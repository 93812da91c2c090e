#pragma once
// The object model: objects with class information, persistent objects that copy by Assign,
// components with an owner that destroys them, and string lists.

#include "TypInfo.hpp"

#include <bitset>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

using TNotifyEvent = std::function<void(TObject* Sender)>;

// The type of TNotifyEvent properties, so form data can check that a handler fits an event.
const TTypeInfo* NotifyEventTypeInfo();

// A set of enumeration values, as the platform's attribute, style and option sets are.
template <class E, std::size_t N = 64> class TSet
{
public:
    TSet() = default;
    TSet(std::initializer_list<E> Values)
    {
        for (E V : Values)
            FBits.set(static_cast<std::size_t>(V));
    }
    bool Contains(E V) const { return FBits.test(static_cast<std::size_t>(V)); }
    TSet& Include(E V)
    {
        FBits.set(static_cast<std::size_t>(V));
        return *this;
    }
    TSet& Exclude(E V)
    {
        FBits.reset(static_cast<std::size_t>(V));
        return *this;
    }
    bool Empty() const { return FBits.none(); }
    std::uint64_t Mask() const { return FBits.to_ullong(); }
    static TSet FromMask(std::uint64_t Mask)
    {
        TSet S;
        S.FBits = std::bitset<N>(Mask);
        return S;
    }
    bool operator==(const TSet&) const = default;

private:
    std::bitset<N> FBits;
};

class TObject
{
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TTypeInfo* TypeInfo();
    virtual const TTypeInfo* ClassInfo() const { return TypeInfo(); }
    const std::string& ClassName() const { return ClassInfo()->Name; }
    bool InheritsFrom(const TTypeInfo* Class) const { return ClassInfo()->InheritsFrom(Class); }
};

// An object whose state can be copied from another with Assign.
class TPersistent : public TObject
{
public:
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // Copies Source into this object. Raises EConvertError when the classes cannot be assigned.
    virtual void Assign(const TPersistent* Source);

protected:
    // Called by Assign when this class does not know Source: copies this into Dest or raises.
    virtual void AssignTo(TPersistent* Dest) const;
};

// A component has a name and an owner. The owner destroys the components it owns, newest first;
// a component destroyed on its own leaves its owner's list.
class TComponent : public TPersistent
{
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value) { FName = Value; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    // The owned component named Name (letter case ignored), or nullptr.
    TComponent* FindComponent(const std::string& Name) const;

    // True while form data is being read onto the component: the reader sets it before the first
    // property and clears it before Loaded. Controls defer their docking meanwhile.
    bool Loading() const { return FLoading; }
    void SetLoading(bool Value) { FLoading = Value; }
    // Form data nests a component inside the one that contains it; controls take it as their parent.
    virtual void SetParentComponent(TComponent* /*Parent*/) {}
    // Called by form data once all its properties are set.
    virtual void Loaded() {}

private:
    TComponent* FOwner = nullptr;
    bool FLoading = false;
    std::string FName;
    std::vector<TComponent*> FComponents;
};

// Raised for a list index out of bounds.
class EListError : public Exception
{
public:
    using Exception::Exception;
};

// An ordered list of strings. Concrete lists provide storage; controls present their items as one.
class TStrings : public TPersistent
{
public:
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    virtual int Count() const = 0;
    // The entry at Index; raises EListError when out of bounds.
    virtual std::string Strings(int Index) const = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    // Appends S and returns its index.
    int Add(const std::string& S);
    // The index of the first entry equal to S compared without regard to letter case, or -1.
    int IndexOf(const std::string& S) const;
    std::string operator[](int Index) const { return Strings(Index); }
    std::vector<std::string> ToVector() const;

    void Assign(const TPersistent* Source) override;

protected:
    // Raises EListError unless 0 <= Index < Limit.
    static void CheckIndex(int Index, int Limit);
};

class TStringList : public TStrings
{
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> Items) : FItems(Items) {}

    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    int Count() const override { return static_cast<int>(FItems.size()); }
    std::string Strings(int Index) const override;
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override { FItems.clear(); }

private:
    std::vector<std::string> FItems;
};

// Type information for a class: its name, its ancestor and its own published properties.
TTypeInfo ClassTypeInfo(std::string Name, const TTypeInfo* Parent, std::vector<TPropInfo> Properties = {});

// The same for a component class that form data can create by name.
template <class C>
TTypeInfo ComponentTypeInfo(std::string Name, const TTypeInfo* Parent, std::vector<TPropInfo> Properties = {})
{
    TTypeInfo Info = ClassTypeInfo(std::move(Name), Parent, std::move(Properties));
    Info.Create = [](TComponent* Owner) -> TComponent* { return new C(Owner); };
    return Info;
}
