#pragma once
// A fresh temporary directory for one test, removed with everything in it at the end.

#include <filesystem>
#include <string>

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // Path of Name inside the directory, as a string.
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }
    // Creates the subdirectory Name (and its parents) and returns its path.
    std::string MakeDir(const std::string& Name) const;
    // Writes Bytes to Name and returns its path.
    std::string Write(const std::string& Name, const std::string& Bytes) const;

private:
    std::filesystem::path FPath;
};
