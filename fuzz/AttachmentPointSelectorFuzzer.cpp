// Attachment point selectors and stored locator sets: any text parses to
// parameters or to nothing, never crashes; parameters that parse build a
// selector that parses back to them; any bytes read as a stored set write a
// set that reads back.
#include "editing/VornickAttachmentPoint.h"
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto text = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    VornickAttachmentPointLocator locator(u"title", text);
    if (auto parameters = locator.attributeParameters()) {
        VornickAttachmentPointLocator rebuilt(u"title", u"");
        rebuilt.setAttributeName(parameters->attributeName, parameters->requiredValues, parameters->forbiddenValues);
        auto again = rebuilt.attributeParameters();
        if (!again || again->attributeName != parameters->attributeName || again->requiredValues != parameters->requiredValues
            || again->forbiddenValues != parameters->forbiddenValues)
            std::abort();
    }

    if (auto set = VornickAttachmentPointLocatorSet::createWithData(std::vector<uint8_t>(data, data + size))) {
        auto restored = VornickAttachmentPointLocatorSet::createWithData(set->data());
        if (!restored || restored->identifier().has_value() != set->identifier().has_value())
            std::abort();
    }
    return 0;
}
