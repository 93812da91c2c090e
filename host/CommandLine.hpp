#pragma once
// The host's command line:
//   tolvane-host [--package FILE]... [--form FILE] [--ppi N] [--script FILE|-] [--demo DIR]
//                [--list-packages] [--help]

#include "SysUtils.hpp"

#include <optional>
#include <string>
#include <vector>

// A command line the host cannot follow: exit status 2.
class EUsageError : public Exception
{
public:
    using Exception::Exception;
};

struct THostOptions
{
    // Empty: the default package.
    std::vector<std::string> Packages;
    std::string FormFile;
    // 0: the screen's own.
    int PixelsPerInch = 0;
    // "-" reads the script from standard input.
    std::optional<std::string> ScriptFile;
    std::optional<std::string> DemoDir;
    bool ListPackages = false;
    bool Help = false;

    // The host runs unattended and exits instead of opening its window.
    bool Unattended() const { return ScriptFile || DemoDir || ListPackages; }
};

// Reads the arguments after the program name; "--option=VALUE" is accepted too.
THostOptions ParseCommandLine(const std::vector<std::string>& Args);

const char* UsageText();
