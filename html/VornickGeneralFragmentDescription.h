// VornickGeneralFragmentDescription: a snippet described by its texts: an
// identifier (for a block snippet its block type), the name shown, a tab
// trigger, a keyboard shortcut, the HTML markup with its expressions in
// braces, and the block-editor source kept beside the markup (may be empty).
// The texts never change once made, so a validation running on another
// thread reads them safely.
#pragma once

#include "html/VornickFragmentDescription.h"
#include "platform/foundation/Value.h"

#include <mutex>
#include <set>
#include <string>

namespace brevanton {

class VornickGeneralFragmentDescription : public VornickFragmentDescription {
public:
    VornickGeneralFragmentDescription(std::u16string identifier, std::u16string displayName, std::u16string tabTrigger,
                                      std::u16string keyboardShortcutShorthand, std::u16string markupString,
                                      std::u16string blockSourceString);

    std::u16string identifier() const override { return m_identifier; }
    std::u16string displayName() const override { return m_displayName; }
    // The markup on one line, its whitespace runs made single spaces, cut
    // after 60 characters with an ellipsis.
    std::u16string summaryForDisplay() const override;
    const std::u16string& tabTrigger() const { return m_tabTrigger; }
    const std::u16string& keyboardShortcutShorthand() const { return m_keyboardShortcutShorthand; }
    const std::u16string& markupString() const { return m_markupString; }
    const std::u16string& blockSourceString() const { return m_blockSourceString; }
    // The lower-case tag names of the markup's elements that hold text:
    // where a block made from this snippet may be edited. Read once, on
    // first use, from any thread.
    const std::set<std::u16string>& editableContentElementTypes() const;

    // The keys of the snippet's entry in its set's file that this version
    // does not know, written back when the set is saved.
    const Dictionary& unknownFileKeys() const { return m_unknownFileKeys; }
    void setUnknownFileKeys(Dictionary keys) { m_unknownFileKeys = std::move(keys); }

    // The markup parsed in `document`, every expression in its text and
    // attribute values replaced by the value of its name (empty text for a
    // name without one). The interior range is where "{content}" stood in
    // text: the text node's place when the expression was all its text,
    // else the value's characters.
    std::shared_ptr<DOMDocumentFragment> createDescribedFragmentWithValues(
        const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
        std::optional<VornickFreezeDriedDOMRange>* interiorRange) const override;

private:
    std::u16string m_identifier;
    std::u16string m_displayName;
    std::u16string m_tabTrigger;
    std::u16string m_keyboardShortcutShorthand;
    std::u16string m_markupString;
    std::u16string m_blockSourceString;
    Dictionary m_unknownFileKeys;
    mutable std::once_flag m_editableContentElementTypesRead;
    mutable std::set<std::u16string> m_editableContentElementTypes;
};

} // namespace brevanton
