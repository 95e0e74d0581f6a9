#include "html/VornickNamedCharacterReferenceMap.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"

#include <array>
#include <mutex>
#include <unordered_map>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace brevanton {

namespace {

std::optional<Data> readFile(const URL& url, Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error(CocoaErrorDomain, 260, u"The file could not be read: " + url.absoluteString()));
        return std::nullopt;
    }
    auto bytes = brevanton::readFile(*path, outError);
    if (!bytes)
        return std::nullopt;
    return Data(bytes->begin(), bytes->end());
}

size_t capitalCount(std::u16string_view name)
{
    size_t count = 0;
    for (char16_t c : name) {
        if (u_isupper(c))
            ++count;
    }
    return count;
}

// Unassigned code points and noncharacters: written as numeric references.
bool isIllegalCodePoint(UChar32 c)
{
    return u_charType(c) == U_UNASSIGNED || U_IS_UNICODE_NONCHAR(c);
}

bool isUnicodeEncoding(std::u16string_view encoding)
{
    auto startsWith = [encoding](std::u16string_view prefix) {
        return encoding.size() >= prefix.size() && equalsIgnoringASCIICase(encoding.substr(0, prefix.size()), prefix);
    };
    return encoding.empty() || startsWith(u"utf") || startsWith(u"ucs") || equalsIgnoringASCIICase(encoding, u"unicode")
        || equalsIgnoringASCIICase(encoding, u"gb18030");
}

// Answers whether an encoding holds a code point, remembering the answers.
class EncodabilityTester {
public:
    explicit EncodabilityTester(std::u16string_view encoding)
    {
        if (!isUnicodeEncoding(encoding) && isKnownTextEncoding(encoding))
            m_encoding = encoding;
    }

    bool holdsEverything() const { return m_encoding.empty(); }

    bool canEncode(UChar32 codePoint)
    {
        if (m_encoding.empty() || codePoint < 0x80)
            return true;
        auto cached = m_cache.find(codePoint);
        if (cached != m_cache.end())
            return cached->second;
        bool result = brevanton::canEncode(static_cast<char32_t>(codePoint), m_encoding);
        m_cache.emplace(codePoint, result);
        return result;
    }

private:
    std::u16string m_encoding; // empty when every character is held
    std::unordered_map<UChar32, bool> m_cache;
};

void appendNumericReference(std::u16string& out, UChar32 codePoint, unsigned options)
{
    char buffer[24];
    if (options & VornickEscapeOptionDecimalReferences)
        snprintf(buffer, sizeof buffer, "&#%ld;", static_cast<long>(codePoint));
    else
        snprintf(buffer, sizeof buffer, "&#x%04X;", static_cast<unsigned>(codePoint));
    for (const char* p = buffer; *p; ++p)
        out.push_back(static_cast<char16_t>(*p));
}

std::shared_ptr<VornickNamedCharacterReferenceMap> loadShared(const char16_t* resourceName)
{
    auto url = Bundle::main().URLForResource(resourceName, u"json");
    if (!url)
        return nullptr;
    return VornickNamedCharacterReferenceMap::createWithContentsOfURL(*url, nullptr);
}

std::mutex sharedMapsLock;

} // namespace

VornickNamedCharacterReferenceMap::VornickNamedCharacterReferenceMap()
{
    m_charactersToEntityName.reserve(2250);
    m_entityNamesToCharacters.reserve(2250);
}

std::shared_ptr<VornickNamedCharacterReferenceMap> VornickNamedCharacterReferenceMap::html4NamedCharacterReferenceMap()
{
    std::lock_guard lock(sharedMapsLock);
    static std::shared_ptr<VornickNamedCharacterReferenceMap> map;
    if (!map)
        map = loadShared(u"HTML4-entities");
    return map;
}

std::shared_ptr<VornickNamedCharacterReferenceMap> VornickNamedCharacterReferenceMap::html5NamedCharacterReferenceMap()
{
    std::lock_guard lock(sharedMapsLock);
    static std::shared_ptr<VornickNamedCharacterReferenceMap> map;
    if (!map)
        map = loadShared(u"HTML5-entities");
    return map;
}

std::shared_ptr<VornickNamedCharacterReferenceMap> VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(
    VornickHTMLDocumentType type)
{
    if (type >= VornickHTMLDocumentType::HTML401Transitional && type <= VornickHTMLDocumentType::XHTML11)
        return html4NamedCharacterReferenceMap();
    return html5NamedCharacterReferenceMap();
}

std::shared_ptr<VornickNamedCharacterReferenceMap> VornickNamedCharacterReferenceMap::createWithContentsOfURL(const URL& url, Error* outError)
{
    auto data = readFile(url, outError);
    if (!data) {
        VornickGeneralLog("File data == nil in named character reference map");
        return nullptr;
    }
    auto root = readJSON(*data, outError);
    if (!root || !root->isDictionary()) {
        VornickGeneralLog("Bad root object (want dictionary) in named character reference map");
        return nullptr;
    }
    auto map = std::make_shared<VornickNamedCharacterReferenceMap>();
    for (auto& [key, value] : root->dictionary()) {
        if (!value.isDictionary()) {
            VornickGeneralLog("Bad key-value pair in named character reference map");
            continue;
        }
        if (key.size() < 2 || key[0] != u'&' || key == u"&;") {
            VornickGeneralLog("(No name)");
            continue;
        }
        std::u16string name = key.substr(1);
        if (name.back() == u';')
            name.pop_back();
        const Value* characters = value.find(u"characters");
        if (!characters || !characters->isString() || characters->string().empty() || characters->string().size() > 2)
            continue;
        map->addEntity(std::move(name), characters->string());
    }
    return map;
}

