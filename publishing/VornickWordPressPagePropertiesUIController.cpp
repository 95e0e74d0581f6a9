#include "publishing/VornickWordPressPagePropertiesUIController.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectComponentEditor.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/store/ArrayController.h"
#include "platform/views/Button.h"
#include "publishing/VornickMediaItemImageView.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogTag.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressBlogEditorOperations.h"
#include "publishing/VornickWordPressPostView.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

namespace {

constexpr double popoverWidth = 360;
constexpr double baseHeight = 232;

std::shared_ptr<TextField> makeLabel(Rect frame, std::u16string text)
{
    auto label = std::make_shared<TextField>(frame);
    label->setTextString(std::move(text));
    return label;
}

} // namespace

std::shared_ptr<VornickWordPressPagePropertiesUIController> VornickWordPressPagePropertiesUIController::create()
{
    auto controller = std::shared_ptr<VornickWordPressPagePropertiesUIController>(new VornickWordPressPagePropertiesUIController);
    controller->build();
    controller->finishBuilding(baseHeight);
    return controller;
}

VornickWordPressPagePropertiesUIController::~VornickWordPressPagePropertiesUIController()
{
    if (m_popover) {
        m_popover->setDelegate({});
        m_popover->close();
    }
}

void VornickWordPressPagePropertiesUIController::build()
{
    // A flipped view: rows from the top; the OK and Cancel row goes last (finishBuilding).
    m_contentView = std::make_shared<View>(Rect(0, 0, popoverWidth, baseHeight));
    m_contentView->setFlipped(true);
    m_contentView->addSubview(makeLabel(Rect(12, 14, 70, 20), u"Format:"));
    m_postFormatPopUpButton = std::make_shared<PopUpButton>(Rect(90, 12, popoverWidth - 102, 24));
    m_postFormatPopUpButton->setTarget(m_contentView);
    m_postFormatPopUpButton->setAction("postFormatEdited:");
    m_contentView->addSubview(m_postFormatPopUpButton);

    m_classicModeRadioButton = vornick_makePopoverButton(Rect(90, 44, 100, 20), u"Classic", "postContentTypeEdited:", m_contentView);
    m_classicModeRadioButton->setButtonType(ButtonType::Radio);
    m_blockModeRadioButton = vornick_makePopoverButton(Rect(196, 44, 100, 20), u"Blocks", "postContentTypeEdited:", m_contentView);
    m_blockModeRadioButton->setButtonType(ButtonType::Radio);
    m_contentView->addSubview(makeLabel(Rect(12, 44, 70, 20), u"Editor:"));
    m_contentView->addSubview(m_classicModeRadioButton);
    m_contentView->addSubview(m_blockModeRadioButton);
    m_convertToBlockModeTipLabel = makeLabel(Rect(90, 66, popoverWidth - 102, 18), u"Convert a classic post to blocks in the site\u2019s editor.");
    m_contentView->addSubview(m_convertToBlockModeTipLabel);

    m_contentView->addSubview(makeLabel(Rect(12, 92, 76, 20), u"Featured:"));
    m_featuredImageImageView = std::make_shared<VornickMediaItemImageView>(Rect(90, 92, 120, 90));
    m_featuredImageImageView->setMediaItemFinder(this);
    m_featuredImageImageView->setAction("featuredImageDropped:");
    m_featuredImageImageView->setTarget(m_contentView);
    m_contentView->addSubview(m_featuredImageImageView);
    m_removeImageButton = vornick_makePopoverButton(Rect(218, 92, 90, 22), u"Remove", "removeFeaturedImage:", m_contentView);
    m_contentView->addSubview(m_removeImageButton);
    auto library = vornick_makePopoverButton(Rect(218, 120, 130, 22), u"Show in Library", "openFeaturedImageInMediaLibrary:", m_contentView);
    m_contentView->addSubview(library);

    // The content view may outlive the controller in its popover's window.
    std::weak_ptr<VornickWordPressPagePropertiesUIController> weak = weak_from_this();
    auto handle = [this, weak](const char* action, void (VornickWordPressPagePropertiesUIController::*method)()) {
        m_contentView->setActionHandler(action, [weak, method](ActionSender*) {
            if (auto controller = weak.lock())
                (controller.get()->*method)();
        });
    };
    handle("postFormatEdited:", &VornickWordPressPagePropertiesUIController::postFormatEdited);
    handle("postContentTypeEdited:", &VornickWordPressPagePropertiesUIController::postContentTypeEdited);
    handle("removeFeaturedImage:", &VornickWordPressPagePropertiesUIController::removeFeaturedImage);
    handle("featuredImageDropped:", &VornickWordPressPagePropertiesUIController::featuredImageDropped);
    handle("openFeaturedImageInMediaLibrary:", &VornickWordPressPagePropertiesUIController::openFeaturedImageInMediaLibrary);
    handle("cancelEdits:", &VornickWordPressPagePropertiesUIController::cancelEdits);
    m_contentView->setActionHandler("acceptSettings:", [weak](ActionSender*) {
        if (auto controller = weak.lock())
            static_cast<void>(controller->acceptSettings());
    });

    m_postFormatsArrayController = ArrayController::create(u"PostFormat");
    m_postFormatsArrayController->setSortDescriptors({ { u"title", true, false, SortComparison::LocalizedCaseInsensitive } });
}

