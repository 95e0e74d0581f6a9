#include "platform/foundation/TypeIdentifiers.h"

#include "platform/foundation/MIMETypesFile.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace brevanton {

namespace {

struct TypeEntry {
    std::u16string identifier;
    std::vector<std::u16string> parents;
    std::vector<std::u16string> extensions; // lower case, preferred first
    std::vector<std::u16string> mimeTypes;  // lower case, preferred first
};

struct BuiltinType {
    const char16_t* identifier;
    std::initializer_list<const char16_t*> parents;
    std::initializer_list<const char16_t*> extensions;
    std::initializer_list<const char16_t*> mimeTypes;
};

const BuiltinType builtinTypes[] = {
    { u"public.item", {}, {}, {} },
    { u"public.content", { u"public.item" }, {}, {} },
    { u"public.data", { u"public.item" }, {}, { u"application/octet-stream" } },
    { u"public.directory", { u"public.item" }, {}, {} },
    { u"public.folder", { u"public.directory" }, {}, {} },
    { u"public.url", { u"public.data" }, {}, {} },
    { u"public.url-name", { u"public.utf8-plain-text" }, {}, {} },
    { u"public.text", { u"public.data", u"public.content" }, {}, {} },
    { u"public.plain-text", { u"public.text" }, { u"txt", u"text" }, { u"text/plain" } },
    { u"public.utf8-plain-text", { u"public.plain-text" }, {}, {} },
    { u"public.html", { u"public.text" }, { u"html", u"htm", u"shtml", u"shtm" }, { u"text/html" } },
    { u"public.xml", { u"public.text" }, { u"xml" }, { u"application/xml", u"text/xml" } },
    { u"public.xhtml", { u"public.xml" }, { u"xhtml", u"xht" }, { u"application/xhtml+xml" } },
    { u"public.css", { u"public.text" }, { u"css" }, { u"text/css" } },
    { u"public.source-code", { u"public.plain-text" }, {}, {} },
    { u"public.script", { u"public.source-code" }, {}, {} },
    { u"com.netscape.javascript-source", { u"public.script" }, { u"js", u"mjs" },
      { u"text/javascript", u"application/javascript", u"application/x-javascript" } },
    { u"public.php-script", { u"public.script" }, { u"php" }, { u"application/x-php" } },
    { u"public.json", { u"public.text" }, { u"json" }, { u"application/json" } },
    { u"net.daringfireball.markdown", { u"public.plain-text" }, { u"md", u"markdown" }, { u"text/markdown" } },
    { u"public.rtf", { u"public.text" }, { u"rtf" }, { u"text/rtf", u"application/rtf" } },
    { u"com.adobe.pdf", { u"public.data", u"public.content" }, { u"pdf" }, { u"application/pdf" } },
    { u"public.image", { u"public.data", u"public.content" }, {}, {} },
    { u"public.png", { u"public.image" }, { u"png" }, { u"image/png" } },
    { u"public.jpeg", { u"public.image" }, { u"jpeg", u"jpg", u"jpe" }, { u"image/jpeg", u"image/jpg" } },
    { u"com.compuserve.gif", { u"public.image" }, { u"gif" }, { u"image/gif" } },
    { u"public.svg-image", { u"public.image" }, { u"svg", u"svgz" }, { u"image/svg+xml" } },
    { u"org.webmproject.webp", { u"public.image" }, { u"webp" }, { u"image/webp" } },
    { u"public.tiff", { u"public.image" }, { u"tiff", u"tif" }, { u"image/tiff" } },
    { u"com.microsoft.bmp", { u"public.image" }, { u"bmp" }, { u"image/bmp" } },
    { u"com.microsoft.ico", { u"public.image" }, { u"ico" }, { u"image/vnd.microsoft.icon", u"image/x-icon" } },
    { u"public.heic", { u"public.image" }, { u"heic" }, { u"image/heic" } },
    { u"public.audiovisual-content", { u"public.data", u"public.content" }, {}, {} },
    { u"public.movie", { u"public.audiovisual-content" }, {}, {} },
    { u"public.video", { u"public.movie" }, {}, {} },
    { u"public.mpeg-4", { u"public.movie" }, { u"mp4", u"m4v" }, { u"video/mp4" } },
    { u"com.apple.quicktime-movie", { u"public.movie" }, { u"mov", u"qt" }, { u"video/quicktime" } },
    { u"public.avi", { u"public.movie" }, { u"avi" }, { u"video/x-msvideo", u"video/avi" } },
    { u"org.webmproject.webm", { u"public.movie" }, { u"webm" }, { u"video/webm" } },
    { u"public.mpeg", { u"public.movie" }, { u"mpeg", u"mpg" }, { u"video/mpeg" } },
    { u"public.audio", { u"public.audiovisual-content" }, {}, {} },
    { u"public.mp3", { u"public.audio" }, { u"mp3" }, { u"audio/mpeg", u"audio/mp3" } },
    { u"public.mpeg-4-audio", { u"public.audio" }, { u"m4a" }, { u"audio/mp4", u"audio/x-m4a" } },
    { u"com.microsoft.waveform-audio", { u"public.audio" }, { u"wav", u"wave" }, { u"audio/wav", u"audio/x-wav" } },
    { u"org.xiph.ogg-audio", { u"public.audio" }, { u"ogg", u"oga" }, { u"audio/ogg" } },
    { u"org.xiph.flac", { u"public.audio" }, { u"flac" }, { u"audio/flac" } },
    { u"public.aiff-audio", { u"public.audio" }, { u"aiff", u"aif" }, { u"audio/aiff", u"audio/x-aiff" } },
};

// A MIME type's top-level name decides the parent of types read from mime.types.
const char16_t* parentForMIMEType(std::u16string_view mimeType)
{
    if (mimeType.starts_with(u"image/"))
        return u"public.image";
    if (mimeType.starts_with(u"video/"))
        return u"public.movie";
    if (mimeType.starts_with(u"audio/"))
        return u"public.audio";
    if (mimeType.starts_with(u"text/"))
        return u"public.text";
    return u"public.data";
}

class TypeTable {
public:
    static const TypeTable& shared()
    {
        // Never destroyed: nothing is gained by freeing it as the program exits.
        static const TypeTable* table = new TypeTable;
        return *table;
    }

