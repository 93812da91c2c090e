#pragma once
// The design-time package's entry points, exported with C linkage for the host.

#include "DsgnIntf.hpp"

extern "C" {
// The package's manifest: design-time only, its required packages, description and version.
const TPackageInfo* PackageInfo();
// Called by the host once after it loads the package: ties the editor to every TBitmap and TIcon
// property of every component class.
void Register();
}
