#include "html/VornickHTMLCharacterEncodingDetector.h"

#include "html/VornickHTMLMetaEncodingAttributes.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isSpace(char16_t c) { return isHTMLWhitespace(c); }

std::u16string trimmedOfSpaces(std::u16string_view text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isSpace(text[start]))
        ++start;
    while (end > start && isSpace(text[end - 1]))
        --end;
    return std::u16string(text.substr(start, end - start));
}

// Bytes read as ISO-8859-1, which maps every byte to one character: the
// ASCII markup of any ASCII-compatible encoding reads as itself.
std::u16string widened(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<char16_t>(byte));
    return text;
}

} // namespace

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLFileAtURL(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return std::nullopt;
    auto head = readFilePrefix(*path, bytesExamined);
    if (!head || head->empty())
        return std::nullopt;
    return detectIANACharacterEncodingDeclarationInHTMLData(*head);
}

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLData(std::string_view bytes)
{
    bytes = bytes.substr(0, std::min(bytes.size(), bytesExamined));
    // A byte order mark is not part of the markup.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (bytes.empty())
        return std::nullopt;
    std::optional<std::u16string> declared;
    std::optional<std::u16string> contentAlone;
    VornickHTMLReadMetaEncodingAttributes(bytes, [&](const VornickHTMLMetaEncodingAttributes& meta) {
        // An element's charset declares before its content.
        if (meta.charset) {
            // Spaces around the name are not part of it; an empty charset
            // declares nothing.
            auto name = trimmedOfSpaces(widened(meta.charset->unquoted()));
            if (!name.empty()) {
                declared = std::move(name);
                return false;
            }
        }
        if (!meta.content)
            return true;
        auto name = characterSetFromContentValue(widened(meta.content->unquoted()));
        if (name && meta.httpEquivContentType) {
            declared = std::move(name);
            return false;
        }
        if (name)
            contentAlone = std::move(name);
        return true;
    });
    return declared ? declared : contentAlone;
}

std::optional<std::u16string> VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(std::u16string_view content)
{
    std::u16string value = asciiLowercase(content);
    if (!value.starts_with(u"text/html;"))
        return std::nullopt;
    size_t start = 10;
    for (size_t i = 10; i < value.size(); ++i) {
        if (isSpace(value[i])) {
            start = i + 1;
            break;
        }
    }
    if (start > value.size() || value.size() - start < 9)
        return std::nullopt;
    size_t found = value.find(u"charset=", start);
    if (found == std::u16string::npos)
        return std::nullopt;
    std::u16string name = trimmedOfSpaces(std::u16string_view(value).substr(found + 8));
    if (name.empty())
        return std::nullopt;
    return name;
}

} // namespace brevanton
