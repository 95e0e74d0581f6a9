// The encoding declarations of an HTML file's META elements, the encoding
// the file declares, and putting a file's declarations back into a rewrite
// of it: the input is the rewrite, then, after the first NUL byte (none: the
// input itself), the original. What is found must be the bytes at its
// offset; the detector must answer what the first element that declares a
// name declares; a file's declarations put back into itself change nothing,
// and a rewrite with them put back declares what the original declares.
#include "html/VornickHTMLCharacterEncodingDetector.h"
#include "html/VornickHTMLEncodingDeclarations.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace brevanton;

namespace {

void checkFoundIn(std::string_view bytes)
{
    size_t after = 0;
    for (const auto& declaration : VornickHTMLEncodingDeclarationsInData(bytes)) {
        if (declaration.location < after || declaration.location + declaration.written.size() > bytes.size()
            || bytes.substr(declaration.location, declaration.written.size()) != declaration.written
            || declaration.location < declaration.tagLocation || declaration.location + declaration.written.size() > declaration.tagEnd)
            std::abort();
        after = declaration.location + declaration.written.size();
    }
}

std::u16string widened(std::string_view bytes)
{
    std::u16string text;
    for (unsigned char byte : bytes)
        text.push_back(static_cast<char16_t>(byte));
    return text;
}

std::string_view unquoted(std::string_view written)
{
    if (written.size() >= 2 && (written.front() == '"' || written.front() == '\'') && written.back() == written.front())
        return written.substr(1, written.size() - 2);
    return written;
}

std::string_view trimmed(std::string_view name)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; };
    while (!name.empty() && isSpace(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && isSpace(name.back()))
        name.remove_suffix(1);
    return name;
}

// What an element declares: its charset when it names one, else its content.
std::optional<std::u16string> declaredName(const std::vector<VornickHTMLEncodingDeclaration>& declarations, size_t first, size_t end)
{
    for (size_t i = first; i < end; ++i) {
        auto name = trimmed(unquoted(declarations[i].written));
        if (!declarations[i].isContentType && !name.empty())
            return widened(name);
    }
    for (size_t i = first; i < end; ++i) {
        if (declarations[i].isContentType) {
            if (auto name = VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(widened(unquoted(declarations[i].written))))
                return name;
        }
    }
    return std::nullopt;
}

void checkDetectedIn(std::string_view bytes)
{
    auto detected = VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLData(bytes);
    auto head = bytes.substr(0, VornickHTMLCharacterEncodingDetector::bytesExamined);
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    auto declarations = VornickHTMLEncodingDeclarationsInData(head);
    for (size_t first = 0; first < declarations.size();) {
        size_t end = first + 1;
        while (end < declarations.size() && declarations[end].tagLocation == declarations[first].tagLocation)
            ++end;
        // A tag that the head's end or a "<body" cuts off reads otherwise in the whole.
        const auto& element = declarations[first];
        if (element.tagEnd == 0 || head[element.tagEnd - 1] != '>')
            return;
        if (auto name = declaredName(declarations, first, end)) {
            if (detected != name)
                std::abort();
            return;
        }
        first = end;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string_view copy = input.substr(0, split);
    std::string_view original = split == std::string_view::npos ? input : input.substr(split + 1);
    checkFoundIn(copy);
    checkFoundIn(original);
    checkDetectedIn(copy);
    checkDetectedIn(original);
    if (VornickHTMLDataWithEncodingDeclarationsOf(copy, copy))
        std::abort();
    if (auto restored = VornickHTMLDataWithEncodingDeclarationsOf(copy, original)) {
        auto wanted = VornickHTMLEncodingDeclarationsInData(original);
        auto found = VornickHTMLEncodingDeclarationsInData(*restored);
        if (found.size() != wanted.size())
            std::abort();
        for (size_t i = 0; i < found.size(); ++i) {
            if (found[i].isContentType != wanted[i].isContentType || found[i].written != wanted[i].written)
                std::abort();
        }
        if (VornickHTMLDataWithEncodingDeclarationsOf(*restored, original))
            std::abort();
    }
    return 0;
}