    const TypeEntry* entry(std::u16string_view identifier) const
    {
        auto it = m_byIdentifier.find(asciiLowercase(identifier));
        return it == m_byIdentifier.end() ? nullptr : &m_entries[it->second];
    }
    const TypeEntry* entryForExtension(std::u16string_view extension) const
    {
        auto it = m_byExtension.find(asciiLowercase(extension));
        return it == m_byExtension.end() ? nullptr : &m_entries[it->second];
    }
    const TypeEntry* entryForMIMEType(std::u16string_view mimeType) const
    {
        auto it = m_byMIMEType.find(asciiLowercase(mimeType));
        return it == m_byMIMEType.end() ? nullptr : &m_entries[it->second];
    }

private:
    TypeTable()
    {
        for (auto& builtin : builtinTypes) {
            TypeEntry entry;
            entry.identifier = builtin.identifier;
            for (auto* parent : builtin.parents)
                entry.parents.emplace_back(parent);
            for (auto* extension : builtin.extensions)
                entry.extensions.emplace_back(extension);
            for (auto* mimeType : builtin.mimeTypes)
                entry.mimeTypes.emplace_back(mimeType);
            add(std::move(entry));
        }
        readSystemMIMETypes("/etc/mime.types");
    }

    void add(TypeEntry entry)
    {
        size_t index = m_entries.size();
        m_byIdentifier.emplace(asciiLowercase(entry.identifier), index);
        for (auto& extension : entry.extensions)
            m_byExtension.emplace(extension, index);
        for (auto& mimeType : entry.mimeTypes)
            m_byMIMEType.emplace(mimeType, index);
        m_entries.push_back(std::move(entry));
    }

    // Lines "type/subtype ext1 ext2 ..."; "#" starts a comment. Extensions of a
    // known MIME type join that type (after its own); other MIME types become
    // types of their own under the parent their top-level name gives.
    void readSystemMIMETypes(const char* path)
    {
        std::string contents = readFile(path).value_or(std::string());
        for (auto& [mimeType, extensions] : parseMIMETypesFile(contents)) {
            auto known = m_byMIMEType.find(mimeType);
            if (known != m_byMIMEType.end()) {
                size_t index = known->second;
                for (auto& extension : extensions) {
                    if (m_byExtension.emplace(extension, index).second)
                        m_entries[index].extensions.push_back(extension);
                }
                continue;
            }
            TypeEntry entry;
            entry.identifier = u"com.Orbendalworks.Brevanton.mime." + mimeType;
            for (auto& c : entry.identifier) {
                if (c == u'/')
                    c = u'.';
            }
            entry.parents.emplace_back(parentForMIMEType(mimeType));
            entry.mimeTypes.push_back(mimeType);
            for (auto& extension : extensions) {
                if (!m_byExtension.contains(extension))
                    entry.extensions.push_back(extension);
            }
            if (m_byIdentifier.contains(asciiLowercase(entry.identifier)))
                continue;
            add(std::move(entry));
        }
    }

