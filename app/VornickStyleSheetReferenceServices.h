// Installs the application's style sheet references into the document
// operations that list a document's style sheets.
#pragma once

namespace brevanton {

void VornickInstallStyleSheetReferenceServices();

} // namespace brevanton
