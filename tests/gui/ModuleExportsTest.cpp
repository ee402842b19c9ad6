#include "phaser/Product.h"
#include "support/EditorHost.h"
#include "support/ElfExports.h"

#include <gtest/gtest.h>

using TestSupport::ExportedSymbols;

// The shipped module shows hosts its two entry points and nothing else; the test variant adds
// exactly the driver, so the editor tests exercise the same code behind the same entry points.
TEST(ModuleExports, ShippedModuleExportsOnlyItsEntryPoints)
{
    EXPECT_EQ(ExportedSymbols(TestSupport::ModulePath()),
              (std::vector<std::string>{"VSTPluginMain", "main"}));
}

TEST(ModuleExports, HeadlessTestModuleAddsOnlyTheDriver)
{
    EXPECT_EQ(ExportedSymbols(TestSupport::HeadlessTestModulePath()),
              (std::vector<std::string>{"CorvaneHeadlessDriver", "VSTPluginMain", "main"}));
}

TEST(ModuleExports, HeadlessTestModuleIsThePlugInWithItsEditor)
{
    TestSupport::EditorHost host;
    ASSERT_TRUE(host.Ready());
    EXPECT_EQ(host.plugin.Effect()->magic, kEffectMagic);
    EXPECT_EQ(host.plugin.Effect()->flags, 49); // editor, replacing, program chunks
    EXPECT_EQ(host.plugin.Effect()->numParams, Kestrune::Product::kParameterCount);
    EXPECT_EQ(host.plugin.GetString(effGetEffectName, 0), "Corvane Phaser");
}
