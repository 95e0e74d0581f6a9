// Reads arbitrary bytes as a WordPress REST reply and maps its entries as the
// agent does (posts, terms and media items): reading
// and mapping must never crash, hang or leak; marking undecodable text never
// changes a reply that reads without it; and every description kept holds a
// positive integer id and text that may be stored and printed.
#include "platform/foundation/JSONReader.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressEntryChecks.h"
#include "wordpress/VornickWordPressRESTMapping.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace brevanton;

namespace {

void expectKeptSound(const std::vector<Dictionary>& kept)
{
    for (const auto& description : kept) {
        const Value* identifier = description.count(u"identifierUsedByBlogService") ? &description.at(u"identifierUsedByBlogService") : nullptr;
        if (!identifier || !vornickWordPressPositiveIdentifier(*identifier) || vornickWordPressDescriptionProblem(description))
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto log = VornickLog::create(URL::fileURLWithPath("/dev/null", false));
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto reply = readJSON(text, nullptr, JSONReadingOptions { .fragmentsAllowed = true, .markUndecodableText = true });
    auto plain = readJSON(text, nullptr, JSONReadingOptions { .fragmentsAllowed = true });
    if (plain && (!reply || *reply != *plain))
        abort();
    if (!reply)
        return 0;
    const Array* list = vornickWordPressListInReply(*reply, u"posts");
    if (!list)
        return 0;
    std::vector<Dictionary> posts;
    std::vector<Dictionary> firstVersionPosts;
    for (const auto& element : *list) {
        if (!element.isDictionary())
            continue;
        posts.push_back(vornickPostDescriptionFromWordPressPostDescription(element.dictionary(), 2));
        firstVersionPosts.push_back(vornickPostDescriptionFromWordPressPostDescription(element.dictionary(), 1));
    }
    expectKeptSound(vornickWordPressCheckedDescriptions(std::move(posts), u"post", 0, log.get()));
    expectKeptSound(vornickWordPressCheckedDescriptions(std::move(firstVersionPosts), u"post", 0, log.get()));
    expectKeptSound(vornickWordPressCheckedDescriptions(vornickTermDescriptionsFromWordPressTermDescriptions(*list, VornickWordPressTermKind::Category),
        u"category", 0, log.get()));
    expectKeptSound(vornickWordPressCheckedDescriptions(vornickTermDescriptionsFromWordPressTermDescriptions(*list, VornickWordPressTermKind::Tag),
        u"tag", 0, log.get()));
    expectKeptSound(vornickWordPressCheckedDescriptions(vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(*list), u"media item", 0,
        log.get()));
    log->clear();
    return 0;
}
