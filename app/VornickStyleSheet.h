// VornickStyleSheet: a style sheet file that documents may link to or carry
// a copy of. Two sheets are equal when they are the same file.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMDocument;
class VornickStyleSheetReference;

class VornickStyleSheet : public std::enable_shared_from_this<VornickStyleSheet> {
public:
    static std::shared_ptr<VornickStyleSheet> create(const URL& fileURL);
    virtual ~VornickStyleSheet() = default;

    // The URL of the sheet's .css file.
    const URL& fileURL() const { return m_fileURL; }
    // The file's name without its extension.
    virtual std::u16string title() const;
    // The sheet's text (UTF-8), or nullopt when the file cannot be read.
    std::optional<std::u16string> contents() const;

    // The text after "Version:" in the sheet's leading comment, trimmed, up
    // to the end of its line and before "*/"; nullopt when there is none.
    static std::optional<std::u16string> versionStringForBundledStyleSheetContents(std::u16string_view contents);

    // The sheet a reference designates in a document: a linked local file,
    // the built-in sheet of an embedded copy, or the file an embedded copy of
    // another sheet names relative to the document. Null when there is none.
    static std::shared_ptr<VornickStyleSheet> styleSheetForStyleSheetReference(const VornickStyleSheetReference&,
                                                                               const DOMDocument&);

    bool isEqual(const VornickStyleSheet&) const;
    friend bool operator==(const VornickStyleSheet& a, const VornickStyleSheet& b) { return a.isEqual(b); }

protected:
    explicit VornickStyleSheet(URL fileURL) : m_fileURL(std::move(fileURL)) {}

private:
    URL m_fileURL;
};

} // namespace brevanton
