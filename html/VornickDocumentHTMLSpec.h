// The HTML specification a document is written to, found from its doctype.
#pragma once

#include "html/VornickHTMLDocumentType.h"

#include <memory>

namespace brevanton {

class DOMDocument;
class VornickHTMLSpec;

// The document type a page without a DOCTYPE is edited as: registered as the
// number 8, stored by its persistable name ("HTML 4.01 Strict").
inline constexpr const char16_t* VornickDefaultHTMLDocumentTypeDefaultsKey = u"DefaultHTMLDocumentType";

class UserDefaults;

// The default document type in `defaults`, read as a number from 1 to 8 or
// as a persistable name; HTML 5 when it names none.
VornickHTMLDocumentType VornickDefaultHTMLDocumentType(const UserDefaults&);
// The same in the standard defaults.
VornickHTMLDocumentType VornickDefaultHTMLDocumentType();

// The shared specification named by the doctype's public identifier, else by
// its system identifier; otherwise a new specification of type 0 holding the
// doctype's identifiers. A document without a doctype is edited with the
// specification of the user's default document type (its file still gets no
// DOCTYPE: the writer writes only the doctype the document has).
std::shared_ptr<VornickHTMLSpec> vornick_htmlSpecForDocType(const DOMDocument&);
// The type of the specification the doctype names; 0 when it names none.
VornickHTMLDocumentType VornickDocumentTypeOfDocument(const DOMDocument&);
// The type the document is edited as: its doctype's, the default type when it
// has no doctype, 0 when its doctype names no known type.
VornickHTMLDocumentType VornickEditingDocumentTypeOfDocument(const DOMDocument&);

// Lets the DOM operations ask for a document's type (vornick_documentType).
// Called once at start-up.
void VornickInstallDocumentTypeResolver();

} // namespace brevanton
