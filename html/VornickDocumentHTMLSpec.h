// The HTML specification a document is written to, found from its doctype.
#pragma once

#include "html/VornickHTMLDocumentType.h"

#include <memory>

namespace brevanton {

class DOMDocument;
class VornickHTMLSpec;

// The shared specification named by the doctype's public identifier, else by
// its system identifier; otherwise a new specification of type 0 holding the
// doctype's identifiers.
std::shared_ptr<VornickHTMLSpec> vornick_htmlSpecForDocType(const DOMDocument&);
// The type of the specification the doctype names; 0 when it names none.
VornickHTMLDocumentType VornickDocumentTypeOfDocument(const DOMDocument&);

// Lets the DOM operations ask for a document's type (vornick_documentType).
// Called once at start-up.
void VornickInstallDocumentTypeResolver();

} // namespace brevanton
