// What the editing view remembers of one load: the repaired copies it made
// (removed with the next load and with the view) and the base elements it
// put into them, so that writing leaves out exactly those.
#pragma once

#include "platform/foundation/URL.h"
#include "toolkit/VornickDocumentFile.h"

#include <map>
#include <optional>
#include <string>
#include <memory>
#include <vector>

namespace brevanton {

class DOMElement;
class WebFrame;

class VornickContentEditingViewLoadState {
public:
    VornickContentEditingViewLoadState() = default;
    ~VornickContentEditingViewLoadState() { reset(); }
    VornickContentEditingViewLoadState(const VornickContentEditingViewLoadState&) = delete;
    VornickContentEditingViewLoadState& operator=(const VornickContentEditingViewLoadState&) = delete;

    // Removes the repaired copies and forgets everything.
    void reset();

    void noteRepairedCopy(const WebFrame&, const URL& copy, bool insertedBaseElement);
    bool isRepairedCopy(const URL&) const;
    // The base element put into the frame's repaired copy, found in its
    // document (the first BASE in the head pointing at the original file).
    std::shared_ptr<DOMElement> insertedBaseElementFor(const WebFrame&);

    // The document file behind a path, read when its frame loaded, so that a
    // save refuses to overwrite changes another program made since.
    void noteDocumentFileOfFrame(const WebFrame&);
    // That file, or a new one for a path no frame loaded.
    VornickDocumentFile& documentFileForPath(const std::string& path);

private:
    struct Copy {
        std::optional<URL> url;
        bool insertedBaseElement { false };
        std::weak_ptr<DOMElement> baseElement;
    };
    std::map<const WebFrame*, Copy> m_copies;
    std::map<std::string, VornickDocumentFile> m_documentFiles;
    std::vector<URL> m_files;
};

} // namespace brevanton
