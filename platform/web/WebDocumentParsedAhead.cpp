#include "platform/web/WebDocumentParsedAhead.h"

#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

namespace brevanton {

WebDocumentParseAhead startParsingFileContentsAhead(const std::string& path, std::shared_ptr<const std::string> bytes,
                                                    DocumentTextSyntax syntax)
{
    if (!bytes)
        return {};
    return std::async(std::launch::async, [path, bytes = std::move(bytes), syntax] {
        auto parsed = std::make_shared<WebDocumentParsedAhead>();
        parsed->bytes = bytes;
        parsed->url = URL::fileURLWithPath(path).absoluteString();
        parsed->syntax = syntax;
        parsed->decoded = decodeDocumentText(*bytes, syntax);
        // The source converts while the text parses, as in a load.
        auto source = std::async(std::launch::async, [&parsed] { return toUTF16(parsed->decoded.utf8); });
        parsed->document = DOMDocument::parseDecoded(parsed->decoded, syntax, parsed->url);
        parsed->source = source.get();
        return parsed;
    }).share();
}

} // namespace brevanton
