#pragma once
// The kinds of picture property the editor serves, told apart by the name of the property's type.

#include <cstdint>
#include <optional>
#include <string>

enum TPropertyType : std::uint8_t
{
    ptBitmap,
    ptIcon,
    ptPicture
};

// The kind whose type name equals TypeName upper-cased ("TBITMAP", "TICON", "TPICTURE"), or none.
// A class derived from one of them under a name of its own matches nothing.
std::optional<TPropertyType> ClassifyPropertyType(const std::string& TypeName);

// The file list's mask for a kind: semicolon-separated patterns.
const char* FileMaskOf(TPropertyType Kind);

// The value texts the property grid shows.
inline constexpr const char* ValueTextNone = "(None)";
inline constexpr const char* ValueTextBitmap = "(TBitMap)";
inline constexpr const char* ValueTextIcon = "(TIcon)";
inline constexpr const char* ValueTextMetafile = "(TMetaFile)";
