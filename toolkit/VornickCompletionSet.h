// VornickCompletionSet: strings mapped to objects, ranked against what the
// user types by subsequence matching: every character of the search string
// must appear in the completion string, in order, ignoring case.
//
// Ranking. Each way of placing the search characters is scored, and the
// best placement counts (found by dynamic programming over search and
// completion characters):
//   - every matched character scores 16, and 1 more when its case is the
//     one typed;
//   - a character right after the previous match scores 16 more
//     (consecutive), one that starts a word 24 more (the first character, or
//     one after a character that is neither a letter nor a digit), and, when
//     the set favours camel caps, an upper-case letter after a lower-case
//     letter or a digit 20 more;
//   - a gap between two matched characters costs 6; with the length-based
//     gap penalty each further skipped character costs 1 more, and every
//     character skipped before the first match costs 1 (at most 12).
// Matches come strongest first; equal scores put the shorter completion
// string first, then the one added earlier. A match's strength is its score
// over the best score a search string of its length can reach, within
// (0, 1]. An empty search string gives every object in the order added, or
// nothing, as the set is told.
#pragma once

#include <any>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevanton {

class VornickCompletionMatch {
public:
    // The object and completion string never change after they are made, so
    // matches of one entry share them: ranking thousands of matches per
    // keystroke copies a pointer each, not an object and a string.
    struct Payload {
        std::any object;
        std::u16string completionString;
    };

    VornickCompletionMatch(std::any object, std::u16string completionString, double matchStrength)
        : VornickCompletionMatch(std::make_shared<const Payload>(Payload { std::move(object), std::move(completionString) }), matchStrength)
    {
    }
    VornickCompletionMatch(std::shared_ptr<const Payload> payload, double matchStrength)
        : m_payload(std::move(payload))
        , m_matchStrength(matchStrength)
    {
    }

    const std::any& object() const { return m_payload->object; }
    const std::u16string& completionString() const { return m_payload->completionString; }
    bool disabled() const { return m_disabled; }
    void setDisabled(bool disabled) { m_disabled = disabled; }
    double matchStrength() const { return m_matchStrength; }
    void setMatchStrength(double strength) { m_matchStrength = strength; }
    const std::u16string& explanation() const { return m_explanation; }
    void setExplanation(std::u16string explanation) { m_explanation = std::move(explanation); }

private:
    std::shared_ptr<const Payload> m_payload;
    double m_matchStrength;
    bool m_disabled { false };
    std::u16string m_explanation;
};

class VornickCompletionSet {
public:
    bool favorsCamelCaps() const { return m_favorsCamelCaps; }
    void setFavorsCamelCaps(bool favors) { m_favorsCamelCaps = favors; }
    bool returnsMatchesForEmptyString() const { return m_returnsMatchesForEmptyString; }
    void setReturnsMatchesForEmptyString(bool returns) { m_returnsMatchesForEmptyString = returns; }
    bool usesLengthBasedGapPenalty() const { return m_usesLengthBasedGapPenalty; }
    void setUsesLengthBasedGapPenalty(bool uses) { m_usesLengthBasedGapPenalty = uses; }

    // A non-empty string and an object (both asserted); a string added
    // again keeps its place and takes the new object.
    void addCompletionString(std::u16string_view string, std::any object);
    // The object of a non-empty string (asserted); an empty one when none.
    std::any objectForCompletionString(std::u16string_view string) const;
    void removeAllObjects();
    size_t count() const { return m_entries.size(); }

    std::vector<VornickCompletionMatch> rankedMatchesForSearchString(std::u16string_view searchString) const;

    // The score of the best placement of `searchString` in
    // `completionString`; a negative number when it is no subsequence.
    // `folded` is the completion string as case-folded by this class.
    static int scoreForCompletionString(std::u16string_view completionString, std::u16string_view folded, std::u16string_view searchString,
                                        bool favorsCamelCaps, bool usesLengthBasedGapPenalty);
    static std::u16string caseFolded(std::u16string_view);

private:
    struct Entry {
        std::shared_ptr<const VornickCompletionMatch::Payload> payload;
        std::u16string folded;
    };

    std::vector<Entry> m_entries;
    std::unordered_map<std::u16string, size_t> m_indexByString;
    bool m_favorsCamelCaps { false };
    bool m_returnsMatchesForEmptyString { true };
    bool m_usesLengthBasedGapPenalty { true };
};

} // namespace brevanton
