#include "DsgnIntf.hpp"
#include "Graphics.hpp"
#include "SampleComponents.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The package stays loaded for the rest of the process, as in a host: its editor classes are
// referenced by the registrations.
class LoadedPackage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Handle = dlopen(TOLVANE_PACKAGE_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(Handle, nullptr) << dlerror();
    }
    template <class F> static F* Symbol(const char* Name)
    {
        return reinterpret_cast<F*>(dlsym(Handle, Name));
    }
    static void* Handle;
};

void* LoadedPackage::Handle = nullptr;

TEST_F(LoadedPackage, ManifestDescribesADesignTimePackage)
{
    auto* Info = Symbol<const TPackageInfo*()>("PackageInfo");
    ASSERT_NE(Info, nullptr);
    const TPackageInfo* M = Info();
    EXPECT_STREQ(M->Description, "Tolvane Property Editor");
    EXPECT_STREQ(M->FileVersion, "1.0.0.0");
    EXPECT_STREQ(M->ProductVersion, "1.0.0.0");
    EXPECT_TRUE(M->DesignTimeOnly);
    std::vector<std::string> Requires;
    for (const char* const* R = M->Requires; *R != nullptr; ++R)
        Requires.emplace_back(*R);
    EXPECT_EQ(Requires, (std::vector<std::string>{"vcl30", "VCLX30"}));
}

TEST_F(LoadedPackage, RegisterTiesTheEditorToBitmapAndIconProperties)
{
    ClearPropertyEditorRegistrations();
    auto* Register = Symbol<void()>("Register");
    ASSERT_NE(Register, nullptr);
    Register();

    struct Case
    {
        const char* Property;
        const char* Editor;
    };
    const Case Cases[] = {
        {"Glyph", "TTolvaneProperty"},   {"Icon", "TTolvaneProperty"},
        {"Missing", "TTolvaneProperty"}, {"Shaded", "TTolvaneProperty"}, // a descendant of TBitmap
        {"Picture", "TClassProperty"},                                   // not registered
        {"Name", "TStringProperty"},
    };
    for (const Case& C : Cases) {
        const TPropInfo* P = GetPropInfo(TSampleComponent::TypeInfo(), C.Property);
        ASSERT_NE(P, nullptr) << C.Property;
        EXPECT_EQ(GetEditorClass(P, TSampleComponent::TypeInfo())->Name, C.Editor) << C.Property;
    }
    EXPECT_NE(FindEditorClass("TTolvaneProperty"), nullptr);
    ClearPropertyEditorRegistrations();
}

} // namespace
