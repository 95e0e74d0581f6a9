// VornickSingleHTMLFileDocument: a document of one HTML file shown in its own
// window with a content editing view. Each such document registers itself
// when its window is made, so that code that serves the main window (the
// pickers that drive a menu) finds the document there.
#pragma once

#include <memory>

namespace brevanton {

class VornickContentEditingView;
class Window;

class VornickSingleHTMLFileDocument {
public:
    virtual ~VornickSingleHTMLFileDocument() = default;

    virtual std::shared_ptr<Window> documentWindow() const = 0;
    virtual std::shared_ptr<VornickContentEditingView> documentContentEditingView() const = 0;

    // The registered document whose window is the main window, or null.
    static std::shared_ptr<VornickSingleHTMLFileDocument> activeSingleHTMLFileDocument();

protected:
    // Held weakly: a document that has gone is forgotten.
    static void registerSingleHTMLFileDocument(const std::shared_ptr<VornickSingleHTMLFileDocument>&);
};

} // namespace brevanton
