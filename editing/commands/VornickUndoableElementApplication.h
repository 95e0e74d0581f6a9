// Applying an element kind the document's HTML spec describes to a range: a new
// element at a caret (the caret goes inside it), or wrapped around a
// selection, as one step named after the insertion or the wrap. Tables come
// with a header row and, where allowed, a caption; figures get a caption;
// definition lists a term; links their URL; every new element gets the
// attributes its kind requires. Images, figures and pictures at a caret,
// video and audio are media: the user chooses the file first, and the
// selection is replaced when it arrives. The attribute editor opens on the
// new element's first added attribute (a link's URL).
#pragma once

#include "editing/commands/VornickUndoableEdit.h"
#include "platform/foundation/URL.h"

namespace brevanton {

class DOMElement;
class VornickHTMLElementSpec;

class VornickUndoableElementApplication : public VornickUndoableEdit {
public:
    // A link points to the target URL when given, else to one found on the
    // pasteboard; its attribute editor opens when asked always, else only
    // for a link to a remote URL.
    VornickUndoableElementApplication(VornickEditingContext&, bool undoable, const VornickHTMLElementSpec&, std::shared_ptr<DOMRange>,
                                      std::optional<URL> targetURL, bool alwaysShowAttributeEditor);

    // False when nothing was applied. True also for media, whose file the
    // user is then asked for.
    [[nodiscard]] bool apply();

private:
    void editElement(const std::shared_ptr<DOMElement>&, const std::optional<std::u16string>& attribute);

    const VornickHTMLElementSpec& m_elementSpec;
    std::shared_ptr<DOMRange> m_range;
    std::optional<URL> m_targetURL;
    bool m_alwaysShowAttributeEditor;
};

} // namespace brevanton
