#include "PictureKinds.hpp"

#include "SysUtils.hpp"

std::optional<TPropertyType> ClassifyPropertyType(const std::string& TypeName)
{
    const std::string Name = UpperCase(TypeName);
    if (Name == "TBITMAP")
        return ptBitmap;
    if (Name == "TICON")
        return ptIcon;
    if (Name == "TPICTURE")
        return ptPicture;
    return std::nullopt;
}

const char* FileMaskOf(TPropertyType Kind)
{
    switch (Kind) {
    case ptBitmap:
        return "*.BMP";
    case ptIcon:
        return "*.ICO";
    case ptPicture:
        return "*.BMP;*.ICO;*.EMF;*.WMF";
    }
    return "*.BMP";
}
