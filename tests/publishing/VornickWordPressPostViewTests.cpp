// WordPress specifics of the post view: templates by format and the error
// page, the body's paragraphs and blocks, embeds and their late answers.
#include "tests/publishing/PostViewTestSupport.h"

#include "app/VornickMediaFileInfoCache.h"
#include "documents/VornickProjectComponentEditor.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/UserDefaults.h"
#include "publishing/VornickWordPressBlogEditorOperations.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

namespace {

std::string pageWithBodyClass(const std::string& bodyClass, const std::string& marker)
{
    return "<!DOCTYPE html><html><head><title>t</title></head><body class=\"" + bodyClass + "\">"
           "<h1 class=\"wp-block-post-title\">" + marker + "</h1>"
           "<div class=\"wp-block-post-content\"><p>sample</p></div></body></html>";
}

// The open window of a blog, as the post view finds it.
class BlogWindowStandIn : public VornickProjectComponentEditor {
public:
    explicit BlogWindowStandIn(std::shared_ptr<VornickProjectComponent> blog) : m_blog(std::move(blog)) {}
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_blog; }

private:
    std::shared_ptr<VornickProjectComponent> m_blog;
};

class WordPressBlogWindowStandIn final : public BlogWindowStandIn, public VornickWordPressBlogEditorOperations {
public:
    using BlogWindowStandIn::BlogWindowStandIn;
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> shown;
    void showMediaItemInMediaLibrary(const std::shared_ptr<VornickWordPressMediaItem>& item) override { shown.push_back(item); }
};

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class VornickWordPressPostViewTests : public PostViewTest {
protected:
    void SetUp() override
    {
        PostViewTest::SetUp();
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
    }
    std::u16string loadedTemplateName() const
    {
        auto url = view->mainFrameURL();
        return url ? url->lastPathComponent() : u"";
    }
};

} // namespace

TEST_F(VornickWordPressPostViewTests, TheFormatPicksTheTemplateAndAMissingOneFallsBack)
{
    writeTemplate("post-standard.html", pageWithBodyClass("single", "standard"));
    writeTemplate("post-aside.html", pageWithBodyClass("single", "aside"));
    auto aside = makePost(u"Aside", u"<p>x</p>");
    setFormat(aside, u"aside");
    show(aside);
    EXPECT_EQ(loadedTemplateName(), u"post-aside.html");
    EXPECT_FALSE(view->fellBackToStandardTemplate());
    EXPECT_FALSE(view->templateFallbackBannerShown());

    auto gallery = makePost(u"Gallery", u"<p>x</p>");
    setFormat(gallery, u"gallery");
    show(gallery);
    EXPECT_EQ(loadedTemplateName(), u"post-standard.html");
    EXPECT_TRUE(view->fellBackToStandardTemplate());
    EXPECT_TRUE(view->templateFallbackBannerShown());
}

TEST_F(VornickWordPressPostViewTests, AFormatThatIsNoFileNameNamesNoFile)
{
    writeTemplate("post-standard.html", pageWithBodyClass("error404", "standard"));
    // A file outside the templates folder that "../" would reach.
    std::ofstream(*blog->blogFolderURL()->fileSystemPath() + "/post-x.html") << pageWithBodyClass("error404", "outside");
    for (auto format : { u"../x", u"Aside", u"a/b", u"a b", u"" }) {
        auto post = makePost(u"Odd", u"<p>x</p>");
        setFormat(post, format);
        view.reset();
        show(post);
        EXPECT_EQ(view->safeFormatIdentifier(), u"standard") << toUTF8(format);
        EXPECT_EQ(loadedTemplateName(), u"post-standard.html") << toUTF8(format);
    }
    // Nothing was trashed, in the folder or outside it.
    EXPECT_EQ(filesIn(templatesPath()), (std::vector<std::string> { "post-standard.html" }));
    EXPECT_TRUE(fileExists(*blog->blogFolderURL()->fileSystemPath() + "/post-x.html"));
}

TEST_F(VornickWordPressPostViewTests, AnErrorPageFormatTemplateIsTrashedAndTheStandardOneLoadedOnce)
{
    writeTemplate("post-standard.html", pageWithBodyClass("single", "standard"));
    writeTemplate("post-video.html", pageWithBodyClass("error404", "video"));
    auto video = makePost(u"Video", u"<p>x</p>");
    setFormat(video, u"video");
    show(video);
    EXPECT_EQ(loadedTemplateName(), u"post-standard.html");
    EXPECT_TRUE(view->fellBackToStandardTemplate());
    EXPECT_TRUE(view->templateFallbackBannerShown());
    EXPECT_EQ(filesIn(templatesPath()), (std::vector<std::string> { "post-standard.html" }));
    EXPECT_EQ(view->mainFrameDocument()->getElementsByTagName(u"h1")->item(0)->textContent(), u"Video");
}

