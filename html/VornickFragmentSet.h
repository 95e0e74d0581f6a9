// VornickFragmentSet: a snippet set: a title, the document type its
// snippets are written for, the body elements a document using it may hold
// (no list: every element), and titled groups of snippets, each snippet
// with its validation result per document type.
//
// A set lives in a ".brevantonsnippets" file (JSON; the format is in
// docs/decisions/022-snippet-sets.md) or is made from a title alone. Sets read from files are
// kept in a registry, one object per file while anyone holds it. Keys of
// the file this version does not know are kept and written back on save; a
// file that cannot be read is an error, never an empty set.
#pragma once

#include "html/VornickFragmentDescription.h"
#include "html/VornickFragmentGroup.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLDocumentType.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class URL;
class VornickEnduringFileReference;

// The format written into every snippet set file, and the newest read.
inline constexpr int64_t VornickFragmentSetFileFormatVersion = 1;
inline constexpr const char16_t* VornickFragmentSetFileExtension = u"brevantonsnippets";
// The user info key of a read error that has a line: the line, from 1.
inline constexpr const char16_t* VornickFragmentSetFileLineKey = u"Line";

class VornickFragmentSet : public std::enable_shared_from_this<VornickFragmentSet> {
public:
    using Groups = std::vector<std::shared_ptr<VornickFragmentGroup>>;
    using AllowedBodyElements = std::optional<std::set<std::u16string>>;

    // An empty set with no file.
    static std::shared_ptr<VornickFragmentSet> createWithTitle(std::u16string title);
    // A set read from a file's bytes, with no file and not registered; null
    // with a VornickSnippetSetFileMalformedError or
    // VornickSnippetSetFileFormatTooNewError naming the line or the entry at fault.
    static std::shared_ptr<VornickFragmentSet> createWithJSONData(std::string_view data, Error* outError);

    // The set registered for the file, or one newly read from it and
    // registered; null with the error when the file cannot be read.
    static std::shared_ptr<VornickFragmentSet> fragmentSetWithContentsOfURL(const URL&, Error* outError = nullptr);
    // The same for the file a reference resolves to, used under the reference.
    static std::shared_ptr<VornickFragmentSet> fragmentSetFromEnduringFileReference(VornickEnduringFileReference&,
                                                                                   Error* outError = nullptr);
    // A set shipped with the application ("SnippetSets/<name>.brevantonsnippets").
    static std::shared_ptr<VornickFragmentSet> fragmentSetNamed(std::u16string_view name, Error* outError = nullptr);

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }
    // The type the snippets are written for; Unknown when the file names none.
    VornickHTMLDocumentType documentType() const { return m_documentType; }
    void setDocumentType(VornickHTMLDocumentType type) { m_documentType = type; }

    // Lower-case tag names; none: no restriction.
    const AllowedBodyElements& allowedBodyElements() const { return m_allowedBodyElements; }
    // Names are lower-cased; the validation results of every snippet are dropped.
    void setAllowedBodyElements(AllowedBodyElements);
    // Whether the tag name, lower-cased, is allowed in the body.
    bool bodyElementIsAllowed(std::u16string_view tagName) const;

    const Groups& groups() const { return m_groups; }
    // Appends a group that is in no set yet (asserted).
    void addGroup(std::shared_ptr<VornickFragmentGroup>);
    // Takes the group out of the set; false when the set does not hold it.
    bool removeGroup(const VornickFragmentGroup&);

    // First match in group order; null for an empty key or no match. The tab
    // trigger compares exactly, the identifier and the name ignoring case.
    std::shared_ptr<VornickGeneralFragmentDescription> fragmentDescriptionMatchingTabTrigger(std::u16string_view trigger) const;
    std::shared_ptr<VornickGeneralFragmentDescription> fragmentDescriptionWithIdentifier(std::u16string_view identifier) const;
    std::shared_ptr<VornickGeneralFragmentDescription> fragmentDescriptionWithDisplayName(std::u16string_view displayName) const;

    // Starts validating on the fragment validation queue, for a type 1 to 8
    // (asserted), every snippet with no result for it that is not being
    // validated already; each result is stored on its snippet on the main
    // thread. Main thread only.
    void requestValidationForDocumentType(VornickHTMLDocumentType);
    // Validations started and not yet stored or dropped.
    size_t numberOfValidationsInProgress() const { return m_validationsInProgress.size(); }

    // The file the set was read from; null for a set made in memory.
    const std::shared_ptr<VornickEnduringFileReference>& fileReference() const { return m_fileReference; }

    // The top-level keys of the file that this version does not know.
    const Dictionary& unknownFileKeys() const { return m_unknownFileKeys; }

    // The file's text: JSON with sorted keys, two-space indentation and a
    // final newline. Validation results are not part of it.
    [[nodiscard]] std::optional<std::string> fileContents(Error* outError) const;
    // Writes the file's text atomically to a file URL. The set keeps its own
    // file and registration.
    [[nodiscard]] bool writeToURL(const URL&, Error* outError) const;

private:
    explicit VornickFragmentSet(std::u16string title) : m_title(std::move(title)) {}
    static std::shared_ptr<VornickFragmentSet> readFromJSONData(std::string_view data, std::u16string_view fileName, Error* outError);
    template<typename Predicate>
    std::shared_ptr<VornickGeneralFragmentDescription> firstFragmentDescription(Predicate) const;

    std::u16string m_title;
    VornickHTMLDocumentType m_documentType { VornickHTMLDocumentType::Unknown };
    AllowedBodyElements m_allowedBodyElements;
    Groups m_groups;
    Dictionary m_unknownFileKeys;
    std::shared_ptr<VornickEnduringFileReference> m_fileReference;

    std::set<std::pair<const VornickFragmentDescription*, VornickHTMLDocumentType>> m_validationsInProgress;
    uint64_t m_validationGeneration { 0 };
};

} // namespace brevanton
