#include "platform/foundation/Bundle.h"

#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

static bool isDirectory(const std::string& path)
{
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

static bool isRegularFile(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

static std::string executableDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    buffer.resize(static_cast<size_t>(length));
    size_t slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string() : buffer.substr(0, slash);
}

static std::string findResourcesDirectory()
{
    if (const char* fromEnvironment = std::getenv("BREVANTON_RESOURCES_DIR"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
#ifdef BREVANTON_RESOURCES_DIR
    if (isDirectory(BREVANTON_RESOURCES_DIR))
        return BREVANTON_RESOURCES_DIR;
#endif
    std::string executable = executableDirectory();
    if (!executable.empty()) {
        for (const char* relative : { "/../share/brevanton/resources", "/resources" }) {
            std::string candidate = executable + relative;
            if (isDirectory(candidate))
                return candidate;
        }
    }
#ifdef BREVANTON_RESOURCES_DIR
    return BREVANTON_RESOURCES_DIR;
#else
    return executable + "/resources";
#endif
}

const Bundle& Bundle::main()
{
    static const Bundle bundle(findResourcesDirectory());
    return bundle;
}

Bundle::Bundle(std::string resourcePath)
    : m_resourcePath(std::move(resourcePath))
{
#ifdef BREVANTON_VERSION
    std::u16string version = u16(BREVANTON_VERSION);
#else
    std::u16string version = u"0";
#endif
    m_info[u"CFBundleIdentifier"] = Value(std::u16string(BrevantonBundleIdentifier));
    m_info[u"CFBundleName"] = Value(std::u16string(u"Brevanton"));
    m_info[u"CFBundleShortVersionString"] = Value(version);
    m_info[u"CFBundleVersion"] = Value(version);
    m_info[u"CFBundleHelpBookName"] = Value(std::u16string(u"Brevanton Help"));
    m_info[u"VornickSupportEmailAddress"] = Value(std::u16string(u"support@orbendalworks.com"));
}

URL Bundle::resourceURL() const
{
    return URL::fileURLWithPath(m_resourcePath, true);
}

std::optional<std::string> Bundle::pathForResource(std::u16string_view name, std::u16string_view extension,
                                                   std::u16string_view subdirectory) const
{
    if (name.empty())
        return std::nullopt;
    std::string path = m_resourcePath;
    if (!subdirectory.empty()) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += toUTF8(subdirectory);
    }
    if (path.empty() || path.back() != '/')
        path += '/';
    path += toUTF8(name);
    if (!extension.empty()) {
        if (extension.front() != u'.')
            path += '.';
        path += toUTF8(extension);
    }
    if (!isRegularFile(path) && !isDirectory(path))
        return std::nullopt;
    return path;
}

std::optional<URL> Bundle::URLForResource(std::u16string_view name, std::u16string_view extension,
                                          std::u16string_view subdirectory) const
{
    auto path = pathForResource(name, extension, subdirectory);
    if (!path)
        return std::nullopt;
    return URL::fileURLWithPath(*path);
}

std::optional<std::string> Bundle::pathForExecutableResource(std::u16string_view name, std::u16string_view extension) const
{
    if (auto path = pathForResource(name, extension); path && isRegularFile(*path) && ::access(path->c_str(), X_OK) == 0)
        return path;
    if (this != &main())
        return std::nullopt;
    // Resource scripts that the system's packages install as commands.
    static constexpr struct {
        std::u16string_view resourceName;
        std::string_view command;
    } standIns[] = {
        { u"Markdown.pl", "markdown" },
        { u"SmartyPants.pl", "smartypants" },
    };
    std::u16string fullName(name);
    if (!extension.empty()) {
        if (extension.front() != u'.')
            fullName += u'.';
        fullName += extension;
    }
    for (const auto& standIn : standIns) {
        if (standIn.resourceName != fullName)
            continue;
        std::string path = findExecutable(standIn.command);
        if (path.empty())
            return std::nullopt;
        return path;
    }
    return std::nullopt;
}

std::u16string Bundle::bundleIdentifier() const
{
    return BrevantonBundleIdentifier;
}

Value Bundle::objectForInfoDictionaryKey(std::u16string_view key) const
{
    auto it = m_info.find(key);
    return it == m_info.end() ? Value() : it->second;
}

} // namespace brevanton
