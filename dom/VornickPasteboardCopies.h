// Copies of a subtree, or of a parent's child nodes, to a pasteboard: the web
// archive of the content (when asked for and the document is shown in a web
// frame) and a plain text representation.
#pragma once

#include <optional>
#include <string>

namespace brevanton {

class DOMNode;
class DOMNodeList;
class Pasteboard;

// Clears the pasteboard and writes the node's web archive (when asked for and
// available) under WebArchivePboardType, and the plain text representation of
// `plainTextRepresentationType` (vornick_plainTextRepresentationOfType) as
// UTF-8 under `plainTextCustomUTI`, or plain text without one. When there is
// nothing to write the pasteboard is left as it is. Answers whether the web
// archive was written.
bool vornick_copySubtreeReplacingContentsOfPasteboard(const DOMNode&, Pasteboard&, bool webArchive,
                                                      int plainTextRepresentationType,
                                                      const std::optional<std::u16string>& plainTextCustomUTI);

// The same for the nodes of a list, with the web archive of the parent node's
// contents.
bool vornick_copyReplacingContentsOfPasteboard(const DOMNodeList&, Pasteboard&, bool webArchive,
                                               int plainTextRepresentationType,
                                               const std::optional<std::u16string>& plainTextCustomUTI,
                                               const DOMNode& parentNode);

} // namespace brevanton
