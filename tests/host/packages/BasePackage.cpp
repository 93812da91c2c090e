// A design-time package that requires only the platform: other test packages require it.

#include "DsgnIntf.hpp"

extern "C" {

const TPackageInfo* PackageInfo()
{
    static const char* const Requires[] = {"vcl30", nullptr};
    static const TPackageInfo Info{"Host test base package", "2.0.0.1", "2.0.0.1", true, Requires};
    return &Info;
}

void Register()
{
}
}
