// The encoding declarations of an HTML file's META elements, and putting a
// file's declarations back into a rewrite of it: the input is the rewrite,
// then, after the first NUL byte (none: the input itself), the original.
// What is found must be the bytes at its offset, a file's declarations put
// back into itself change nothing, and a rewrite changes only the values.
#include "html/VornickHTMLEncodingDeclarations.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

namespace {

void checkFoundIn(std::string_view bytes)
{
    size_t after = 0;
    for (const auto& declaration : VornickHTMLEncodingDeclarationsInData(bytes)) {
        if (declaration.location < after || declaration.location + declaration.written.size() > bytes.size()
            || bytes.substr(declaration.location, declaration.written.size()) != declaration.written)
            std::abort();
        after = declaration.location + declaration.written.size();
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
    if (VornickHTMLDataWithEncodingDeclarationsOf(copy, copy))
        std::abort();
    if (auto restored = VornickHTMLDataWithEncodingDeclarationsOf(copy, original)) {
        size_t expected = copy.size();
        for (const auto& declaration : VornickHTMLEncodingDeclarationsInData(copy))
            expected -= declaration.written.size();
        for (const auto& declaration : VornickHTMLEncodingDeclarationsInData(original))
            expected += declaration.written.size();
        if (restored->size() != expected)
            std::abort();
    }
    return 0;
}
