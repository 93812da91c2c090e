#pragma once
// Form data: the text that lays out a form. It names a tree of components by class, sets their
// published properties and binds the form class's fields and event handlers by name.
//
//   object frmMain: TfrmMain              the root: its own properties and its components
//     Caption = 'Main ' + 'window'#33     strings: quoted ('' is a quote), #13 char codes, + joins
//     Left = -4                           integers, also $-hexadecimal
//     Color = clBtnFace                   named integer constants of the property's type
//     Align = alClient                    enumeration names, True and False
//     Font.Style = [fsBold, fsItalic]     sets; dotted names set a property of an object property
//     Items.Strings = ( 'a' 'b' )         string lists
//     FileList = cbxFile                  component references, resolved once all is read
//     OnClick = btnClick                  event handlers of the form class
//     object cbxFile: TFileListBox        a component owned by the root, inside its enclosing one
//     end
//   end
//
// Names of classes, properties, values, fields and handlers are compared without regard to the case
// of the letters a to z. Every error is an EReadError "<source>(<line>): <what>: <name>".

#include "Classes.hpp"

#include <any>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// What a form class publishes to form data: the fields that receive its components and the methods
// that its components' events are bound to, each by name.
class TPublishedBase
{
public:
    struct TEntry
    {
        std::string Name;
        // A field: the class it holds, and the store of a component into the form's field, which
        // returns false when the component is not of that class.
        const TTypeInfo* FieldClass = nullptr;
        std::function<bool(TComponent* Form, TComponent* Component)> Assign;
        // A handler: the form's method bound to Form, as a std::any holding the std::function type
        // of an event that the method fits.
        std::function<std::any(TComponent* Form)> Bind;
    };

    explicit TPublishedBase(std::vector<TEntry> Entries) : FEntries(std::move(Entries)) {}
    virtual ~TPublishedBase() = default;

    // True when Form is an instance of the class the table belongs to.
    virtual bool Accepts(const TComponent* Form) const = 0;
    // False for a table that binds nothing: every field and handler name is accepted and left alone.
    virtual bool Binds() const { return true; }

    // The field or handler Name, or nullptr.
    const TEntry* FindField(const std::string& Name) const;
    const TEntry* FindHandler(const std::string& Name) const;

private:
    std::vector<TEntry> FEntries;
};

// One entry of the table of form class F; made by Field and Handler.
template <class F> class TPublishedEntry
{
public:
    explicit TPublishedEntry(TPublishedBase::TEntry Entry) : FEntry(std::move(Entry)) {}
    TPublishedBase::TEntry Take() const { return FEntry; }

private:
    TPublishedBase::TEntry FEntry;
};

// The table of form class F, written as one list of Field and Handler entries.
template <class F> class TPublished : public TPublishedBase
{
public:
    TPublished(std::initializer_list<TPublishedEntry<F>> Entries) : TPublishedBase(Collect(Entries)) {}
    bool Accepts(const TComponent* Form) const override { return dynamic_cast<const F*>(Form) != nullptr; }

private:
    static std::vector<TEntry> Collect(std::initializer_list<TPublishedEntry<F>> Entries)
    {
        std::vector<TEntry> Result;
        for (const TPublishedEntry<F>& E : Entries)
            Result.push_back(E.Take());
        return Result;
    }
};

// The field Member of form class F receives the component named Name; the component must be a T.
template <class F, class T> TPublishedEntry<F> Field(std::string Name, T* F::*Member)
{
    TPublishedBase::TEntry E;
    E.Name = std::move(Name);
    E.FieldClass = T::TypeInfo();
    E.Assign = [Member](TComponent* Form, TComponent* Component) {
        T* Typed = dynamic_cast<T*>(Component);
        F* Self = dynamic_cast<F*>(Form);
        if (Typed == nullptr || Self == nullptr)
            return false;
        Self->*Member = Typed;
        return true;
    };
    return TPublishedEntry<F>(std::move(E));
}

// The method Method of form class F handles the events bound to Name. It fits an event of type
// std::function<void(Args...)>: void(TObject*) fits a TNotifyEvent.
template <class F, class... Args> TPublishedEntry<F> Handler(std::string Name, void (F::*Method)(Args...))
{
    TPublishedBase::TEntry E;
    E.Name = std::move(Name);
    E.Bind = [Method](TComponent* Form) -> std::any {
        F* Self = dynamic_cast<F*>(Form);
        return std::function<void(Args...)>(
            [Self, Method](Args... A) { (Self->*Method)(std::forward<Args>(A)...); });
    };
    return TPublishedEntry<F>(std::move(E));
}

// The table of a designed form whose class is not compiled in: its components are created and
// named, its properties set, its fields and handlers left unbound.
const TPublishedBase& NoBindings();

// Reads FormData onto Root. The first line names Root and its class, which must be Root's class or
// an ancestor of it. Each nested object is created by its class name with Root as owner, named,
// bound to the field of that name, placed into the enclosing component (SetParentComponent) and
// given its properties. Component references are resolved once everything is created, so they may
// name components further down. Last, Loaded runs on every created component in the order of the
// data, then on Root. SourceName names the data in messages.
//
// On an error, EReadError; the components created so far stay owned by Root, which frees them.
void ReadForm(TComponent* Root, const std::string& FormData, const std::string& SourceName,
              const TPublishedBase& Published);

// Reads a designed form with NoBindings. Its root class need not exist: a designed form's own class
// is read onto a root of the class it was designed from.
void ReadComponent(TComponent* Root, const std::string& FormData, const std::string& SourceName);

// Checks FormData for a root of class RootClass without creating anything: every class, property,
// value, field, handler and component reference must resolve. Returns every problem as the message
// ReadForm would raise for it, in the order of the data; empty when all resolve. Types are those
// declared by the properties; whether a handler's parameters fit its event shows when it is read.
std::vector<std::string> CheckForm(const TTypeInfo* RootClass, const std::string& FormData,
                                   const std::string& SourceName, const TPublishedBase& Published);
