#include "toolkit/VornickURLExtensions.h"

#include "toolkit/VornickLog.h"
#include "toolkit/VornickResourceFileKinds.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TypeIdentifiers.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

#include <unicode/uchar.h>

namespace brevanton {

// MARK: Temporary files

std::optional<URL> vornick_temporaryFileURLWithPathExtension(std::u16string_view pathExtension)
{
    auto caches = applicationFolder(XDGFolder::Cache, true);
    if (!caches)
        return std::nullopt;
    return vornick_temporaryFileURLWithPathExtension(pathExtension, URL::fileURLWithPath(*caches, true));
}

std::optional<URL> vornick_temporaryFileURLWithPathExtension(std::u16string_view pathExtension, const URL& folder)
{
    auto folderPath = folder.fileSystemPath();
    if (!folderPath)
        return std::nullopt;
    std::string suffix = "." + toUTF8(pathExtension);
    std::string pathTemplate = *folderPath;
    if (pathTemplate.back() != '/')
        pathTemplate += '/';
    pathTemplate += "Vornick.XXXX" + suffix;
    auto path = createFileFromTemplate(pathTemplate, suffix.size());
    if (!path)
        return std::nullopt;
    return URL::fileURLWithPath(*path, false);
}

// MARK: Types

bool vornick_shouldOpenWhenClicked(const URL& url, const VornickProjectEditorExtensionTest& isProjectEditorExtension)
{
    if (!url.isFileURL())
        return true;
    std::u16string extension = url.pathExtension();
    if (extension.empty() || !isProjectEditorExtension)
        return true;
    return !isProjectEditorExtension(extension);
}

bool vornick_appearsToBeAbsolute(const URL& url)
{
    return !url.scheme().empty();
}

bool vornick_appearsToBeOfType(const URL& url, std::u16string_view typeIdentifier)
{
    std::u16string extension = url.pathExtension();
    if (extension.empty() || typeIdentifier.empty())
        return false;
    return typeIdentifierConformsTo(typeIdentifierForFilenameExtension(extension), typeIdentifier);
}

bool vornick_appearsToBeOfResourceFileKind(const URL& url, std::u16string_view kind)
{
    auto typeIdentifier = VornickUTIForResourceFileKind(kind);
    return typeIdentifier && vornick_appearsToBeOfType(url, *typeIdentifier);
}

std::optional<std::u16string> vornick_typeIdentifier(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return std::nullopt;
    bool directory = false;
    if (!fileExists(*path, &directory))
        return std::nullopt;
    if (directory)
        return std::u16string(TypeIdentifier::Folder);
    std::u16string extension = url.pathExtension();
    if (extension.empty())
        return std::u16string(TypeIdentifier::Data);
    return typeIdentifierForFilenameExtension(extension);
}

std::optional<std::u16string> vornick_MIMEType(const URL& url)
{
    auto typeIdentifier = vornick_typeIdentifier(url);
    if (!typeIdentifier)
        return std::nullopt;
    return preferredMIMETypeForTypeIdentifier(*typeIdentifier);
}

bool vornick_schemeIsKnownCommonScheme(const URL& url)
{
    std::u16string scheme = url.scheme();
    return scheme == u"file" || scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto";
}

bool vornick_isWebAddress(const URL& url)
{
    std::u16string scheme = url.scheme();
    auto host = url.host();
    return (scheme == u"http" || scheme == u"https") && host && !host->empty();
}

// MARK: Keys

std::u16string vornick_absoluteStringWithoutAppleSecurityScopeQuery(const URL& url)
{
    if (!url.isFileURL())
        return url.absoluteString();
    if (auto path = url.fileSystemPath())
        return URL::fileURLWithPath(*path, url.hasDirectoryPath()).absoluteString();
    std::u16string string = url.absoluteString();
    size_t cut = string.find_first_of(u"?#");
    if (cut != std::u16string::npos)
        string.erase(cut);
    return string;
}

std::u16string vornick_absoluteStringWithoutAppleSecurityScopeQueryOrLocalhost(const URL& url)
{
    std::u16string string = vornick_absoluteStringWithoutAppleSecurityScopeQuery(url);
    constexpr std::u16string_view localhostPrefix = u"file://localhost/";
    if (string.size() >= localhostPrefix.size()
        && equalsIgnoringASCIICase(std::u16string_view(string).substr(0, localhostPrefix.size()), localhostPrefix))
        string.replace(0, localhostPrefix.size(), u"file:///");
    return string;
}

std::u16string vornick_normalizedUniqueKeyString(const URL& url)
{
    return vornick_absoluteStringWithoutAppleSecurityScopeQueryOrLocalhost(url);
}

// MARK: Relative URLs and common roots

static size_t countOfEqualLeadingComponents(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b)
{
    size_t count = 0;
    while (count < a.size() && count < b.size() && a[count] == b[count])
        ++count;
    return count;
}

std::optional<URL> vornick_deepestRootInCommonWith(const URL& url, const URL& other)
{
    if (!url.isFileURL() || !other.isFileURL())
        return std::nullopt;
    auto components = url.pathComponents();
    auto otherComponents = other.pathComponents();
    size_t common = countOfEqualLeadingComponents(components, otherComponents);
    if (common == components.size())
        return url;
    if (common == otherComponents.size())
        return other;
    std::u16string path = u"/";
    for (size_t i = 1; i < common; ++i)
        path += components[i] + u"/";
    return URL::fileURLWithPath(path, true);
}

// One path segment of a relative reference: everything that could end or
// split the segment ("/", "?", "#"), ";" and "%" escaped, and ":" too, which
// would otherwise make a first segment read as a scheme.
static const CharacterSet& relativeSegmentAllowed()
{
    static const CharacterSet set = CharacterSet::urlPathSegmentAllowed().removing(u":");
    return set;
}

std::optional<std::u16string> vornick_URLStringRelativeToBaseURL(const URL& url, const URL& base)
{
    if (!url.isFileURL() || !base.isFileURL())
        return std::nullopt;
    auto components = url.pathComponents();
    auto baseComponents = base.pathComponents();
    size_t common = countOfEqualLeadingComponents(components, baseComponents);
    std::u16string result;
    for (size_t i = common; i < baseComponents.size(); ++i)
        result += u"../";
    for (size_t i = common; i < components.size(); ++i) {
        if (i > common)
            result += u'/';
        result += percentEncode(components[i], relativeSegmentAllowed());
    }
    if (common < components.size() && url.hasDirectoryPath())
        result += u'/';
    // A query or fragment names a part or version of the file: it stays.
    if (auto query = url.query())
        result += u'?' + *query;
    if (auto fragment = url.fragment())
        result += u'#' + *fragment;
    return result;
}

std::optional<URL> vornick_URLRelativeToBaseURL(const URL& url, const URL& base)
{
    auto string = vornick_URLStringRelativeToBaseURL(url, base);
    if (!string)
        return std::nullopt;
    // The base is a folder: make sure resolution keeps its last component.
    URL folder = base.hasDirectoryPath() ? base : base.URLByAppendingPathComponent(u"", true);
    return URL::create(*string, &folder);
}

bool vornick_isFolderRelativeReference(std::u16string_view reference)
{
    // As a parser reads it: without the white space around it.
    auto isSpace = [](char16_t c) { return c <= u' '; };
    while (!reference.empty() && isSpace(reference.front()))
        reference.remove_prefix(1);
    while (!reference.empty() && isSpace(reference.back()))
        reference.remove_suffix(1);
    if (reference.empty() || reference.front() == u'/' || reference.front() == u'\\' || reference.front() == u'#'
        || reference.front() == u'?')
        return false;
    // A reference the URL parser cannot read names no other kind of place.
    auto url = URL::create(reference);
    return !url || !vornick_appearsToBeAbsolute(*url);
}

std::u16string vornick_referenceRelocated(std::u16string_view reference, const URL& fromDocumentURL, const URL& toDocumentURL)
{
    if (!vornick_isFolderRelativeReference(reference) || !fromDocumentURL.isFileURL() || !toDocumentURL.isFileURL())
        return std::u16string(reference);
    auto resolved = URL::create(reference, &fromDocumentURL);
    if (!resolved)
        return std::u16string(reference);
    auto relocated = vornick_URLStringRelativeToBaseURL(resolved->absoluteURL().standardized(), toDocumentURL.URLByDeletingLastPathComponent());
    return relocated && !relocated->empty() ? *relocated : std::u16string(reference);
}

// MARK: File name suffix

URL vornick_URLByAppendingFilenameSuffix(const URL& url, std::u16string_view suffix)
{
    std::u16string extension = url.pathExtension();
    URL withoutExtension = url.URLByDeletingPathExtension();
    std::u16string name = withoutExtension.lastPathComponent();
    if (name.empty() || name == u"/")
        return url;
    URL result = withoutExtension.URLByDeletingLastPathComponent().URLByAppendingPathComponent(
        name + std::u16string(suffix), url.hasDirectoryPath());
    if (!extension.empty())
        result = result.URLByAppendingPathExtension(extension);
    return result;
}

// MARK: Enumeration

static bool enumerateRegularFiles(const std::string& folder, bool recurse, const std::function<bool(const URL&)>& accepts,
                                  const VornickURLEnumerationBlock& block)
{
    auto listed = directoryEntryNames(folder);
    if (!listed) {
        VornickGeneralLog("URL enumeration: Error accessing {}", URL::fileURLWithPath(folder, true).absoluteString());
        return true;
    }
    // Hidden files are not enumerated.
    auto names = std::move(*listed);
    std::erase_if(names, [](const std::string& name) { return name.starts_with('.'); });

    std::string prefix = folder.back() == '/' ? folder : folder + "/";
    for (auto& name : names) {
        std::string path = prefix + name;
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0) {
            VornickGeneralLog("URL enumeration: Error accessing {}", URL::fileURLWithPath(path, false).absoluteString());
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            if (recurse && !enumerateRegularFiles(path, recurse, accepts, block))
                return false;
            continue;
        }
        if (!S_ISREG(status.st_mode))
            continue;
        URL fileURL = URL::fileURLWithPath(path, false);
        if (!accepts(fileURL))
            continue;
        bool stop = false;
        block(fileURL, stop);
        if (stop)
            return false;
    }
    return true;
}

