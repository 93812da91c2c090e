// A runtime package: the host refuses it, since it is not design-time only.

#include "DsgnIntf.hpp"

extern "C" {

const TPackageInfo* PackageInfo()
{
    static const char* const Requires[] = {nullptr};
    static const TPackageInfo Info{"Host test runtime package", "1.0.0.0", "1.0.0.0", false, Requires};
    return &Info;
}

void Register()
{
}
}
