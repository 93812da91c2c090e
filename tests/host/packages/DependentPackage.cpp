// A design-time package that requires the base test package (and the platform, named in capitals).

#include "DsgnIntf.hpp"

extern "C" {

const TPackageInfo* PackageInfo()
{
    static const char* const Requires[] = {"VCL30", "HostBase", nullptr};
    static const TPackageInfo Info{"Host test dependent package", "1.2.0.0", "1.2.0.0", true, Requires};
    return &Info;
}

void Register()
{
}
}
