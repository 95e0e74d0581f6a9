// Document fragments made from web archive data (pasted or dropped content).
#pragma once

#include "platform/foundation/Value.h"

#include <memory>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;

// The archive's main resource, which must be decodable HTML, tidied down to
// its body when tidy can, parsed with the document's URL as base and cleaned
// up. Null when the data is not a web archive or its page is not HTML text.
std::shared_ptr<DOMDocumentFragment> vornick_createCleanedUpDocumentFragmentWithWebArchiveData(DOMDocument&,
                                                                                              const Data& webArchiveData);

} // namespace brevanton
