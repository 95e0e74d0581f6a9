// Walks over node lists and HTML collections by index, with stop flags and
// reverse order; runs of nodes; whitespace-skipping indices; snapshots.
#pragma once

#include "toolkit/VornickRange.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMHTMLCollection;
class DOMNode;
class DOMNodeList;

using VornickIndexedNodeBlock = std::function<void(const std::shared_ptr<DOMNode>&, size_t index, bool& stop)>;
using VornickRunTest = std::function<bool(const std::shared_ptr<DOMNode>& node, const std::shared_ptr<DOMNode>& runEnd)>;
using VornickRunBlock = std::function<void(const std::shared_ptr<DOMNode>& first, const std::shared_ptr<DOMNode>& last,
                                           VornickRange run, bool& stop)>;

// Each index of the range, ascending (descending with VornickEnumerationReverse);
// false when stopped. Asserts that the range lies within the list.
bool vornick_enumerateNodesInRange(const DOMNodeList&, VornickRange, unsigned options, const VornickIndexedNodeBlock&);
bool vornick_enumerateNodesWithOptions(const DOMNodeList&, unsigned options, const VornickIndexedNodeBlock&);
bool vornick_enumerateNodesInRange(const DOMHTMLCollection&, VornickRange, unsigned options,
                                   const VornickIndexedNodeBlock&);
bool vornick_enumerateNodesWithOptions(const DOMHTMLCollection&, unsigned options, const VornickIndexedNodeBlock&);

// Each maximal run of members the test accepts, from the last run to the
// first; the walk goes from the last member backward, so the options must
// hold VornickEnumerationReverse.
bool vornick_enumerateRunsOfNodesSatisfying(const DOMNodeList&, const VornickRunTest&, unsigned options,
                                            const VornickRunBlock&);

// The member with exactly `index` earlier members that are not
// whitespace-only text, never itself whitespace-only text; null when too few.
std::shared_ptr<DOMNode> vornick_nodeAtIndexSkippingWhitespaceNodes(const DOMNodeList&, size_t index);
std::vector<std::shared_ptr<DOMNode>> vornick_arrayOfNodes(const DOMNodeList&);
std::vector<std::shared_ptr<DOMElement>> vornick_arrayOfElements(const DOMNodeList&);
std::optional<std::u16string> vornick_plainTextRepresentationOfType(const DOMNodeList&, int type);

} // namespace brevanton
