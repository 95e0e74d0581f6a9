// Finding the resources an HTML text refers to (images, style sheets, media,
// embedded objects), and rewriting those references, without a DOM. Links
// and inline frames are not resources.
#pragma once

#include "html/VornickHTMLScanner.h"
#include "platform/foundation/URL.h"

#include <optional>
#include <unordered_set>
#include <vector>

namespace brevanton {

class VornickHTMLStringResourceReferenceFinder : public VornickHTMLScannerDelegate {
public:
    // The resolved URLs of every resource `htmlString` refers to.
    static std::unordered_set<URL> URLsReferencedInHTMLString(std::u16string_view htmlString, const std::optional<URL>& baseURL);

    VornickHTMLStringResourceReferenceFinder(std::u16string htmlString, std::optional<URL> baseURL);
    virtual ~VornickHTMLStringResourceReferenceFinder() = default;

    bool parseHTMLString();
    const std::unordered_set<URL>& resourceURLs() const { return m_resourceURLs; }
    const std::u16string& htmlString() const { return m_htmlString; }

    // Called for every reference: the URL as written (without the quotes
    // around an attribute value), its range in the text and the resolved URL.
    virtual void handleFoundURLString(std::u16string_view urlString, VornickRange range, const URL& resolvedURL);

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName, size_t openTagStartedAt) override;
    void htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken, std::u16string_view string, VornickRange,
                                 const std::u16string* value) override;

private:
    struct PendingAttribute {
        std::u16string name;
        std::u16string value;
        VornickRange valueRange;
    };
    void finishStartTag();
    void reportReference(std::u16string_view urlString, VornickRange range);

    VornickHTMLScanner m_scanner;
    std::u16string m_htmlString;
    std::optional<URL> m_baseURL;
    std::unordered_set<URL> m_resourceURLs;
    std::u16string m_currentElementTag;
    std::u16string m_currentAttributeName;
    bool m_inStartTag { false };
    std::vector<PendingAttribute> m_pendingAttributes;
};

class VornickHTMLStringResourceReferenceReplacer : public VornickHTMLStringResourceReferenceFinder {
public:
    using VornickHTMLStringResourceReferenceFinder::VornickHTMLStringResourceReferenceFinder;

    // The text with every reference replaced by the hook's answer.
    std::u16string replaceReferencesInHTMLString();
    // The replacement of one reference; the found string itself means no change.
    virtual std::u16string replacementURLStringForURLString(std::u16string_view urlString, const URL& resolvedURL);

    void handleFoundURLString(std::u16string_view urlString, VornickRange range, const URL& resolvedURL) override;

    const std::vector<VornickRange>& referenceRanges() const { return m_referenceRanges; }
    const std::vector<std::u16string>& referenceURLStrings() const { return m_referenceURLStrings; }
    const std::vector<URL>& referenceResolvedURLs() const { return m_referenceResolvedURLs; }

private:
    std::vector<VornickRange> m_referenceRanges;
    std::vector<std::u16string> m_referenceURLStrings;
    std::vector<URL> m_referenceResolvedURLs;
};

} // namespace brevanton
