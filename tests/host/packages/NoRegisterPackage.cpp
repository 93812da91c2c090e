// A package with a manifest and no Register: the host refuses it.

#include "DsgnIntf.hpp"

extern "C" {

const TPackageInfo* PackageInfo()
{
    static const TPackageInfo Info{"Host test package without Register", "1.0.0.0", "1.0.0.0", true, nullptr};
    return &Info;
}
}
