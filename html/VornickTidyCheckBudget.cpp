#include "html/VornickTidyCheckBudget.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <fmt/format.h>

namespace brevanton {

uint64_t VornickTidyCheckWorkBudget()
{
    auto value = UserDefaults::standard().objectForKey(VornickTidyCheckWorkBudgetDefaultsKey);
    if (!value.isNumber())
        return VornickDefaultTidyCheckWorkBudget;
    double budget = value.doubleValue();
    if (!(budget >= 0))
        return VornickDefaultTidyCheckWorkBudget;
    return budget >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(budget);
}

uint64_t VornickTidyCheckWorkOfDocument(const DOMDocument& document, uint64_t limit)
{
    // An explicit walk: a page may nest deeper than the stack allows recursion.
    uint64_t work = 0;
    uint64_t depth = 0;
    const DOMNode* node = document.first();
    while (node && work <= limit) {
        bool element = node->nodeType() == DOMNode::ELEMENT_NODE;
        if (element) {
            uint64_t attributes = downcast<DOMElement>(*node).attributeList().size();
            work += depth + 1 + attributes * (attributes - (attributes ? 1 : 0)) / 2;
        }
        if (auto* child = node->first(); child && element) {
            ++depth;
            node = child;
            continue;
        }
        while (node && !node->next()) {
            node = node->parent();
            if (!node || node == &document) {
                node = nullptr;
                break;
            }
            --depth;
        }
        if (node)
            node = node->next();
    }
    return work;
}

std::optional<std::string> VornickTidyCheckBeyondBudget(const DOMDocument& document)
{
    uint64_t budget = VornickTidyCheckWorkBudget();
    uint64_t work = VornickTidyCheckWorkOfDocument(document, budget);
    if (work <= budget)
        return std::nullopt;
    return fmt::format("the page's elements and attributes count more than {} element levels, tidy's work budget", budget);
}

std::optional<std::string> VornickTidyCheckBeyondBudget(const DecodedDocumentText& text, DocumentTextSyntax syntax)
{
    Error error;
    auto document = DOMDocument::parseDecoded(text, syntax, {}, &error);
    if (!document)
        return std::nullopt;
    return VornickTidyCheckBeyondBudget(*document);
}

} // namespace brevanton
