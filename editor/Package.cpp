#include "Package.hpp"

#include "Graphics.hpp"
#include "TolvaneProperty.hpp"

const TPackageInfo* PackageInfo()
{
    static const char* const Requires[] = {"vcl30", "VCLX30", nullptr};
    static const TPackageInfo Info{"Tolvane Property Editor", "1.0.0.0", "1.0.0.0", true, Requires};
    return &Info;
}

void Register()
{
    RegisterPropertyEditor(TBitmap::TypeInfo(), nullptr, "", TTolvaneProperty::EditorClass());
    RegisterPropertyEditor(TIcon::TypeInfo(), nullptr, "", TTolvaneProperty::EditorClass());
}