static bool enumerateRegularFilesOfFolder(const URL& url, bool recurse, const std::function<bool(const URL&)>& accepts,
                                          const VornickURLEnumerationBlock& block)
{
    BREVANTON_ASSERT(url.isFileURL(), "Can only enumerate file: URLs");
    auto path = url.fileSystemPath();
    BREVANTON_ASSERT(path.has_value(), "Can only enumerate file: URLs");
    return enumerateRegularFiles(*path, recurse, accepts, block);
}

bool vornick_enumerateRegularFilesOfType(const URL& url, std::u16string_view typeIdentifier, bool recurse,
                                         const VornickURLEnumerationBlock& block)
{
    return enumerateRegularFilesOfFolder(url, recurse, [&](const URL& file) {
        auto type = vornick_typeIdentifier(file);
        return type && *type == typeIdentifier;
    }, block);
}

bool vornick_enumerateRegularFilesWithExtension(const URL& url, std::u16string_view extension, bool recurse,
                                                const VornickURLEnumerationBlock& block)
{
    return enumerateRegularFilesOfFolder(url, recurse, [&](const URL& file) {
        return compareIgnoringCase(file.pathExtension(), extension) == 0;
    }, block);
}

// MARK: Identity

bool vornick_pointsToSameFileAsURL(const URL& url, const URL& other)
{
    if (url == other || url.absoluteString() == other.absoluteString())
        return true;
    if (!url.isFileURL() || !other.isFileURL())
        return false;
    auto path = url.fileSystemPath();
    auto otherPath = other.fileSystemPath();
    if (!path || !otherPath)
        return false;
    auto identity = fileIdentity(*path);
    auto otherIdentity = fileIdentity(*otherPath);
    return identity && otherIdentity && *identity == *otherIdentity;
}

