#include "platform/web/WebDocumentParsedAhead.h"

#include "platform/dom/DOMDocument.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/foundation/URL.h"

#include <future>

namespace brevanton {

void startParsingLoadedDocument(LoadedDocument& loaded)
{
    // The loaded document waits for its parse before it goes.
    auto* document = &loaded;
    loaded.setParse(std::async(std::launch::async, [document] {
                        const auto& decoded = document->decoded();
                        // The source converts while the text parses, as in a load.
                        auto source = std::async(std::launch::async, [document] { (void)document->source(); });
                        auto url = document->url().absoluteString();
                        auto parsed = DOMDocument::parseDecoded(decoded, document->syntax(), url);
                        source.wait();
                        return parsed;
                    }).share());
}

} // namespace brevanton