void VornickNamedCharacterReferenceMap::addEntity(std::u16string name, std::u16string characters)
{
    m_firstCharacters.set(characters[0]);
    auto preferred = m_charactersToEntityName.find(characters);
    if (preferred == m_charactersToEntityName.end())
        m_charactersToEntityName.emplace(characters, name);
    else {
        const std::u16string& current = preferred->second;
        if (name.size() < current.size() || (name.size() == current.size() && capitalCount(name) < capitalCount(current)))
            preferred->second = name;
    }
    m_entityNamesToCharacters[std::move(name)] = std::move(characters);
}

std::optional<std::u16string> VornickNamedCharacterReferenceMap::charactersForEntityName(std::u16string_view name) const
{
    auto it = m_entityNamesToCharacters.find(std::u16string(name));
    if (it == m_entityNamesToCharacters.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::u16string> VornickNamedCharacterReferenceMap::entityNameForCharacters(std::u16string_view characters) const
{
    auto it = m_charactersToEntityName.find(std::u16string(characters));
    if (it == m_charactersToEntityName.end())
        return std::nullopt;
    return it->second;
}

std::u16string VornickNamedCharacterReferenceMap::stringByEscapingSpecialCharactersInString(std::u16string_view text,
    std::u16string_view encoding, unsigned options) const
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    appendByEscapingSpecialCharacters(out, text, encoding, options);
    return out;
}

void VornickNamedCharacterReferenceMap::appendByEscapingSpecialCharacters(std::u16string& out, std::u16string_view text,
                                                                          std::u16string_view encoding, unsigned options) const
{
    if (text.empty())
        return;

    const bool native = options & VornickEscapeOptionNativeCharacters;
    const bool named = (options & VornickEscapeOptionNamedReferences) && !native;
    EncodabilityTester encodability(native ? encoding : std::u16string_view());
    const bool checkEncodability = native && !encodability.holdsEverything();

    // The ASCII characters always acted on, looked up rather than worked out
    // for each character of the text.
    static constexpr auto asciiEscaped = [] {
        std::array<bool, 0x80> table {};
        for (char16_t c = 0; c < 0x80; ++c)
            table[c] = c == u'&' || c == u'<' || c == u'>' || VornickIsControlCharacterWrittenAsReference(c);
        return table;
    }();
    const bool nulActedOn = !native || checkEncodability;
    auto mustActOn = [&](char16_t c) {
        if (c < 0x80)
            return asciiEscaped[c] || (c == 0 && nulActedOn) || (named && m_firstCharacters.test(c));
        // Non-ASCII: everything unless written natively; natively only
        // what is illegal or what the target encoding cannot hold.
        if (!native || checkEncodability || U16_IS_SURROGATE(c) || c >= 0xFDD0)
            return true;
        return c == 0xA0 || u_charType(c) == U_UNASSIGNED || VornickIsControlCharacterWrittenAsReference(c);
    };

    size_t length = text.size();
    size_t i = 0;
    while (i < length) {
        size_t runStart = i;
        while (i < length && !mustActOn(text[i]))
            ++i;
        out.append(text.substr(runStart, i - runStart));
        if (i >= length)
            break;

        char16_t c = text[i];
        switch (c) {
        case u'&':
            out += u"&amp;";
            ++i;
            continue;
        case u'<':
            out += u"&lt;";
            ++i;
            continue;
        case u'>':
            if (options & VornickEscapeOptionDontEscapeGreaterThan)
                out += u'>';
            else
                out += u"&gt;";
            ++i;
            continue;
        case 0xA0:
            if (options & VornickEscapeOptionNamedReferences)
                out += u"&nbsp;";
            else if (options & VornickEscapeOptionDecimalReferences)
                out += u"&#160;";
            else
                out += u"&#xA0;";
            ++i;
            continue;
        default:
            break;
        }

        // The whole code point; a lone surrogate or NUL cannot be written and
        // becomes the replacement character.
        UChar32 codePoint = c;
        size_t unitCount = 1;
        if (U16_IS_LEAD(c) && i + 1 < length && U16_IS_TRAIL(text[i + 1])) {
            codePoint = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
            unitCount = 2;
        } else if (U16_IS_SURROGATE(c) || c == 0) {
            appendNumericReference(out, 0xFFFD, options);
            ++i;
            continue;
        }

        if (isIllegalCodePoint(codePoint) || VornickIsControlCharacterWrittenAsReference(codePoint)) {
            appendNumericReference(out, codePoint, options);
            i += unitCount;
            continue;
        }
        if ((native && (!checkEncodability || encodability.canEncode(codePoint))) || (codePoint >= 1 && codePoint <= 0x7F)) {
            out.append(text.substr(i, unitCount));
            i += unitCount;
            continue;
        }
        if (named && m_firstCharacters.test(c)) {
            std::optional<std::u16string> name;
            size_t consumed = 0;
            if (i + 2 <= length) {
                auto it = m_charactersToEntityName.find(std::u16string(text.substr(i, 2)));
                if (it != m_charactersToEntityName.end()) {
                    name = it->second;
                    consumed = 2;
                }
            }
            if (!name && unitCount == 1) {
                auto it = m_charactersToEntityName.find(std::u16string(1, c));
                if (it != m_charactersToEntityName.end()) {
                    name = it->second;
                    consumed = 1;
                }
            }
            if (name) {
                out += u'&';
                out += *name;
                out += u';';
                i += consumed;
                continue;
            }
        }
        appendNumericReference(out, codePoint, options);
        i += unitCount;
    }
}

} // namespace brevanton