bool vornick_isDirectoryURLThatEncompasses(const URL& url, const URL& other)
{
    std::u16string key = vornick_normalizedUniqueKeyString(url);
    if (key.empty() || key.back() != u'/')
        key += u'/';
    return vornick_normalizedUniqueKeyString(other).starts_with(key);
}

// MARK: Unique files

// The number n of an item named "<stem><whitespace+><n>[.<extension>]"
// (case ignored), 0 when the name has another form.
static long numberOfNumberedItem(std::u16string_view name, std::u16string_view stem, std::u16string_view extension)
{
    if (name.size() <= stem.size() || compareIgnoringCase(name.substr(0, stem.size()), stem) != 0)
        return 0;
    size_t position = stem.size();
    size_t whitespaceStart = position;
    while (position < name.size() && u_isUWhiteSpace(name[position]))
        ++position;
    if (position == whitespaceStart)
        return 0;
    size_t digitsStart = position;
    long number = 0;
    while (position < name.size() && name[position] >= u'0' && name[position] <= u'9') {
        if (number > 1'000'000'000'000L)
            return 0;
        number = number * 10 + (name[position] - u'0');
        ++position;
    }
    if (position == digitsStart || number < 1)
        return 0;
    std::u16string_view rest = name.substr(position);
    if (extension.empty())
        return rest.empty() ? number : 0;
    if (rest.size() != extension.size() + 1 || rest[0] != u'.' || compareIgnoringCase(rest.substr(1), extension) != 0)
        return 0;
    return number;
}

