#pragma once
// Design-time packages: shared libraries that the host loads at run time. A package exports, with
// C linkage, `const TPackageInfo* PackageInfo()` (its manifest) and `void Register()`.

#include "SysUtils.hpp"

#include <string>
#include <vector>

// A package was refused; the message names the file and the reason.
class EPackageError : public Exception
{
public:
    using Exception::Exception;
};

struct TPackage
{
    std::string File;
    // The name other packages require it by: the file name without "lib" and extension.
    std::string Name;
    std::string Description;
    std::string FileVersion;
    std::string ProductVersion;
    std::vector<std::string> Requires;
};

class TPackageList
{
public:
    // Loads File, checks its manifest and calls its Register once. Refuses a file that cannot be
    // loaded, is loaded already, lacks PackageInfo or Register, is not design-time only, or requires
    // a package that is not loaded, and a package whose Register fails. A loaded library is never
    // unloaded: the registrations refer to its editor classes.
    const TPackage& Load(const std::string& File);
    const std::vector<TPackage>& Packages() const { return FPackages; }
    // True for a loaded package of that name and for the platform's runtime packages vcl30 and
    // VCLX30, compared without regard to letter case.
    bool IsLoaded(const std::string& Name) const;

private:
    std::vector<TPackage> FPackages;
    std::vector<void*> FHandles;
};

// The name a package file is required by: "libtolvane.so" gives "tolvane".
std::string PackageName(const std::string& File);

// The --list-packages line: file, description, version and required packages.
std::string DescribePackage(const TPackage& Package);

// The Tolvane package built beside the host: ../lib/libtolvane.so from the executable's folder.
std::string DefaultPackageFile();
