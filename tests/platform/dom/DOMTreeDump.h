// A line-per-node dump of a DOM tree, in the format the parse5 oracle script
// (tests/oracles/parse5/dump-trees.mjs) writes, so that trees from both
// parsers compare as strings.
#pragma once

#include <string>

namespace brevanton {

class DOMNode;

// The children of `parent` (a document, fragment or element) and their subtrees.
std::string dumpDOMTree(const DOMNode& parent);

} // namespace brevanton
