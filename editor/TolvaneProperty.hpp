#pragma once
// The property editor that replaces the host's own for bitmap and icon properties.

#include "DsgnIntf.hpp"



class TTolvaneProperty : public TClassProperty
{
public:
    using TClassProperty::TClassProperty;
    static const TPropertyEditorClass* EditorClass();

    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
    // Typed text changes nothing: the value is chosen in the dialog.
    void SetValue(const std::string& Value) override;

private:
    // The property's current value on the first selected component, read afresh on every call.
    TObject* CurrentValue() const;
};
