// Replacing a range with a media element (an image, a figure, a picture, a
// video or an audio player) referencing a file, as one undoable step named
// after the element ("Insert Image", "Insert Figure", "Insert Picture",
// "Insert Video", "Insert Audio Player"). The editor then opens the
// attribute editor on the new element (`elementToEdit`). A figure without an
// image holds only its caption; a picture without one an empty image.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"
#include "platform/foundation/URL.h"

namespace brevanton {

class DOMElement;

class VornickUndoableMediaReplacement : public VornickUndoableEdit {
public:
    enum class Kind { Image, Figure, Picture, Video, Audio };

    // A null range: the effective operation range. An image, a video and an
    // audio player need the URL; a video's element kind must be "VIDEO" and
    // an audio player's "AUDIO" (in any case), else nothing is replaced.
    VornickUndoableMediaReplacement(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange>, Kind, std::optional<URL>,
                                    std::u16string elementKind = {});

    // `outResultRange`, when given, gets the effective operation range after
    // the replacement.
    [[nodiscard]] bool apply(std::shared_ptr<DOMRange>* outResultRange = nullptr);

    // After `apply`: the new element the attribute editor opens on; null for
    // an image (whose editor opens on the selection) and a figure without one.
    const std::shared_ptr<DOMElement>& elementToEdit() const { return m_elementToEdit; }

private:
    std::shared_ptr<DOMDocumentFragment> createFragment(DOMDocument&);

    std::shared_ptr<DOMRange> m_range;
    Kind m_kind;
    std::optional<URL> m_url;
    std::u16string m_elementKind;
    std::shared_ptr<DOMElement> m_elementToEdit;
};

} // namespace brevanton
