#include "EditingTestSupport.h"

#include "editing/VornickAttachmentPoint.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMRange.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace vornick_content_editing_view_attachment_points_tests {
namespace {

class ByIdLocator : public VornickAttachmentPointLocator {
public:
    explicit ByIdLocator(std::u16string id) : m_id(std::move(id)) {}
    std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(m_id); }

private:
    std::u16string m_id;
};

class AttachmentPoints : public EditingViewTest {
protected:
    void SetUp() override
    {
        EditingViewTest::SetUp();
        ASSERT_TRUE(writeFileAtomically(path("template.html"),
                                        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                                        "<div id=outer><h1 id=title>Title</h1><div id=content><p>Body text</p></div></div>"
                                        "</body></html>\n"));
        view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
            std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> {
                { u"title", std::make_shared<ByIdLocator>(u"title") },
                { u"content", std::make_shared<ByIdLocator>(u"content") },
                { u"outer", std::make_shared<ByIdLocator>(u"outer") },
                { u"missing", std::make_shared<ByIdLocator>(u"nowhere") },
            }));
        load("template.html");
    }
};

TEST_F(AttachmentPoints, AttachingFindsMarksAndNeverNests)
{
    view->setTargetRange(nullptr);
    auto title = VornickContentEditingViewTestPeer::attachToPoint(*view, u"title", VornickAttachmentType::SingleElement, nullptr);
    ASSERT_TRUE(title);
    EXPECT_TRUE(vornick_hasClass(*document()->getElementById(u"title"), title->markClassName()));
    EXPECT_TRUE(view->hasAttachmentPoints());
    // The caret went to the end of the new point's contents.
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), document()->getElementById(u"title")->firstChild());

    // The same element gives the same point, and adds none.
    EXPECT_EQ(VornickContentEditingViewTestPeer::attachToPoint(*view, u"title", VornickAttachmentType::SingleElement, nullptr), title);
    EXPECT_EQ(vornick_attachmentPoints(*view->mainFrame()).size(), 1u);
    // An ancestor of an existing point is refused.
    EXPECT_FALSE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"outer", VornickAttachmentType::SingleElement, nullptr));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"missing", VornickAttachmentType::SingleElement, nullptr));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"unknown", VornickAttachmentType::SingleElement, nullptr));

    // With the selection inside a point already, attaching another leaves it.
    auto selection = view->targetRange()->cloneRange();
    auto content = VornickContentEditingViewTestPeer::attachToPoint(*view, u"content", VornickAttachmentType::SingleElement, nullptr);
    ASSERT_TRUE(content);
    EXPECT_EQ(view->targetRange()->startContainer(), selection->startContainer());

    // The mark finds the element again after the id went away.
    document()->getElementById(u"content")->removeAttribute(u"id");
    EXPECT_TRUE(content->findElement());
    VornickContentEditingViewTestPeer::clearAttachmentPointsInWebFrame(*view, nullptr);
    EXPECT_FALSE(view->hasAttachmentPoints());
}

TEST_F(AttachmentPoints, TheMainAttachmentPointElementIsTheBodyWithoutTheMarkedOne)
{
    EXPECT_EQ(VornickContentEditingViewTestPeer::mainFrameAttachmentPointElement(*view), document()->body());
    document()->getElementById(u"content")->setAttribute(u"id", u"brevanton-attach-point");
    EXPECT_EQ(VornickContentEditingViewTestPeer::mainFrameAttachmentPointElement(*view)->getAttribute(u"id"), u"brevanton-attach-point");
}

TEST_F(AttachmentPoints, BannersShowOnceAndGiveTheirHeightBack)
{
    auto splitHeight = view->splitView()->frame().height();
    VornickContentEditingViewTestPeer::showAttachmentPointFailureBanner(*view);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).attachmentPointFailureBannerView);
    auto bannerHeight = VornickContentEditingViewTestPeer::of(*view).attachmentPointFailureBannerView->frame().height();
    VornickContentEditingViewTestPeer::showAttachmentPointFailureBanner(*view);
    EXPECT_EQ(view->splitView()->frame().height(), splitHeight - bannerHeight);
    VornickContentEditingViewTestPeer::showTemplateFallbackBanner(*view);
    EXPECT_EQ(view->splitView()->frame().height(), splitHeight - 2 * bannerHeight);
    // The banner's button dismisses it through the view.
    EXPECT_TRUE(view->tryToPerform("dismissAttachmentPointFailureBanner:", nullptr));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).attachmentPointFailureBannerView);
    // Every load hides the banners.
    load("template.html");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).templateFallbackBannerView);
    EXPECT_EQ(view->splitView()->frame().height(), splitHeight);
}

TEST_F(AttachmentPoints, ChangingTheDocumentURLRewritesReferencesOnlyWhenItChanges)
{
    struct RewireRecorder : EditingRecorder {
        int rewired { 0 };
        void vornickContentEditingViewDidRewireReferencesForDocumentURLChange(VornickContentEditingView&) override { ++rewired; }
    } rewire;
    view->setDelegate(&rewire);
    auto image = document()->createElement(u"img");
    image->setAttribute(u"src", url("picture.png").absoluteString());
    document()->body()->appendChild(image);

    view->setMainFrameURL(url("template.html"));
    EXPECT_EQ(rewire.rewired, 0);
    EXPECT_EQ(image->getAttribute(u"src"), url("picture.png").absoluteString());

    ASSERT_TRUE(createDirectory(path("deeper")));
    view->setMainFrameURL(url("deeper/template.html"));
    EXPECT_EQ(rewire.rewired, 1);
    EXPECT_EQ(image->getAttribute(u"src"), u"../picture.png");
    EXPECT_EQ(vornick_URLWhereSaved(*view->mainFrame()), url("deeper/template.html"));
    view->setDelegate(&recorder);
}

} // namespace

} // namespace vornick_content_editing_view_attachment_points_tests
