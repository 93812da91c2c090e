// A package whose Register fails: the host refuses it and goes on.

#include "DsgnIntf.hpp"

extern "C" {

const TPackageInfo* PackageInfo()
{
    static const char* const Requires[] = {"vcl30", nullptr};
    static const TPackageInfo Info{"Host test package that fails", "1.0.0.0", "1.0.0.0", true, Requires};
    return &Info;
}

void Register()
{
    RegisterPropertyEditor(nullptr, nullptr, "", nullptr);
}
}
