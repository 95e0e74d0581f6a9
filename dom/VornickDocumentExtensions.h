// Document operations the editor and the blog code use: where a document
// lives and how it references other files, its base element, and the small
// fragments that editing commands insert (text, comments, elements around
// text, links, table rows and tables, cleaned-up markup).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMComment;
class DOMDocument;
class DOMDocumentFragment;
class DOMElement;
class DOMText;
class URL;

// The frame's saved URL when there is one, else the document's URL.
std::optional<URL> vornick_URL(const DOMDocument&);
std::optional<URL> vornick_enclosingFolderURL(const DOMDocument&);
std::shared_ptr<DOMElement> vornick_htmlElement(const DOMDocument&);
std::shared_ptr<DOMElement> vornick_headElement(const DOMDocument&);
std::shared_ptr<DOMElement> vornick_firstBaseElementInHead(const DOMDocument&);
// With replaceExisting an existing first BASE gets the URL; otherwise a new
// BASE becomes the head's first child. Null without a HEAD.
std::shared_ptr<DOMElement> vornick_insertBaseElementInHeadWithURL(DOMDocument&, const URL&, bool replaceExisting);
// The folder of the base element's URL, else of the document's URL.
std::optional<URL> vornick_baseDirectoryURLForResourceFileResolution(const DOMDocument&);
bool vornick_isSavedInPermanentLocation(const DOMDocument&);
// The string by which the document should reference `target`: relative for a
// local file of a saved document, absolute otherwise.
std::optional<std::u16string> vornick_relativeURLStringForReferencingTargetURL(const DOMDocument&, const URL* target);

// Fragment builders; each answers a new fragment of the document.
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithText(DOMDocument&, const std::u16string& text);
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithCommentText(DOMDocument&,
                                                                                  const std::u16string& text);
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithEmptyElement(
    DOMDocument&, std::u16string_view tagName, std::shared_ptr<DOMElement>* element = nullptr);
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithElement(
    DOMDocument&, std::u16string_view tagName, const std::u16string& text, std::shared_ptr<DOMElement>* element = nullptr,
    std::shared_ptr<DOMText>* textNode = nullptr);
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithElementWrappedAroundElement(
    DOMDocument&, std::u16string_view outerTagName, std::u16string_view innerTagName, const std::u16string& text,
    std::shared_ptr<DOMElement>* outerElement = nullptr, std::shared_ptr<DOMElement>* innerElement = nullptr,
    std::shared_ptr<DOMText>* textNode = nullptr);
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithALinkToURLString(
    DOMDocument&, const std::u16string& urlString, const std::u16string& text,
    std::shared_ptr<DOMElement>* element = nullptr, std::shared_ptr<DOMText>* textNode = nullptr);
// One TR of `count` cells of `kind` (TD or TH), each holding "-"; null for another kind.
std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithTableRowOfCells(DOMDocument&, size_t count,
                                                                                      std::u16string_view kind);
// Markup parsed in the body's context and cleaned up (vornick_cleanUpFragment).
std::shared_ptr<DOMDocumentFragment> vornick_createCleanedUpDocumentFragmentWithHTMLString(
    DOMDocument&, std::u16string_view html, const URL* baseURL);
std::shared_ptr<DOMElement> vornick_createTableWithRows(DOMDocument&, size_t rows, size_t columns, bool header,
                                                       bool caption);

} // namespace brevanton
