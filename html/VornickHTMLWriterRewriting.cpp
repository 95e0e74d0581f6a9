// Writing a document again after only its text changed: the changed text
// nodes are written alone, in the places the last coloured write recorded
// for them, and spliced into that write's output; its runs, its map and the
// record itself move by the change in length.
#include "html/VornickHTMLWriterTextRecord.h"

#include "dom/VornickDOMServices.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"

#include <algorithm>


namespace brevanton {

namespace {

// What a look back from after a text can see of it: whether it ends in a
// space character, and its last line breaks (two at most, CR LF as one).
struct TrailingShape {
    bool endsWithSpace { false };
    unsigned lineBreaks { 0 };
    friend bool operator==(const TrailingShape&, const TrailingShape&) = default;
};

TrailingShape trailingShape(std::u16string_view text)
{
    TrailingShape shape;
    if (text.empty())
        return shape;
    char16_t last = text.back();
    shape.endsWithSpace = last == u' ' || last == u'\t' || last == u'\n' || last == u'\f' || last == u'\r';
    for (size_t i = text.size(); i > 0 && shape.lineBreaks < 2; --i) {
        if (text[i - 1] == u'\n' && i >= 2 && text[i - 2] == u'\r')
            --i;
        if (text[i - 1] != u'\n' && text[i - 1] != u'\r')
            break;
        ++shape.lineBreaks;
    }
    return shape;
}

} // namespace

bool VornickHTMLWriter::recordedSettingsAreCurrent(const DOMDocument& document) const
{
    const TextRecord& record = *m_textRecord;
    if (record.document.lock().get() != &document
        || document.treeAndAttributeVersion() != record.treeAndAttributeVersion
        || document.characterSet() != record.characterSet || document.xmlDeclaration() != record.xmlDeclaration
        || detectOutputStringEncodingForDocument(document) != record.encodingName)
        return false;
    if (VornickFormattingFingerprint(m_formattingPreferences) != record.formattingPreferences
        || m_documentURLForAbsoluteURLResolution != record.documentURL || m_rootFileURL != record.rootFileURL
        || m_relocatedDocumentURL != record.relocatedDocumentURL
        || m_bodyElementStyleChangesToApply != record.bodyElementStyleChanges
        || m_stringEncodingOverride != record.stringEncodingOverride
        || m_keepsWordPressBlockLayout != record.keepsWordPressBlockLayout)
        return false;
    if (m_nodesToOmit.size() != record.nodesToOmit.size())
        return false;
    for (size_t i = 0; i < m_nodesToOmit.size(); ++i) {
        if (m_nodesToOmit[i].lock().get() != record.nodesToOmit[i])
            return false;
    }
    if (vornick_nonBreakingSpaceSubstituteCharacter(document) != record.documentSubstitute)
        return false;
    // A block written as its snippet's source stays so only while the
    // snippet stays.
    for (const auto& [comment, description] : record.blockLookups) {
        if (!m_lookup || m_lookup(downcast<DOMComment>(*comment)) != description)
            return false;
    }
    return true;
}

bool VornickHTMLWriter::rewriteAttributedStringFromDocumentAfterTextChanges(DOMDocument& document, AttributedString& source,
                                                                            VornickTextSplices& outSplices)
{
    outSplices.clear();
    if (!m_textRecord || !recordedSettingsAreCurrent(document))
        return false;
    TextRecord& record = *m_textRecord;
    if (source.length() != record.outputLength || source.runs().size() != record.runKinds.size())
        return false;
    std::vector<std::shared_ptr<DOMNode>> changedNodes;
    if (!document.characterDataChangesSince(record.characterDataVersion, changedNodes))
        return false;

    if (record.indexOfNode.empty() && !record.texts.empty()) {
        record.indexOfNode.reserve(record.texts.size());
        for (uint32_t i = 0; i < record.texts.size(); ++i)
            record.indexOfNode.emplace(record.texts[i].node, i);
    }
    std::vector<uint32_t> changedIndexes;
    for (const auto& node : changedNodes) {
        auto found = record.indexOfNode.find(node.get());
        if (found != record.indexOfNode.end()) {
            changedIndexes.push_back(found->second);
            continue;
        }
        // Text outside the tree is not written; anything else in it is more
        // than text that was written as text.
        if (node->isConnected() && node->document() == &document)
            return false;
    }
    std::sort(changedIndexes.begin(), changedIndexes.end());
    changedIndexes.erase(std::unique(changedIndexes.begin(), changedIndexes.end()), changedIndexes.end());

    // The changed nodes written again, with the settings of a whole write.
    struct Change {
        uint32_t index;
        std::u16string written;
    };
    std::vector<Change> changes;
    prepareForNode(document);
    bool writable = true;
    for (uint32_t index : changedIndexes) {
        const TextRecord::Text& text = record.texts[index];
        const std::u16string& data = downcast<DOMCharacterData>(*text.node).data();
        if (VornickIsWhitespaceForTextRecord(data, m_substitute, record.documentSubstitute)
            || (text.firstInPreformatted && data.starts_with(u'\n') != text.startsWithLineBreak)) {
            writable = false;
            break;
        }
        // The map counts a text's offsets from after its trimmed start, and
        // moves only by splices: a change there needs a whole write.
        if (text.trimStart && VornickLeadingTrimmedLength(data, text.mapSubstitute) != text.trimmedBefore) {
            writable = false;
            break;
        }
        std::u16string written = writtenText(data, text.mapSubstitute, text.trimStart, text.trimEnd);
        std::u16string_view was = std::u16string_view(source.string()).substr(text.start, text.length);
        if (written.empty() || (text.followedByLookBack && trailingShape(written) != trailingShape(was))) {
            writable = false;
            break;
        }
        if (written != was)
            changes.push_back({ index, std::move(written) });
    }
    m_spec = nullptr;
    if (!writable)
        return false;

    size_t newLength = source.length();
    for (const auto& change : changes) {
        const TextRecord::Text& text = record.texts[change.index];
        outSplices.push_back({ VornickMakeRange(text.start, text.length), change.written.size() });
        newLength = newLength + change.written.size() - text.length;
    }
    // Each text lies within one run of its own kind, which grows or shrinks
    // in place; from the last, so that the earlier places stay.
    for (size_t i = changes.size(); i-- > 0;) {
        const TextRecord::Text& text = record.texts[changes[i].index];
        source.replaceCharacters(text.start, text.length, changes[i].written);
    }
    // Every run's attributes name the one range of contiguous text, the
    // whole output, which now has the new length.
    std::array<TextAttributes, TK_LAST + 1> kindAttributes;
    std::array<TextAttributes, TK_LAST + 1> runAttributes;
    source.transformRunAttributes([&](size_t index, const TextAttributes&) -> TextAttributes {
        auto kind = record.runKinds[index];
        if (!runAttributes[kind]) {
            auto dictionary = std::make_shared<TextAttributeDictionary>(*attributesForTokenKind(kind, kindAttributes));
            (*dictionary)[VornickContiguousTextRangeAttributeName] = VornickMakeRange(0, newLength);
            runAttributes[kind] = std::move(dictionary);
        }
        return runAttributes[kind];
    });

    // The record follows the output.
    size_t delta = 0;
    size_t next = 0;
    for (size_t i = 0; i < record.texts.size(); ++i) {
        TextRecord::Text& text = record.texts[i];
        text.start += delta;
        if (next < changes.size() && changes[next].index == i) {
            delta = delta + changes[next].written.size() - text.length;
            text.length = changes[next].written.size();
            text.startsWithLineBreak = downcast<DOMCharacterData>(*text.node).data().starts_with(u'\n');
            ++next;
        }
    }
    record.outputLength = newLength;
    record.characterDataVersion = document.characterDataVersion();
    return true;
}

} // namespace brevanton