void VornickWordPressPagePropertiesUIController::finishBuilding(double height)
{
    m_contentView->setFrameSize({ popoverWidth, height });
    m_cancelButton = vornick_makePopoverButton(Rect(popoverWidth - 184, height - 34, 80, 22), u"Cancel", "cancelEdits:", m_contentView);
    m_cancelButton->setKeyEquivalent(u"\x1b");
    m_okButton = vornick_makePopoverButton(Rect(popoverWidth - 92, height - 34, 80, 22), u"OK", "acceptSettings:", m_contentView);
    m_contentView->addSubview(m_cancelButton);
    m_contentView->addSubview(m_okButton);
    m_popover = std::make_shared<Popover>();
    m_popover->setBehavior(PopoverBehavior::Transient);
    m_popover->setContentView(m_contentView);
    m_popover->setDelegate(weak_from_this());
}

std::shared_ptr<VornickWordPressBlogEditorOperations> VornickWordPressPagePropertiesUIController::wordPressBlogEditor() const
{
    auto blog = m_post ? m_post->blog() : nullptr;
    if (!blog)
        return nullptr;
    return std::dynamic_pointer_cast<VornickWordPressBlogEditorOperations>(VornickProjectComponentEditor::editorForComponent(*blog));
}

void VornickWordPressPagePropertiesUIController::showForWordPressBlogPost(std::shared_ptr<VornickWordPressBlogPost> post,
                                                                          const std::shared_ptr<View>& view, VornickPostPropertiesEditor* editor,
                                                                          std::optional<Rect> rect)
{
    if (!post || !view)
        return;
    m_edited = false;
    setPost(std::move(post));
    m_postEditor = editor;
    auto postView = editor ? editor->postPropertiesPostView() : nullptr;
    auto helper = postView ? postView->wordPressBlockModeHelper() : nullptr;
    bool blocks = helper && helper->operatingInBlockMode();
    m_classicModeRadioButton->setState(blocks ? OffState : OnState);
    m_blockModeRadioButton->setState(blocks ? OnState : OffState);
    m_convertToBlockModeTipLabel->setHidden(blocks);
    m_popover->showRelativeToRect(rect.value_or(view->bounds()), view, RectEdge::MaxY);
}

void VornickWordPressPagePropertiesUIController::setPost(std::shared_ptr<VornickWordPressBlogPost> post)
{
    if (post != m_post) {
        m_post = std::move(post);
        if (m_post) {
            m_postFormatsArrayController->setFilterPredicate(
                Predicate::comparison(u"blog", PredicateOperator::EqualTo, std::static_pointer_cast<ManagedObject>(m_post->blog())));
            auto* context = m_post->managedObjectContext();
            m_postFormatsArrayController->setManagedObjectContext(context ? context->shared_from_this() : nullptr);
            m_postFormatsArrayController->rearrangeObjects();
        } else {
            m_postFormatsArrayController->setFilterPredicate(std::nullopt);
            m_postFormatsArrayController->setManagedObjectContext(nullptr);
            m_edited = false;
        }
    }
    m_postFormat = m_post ? m_post->objectForKey(u"format") : nullptr;
    m_featuredImageMediaItem = m_post ? m_post->objectForKey<VornickWordPressMediaItem>(u"featuredImageMediaItem") : nullptr;
    updateControlsFromPost();
}

