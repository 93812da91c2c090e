#include "Registry.hpp"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

struct TRegIniStore
{
    explicit TRegIniStore(const QString& Location)
#ifdef _WIN32
        : Settings(Location, QSettings::NativeFormat)
#else
        : Settings(Location, QSettings::IniFormat)
#endif
    {
    }
    QSettings Settings;
};

namespace {

// The key without its leading "\Software\" (or "Software\"), with forward slashes.
QString KeyPath(const std::string& FileName)
{
    QString Key = QString::fromStdString(FileName);
    Key.replace('\\', '/');
    while (Key.startsWith('/'))
        Key.remove(0, 1);
    if (Key.startsWith("Software/", Qt::CaseInsensitive))
        Key.remove(0, int(sizeof("Software/")) - 1);
    while (Key.endsWith('/'))
        Key.chop(1);
    return Key;
}

QString StoreLocation(const std::string& FileName)
{
    const QString Key = KeyPath(FileName);
    if (Key.isEmpty() || Key.split('/').contains(".."))
        throw ERegistryException("Invalid settings key '" + FileName + "'");
#ifdef _WIN32
    return "HKEY_CURRENT_USER\\Software\\" + QString(Key).replace('/', '\\');
#else
    QString Base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (Base.isEmpty())
        Base = QDir::homePath() + "/.config";
    return Base + "/" + Key + ".ini";
#endif
}

QString GroupKey(const std::string& Section, const std::string& Ident)
{
    return QString::fromStdString(Section) + "/" + QString::fromStdString(Ident);
}

std::string Reason(QSettings::Status Status)
{
    return Status == QSettings::FormatError ? "its contents are not valid settings" : "access denied";
}

} // namespace

const TTypeInfo* TRegIniFile::TypeInfo()
{
    static const TTypeInfo Info = ClassTypeInfo("TRegIniFile", TObject::TypeInfo());
    return &Info;
}

TRegIniFile::TRegIniFile(const std::string& FileName)
    : FFileName(FileName), FStore(std::make_unique<TRegIniStore>(StoreLocation(FileName)))
{
    QSettings& S = FStore->Settings;
    if (S.status() != QSettings::NoError)
        throw ERegistryException("Cannot read the settings " + Location() + ": " + Reason(S.status()));
#ifndef _WIN32
    const QFileInfo File(S.fileName());
    if (File.exists() && !File.isReadable())
        throw ERegistryException("Cannot read the settings " + Location() + ": access denied");
#endif
}

TRegIniFile::~TRegIniFile() = default;

std::string TRegIniFile::Location() const
{
    return FStore->Settings.fileName().toStdString();
}

std::string TRegIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) const
{
    const QVariant Value = FStore->Settings.value(GroupKey(Section, Ident));
    return Value.isValid() ? Value.toString().toStdString() : Default;
}

int TRegIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const
{
    bool Ok = false;
    const int Value = FStore->Settings.value(GroupKey(Section, Ident)).toInt(&Ok);
    return Ok ? Value : Default;
}

bool TRegIniFile::ValueExists(const std::string& Section, const std::string& Ident) const
{
    return FStore->Settings.contains(GroupKey(Section, Ident));
}

void TRegIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value)
{
    FStore->Settings.setValue(GroupKey(Section, Ident), QString::fromStdString(Value));
    Save();
}

void TRegIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value)
{
    FStore->Settings.setValue(GroupKey(Section, Ident), Value);
    Save();
}

void TRegIniFile::Save()
{
    QSettings& S = FStore->Settings;
#ifndef _WIN32
    // QSettings saves through a temporary file renamed over the old one, under a lock file.
    QDir().mkpath(QFileInfo(S.fileName()).absolutePath());
#endif
    S.sync();
    if (S.status() != QSettings::NoError)
        throw ERegistryException("Cannot save the settings " + Location() + ": " + Reason(S.status()));
}
