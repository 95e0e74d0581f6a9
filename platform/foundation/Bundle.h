// Bundle: where the application finds its resources and what it knows of itself.
//
// Resources are looked up in the folder named by the environment variable
// BREVANTON_RESOURCES_DIR, else in the build tree's resources/ folder, else
// next to the executable (<dir>/../share/brevanton/resources, <dir>/resources).
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class Bundle {
public:
    static const Bundle& main();

    // A bundle on an explicit resources folder (tests).
    explicit Bundle(std::string resourcePath);

    // The resources folder (UTF-8 path; may not exist when nothing was found).
    const std::string& resourcePath() const { return m_resourcePath; }
    URL resourceURL() const;

    // The path of the resource "<name>.<extension>" (no "." when the extension
    // is empty) in the resources folder or in its `subdirectory`; nullopt when
    // no such file exists.
    std::optional<std::string> pathForResource(std::u16string_view name, std::u16string_view extension,
                                               std::u16string_view subdirectory = {}) const;
    std::optional<URL> URLForResource(std::u16string_view name, std::u16string_view extension,
                                      std::u16string_view subdirectory = {}) const;

    // The path of the executable resource "<name>.<extension>": the bundle's
    // own file when it is an executable file; otherwise, for the main bundle
    // only, the installed system command that stands in for it ("markdown"
    // for "Markdown.pl", "smartypants" for "SmartyPants.pl"), found on PATH.
    // nullopt when there is neither.
    std::optional<std::string> pathForExecutableResource(std::u16string_view name, std::u16string_view extension) const;

    // "com.Orbendalworks.Brevanton"
    std::u16string bundleIdentifier() const;
    // "CFBundleIdentifier", "CFBundleName" ("Brevanton"), "CFBundleShortVersionString"
    // and "CFBundleVersion" (the build's version), the help book's name
    // "CFBundleHelpBookName" ("Brevanton Help", the resources folder of its
    // pages), and the maker's support address, "VornickSupportEmailAddress".
    const Dictionary& infoDictionary() const { return m_info; }
    Value objectForInfoDictionaryKey(std::u16string_view key) const;

private:
    std::string m_resourcePath;
    Dictionary m_info;
};

inline constexpr const char16_t* BrevantonBundleIdentifier = u"com.Orbendalworks.Brevanton";

} // namespace brevanton
