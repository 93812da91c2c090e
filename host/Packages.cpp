#include "Packages.hpp"

#include "DsgnIntf.hpp"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* RuntimePackages[] = {"vcl30", "VCLX30"};

using TPackageInfoProc = const TPackageInfo* (*)();
using TRegisterProc = void (*)();

template <class F> F Symbol(void* Handle, const char* Name)
{
    return reinterpret_cast<F>(dlsym(Handle, Name));
}

std::string Text(const char* S)
{
    return S != nullptr ? std::string(S) : std::string();
}

} // namespace

std::string PackageName(const std::string& File)
{
    std::string Name = std::filesystem::path(File).filename().string();
    if (Name.rfind("lib", 0) == 0)
        Name = Name.substr(3);
    if (const std::size_t Dot = Name.find('.'); Dot != std::string::npos)
        Name = Name.substr(0, Dot);
    return Name;
}

bool TPackageList::IsLoaded(const std::string& Name) const
{
    for (const char* Runtime : RuntimePackages)
        if (SameText(Name, Runtime))
            return true;
    return std::any_of(FPackages.begin(), FPackages.end(),
                       [&](const TPackage& P) { return SameText(P.Name, Name); });
}

const TPackage& TPackageList::Load(const std::string& File)
{
    const std::string Refused = "Package " + File + " refused: ";
    void* Handle = dlopen(File.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (Handle == nullptr)
        throw EPackageError(Refused + "it cannot be loaded (" + Text(dlerror()) + ")");
    if (std::find(FHandles.begin(), FHandles.end(), Handle) != FHandles.end())
        throw EPackageError(Refused + "it is loaded already");
    auto Info = Symbol<TPackageInfoProc>(Handle, "PackageInfo");
    if (Info == nullptr)
        throw EPackageError(Refused + "it exports no PackageInfo");
    auto Register = Symbol<TRegisterProc>(Handle, "Register");
    if (Register == nullptr)
        throw EPackageError(Refused + "it exports no Register");
    const TPackageInfo* Manifest = Info();
    if (Manifest == nullptr)
        throw EPackageError(Refused + "its PackageInfo returns no manifest");
    if (!Manifest->DesignTimeOnly)
        throw EPackageError(Refused + "it is not a design-time only package");
    TPackage Package;
    Package.File = File;
    Package.Name = PackageName(File);
    Package.Description = Text(Manifest->Description);
    Package.FileVersion = Text(Manifest->FileVersion);
    Package.ProductVersion = Text(Manifest->ProductVersion);
    for (const char* const* R = Manifest->Requires; R != nullptr && *R != nullptr; ++R)
        Package.Requires.emplace_back(*R);
    for (const std::string& Required : Package.Requires)
        if (!IsLoaded(Required))
            throw EPackageError(Refused + "it requires the package " + Required + ", which is not loaded");
    try {
        Register();
    } catch (const std::exception& E) {
        throw EPackageError(Refused + "its Register failed: " + E.what());
    } catch (...) {
        throw EPackageError(Refused + "its Register failed with an unknown error");
    }
    FHandles.push_back(Handle);
    FPackages.push_back(std::move(Package));
    return FPackages.back();
}

std::string DescribePackage(const TPackage& Package)
{
    std::string Requires;
    for (const std::string& R : Package.Requires)
        Requires += (Requires.empty() ? "" : ", ") + R;
    return Package.File + ": " + Package.Description + ", version " + Package.FileVersion + ", requires " +
           (Requires.empty() ? "nothing" : Requires);
}

std::string DefaultPackageFile()
{
    std::error_code Error;
    const std::filesystem::path Executable = std::filesystem::read_symlink("/proc/self/exe", Error);
    if (Error)
        return "../lib/libtolvane.so";
    return (Executable.parent_path() / ".." / "lib" / "libtolvane.so").lexically_normal().string();
}
