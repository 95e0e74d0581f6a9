#include "html/VornickHTMLEncodingDeclarations.h"

#include "html/VornickHTMLMetaEncodingAttributes.h"

#include <algorithm>
#include <span>

namespace brevanton {

namespace {

// The part of the bytes before the first "<body" (all of them without one):
// the declarations stand in the head, and nothing past it is widened.
std::string_view partBeforeBody(std::string_view bytes)
{
    static constexpr std::string_view bodyTag = "<body";
    auto found = std::search(bytes.begin(), bytes.end(), bodyTag.begin(), bodyTag.end(), [](char byte, char tag) {
        return (byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte) == tag;
    });
    return bytes.substr(0, static_cast<size_t>(found - bytes.begin()));
}

bool isASCII(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

bool isCompleteValue(std::string_view written)
{
    return VornickHTMLWrittenAttributeValue { 0, written }.isComplete();
}

// The declarations of each element, in order.
std::vector<std::span<const VornickHTMLEncodingDeclaration>> elementsOf(const std::vector<VornickHTMLEncodingDeclaration>& declarations)
{
    std::vector<std::span<const VornickHTMLEncodingDeclaration>> elements;
    for (size_t i = 0; i < declarations.size();) {
        size_t end = i + 1;
        while (end < declarations.size() && declarations[end].tagLocation == declarations[i].tagLocation)
            ++end;
        elements.emplace_back(declarations.data() + i, end - i);
        i = end;
    }
    return elements;
}

} // namespace

std::vector<VornickHTMLEncodingDeclaration> VornickHTMLEncodingDeclarationsInData(std::string_view bytes)
{
    std::vector<VornickHTMLEncodingDeclaration> declarations;
    VornickHTMLReadMetaEncodingAttributes(partBeforeBody(bytes), [&](const VornickHTMLMetaEncodingAttributes& meta) {
        std::optional<VornickHTMLEncodingDeclaration> charset;
        std::optional<VornickHTMLEncodingDeclaration> content;
        if (meta.charset)
            charset = { false, meta.charset->location, std::string(meta.charset->written), meta.tagLocation, meta.tagEnd };
        if (meta.content && meta.httpEquivContentType)
            content = { true, meta.content->location, std::string(meta.content->written), meta.tagLocation, meta.tagEnd };
        // In the order they are written.
        if (charset && content && content->location < charset->location)
            std::swap(charset, content);
        for (auto* declaration : { &charset, &content }) {
            if (*declaration)
                declarations.push_back(std::move(**declaration));
        }
        return true;
    });
    return declarations;
}

std::optional<std::string> VornickHTMLDataWithEncodingDeclarationsOf(std::string_view copy, std::string_view original)
{
    auto wanted = VornickHTMLEncodingDeclarationsInData(original);
    auto found = VornickHTMLEncodingDeclarationsInData(copy);
    auto wantedElements = elementsOf(wanted);
    auto foundElements = elementsOf(found);
    if (foundElements.empty() || foundElements.size() > wantedElements.size())
        return std::nullopt;
    for (size_t i = 0; i < foundElements.size(); ++i) {
        if (foundElements[i].size() != wantedElements[i].size())
            return std::nullopt;
    }
    bool changes = foundElements.size() < wantedElements.size();
    for (size_t i = 0; i < found.size(); ++i) {
        if (wanted[i].isContentType != found[i].isContentType || !isASCII(wanted[i].written) || !isCompleteValue(wanted[i].written)
            || !isCompleteValue(found[i].written))
            return std::nullopt;
        changes = changes || wanted[i].written != found[i].written;
    }
    if (!changes)
        return std::nullopt;
    // The elements tidy dropped go after the copy's last one, whose tag must end there.
    size_t dropAt = foundElements.back().back().tagEnd;
    std::string dropped;
    if (foundElements.size() < wantedElements.size()) {
        if (dropAt == 0 || copy[dropAt - 1] != '>')
            return std::nullopt;
        for (size_t i = foundElements.size(); i < wantedElements.size(); ++i) {
            const auto& element = wantedElements[i].front();
            auto tag = original.substr(element.tagLocation, element.tagEnd - element.tagLocation);
            if (!isASCII(tag) || !tag.ends_with('>'))
                return std::nullopt;
            dropped += '\n';
            dropped += tag;
        }
    }
    std::string result;
    result.reserve(copy.size() + dropped.size() + 64);
    size_t copied = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        result.append(copy.substr(copied, found[i].location - copied));
        result.append(wanted[i].written);
        copied = found[i].location + found[i].written.size();
    }
    result.append(copy.substr(copied, dropAt - copied));
    result.append(dropped);
    result.append(copy.substr(dropAt));
    return result;
}

} // namespace brevanton