std::optional<URL> vornick_createUniqueFileOfType(const URL& folder, FileKind fileType, std::u16string_view baseName,
                                                  Error* outError)
{
    BREVANTON_ASSERT(folder.isFileURL(), "Receiver must be a file: URL");
    BREVANTON_ASSERT(fileType == FileKind::Regular || fileType == FileKind::Directory,
                     "fileType == NSFileTypeRegular || fileType == NSFileTypeDirectory");
    auto folderPath = folder.fileSystemPath();
    BREVANTON_ASSERT(folderPath.has_value(), "Receiver must be a file: URL");

    struct stat status;
    if (::stat(folderPath->c_str(), &status) != 0) {
        Error error = Error::posix(errno);
        error.userInfo()[Error::URLKey] = Value(folder.absoluteString());
        setError(outError, std::move(error));
        return std::nullopt;
    }
    if (!S_ISDIR(status.st_mode)) {
        setError(outError, Error(VornickErrorDomain, VornickUniqueFileBaseNotAFolderError));
        return std::nullopt;
    }

    // The stem and extension as the numbered names use them.
    std::u16string_view stem = baseName;
    std::u16string_view extension;
    size_t dot = baseName.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) {
        stem = baseName.substr(0, dot);
        extension = baseName.substr(dot + 1);
    }

    long largest = 0;
    for (const auto& name : directoryEntryNames(*folderPath).value_or(std::vector<std::string> {})) {
        if (!name.starts_with('.'))
            largest = std::max(largest, numberOfNumberedItem(toUTF16(name), stem, extension));
    }

    // The base name itself first, then "<stem> <largest + 1>", "<stem> <largest + 2>", ...:
    // each creation is exclusive, so a name taken meanwhile moves on to the next number.
    auto path = createUniqueFile(*folderPath, toUTF8(baseName), fileType, outError, largest + 1, true);
    if (!path)
        return std::nullopt;
    return URL::fileURLWithPath(*path, fileType == FileKind::Directory);
}

} // namespace brevanton