TEST_F(VornickWordPressPostViewTests, AnErrorPageStandardTemplateIsKept)
{
    writeTemplate("post-standard.html", pageWithBodyClass("error404", "standard"));
    writeTemplate("post-video.html", pageWithBodyClass("error404", "video"));
    auto video = makePost(u"Video", u"<p>x</p>");
    setFormat(video, u"video");
    show(video);
    // One fall-back: the standard template, an error page too, stays.
    EXPECT_EQ(loadedTemplateName(), u"post-standard.html");
    EXPECT_LE(delegate.endedLoads, 2u);
    EXPECT_EQ(filesIn(templatesPath()), (std::vector<std::string> { "post-standard.html" }));

    // A missing format template is never "trashed" in place of the loaded one.
    auto gallery = makePost(u"Gallery", u"<p>x</p>");
    setFormat(gallery, u"gallery");
    delegate.endedLoads = 0;
    show(gallery);
    EXPECT_EQ(loadedTemplateName(), u"post-standard.html");
    EXPECT_EQ(delegate.endedLoads, 1u);

    auto standard = makePost(u"Standard", u"<p>x</p>");
    show(standard);
    EXPECT_EQ(filesIn(templatesPath()), (std::vector<std::string> { "post-standard.html" }));
}

TEST_F(VornickWordPressPostViewTests, ClassicBodiesGetTheirParagraphsAndTheMoreMarker)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto post = makePost(u"Classic", u"First line\nsecond line\n\nNext paragraph<!--more-->Rest");
    show(post);
    auto body = pointElement(u"body");
    ASSERT_TRUE(body);
    EXPECT_FALSE(view->blockModeHelper()->operatingInBlockMode());
    EXPECT_GE(body->getElementsByTagName(u"p")->length(), 2u);
    EXPECT_EQ(body->getElementsByTagName(u"br")->length(), 1u);
    auto spans = body->getElementsByTagName(u"span");
    ASSERT_EQ(spans->length(), 1u);
    EXPECT_EQ(spans->item(0)->textContent(), u"Read More");
    EXPECT_TRUE(vornick_hasClass(*spans->item(0), u"brevanton-empty-block-interior"));
}

TEST_F(VornickWordPressPostViewTests, BlockErrorsFollowThePostShownAndItsCommentOnlyBlocks)
{
    // The body's blocks are walked once a post is in: what the walk found
    // goes with the post, and with blocks the injection made of comments.
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    view = makeView();
    auto mismatched = makePost(u"Mismatched", u"<!-- wp:paragraph -->\n<p>One.</p>\n<!-- /wp:heading -->\n\n"
                                              u"<!-- wp:paragraph -->\n<p>Two.</p>\n<!-- /wp:paragraph -->");
    auto clean = makePost(u"Clean", u"<!-- wp:paragraph -->\n<p>One.</p>\n<!-- /wp:paragraph -->\n\n"
                                    u"<!-- wp:separator /-->\n\n"
                                    u"<!-- wp:paragraph -->\n<p>Two.</p>\n<!-- /wp:paragraph -->");
    show(mismatched);
    ASSERT_TRUE(view->blockModeHelper()->operatingInBlockMode());
    EXPECT_FALSE(view->validateContent().empty());
    show(clean);
    EXPECT_TRUE(view->validateContent().empty());
    show(mismatched);
    EXPECT_FALSE(view->validateContent().empty());
}

// Only an embed of a web address is asked about: a post naming a file of
// this computer (or another scheme) leaves its placeholder and asks nothing.
TEST_F(VornickWordPressPostViewTests, EmbedsOfAddressesOffTheWebAreNeverFetched)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    std::vector<std::u16string> asked;
    view = makeView();
    view->setOEmbedRequester([&asked](const URL& url, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)>) {
        asked.push_back(url.absoluteString());
    });
    const char16_t* addresses[] = { u"file:///etc/hostname", u"file:///dev/zero", u"data:text/html,<p>x</p>", u"ftp://127.0.0.1/a",
                                    u"javascript:alert(1)", u"https://video.example/watch?v=2" };
    std::u16string body;
    for (const char16_t* address : addresses) {
        body += u"<!-- wp:embed {\"url\":\"" + std::u16string(address) + u"\"} -->\n<figure class=\"wp-block-embed\">"
                u"<div class=\"wp-block-embed__wrapper\">\n" + std::u16string(address) + u"\n</div></figure>\n<!-- /wp:embed -->\n\n";
    }
    show(makePost(u"Embeds", body));
    ASSERT_TRUE(view->blockModeHelper()->operatingInBlockMode());
    EXPECT_EQ(asked, std::vector<std::u16string> { u"https://video.example/watch?v=2" });
}