void VornickWordPressPagePropertiesUIController::populateFormats()
{
    m_postFormatPopUpButton->removeAllItems();
    m_postFormatPopUpButton->addItemWithTitle(u"None");
    long selected = 0;
    const auto& formats = m_post ? m_postFormatsArrayController->arrangedObjects() : ManagedObjects();
    for (size_t index = 0; index < formats.size(); ++index) {
        auto title = formats[index]->valueForKey(u"title").stringValue();
        m_postFormatPopUpButton->addItemWithTitle(title.empty() ? formats[index]->valueForKey(u"identifier").stringValue() : title);
        if (formats[index] == m_postFormat)
            selected = static_cast<long>(index) + 1;
    }
    m_postFormatPopUpButton->selectItemAtIndex(selected);
}

void VornickWordPressPagePropertiesUIController::updateControlsFromPost()
{
    populateFormats();
    showFeaturedImage();
}

void VornickWordPressPagePropertiesUIController::showFeaturedImage()
{
    m_featuredImageImageView->setMediaItem(m_featuredImageMediaItem);
}

void VornickWordPressPagePropertiesUIController::postFormatEdited()
{
    long index = m_postFormatPopUpButton->indexOfSelectedItem();
    const auto& formats = m_postFormatsArrayController->arrangedObjects();
    m_postFormat = index >= 1 && static_cast<size_t>(index) <= formats.size() ? formats[static_cast<size_t>(index - 1)] : nullptr;
    markEdited();
}

void VornickWordPressPagePropertiesUIController::featuredImageChanged(std::shared_ptr<VornickWordPressMediaItem> item)
{
    m_featuredImageMediaItem = std::move(item);
    showFeaturedImage();
    markEdited();
}

void VornickWordPressPagePropertiesUIController::removeFeaturedImage()
{
    m_featuredImageMediaItem.reset();
    m_featuredImageImageView->setMediaItem(nullptr);
    markEdited();
}

void VornickWordPressPagePropertiesUIController::featuredImageDropped()
{
    // The well asked this controller for the dropped file's media item; a
    // file that is none clears it.
    featuredImageChanged(m_featuredImageImageView->mediaItem());
}

void VornickWordPressPagePropertiesUIController::openFeaturedImageInMediaLibrary()
{
    auto editor = wordPressBlogEditor();
    if (editor && m_featuredImageMediaItem)
        editor->showMediaItemInMediaLibrary(m_featuredImageMediaItem);
}

void VornickWordPressPagePropertiesUIController::postContentTypeEdited()
{
    // The buttons show the body's mode; converting between the modes is the
    // site editor's job, so a click only shows the mode again.
    bool blocks = m_blockModeRadioButton->state() == OnState && m_classicModeRadioButton->state() != OnState;
    auto postView = m_postEditor ? m_postEditor->postPropertiesPostView() : nullptr;
    auto helper = postView ? postView->wordPressBlockModeHelper() : nullptr;
    blocks = helper ? helper->operatingInBlockMode() : blocks;
    m_classicModeRadioButton->setState(blocks ? OffState : OnState);
    m_blockModeRadioButton->setState(blocks ? OnState : OffState);
}

void VornickWordPressPagePropertiesUIController::cancelEdits()
{
    m_popover->close();
}

bool VornickWordPressPagePropertiesUIController::acceptSettings()
{
    if (m_post) {
        m_post->setObjectForKey(m_postFormat, u"format");
        m_post->setObjectForKey(m_featuredImageMediaItem, u"featuredImageMediaItem");
        m_post->setHasEditsNotYetSavedToSourceFile(true);
        if (m_postEditor)
            m_postEditor->postPropertiesEdited();
    }
    m_popover->close();
    return true;
}

