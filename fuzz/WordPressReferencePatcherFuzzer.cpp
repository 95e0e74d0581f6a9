// Resource reference patching of WordPress posts: the input is a post body
// (UTF-8), patched against a small blog whose media items have plain,
// awkward and missing identifiers and addresses with quotes and ampersands.
// A text the patcher answers must parse again into the same parts (the same
// blocks and elements, in the same order), and patching it again must change
// nothing.
#include "blog/VornickWordPressBlog.h"
#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

struct SmallBlog {
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<VornickWordPressBlog> blog;
};

// The objects live in the context only: nothing is ever saved.
SmallBlog& smallBlog()
{
    static SmallBlog made = [] {
        SmallBlog small;
        std::string folder = createTemporaryDirectory("patcher-fuzz").value();
        Error error;
        auto store = PersistentStore::open(folder + "/blog.brevantonindex", VornickWordPressBlogProject::wordPressBlogProjectModel(), &error);
        if (!store)
            abort();
        small.context = ManagedObjectContext::create(store);
        small.blog = std::dynamic_pointer_cast<VornickWordPressBlog>(small.context->insertNewObject(u"Blog"));
        struct Item {
            const char16_t* identifier;
            const char16_t* local;
            const char16_t* remote;
            const char16_t* variant;
        };
        const Item items[] = {
            { u"1", u"a.jpg", u"https://x.example/a.jpg", u"large" },
            { u"2", u"file:///tmp/b.png", u"https://x.example/b?x=1&y='2'\"<>", nullptr },
            { u"3", u"c.jpg", u"", u"thumbnail" },
            { u"", u"d.jpg", u"https://x.example/d.jpg", nullptr },
            { u"abc", u"e.jpg", u"https://x.example/e.jpg", nullptr },
            { u"99999999999999999999999", u"f.jpg", u"https://x.example/f.jpg", nullptr },
            { u"-4", u"g.jpg", u"https://x.example/g.jpg", nullptr },
        };
        for (const auto& item : items) {
            auto object = small.context->insertNewObject(u"MediaItem");
            object->setValueForKey(Value(item.identifier), u"identifierUsedByBlogService");
            object->setValueForKey(Value(item.local), u"localURLString");
            object->setValueForKey(Value(item.remote), u"remoteURLString");
            object->setObjectForKey(small.blog, u"blog");
            if (item.variant) {
                auto variant = small.context->insertNewObject(u"MediaItemVariant");
                variant->setValueForKey(Value(item.variant), u"variantName");
                variant->setValueForKey(Value(u"sized-\"1\".jpg"), u"filename");
                variant->setObjectForKey(object, u"mediaItem");
            }
        }
        return small;
    }();
    return made;
}

// The kinds and names of the parts, in the order they were pushed.
class Shape : public VornickHTMLTreeRecognizerDelegate {
public:
    void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer& recognizer, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        std::u16string entry = std::u16string(recognizer.partStack().size(), u' ');
        if (auto* comment = dynamic_cast<VornickScannedHTMLBlockStartComment*>(part.get()))
            entry += u"block " + comment->typeName();
        else if (auto* tag = dynamic_cast<VornickScannedHTMLElementStartTag*>(part.get()))
            entry += u"tag " + asciiLowercase(tag->tagName());
        parts.push_back(std::move(entry));
    }
    std::vector<std::u16string> parts;
};

std::optional<std::vector<std::u16string>> shapeOf(std::u16string_view text)
{
    VornickWordPressHTMLTreeRecognizer recognizer;
    Shape shape;
    recognizer.setDelegate(&shape);
    if (!recognizer.parseHTMLString(text))
        return std::nullopt;
    return shape.parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto source = toUTF16(std::string_view(reinterpret_cast<const char*>(data), size));
    auto& blog = smallBlog();
    static const URL base = *URL::create(u"file:///site/posts/post.html");
    VornickWordPressContentResourceReferencePatcher patcher(blog.blog, base);
    auto patched = patcher.patchReferencesInHTMLString(source);
    if (!patched)
        return 0;
    auto before = shapeOf(source);
    auto after = shapeOf(*patched);
    if (!before || !after || *before != *after)
        abort();
    VornickWordPressContentResourceReferencePatcher again(blog.blog, base);
    if (again.patchReferencesInHTMLString(*patched) != patched)
        abort();
    return 0;
}
