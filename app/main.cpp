// The brevanton executable. Until a GUI backend exists it runs headless:
// it opens each file given to it and reports what the system knows of it.
#include "dom/VornickLineIndex.h"
#include "html/VornickHTMLCharacterEncodingDetector.h"
#include "html/VornickTextEncoding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace brevanton;

namespace {

void printUsage()
{
    std::printf("Usage: brevanton [--version] [--help] FILE...\n"
                "Opens each HTML or XHTML file and reports what Brevanton knows of it:\n"
                "its size, character encoding, line count and line-ending convention.\n");
}

struct DecodedFile {
    std::u16string text;
    std::string encoding;
    std::string encodingSource;
};

// Decodes a file's bytes the way a browser would: a byte-order mark first,
// then the charset the file declares, then UTF-8 when the bytes are valid
// UTF-8, and windows-1252 (the HTML default) otherwise.
bool decodeFile(std::string_view bytes, DecodedFile& file, Error* outError)
{
    struct ByteOrderMark { std::string_view bytes; const char* encoding; };
    static constexpr ByteOrderMark marks[] = {
        { "\xEF\xBB\xBF", "UTF-8" }, { "\xFE\xFF", "UTF-16BE" }, { "\xFF\xFE", "UTF-16LE" },
    };
    for (const auto& mark : marks) {
        if (bytes.substr(0, mark.bytes.size()) == mark.bytes) {
            auto text = VornickDecodeText(bytes.substr(mark.bytes.size()), toUTF16(mark.encoding), outError);
            if (!text)
                return false;
            file = { std::move(*text), mark.encoding, "byte-order mark" };
            return true;
        }
    }
    VornickHTMLCharacterEncodingDetector detector;
    if (auto declared = detector.detectIANACharacterEncodingDeclarationInHTMLData(bytes)) {
        auto text = VornickDecodeText(bytes, *declared, outError);
        if (!text)
            return false;
        file = { std::move(*text), toUTF8(*declared), "declared" };
        return true;
    }
    std::u16string text;
    if (decodeUTF8Strictly(bytes, text)) {
        file = { std::move(text), "UTF-8", "inferred: valid UTF-8" };
        return true;
    }
    auto latin = VornickDecodeText(bytes, u"windows-1252", outError);
    if (!latin)
        return false;
    file = { std::move(*latin), "windows-1252", "inferred: HTML default" };
    return true;
}

const char* newlineName(int32_t convention)
{
    switch (convention) {
    case VornickNewlineConventionLF: return "LF";
    case VornickNewlineConventionCR: return "CR";
    case VornickNewlineConventionCRLF: return "CRLF";
    default: return "none";
    }
}

bool reportFile(const std::string& path)
{
    Error error;
    auto bytes = readFile(path, &error);
    DecodedFile file;
    if (!bytes || !decodeFile(*bytes, file, &error)) {
        std::fprintf(stderr, "brevanton: %s: %s\n", path.c_str(), toUTF8(error.localizedDescription()).c_str());
        return false;
    }
    auto lineIndex = VornickLineIndex::initByIndexingString(std::move(file.text), 1, 1, 4);
    std::printf("%s\n", path.c_str());
    std::printf("  size:      %zu bytes, %zu UTF-16 units\n", bytes->size(), lineIndex->string().size());
    std::printf("  encoding:  %s (%s)\n", file.encoding.c_str(), file.encodingSource.c_str());
    std::printf("  lines:     %zu\n", lineIndex->numberOfLines());
    std::printf("  newlines:  %s\n", newlineName(lineIndex->newlineConvention()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("Brevanton %s\n", BREVANTON_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage();
            return 0;
        }
    }
    if (argc < 2) {
        printUsage();
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (!reportFile(argv[i]))
            status = 1;
    }
    return status;
}
