// The patcher against WordPress's own block parser (PHP, run with php-cli):
// on real block posts, the patched text parses into the same blocks, with the
// same attributes, inner HTML and freeform HTML, except for the image blocks'
// "id" and their pictures' src and class.
#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

#include "tests/html/WordPressBlockOracle.h"
#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <regex>

namespace brevanton {
namespace {

// The markup without the src and class attributes of its pictures.
std::u16string withoutPictureSourcesAndClasses(const std::u16string& html)
{
    static const std::regex tag(R"(<img\b[^>]*>)", std::regex::icase);
    static const std::regex attribute(R"re(\s(?:src|class)(?:\s*=\s*(?:"[^"]*"|'[^']*'|[^\s>]+))?(?=[\s/>]))re", std::regex::icase);
    std::string text = toUTF8(html);
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator match(text.cbegin(), text.cend(), tag), end; match != end; ++match) {
        out.append(last, (*match)[0].first);
        out += std::regex_replace((*match)[0].str(), attribute, "");
        last = (*match)[0].second;
    }
    out.append(last, text.cend());
    return toUTF16(out);
}

// The server's blocks with what the patcher may change taken out.
Value comparable(const Value& blocks)
{
    Array out;
    for (const auto& block : blocks.array()) {
        Dictionary copy = block.dictionary();
        bool isImage = block[u"name"].isString() && block[u"name"].string() == u"core/image";
        if (isImage) {
            Dictionary attributes = copy[u"attrs"].isDictionary() ? copy[u"attrs"].dictionary() : Dictionary();
            attributes.erase(u"id");
            copy[u"attrs"] = Value(std::move(attributes));
            copy[u"innerHTML"] = Value(withoutPictureSourcesAndClasses(copy[u"innerHTML"].string()));
            Array content;
            for (const auto& piece : copy[u"innerContent"].array())
                content.push_back(piece.isString() ? Value(withoutPictureSourcesAndClasses(piece.string())) : piece);
            copy[u"innerContent"] = Value(std::move(content));
        }
        copy[u"inner"] = comparable(block[u"inner"]);
        out.emplace_back(brevanton::testing::normalizedOracleValue(Value(std::move(copy))));
    }
    return Value(std::move(out));
}

// The image blocks' "id" and first picture's src, in document order.
void collectImages(const Value& blocks, std::vector<std::pair<int64_t, std::u16string>>& out)
{
    static const std::regex source(R"re(<img\b[^>]*?\ssrc="([^"]*)")re", std::regex::icase);
    for (const auto& block : blocks.array()) {
        if (block[u"name"].isString() && block[u"name"].string() == u"core/image") {
            std::smatch match;
            std::string html = toUTF8(block[u"innerHTML"].string());
            const Value& attributes = block[u"attrs"];
            int64_t identifier = attributes.isDictionary() && attributes.dictionary().contains(u"id") ? attributes[u"id"].integerValue(-1) : -1;
            out.emplace_back(identifier, std::regex_search(html, match, source) ? toUTF16(match[1].str()) : u"");
        }
        collectImages(block[u"inner"], out);
    }
}

class VornickWordPressContentResourceReferencePatcherParity : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto add = [&](const char16_t* identifier, const char16_t* local, const char16_t* remote,
                       std::initializer_list<std::pair<const char16_t*, const char16_t*>> variants = {}) {
            auto item = library.addItem(identifier, local, remote);
            for (const auto& [name, file] : variants)
                library.addVariant(item, name, file);
        };
        const std::u16string uploads = u"https://example.com/wp-content/uploads/";
        add(u"42", u"harbour.jpg", (uploads + u"2026/harbour.jpg").c_str(), { { u"large", u"harbour-1024x768.jpg" } });
        add(u"43", u"lighthouse.jpg", (uploads + u"2026/lighthouse.jpg").c_str());
        add(u"44", u"dunes.jpg", (uploads + u"2026/dunes.jpg").c_str(), { { u"medium", u"dunes-300x200.jpg" } });
        add(u"45", u"caf\u00e9 terrace.jpg", (uploads + u"2026/cafe-terrace.jpg").c_str(), { { u"large", u"cafe-terrace-1024x683.jpg" } });
        add(u"46", u"shells.jpg", (uploads + u"2026/shells.jpg").c_str(), { { u"large", u"shells-1024x683.jpg" } });
        add(u"47", u"nets.jpg", (uploads + u"2026/nets.jpg").c_str(), { { u"large", u"nets-1024x683.jpg" } });
        add(u"48", u"cliffs.jpg", (uploads + u"2026/cliffs.jpg?ver=2&x=1").c_str());
        add(u"77", u"", (uploads + u"2024/06/gulls.jpg").c_str(), { { u"thumbnail", u"gulls-150x150.jpg" } });
        add(u"412", u"", (uploads + u"2024/05/ferry.jpg").c_str(), { { u"large", u"ferry-large.jpg" } });
        add(u"51", u"", (uploads + u"loaf.jpg").c_str(), { { u"large", u"loaf-1024x768.jpg" } });
        add(u"52", u"", (uploads + u"crumb.jpg").c_str());
    }

    std::u16string patched(const std::u16string& post)
    {
        VornickWordPressContentResourceReferencePatcher patcher(library.blog, library.postFileURL());
        auto result = patcher.patchReferencesInHTMLString(post);
        EXPECT_TRUE(result);
        return result.value_or(post);
    }

    testing::WordPressMediaLibrary library;
};

TEST_F(VornickWordPressContentResourceReferencePatcherParity, PostsChangeOnlyInTheirImageBlocksIdentifiersSourcesAndClasses)
{
    for (const char* name : { "photo-essay.html", "travel-article.html", "recipe-notes.html" }) {
        auto text = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress/" + name);
        ASSERT_TRUE(text) << name;
        std::u16string post = toUTF16(*text);
        std::u16string result = patched(post);
        EXPECT_NE(result, post) << name;
        auto before = brevanton::testing::runWordPressOracle("blocks", *text);
        auto after = brevanton::testing::runWordPressOracle("blocks", toUTF8(result));
        ASSERT_TRUE(before && after) << name;
        EXPECT_EQ(comparable(*after).description(), comparable(*before).description()) << name << "\n" << toUTF8(result);
        // Patching what was patched changes nothing more.
        EXPECT_EQ(patched(result), result) << name;
    }
}

TEST_F(VornickWordPressContentResourceReferencePatcherParity, ImageBlocksNameTheirItemsAndUploadedAddresses)
{
    auto text = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress/photo-essay.html");
    ASSERT_TRUE(text);
    auto blocks = brevanton::testing::runWordPressOracle("blocks", toUTF8(patched(toUTF16(*text))));
    ASSERT_TRUE(blocks);
    std::vector<std::pair<int64_t, std::u16string>> images;
    collectImages(*blocks, images);
    const std::u16string uploads = u"https://example.com/wp-content/uploads/";
    std::vector<std::pair<int64_t, std::u16string>> expected {
        { 42, uploads + u"2026/harbour-1024x768.jpg" },
        // A stale identifier gives way to the item the picture's file stands for.
        { 43, uploads + u"2026/lighthouse.jpg" },
        { 44, uploads + u"2026/dunes-300x200.jpg" },
        { 45, uploads + u"2026/cafe-terrace-1024x683.jpg" },
        { 46, uploads + u"2026/shells-1024x683.jpg" },
        { 47, uploads + u"2026/nets-1024x683.jpg" },
        { 77, uploads + u"2024/06/gulls-150x150.jpg" },
        // No item: left for the upload to refuse.
        { 0, u"../media/unknown.jpg" },
        { 48, uploads + u"2026/cliffs.jpg?ver=2&amp;x=1" },
    };
    EXPECT_EQ(images, expected);
}

} // namespace
} // namespace brevanton