void VornickWordPressPagePropertiesUIController::popoverDidClose(Popover&)
{
    setPost(nullptr);
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressPagePropertiesUIController::mediaItemForLocalURL(const URL& url)
{
    auto blog = m_post ? m_post->wordPressBlog() : nullptr;
    if (!blog)
        return nullptr;
    if (auto item = entityCast<VornickWordPressMediaItem>(blog->mediaItemForSourceURL(url)))
        return item;
    auto postView = m_postEditor ? m_postEditor->postPropertiesPostView() : nullptr;
    auto staged = postView ? postView->cacheAndStageResourceFileIntoMediaLibrary(url) : std::nullopt;
    return staged ? entityCast<VornickWordPressMediaItem>(blog->mediaItemForSourceURL(*staged)) : nullptr;
}

// --- Posts

std::shared_ptr<VornickWordPressPostPropertiesUIController> VornickWordPressPostPropertiesUIController::create()
{
    auto controller = std::shared_ptr<VornickWordPressPostPropertiesUIController>(new VornickWordPressPostPropertiesUIController);
    controller->build();
    controller->finishBuilding(baseHeight + 250);
    return controller;
}

VornickWordPressPostPropertiesUIController::~VornickWordPressPostPropertiesUIController()
{
    if (m_tagsController)
        m_tagsController->setCommitHandler(nullptr);
    if (m_categoriesController)
        m_categoriesController->setProposedCategoriesChangeHandler(nullptr);
}

void VornickWordPressPostPropertiesUIController::build()
{
    VornickWordPressPagePropertiesUIController::build();
    double top = baseHeight - 42;
    m_contentView->addSubview(makeLabel(Rect(12, top + 2, 76, 20), u"Tags:"));
    m_tagsController = VornickBlogPostTagListTokenFieldController::create();
    m_tagsController->tokenField()->setFrame(Rect(90, top, popoverWidth - 102, 24));
    m_contentView->addSubview(m_tagsController->tokenField());
    m_tagMessageLabel = makeLabel(Rect(90, top + 26, popoverWidth - 102, 30), {});
    m_tagMessageLabel->setHidden(true);
    m_contentView->addSubview(m_tagMessageLabel);
    m_contentView->addSubview(makeLabel(Rect(12, top + 60, 76, 20), u"Categories:"));
    m_categoriesController = VornickBlogPostCategoriesOutlineViewController::create();
    m_categoriesController->view()->setFrame(Rect(90, top + 60, popoverWidth - 102, 160));
    m_contentView->addSubview(m_categoriesController->view());

    std::weak_ptr<VornickWordPressPagePropertiesUIController> weak = weak_from_this();
    m_categoriesController->setProposedCategoriesChangeHandler([weak](const VornickBlogCategories&) {
        if (auto controller = std::static_pointer_cast<VornickWordPressPostPropertiesUIController>(weak.lock()))
            controller->markEdited();
    });
    m_tagsController->setCommitHandler([weak](const VornickBlogTags& tags) {
        if (auto controller = std::static_pointer_cast<VornickWordPressPostPropertiesUIController>(weak.lock())) {
            controller->m_postTags = tags;
            controller->markEdited();
        }
    });
}

void VornickWordPressPostPropertiesUIController::setPost(std::shared_ptr<VornickWordPressBlogPost> post)
{
    m_tagsController->setPost(nullptr);
    m_categoriesController->setPost(nullptr);
    m_tagMessageLabel->setHidden(true);
    m_postTags.clear();
    if (post)
        m_postTags = post->objectsForKey<VornickBlogTag>(u"tags");
    m_tagsController->setPost(post);
    m_categoriesController->setPost(post);
    VornickWordPressPagePropertiesUIController::setPost(std::move(post));
}

void VornickWordPressPostPropertiesUIController::updateControlsFromPost()
{
    VornickWordPressPagePropertiesUIController::updateControlsFromPost();
    m_tagsController->updateControlsFromPost();
}

bool VornickWordPressPostPropertiesUIController::acceptSettings()
{
    // A word being typed is finished first; a word naming no tag is not dropped.
    static_cast<void>(m_tagsController->tokenField()->tokenizeTypedText());
    if (auto unknown = m_tagsController->unknownTagTitles(); !unknown.empty()) {
        m_tagMessageLabel->setTextString(vornick_unknownTagsMessage(unknown));
        m_tagMessageLabel->setHidden(false);
        return false;
    }
    if (auto& current = post()) {
        const auto& proposed = m_categoriesController->proposedCategories();
        current->setObjectsForKey({ proposed.begin(), proposed.end() }, u"categories");
        auto tags = m_tagsController->displayedTags();
        current->setObjectsForKey({ tags.begin(), tags.end() }, u"tags");
    }
    return VornickWordPressPagePropertiesUIController::acceptSettings();
}

} // namespace brevanton
