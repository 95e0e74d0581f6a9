// A page's parse done ahead of its load, on a thread of its own, as the load
// would parse the same bytes: a host that has read a file (the command line
// program, before it has built its window) starts it at once, hands it to the
// web view with the file's contents, and the load of that file takes the
// document, its decoded text and its source instead of parsing them itself.
// The load checks that the bytes, the URL and the syntax are those it would
// parse, and parses itself otherwise.
#pragma once

#include "platform/foundation/DocumentTextDecoding.h"

#include <future>
#include <memory>
#include <string>

namespace brevanton {

class DOMDocument;

struct WebDocumentParsedAhead {
    std::shared_ptr<const std::string> bytes;
    std::u16string url;
    DocumentTextSyntax syntax { DocumentTextSyntax::HTML };
    DecodedDocumentText decoded;
    // The decoded text in UTF-16, as the data source keeps it.
    std::u16string source;
    // Null when the text could not be parsed (the load reports why).
    std::shared_ptr<DOMDocument> document;
};

using WebDocumentParseAhead = std::shared_future<std::shared_ptr<WebDocumentParsedAhead>>;

// Parses the contents of the local file at `path` in `syntax`, for its file
// URL, on a thread of its own.
WebDocumentParseAhead startParsingFileContentsAhead(const std::string& path, std::shared_ptr<const std::string> bytes,
                                                    DocumentTextSyntax);

} // namespace brevanton