TEST_F(VornickWordPressPostViewTests, EmbedsWaitAsPlaceholdersAndTheirAnswersAreNoEdits)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    struct Request {
        URL url;
        uint64_t width;
        uint64_t height;
        std::function<void(std::optional<Dictionary>)> handler;
    };
    std::vector<Request> requests;
    view = makeView();
    view->setOEmbedRequester([&requests](const URL& url, uint64_t width, uint64_t height, std::function<void(std::optional<Dictionary>)> handler) {
        requests.push_back({ url, width, height, std::move(handler) });
    });
    auto post = makePost(u"Embeds",
                         u"<!-- wp:paragraph -->\n<p>Before.</p>\n<!-- /wp:paragraph -->\n\n"
                         u"<!-- wp:embed {\"url\":\"https://video.example/watch?v=1\",\"type\":\"video\",\"providerNameSlug\":\"video\"} -->\n"
                         u"<figure class=\"wp-block-embed is-type-video\"><div class=\"wp-block-embed__wrapper\">\n"
                         u"https://video.example/watch?v=1\n</div></figure>\n<!-- /wp:embed -->");
    show(post);
    ASSERT_TRUE(view->blockModeHelper()->operatingInBlockMode());
    auto document = view->mainFrameDocument();
    auto placeholders = [&] {
        std::vector<std::shared_ptr<DOMElement>> found;
        auto divs = document->getElementsByTagName(u"div");
        for (unsigned index = 0; index < divs->length(); ++index) {
            if (vornick_hasClass(*divs->item(index), u"brevanton-embed-placeholder"))
                found.push_back(divs->item(index));
        }
        return found;
    };
    ASSERT_EQ(placeholders().size(), 1u);
    EXPECT_EQ(placeholders()[0]->getAttribute(u"style"), u"background: #404040; width: 640px; height: 360px;");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url.absoluteString(), u"https://video.example/watch?v=1");
    EXPECT_TRUE(requests[0].width == 0 || requests[0].width > 100);
    EXPECT_TRUE(requests[0].height == 0 || requests[0].height > 100);
    EXPECT_TRUE(view->validateContent().empty());

    size_t editsBefore = delegate.userEdits();
    size_t changesBefore = delegate.changes.size();
    Dictionary answer;
    answer[u"html"] = Value(u"<p class=\"still\" onclick=\"steal()\">Video <a href=\"javascript:alert(1)\">here</a></p>"
                            u"<script>steal()</script><iframe src=\"https://video.example/embed/1\"></iframe>");
    requests[0].handler(answer);
    EXPECT_TRUE(placeholders().empty());
    std::shared_ptr<DOMElement> wrapper;
    auto figures = pointElement(u"body")->getElementsByTagName(u"figure");
    for (unsigned index = 0; index < figures->length(); ++index) {
        if (vornick_hasClass(*figures->item(index), u"wp-block-embed"))
            wrapper = figures->item(index);
    }
    ASSERT_TRUE(wrapper);
    EXPECT_NE(wrapper->textContent().find(u"Video here"), std::u16string::npos);
    EXPECT_EQ(wrapper->getElementsByTagName(u"script")->length(), 0u);
    EXPECT_EQ(wrapper->getElementsByTagName(u"iframe")->length(), 0u);
    auto still = wrapper->getElementsByTagName(u"p")->item(0);
    ASSERT_TRUE(still);
    EXPECT_FALSE(still->hasAttribute(u"onclick"));
    EXPECT_FALSE(wrapper->getElementsByTagName(u"a")->item(0)->hasAttribute(u"href"));
    // An injection: reported with its point, no edit, no undo step.
    EXPECT_EQ(delegate.changes.size(), changesBefore + 1);
    EXPECT_EQ(delegate.userEdits(), editsBefore);
    EXPECT_FALSE(view->undoManager()->canUndo());

    // The saved body holds the embed's URL, never the answer.
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_EQ(post->sourceContentString().find(u"still"), std::u16string::npos);
    EXPECT_NE(post->sourceContentString().find(u"https://video.example/watch?v=1"), std::u16string::npos);
}

