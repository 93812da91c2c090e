#pragma once
// Per-user settings: an ini-style view of a key of the current user's settings. Sections are
// subkeys of the key, idents the values inside them.
//
// On Windows the key is the registry key itself. Elsewhere the key "\Software\A\B\C" is the file
// $XDG_CONFIG_HOME/A/B/C.ini (~/.config when XDG_CONFIG_HOME is unset). Every write is saved at
// once and atomically (a crash or a full disk never leaves a half-written file), under a lock that
// merges it with what other processes have saved meanwhile, so concurrent writers lose nothing of
// each other's values.

#include "Classes.hpp"

#include <memory>
#include <string>

struct TRegIniStore;

class TRegIniFile : public TObject
{
public:
    // Opens the key; it and its sections are created when first written. Raises
    // ERegistryException when the store exists and cannot be read.
    explicit TRegIniFile(const std::string& FileName);
    ~TRegIniFile() override;
    static const TTypeInfo* TypeInfo();
    const TTypeInfo* ClassInfo() const override { return TypeInfo(); }

    // The key, as given.
    const std::string& FileName() const { return FFileName; }
    // Where the settings are kept on this platform: the ini file, or the registry path.
    std::string Location() const;

    // The value stored under Ident in Section, or Default when there is none.
    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
    bool ValueExists(const std::string& Section, const std::string& Ident) const;
    // Store a value, creating the section when absent. Raise ERegistryException naming the store and
    // the reason when it cannot be saved; what was saved before stays intact.
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);

private:
    void Save();
    std::string FFileName;
    std::unique_ptr<TRegIniStore> FStore;
};
