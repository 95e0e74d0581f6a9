#include "editing/VornickSingleHTMLFileDocument.h"

#include "platform/views/Window.h"

#include <algorithm>
#include <vector>

namespace brevanton {

namespace {

std::vector<std::weak_ptr<VornickSingleHTMLFileDocument>>& registeredDocuments()
{
    static auto* documents = new std::vector<std::weak_ptr<VornickSingleHTMLFileDocument>>;
    return *documents;
}

} // namespace

void VornickSingleHTMLFileDocument::registerSingleHTMLFileDocument(const std::shared_ptr<VornickSingleHTMLFileDocument>& document)
{
    auto& documents = registeredDocuments();
    std::erase_if(documents, [](const auto& registered) { return registered.expired(); });
    documents.push_back(document);
}

std::shared_ptr<VornickSingleHTMLFileDocument> VornickSingleHTMLFileDocument::activeSingleHTMLFileDocument()
{
    for (const auto& registered : registeredDocuments()) {
        auto document = registered.lock();
        auto window = document ? document->documentWindow() : nullptr;
        if (window && window->isMainWindow())
            return document;
    }
    return nullptr;
}

} // namespace brevanton