TEST_F(VornickWordPressPostViewTests, ALateAnswerForAnotherPostIsDropped)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    std::vector<std::function<void(std::optional<Dictionary>)>> handlers;
    view = makeView();
    view->setOEmbedRequester([&handlers](const URL&, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)> handler) {
        handlers.push_back(std::move(handler));
    });
    auto embed = makePost(u"Embed", u"<!-- wp:embed {\"url\":\"https://video.example/1\"} -->\n"
                                    u"<figure class=\"wp-block-embed\"><div class=\"wp-block-embed__wrapper\">https://video.example/1</div></figure>\n"
                                    u"<!-- /wp:embed -->");
    show(embed);
    ASSERT_EQ(handlers.size(), 1u);
    show(makePost(u"Other", u"<p>Other body.</p>"));
    size_t changes = delegate.changes.size();
    Dictionary answer;
    answer[u"html"] = Value(u"<p>late</p>");
    handlers[0](answer);
    EXPECT_EQ(delegate.changes.size(), changes);
    EXPECT_EQ(pointElement(u"body")->textContent(), u"Other body.");

    // A failed answer leaves the grey placeholder.
    show(embed);
    ASSERT_EQ(handlers.size(), 2u);
    handlers[1](std::nullopt);
    EXPECT_NE(pointElement(u"body")->getElementsByTagName(u"div")->length(), 0u);
}

TEST_F(VornickWordPressPostViewTests, CategoriesAndTheFeaturedImage)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto post = makePost(u"Terms", u"<p>x</p>");
    post->setObjectsForKey({ term(u"BlogCategory", u"identifierUsedByBlogService", u"2", u"zeta"),
                             term(u"BlogCategory", u"identifierUsedByBlogService", u"3", u"Alpha & <Omega>") },
                           u"categories");
    show(post);
    auto document = view->mainFrameDocument();
    std::vector<std::u16string> categories;
    auto links = document->getElementsByTagName(u"a");
    for (unsigned index = 0; index < links->length(); ++index) {
        if (links->item(index)->getAttribute(u"rel") == u"category tag")
            categories.push_back(links->item(index)->textContent());
    }
    EXPECT_EQ(categories, (std::vector<std::u16string> { u"Alpha & <Omega>", u"zeta" }));
    // No featured image: the place is emptied, and takes no drops.
    auto featured = view->attachmentPointWithIdentifier(u"featuredImage");
    ASSERT_TRUE(featured);
    EXPECT_FALSE(featured->allowsDrops());
    EXPECT_FALSE(featured->findElement()->firstChild());
    EXPECT_EQ(view->identifiersOfAbsolvedAttachmentPoints(), (std::vector<std::u16string> { u"tags", u"featuredImage" }));
}

