#include "TolvaneProperty.hpp"

#include "Graphics.hpp"
#include "PictureKinds.hpp"

#include <memory>

namespace {

// A graphic holding an image; a null reference, or an object that is no graphic, holds none.
bool HoldsImage(TObject* Value)
{
    auto* Graphic = dynamic_cast<TGraphic*>(Value);
    return Graphic != nullptr && !Graphic->Empty();
}

} // namespace

const TPropertyEditorClass* TTolvaneProperty::EditorClass()
{
    static const TPropertyEditorClass Class = MakeEditorClass<TTolvaneProperty>("TTolvaneProperty");
    return &Class;
}

TPropertyAttributes TTolvaneProperty::GetAttributes()
{
    return TPropertyAttributes{paDialog};
}

void TTolvaneProperty::SetValue(const std::string& /*Value*/) {}

TObject* TTolvaneProperty::CurrentValue() const
{
    return GetOrdProp(GetComponent(0), GetPropInfo()).Object;
}

std::string TTolvaneProperty::GetValue()
{
    std::string Result = ValueTextNone;
    const std::string Name = UpperCase(GetPropType()->Name);
    if (Name == "TBITMAP") {
        if (HoldsImage(CurrentValue()))
            Result = ValueTextBitmap;
    } else if (Name == "TICON") {
        if (HoldsImage(CurrentValue()))
            Result = ValueTextIcon;
    } else if (Name == "TPICTURE") {
        // Each probe may replace the copy's graphic by an empty one of the probed class, so the
        // copy is refilled before the next; the property's own picture is never touched.
        auto P = std::make_unique<TPicture>();
        auto Refill = [&] { P->Assign(dynamic_cast<TPersistent*>(CurrentValue())); };
        Refill();
        if (P->Height() == 0)
            return Result;
        if (!P->Bitmap()->Empty())
            return ValueTextBitmap;
        Refill();
        if (!P->Icon()->Empty())
            return ValueTextIcon;
        Refill();
        if (!P->Metafile()->Empty())
            return ValueTextMetafile;
    }
    return Result;
}

