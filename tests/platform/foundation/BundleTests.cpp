#include "platform/foundation/Bundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace brevanton;

TEST(Bundle, FindsResourcesByNameExtensionAndSubfolder)
{
    auto folder = std::filesystem::temp_directory_path() / ("bundle-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "entities.json") << "{}";
    std::ofstream(folder / "sub" / "sheet.css") << "";
    std::ofstream(folder / "README") << "";

    Bundle bundle(folder.string());
    EXPECT_EQ(bundle.pathForResource(u"entities", u"json"), (folder / "entities.json").string());
    EXPECT_EQ(bundle.pathForResource(u"README", u""), (folder / "README").string());
    EXPECT_FALSE(bundle.pathForResource(u"sheet", u"css").has_value());
    EXPECT_FALSE(bundle.pathForResource(u"missing", u"json").has_value());
    auto url = bundle.URLForResource(u"sheet", u"css", u"sub");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->fileSystemPath(), (folder / "sub" / "sheet.css").string());
    std::filesystem::remove_all(folder);
}

TEST(Bundle, MainBundleKnowsItself)
{
    const Bundle& bundle = Bundle::main();
    EXPECT_EQ(bundle.bundleIdentifier(), u"com.Orbendalworks.Brevanton");
    EXPECT_EQ(bundle.infoDictionary().at(u"CFBundleName"), Value(u"Brevanton"));
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey(u"CFBundleShortVersionString").isString());
    EXPECT_FALSE(bundle.resourcePath().empty());
    EXPECT_TRUE(std::filesystem::is_directory(bundle.resourcePath()));
}
