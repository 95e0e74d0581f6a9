// VornickWordPressEditableBlockContentElementsIdentifier: reads the markup of
// a block snippet and names the element types that hold the block's text, so
// that in a post the user edits text only inside elements of those types.
// Text belongs to the element whose open tag was seen last, as long as no
// element has ended since: in "<p>a <em>b</em> c</p>" the text " c" follows
// the end of the EM and counts for no element, so the answer is {p, em}.
// A snippet expression such as "{content}" counts as text.
#pragma once

#include "html/VornickHTMLScanner.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace brevanton {

class VornickWordPressEditableBlockContentElementsIdentifier : public VornickHTMLScannerDelegate {
public:
    // The lower-case tag names of the elements holding text in the markup.
    static std::set<std::u16string> editableContentElementTypesInBlockHTMLString(std::u16string_view html);

    // Parses the markup and answers every type found so far: an identifier
    // that parses several strings accumulates their types.
    std::set<std::u16string> parseHTMLString(std::u16string_view html);

protected:
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    std::unique_ptr<VornickHTMLScanner> m_scanner;
    std::set<std::u16string> m_editableContentElementTypes;
    // The element whose open tag was seen last; none after any element ends.
    std::optional<std::u16string> m_parentElementTagName;
};

} // namespace brevanton
