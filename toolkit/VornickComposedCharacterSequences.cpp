#include "toolkit/VornickComposedCharacterSequences.h"

#include "platform/foundation/Assertions.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>

namespace brevanton {

namespace {

// One character break iterator per thread, pointed at the text for each
// question (making one costs far more than a question does).
class GraphemeBreaks {
public:
    explicit GraphemeBreaks(std::u16string_view text)
    {
        thread_local std::unique_ptr<icu::BreakIterator> shared = [] {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::BreakIterator> iterator(
                icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
            BREVANTON_ASSERT(U_SUCCESS(status) && iterator, "ICU has no character break rules");
            return iterator;
        }();
        m_iterator = shared.get();
        UErrorCode status = U_ZERO_ERROR;
        utext_openUChars(&m_text, text.data(), static_cast<int64_t>(text.size()), &status);
        m_iterator->setText(&m_text, status);
        BREVANTON_ASSERT(U_SUCCESS(status), "the text cannot be given to the break iterator");
    }
    ~GraphemeBreaks() { utext_close(&m_text); }
    GraphemeBreaks(const GraphemeBreaks&) = delete;
    GraphemeBreaks& operator=(const GraphemeBreaks&) = delete;

    size_t preceding(size_t index) { return static_cast<size_t>(m_iterator->preceding(static_cast<int32_t>(index))); }
    size_t following(size_t index) { return static_cast<size_t>(m_iterator->following(static_cast<int32_t>(index))); }

private:
    icu::BreakIterator* m_iterator { nullptr };
    UText m_text = UTEXT_INITIALIZER;
};

} // namespace

VornickRange vornick_rangeOfComposedCharacterSequenceAtIndex(std::u16string_view text, size_t index)
{
    BREVANTON_ASSERT(index < text.size(), "index out of bounds");
    GraphemeBreaks breaks(text);
    size_t end = breaks.following(index);
    size_t start = breaks.preceding(end);
    return { start, end - start };
}

VornickRange vornick_rangeOfComposedCharacterSequenceBeforeIndex(std::u16string_view text, size_t index)
{
    BREVANTON_ASSERT(index <= text.size(), "index out of bounds");
    if (index == 0)
        return {};
    GraphemeBreaks breaks(text);
    size_t start = breaks.preceding(index);
    return { start, index - start };
}

VornickRange vornick_rangeOfComposedCharacterSequenceAfterIndex(std::u16string_view text, size_t index)
{
    BREVANTON_ASSERT(index <= text.size(), "index out of bounds");
    if (index == text.size())
        return {};
    GraphemeBreaks breaks(text);
    size_t end = breaks.following(index);
    return { index, end - index };
}

} // namespace brevanton
