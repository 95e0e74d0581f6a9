// How much work tidy's check of a page is, counted from the page alone, and
// the budget a load gives it. Whether a load waits for tidy's verdict (and
// so whether a broken page may load from its repaired copy) never depends on
// the clock: the same page is checked, or not, on any machine however busy.
//
// Tidy's time grows linearly with a page's size, and with the square of its
// nesting (each element it reads walks the elements open above it) and of
// the attributes of one element (each is compared with the others), so its
// work is counted in element levels: the sum of every element's depth (an
// element of the body of a plain page is three levels deep) and of the pairs
// of attributes of each element. A clean page of
// a megabyte is about 100,000 levels; a chain of 14,000 nested elements,
// which tidy checks in about a second, is 100 million.
#pragma once

#include "platform/foundation/DocumentTextDecoding.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;

// The most element levels a page may hold for tidy to check it: a number
// (at least 0); 100 million when unset or not a number.
inline constexpr const char16_t* VornickTidyCheckWorkBudgetDefaultsKey = u"TidyCheckWorkBudget";
inline constexpr uint64_t VornickDefaultTidyCheckWorkBudget = 100'000'000;
uint64_t VornickTidyCheckWorkBudget();

// The element levels of a document, counted no further than `limit`.
uint64_t VornickTidyCheckWorkOfDocument(const DOMDocument&, uint64_t limit = UINT64_MAX);

// Why tidy does not check the page, in a sentence for the log; none when it
// is within the budget. The text is parsed here in its syntax (XML that is not well-formed has no elements to count).
std::optional<std::string> VornickTidyCheckBeyondBudget(const DOMDocument&);
std::optional<std::string> VornickTidyCheckBeyondBudget(const DecodedDocumentText&, DocumentTextSyntax);

} // namespace brevanton
