#include "TempDir.hpp"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

TempDir::TempDir()
{
    std::string Pattern = (std::filesystem::temp_directory_path() / "tolvane-XXXXXX").string();
    if (mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory from " + Pattern);
    FPath = Pattern;
}

TempDir::~TempDir()
{
    std::error_code Ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 Ignored);
    std::filesystem::remove_all(FPath, Ignored);
}

std::string TempDir::MakeDir(const std::string& Name) const
{
    std::filesystem::create_directories(FPath / Name);
    return File(Name);
}

std::string TempDir::Write(const std::string& Name, const std::string& Bytes) const
{
    std::filesystem::path P = FPath / Name;
    std::filesystem::create_directories(P.parent_path());
    std::ofstream Out(P, std::ios::binary);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + P.string());
    return P.string();
}
