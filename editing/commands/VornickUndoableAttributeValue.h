// Setting or removing one attribute of an element ("Set Value of "name"
// Attribute"). The inverse names the element by its place in the document,
// never by the live node (a later edit that is undone may have put a copy in
// its place), and removes the attribute again when it was absent, so that a
// boolean attribute does not stay in force as attr="".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class DOMElement;

class VornickUndoableAttributeValue : public VornickUndoableEdit {
public:
    // No value removes the attribute.
    VornickUndoableAttributeValue(VornickEditingContext&, bool undoable, std::shared_ptr<DOMElement>, std::u16string attribute,
                                  std::optional<std::u16string> value);

    void apply();

private:
    std::shared_ptr<DOMElement> m_element;
    std::u16string m_attribute;
    std::optional<std::u16string> m_value;
};

} // namespace brevanton