TEST_F(VornickWordPressPostViewTests, TheElementEditorSeesTheMediaLibraryBehindImagesAndImageBlocks)
{
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    auto& context = *project->index()->managedObjectContext();
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    item->setObjectForKey(blog, u"blog");
    item->ManagedObject::setValueForKey(Value(u"Sea at dawn"), u"title");
    item->ManagedObject::setValueForKey(Value(u"https://site.example/wp-content/uploads/sea.png"), u"remoteURLString");
    item->ManagedObject::setValueForKey(Value(u"sea.png"), u"localURLString");
    auto variant = context.insertNewObject(u"MediaItemVariant");
    variant->setValueForKey(Value(u"medium"), u"variantName");
    variant->setValueForKey(Value(u"sea-300x200.png"), u"filename");
    variant->setObjectForKey(item, u"mediaItem");
    auto media = *blog->mediaFolderURL()->fileSystemPath();
    std::filesystem::create_directories(media);
    auto be32 = [](uint32_t value) {
        return std::string { char(value >> 24), char((value >> 16) & 0xFF), char((value >> 8) & 0xFF), char(value & 0xFF) };
    };
    std::ofstream(media + "/sea.png", std::ios::binary)
        << std::string("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(640) + be32(480) + std::string("\x08\x06\0\0\0", 5);

    show(makePost(u"Pictures", u"<p>x</p>"));
    auto document = view->mainFrameDocument();
    ASSERT_TRUE(document);
    auto imageWithSource = [&](const std::u16string& source) {
        auto image = document->createElement(u"img");
        image->setAttribute(u"src", source);
        return image;
    };
    auto sea = imageWithSource(u"https://site.example/wp-content/uploads/sea.png");
    auto medium = imageWithSource(u"https://site.example/wp-content/uploads/sea-300x200.png");
    auto stranger = imageWithSource(u"https://elsewhere.example/sea.png");
    auto blockFigure = [&](const std::u16string& comment) {
        auto holder = document->createElement(u"div");
        holder->appendChild(document->createComment(comment));
        holder->appendChild(document->createTextNode(u"\n"));
        auto figure = document->createElement(u"figure");
        holder->appendChild(figure);
        return std::make_pair(holder, figure);
    };
    auto imageBlock = blockFigure(u" wp:image {\"id\":31,\"sizeSlug\":\"large\"} ");
    auto galleryBlock = blockFigure(u" wp:gallery ");
    auto closedBlock = blockFigure(u" /wp:image ");

    // Inspector modules: a library image has none, its block's figure gets the image block's.
    constexpr auto proposed = VornickElementInspectorModuleKind::ElementAttributes;
    EXPECT_EQ(view->inspectorModuleClassForElement(*sea, proposed), std::nullopt);
    EXPECT_EQ(view->inspectorModuleClassForElement(*medium, proposed), std::nullopt);
    EXPECT_EQ(view->inspectorModuleClassForElement(*stranger, proposed), proposed);
    EXPECT_EQ(view->inspectorModuleClassForElement(*imageWithSource(u""), proposed), proposed);
    EXPECT_EQ(view->inspectorModuleClassForElement(*imageBlock.second, proposed), VornickElementInspectorModuleKind::WordPressImageBlockFigure);
    EXPECT_EQ(view->inspectorModuleClassForElement(*galleryBlock.second, proposed), proposed);
    EXPECT_EQ(view->inspectorModuleClassForElement(*closedBlock.second, proposed), proposed);
    EXPECT_EQ(view->inspectorModuleClassForElement(*document->createElement(u"figure"), std::nullopt), std::nullopt);

    // Stand-ins and the pixel size, for an image's src only.
    EXPECT_EQ(view->attributeEditorReadOnlyStandInForValue(sea->getAttribute(u"src"), u"SRC", *sea), u"Sea at dawn");
    EXPECT_EQ(view->attributeEditorReadOnlyStandInForValue(medium->getAttribute(u"src"), u"src", *medium), u"sea-300x200.png");
    EXPECT_EQ(view->attributeEditorReadOnlyStandInForValue(stranger->getAttribute(u"src"), u"src", *stranger), std::nullopt);
    EXPECT_EQ(view->attributeEditorReadOnlyStandInForValue(sea->getAttribute(u"src"), u"alt", *sea), std::nullopt);
    for (auto& image : { sea, medium }) {
        auto info = view->attributeEditorMediaFileInfoForValue(image->getAttribute(u"src"), u"src", *image);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->pixelsWide(), 640u);
        EXPECT_EQ(info->pixelsHigh(), 480u);
    }
    EXPECT_FALSE(view->attributeEditorMediaFileInfoForValue(stranger->getAttribute(u"src"), u"src", *stranger));
    EXPECT_FALSE(view->attributeEditorMediaFileInfoForValue(sea->getAttribute(u"src"), u"title", *sea));

    // Opening a library address shows its item in the blog window's media library, when one is open.
    EXPECT_FALSE(view->attributeEditorOpenURLValue(sea->getAttribute(u"src"), *sea));
    auto otherWindow = std::make_shared<BlogWindowStandIn>(blog);
    VornickProjectComponentEditor::registerEditor(otherWindow);
    EXPECT_FALSE(view->attributeEditorOpenURLValue(sea->getAttribute(u"src"), *sea));
    auto blogWindow = std::make_shared<WordPressBlogWindowStandIn>(blog);
    VornickProjectComponentEditor::registerEditor(blogWindow);
    EXPECT_TRUE(view->attributeEditorOpenURLValue(medium->getAttribute(u"src"), *medium));
    EXPECT_FALSE(view->attributeEditorOpenURLValue(stranger->getAttribute(u"src"), *stranger));
    EXPECT_EQ(blogWindow->shown, std::vector<std::shared_ptr<VornickWordPressMediaItem>> { item });
    VornickProjectComponentEditor::unregisterEditor(*blogWindow);
    VornickProjectComponentEditor::unregisterEditor(*otherWindow);
}

} // namespace brevanton