    std::vector<TypeEntry> m_entries;
    std::map<std::u16string, size_t, std::less<>> m_byIdentifier;
    std::map<std::u16string, size_t, std::less<>> m_byExtension;
    std::map<std::u16string, size_t, std::less<>> m_byMIMEType;
};

constexpr std::u16string_view dynamicPrefix = u"dyn.";
constexpr std::u16string_view dynamicExtensionPrefix = u"dyn.extension.";
constexpr std::u16string_view dynamicMIMEPrefix = u"dyn.mime.";

std::u16string_view withoutMIMEParameters(std::u16string_view mimeType)
{
    if (auto semicolon = mimeType.find(u';'); semicolon != std::u16string_view::npos)
        mimeType = mimeType.substr(0, semicolon);
    while (!mimeType.empty() && isHTMLWhitespace(mimeType.back()))
        mimeType.remove_suffix(1);
    while (!mimeType.empty() && isHTMLWhitespace(mimeType.front()))
        mimeType.remove_prefix(1);
    return mimeType;
}

} // namespace

std::u16string typeIdentifierForFilenameExtension(std::u16string_view extension)
{
    if (!extension.empty() && extension.front() == u'.')
        extension.remove_prefix(1);
    if (auto* entry = TypeTable::shared().entryForExtension(extension))
        return entry->identifier;
    return std::u16string(dynamicExtensionPrefix) + asciiLowercase(extension);
}

std::u16string typeIdentifierForMIMEType(std::u16string_view mimeType)
{
    mimeType = withoutMIMEParameters(mimeType);
    if (auto* entry = TypeTable::shared().entryForMIMEType(mimeType))
        return entry->identifier;
    return std::u16string(dynamicMIMEPrefix) + asciiLowercase(mimeType);
}

std::optional<std::u16string> preferredMIMETypeForTypeIdentifier(std::u16string_view identifier)
{
    auto* entry = TypeTable::shared().entry(identifier);
    if (!entry || entry->mimeTypes.empty())
        return std::nullopt;
    return entry->mimeTypes.front();
}

std::optional<std::u16string> preferredFilenameExtensionForTypeIdentifier(std::u16string_view identifier)
{
    auto* entry = TypeTable::shared().entry(identifier);
    if (!entry || entry->extensions.empty())
        return std::nullopt;
    return entry->extensions.front();
}

std::vector<std::u16string> filenameExtensionsForTypeIdentifier(std::u16string_view identifier)
{
    auto* entry = TypeTable::shared().entry(identifier);
    return entry ? entry->extensions : std::vector<std::u16string>();
}

bool isDynamicTypeIdentifier(std::u16string_view identifier)
{
    return identifier.starts_with(dynamicPrefix);
}

bool isKnownTypeIdentifier(std::u16string_view identifier)
{
    return TypeTable::shared().entry(identifier) != nullptr;
}

bool typeIdentifierConformsTo(std::u16string_view identifier, std::u16string_view parent)
{
    if (identifier.empty() || parent.empty())
        return false;
    if (equalsIgnoringASCIICase(identifier, parent))
        return true;
    if (isDynamicTypeIdentifier(identifier)) {
        // Unknown file types are still data items.
        return equalsIgnoringASCIICase(parent, u"public.data") || equalsIgnoringASCIICase(parent, u"public.item");
    }
    const TypeTable& table = TypeTable::shared();
    std::vector<std::u16string> pending { std::u16string(identifier) };
    std::set<std::u16string> seen;
    while (!pending.empty()) {
        std::u16string current = std::move(pending.back());
        pending.pop_back();
        if (!seen.insert(asciiLowercase(current)).second)
            continue;
        auto* entry = table.entry(current);
        if (!entry)
            continue;
        for (auto& candidate : entry->parents) {
            if (equalsIgnoringASCIICase(candidate, parent))
                return true;
            pending.push_back(candidate);
        }
    }
    return false;
}

} // namespace brevanton
