#pragma once
// The property editor that replaces the host's own for bitmap and icon properties.

#include "DsgnIntf.hpp"

#include "PictureKinds.hpp"

class TPicture;

class TTolvaneProperty : public TClassProperty
{
public:
    using TClassProperty::TClassProperty;
    static const TPropertyEditorClass* EditorClass();

    // The edit transaction: runs the picker dialog and writes the chosen image, or an empty one after
    // Clear, into the property of the first selected component.
    void Edit() override;
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
    // Typed text changes nothing: the value is chosen in the dialog.
    void SetValue(const std::string& Value) override;

private:
    // Writes the graphic of Picture that matches the kind (or Picture itself) into the property of
    // component 0; the component keeps its own copy.
    void WriteValue(TPropertyType Kind, TPicture& Picture);
    // The property's current value on the first selected component, read afresh on every call.
    TObject* CurrentValue() const;
};
