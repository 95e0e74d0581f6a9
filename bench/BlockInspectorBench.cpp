// The block inspector on a 1 MB block post in a Twenty Twenty-Three post
// view: one change from a module's control (the whole block replaced as one
// undo step) on a paragraph and on a group of 100 blocks, each against one
// undoableSetValue of the class attribute on the same element, both with the
// change cycle's regeneration of the source; and opening the inspector with
// its modules drawn, against opening the attributes editor on an element of
// the same post.
#include "EditingViewBenchSupport.h"
#include "WordPressBenchProject.h"

#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickElementInspectorModule.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Popover.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"
#include "publishing/VornickWordPressPostView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace brevanton::bench {

namespace {

std::string readTemplate()
{
    std::ifstream stream(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-templates/twentytwentythree-post.html", std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

// About 1 MB of paragraph and heading blocks, a group of 100 paragraphs in the middle.
std::string megabytePost()
{
    auto paragraph = [](const std::string& n) {
        return "<!-- wp:paragraph -->\n<p>Paragraph " + n + " of the post, with <strong>some</strong> inline "
               "<em>markup</em> and a <a href=\"https://site.example/\">link</a> in running text.</p>\n<!-- /wp:paragraph -->\n\n";
    };
    std::string body;
    for (size_t index = 0; body.size() < 1024 * 1024; ++index) {
        std::string n = std::to_string(index);
        if (index == 2000) {
            body += "<!-- wp:group -->\n<div class=\"wp-block-group\">";
            for (int inner = 0; inner < 100; ++inner)
                body += paragraph("g" + std::to_string(inner));
            body += "</div>\n<!-- /wp:group -->\n\n";
        } else if (index % 10 == 0)
            body += "<!-- wp:heading -->\n<h2 class=\"wp-block-heading\">Section " + n + "</h2>\n<!-- /wp:heading -->\n\n";
        else
            body += paragraph(n);
    }
    return body;
}

struct InspectorFixture {
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlogPost> post;
    WordPressBenchTemplatesDelegate delegate;
    std::shared_ptr<VornickWordPressPostView> view;

    InspectorFixture()
    {
        VornickInstallHTMLServices();
        VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
        auto made = makeWordPressBenchProject("block-inspector-bench");
        project = made.project;
        post = addWordPressBenchPost(made, delegate, readTemplate(), megabytePost());

        view = VornickContentEditingView::create<VornickWordPressPostView>(Rect(0, 0, 1024, 768));
        view->setDelegate(&delegate);
        view->setResourceLoadFilter([](const URLRequest& request) -> std::optional<URLRequest> {
            return request.url().isFileURL() ? std::optional(request) : std::nullopt;
        });
        view->setOEmbedRequester([](const URL&, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)>) {});
        view->setPost(post);
        while (view->loadingContent() || view->loadingState() == VornickContentLoadingState::InProgress)
            RunLoop::main().runUntil([&] { return !view->loadingContent(); }, 0.01);
    }

    std::shared_ptr<DOMElement> element(const std::u16string& tag, const std::u16string& text) const
    {
        auto elements = view->mainFrameDocument()->getElementsByTagName(tag);
        for (unsigned index = 0; index < elements->length(); ++index) {
            if (elements->item(index)->textContent().starts_with(text))
                return elements->item(index);
        }
        return nullptr;
    }
    std::shared_ptr<DOMElement> group() const
    {
        // The post's group: the deepest one holding its paragraphs.
        std::shared_ptr<DOMElement> found;
        auto divs = view->mainFrameDocument()->getElementsByTagName(u"div");
        for (unsigned index = 0; index < divs->length(); ++index) {
            auto div = divs->item(index);
            if (div->getAttribute(u"class").starts_with(u"wp-block-group") && div->textContent().find(u"Paragraph g0 ") != std::u16string::npos)
                found = div;
        }
        return found;
    }
    std::shared_ptr<VornickElementEditorUIController> editor() const
    {
        return VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
    }
    template<typename Module> std::shared_ptr<Module> module() const
    {
        for (const auto& candidate : editor()->modules()) {
            if (auto found = std::dynamic_pointer_cast<Module>(candidate))
                return found;
        }
        return nullptr;
    }
    void inspect(const std::shared_ptr<DOMElement>& target) const
    {
        view->setTargetRange(view->blockModeHelper()->blockOrElement(target).outerRange());
        (void)view->showAttributeEditorForElement(target, std::nullopt);
    }
    // The end of the event and the change cycle's regeneration.
    void endChange() const
    {
        RunLoop::main().runOnce(0);
        VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    }
};

InspectorFixture& fixture()
{
    static InspectorFixture made;
    return made;
}

void BM_InspectorChangesAParagraphsAlignment(benchmark::State& state)
{
    auto& shared = fixture();
    shared.inspect(shared.element(u"p", u"Paragraph 1001 "));
    auto module = shared.module<VornickWordPressBlockTextAlignmentInspectorModule>();
    if (!module) {
        state.SkipWithError("no text alignment module");
        return;
    }
    auto control = module->alignmentSegmentedControl();
    for (auto _ : state) {
        // Left and Center in turn.
        control->setSelectedSegment(1 - control->selectedSegment());
        if (!module->changeProperty(control.get()))
            state.SkipWithError("no change");
        shared.endChange();
    }
}

void BM_SetValueChangesAParagraphsClass(benchmark::State& state)
{
    auto& shared = fixture();
    auto paragraph = shared.element(u"p", u"Paragraph 1003 ");
    for (auto _ : state) {
        bool centred = paragraph->getAttribute(u"class").empty();
        if (!shared.view->undoableSetValue(true, centred ? u"has-text-align-center" : u"", u"class", paragraph))
            state.SkipWithError("no change");
        shared.endChange();
    }
}

void BM_InspectorChangesAGroupsClasses(benchmark::State& state)
{
    auto& shared = fixture();
    shared.inspect(shared.group());
    auto module = shared.module<VornickWordPressBlockCSSClassesInspectorModule>();
    if (!module) {
        state.SkipWithError("no classes module");
        return;
    }
    auto field = module->classNamesTextField();
    for (auto _ : state) {
        field->setStringValue(field->stringValue().empty() ? u"marked" : u"");
        if (!module->changeProperty(module->classNamesTextField().get()))
            state.SkipWithError("no change");
        shared.endChange();
    }
}

void BM_SetValueChangesAGroupsClass(benchmark::State& state)
{
    auto& shared = fixture();
    auto group = shared.group();
    if (!group) {
        state.SkipWithError("no group");
        return;
    }
    for (auto _ : state) {
        bool marked = group->getAttribute(u"class") == u"wp-block-group";
        if (!shared.view->undoableSetValue(true, marked ? u"wp-block-group marked" : u"wp-block-group", u"class", group))
            state.SkipWithError("no change");
        shared.endChange();
    }
}

// Opens the editor on one of two elements in turn (so that each opening
// makes its modules) and draws its popover's content.
void openAndDraw(benchmark::State& state, const std::shared_ptr<DOMElement>& first, const std::shared_ptr<DOMElement>& second)
{
    auto& shared = fixture();
    if (!first || !second) {
        state.SkipWithError("no element");
        return;
    }
    bool which = false;
    for (auto _ : state) {
        which = !which;
        shared.inspect(which ? first : second);
        GraphicsContext context;
        shared.editor()->view()->display(context);
        benchmark::DoNotOptimize(context.commands().size());
        state.PauseTiming();
        shared.editor()->closePopover();
        state.ResumeTiming();
    }
}

void BM_InspectorOpensAndDraws(benchmark::State& state)
{
    openAndDraw(state, fixture().element(u"h2", u"Section 10"), fixture().element(u"p", u"Paragraph 11 "));
}

void BM_AttributesEditorOpensAndDraws(benchmark::State& state)
{
    auto strong = [](const std::u16string& text) {
        auto paragraph = fixture().element(u"p", text);
        auto found = paragraph ? paragraph->getElementsByTagName(u"strong") : nullptr;
        return found && found->length() ? found->item(0) : nullptr;
    };
    openAndDraw(state, strong(u"Paragraph 12 "), strong(u"Paragraph 13 "));
}

} // namespace

BENCHMARK(BM_InspectorChangesAParagraphsAlignment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetValueChangesAParagraphsClass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InspectorChangesAGroupsClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetValueChangesAGroupsClass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InspectorOpensAndDraws)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AttributesEditorOpensAndDraws)->Unit(benchmark::kMicrosecond);

} // namespace brevanton::bench
