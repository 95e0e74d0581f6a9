// Web archives of a part of a page: a node or a range as HTML, with the loaded
// subresources its images and style sheets refer to.
#pragma once

#include "platform/web/WebArchive.h"

#include <memory>
#include <string>

namespace brevanton {

class DOMNode;
class DOMRange;
class HTMLSerializationFilter;
class WebFrame;

// The node's markup (a document: the whole document) as the main resource.
std::shared_ptr<WebArchive> webArchiveForNode(const DOMNode&, const WebFrame&);
// The markup of the range's contents (as cloning them would give, changed by
// the filter when given) as the main resource, written without a copy; null
// when the contents cannot be cloned. `text`, when given, gets the range's
// text from the same walk.
std::shared_ptr<WebArchive> webArchiveForRange(const DOMRange&, const WebFrame&, HTMLSerializationFilter* = nullptr,
                                               std::u16string* text = nullptr);

} // namespace brevanton
