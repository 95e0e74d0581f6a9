#include "publishing/VornickAttachmentPointSettingsUIController.h"

#include "blog/VornickBlog.h"
#include "editing/VornickAttachmentPoint.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Window.h"
#include "publishing/VornickAttachmentPointSettingsModule.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

static constexpr double sheetWidth = 520;
static constexpr double buttonBarHeight = 44;

VornickAttachmentPointSettingsUIController::VornickAttachmentPointSettingsUIController()
    : m_locatorSet(std::make_shared<VornickAttachmentPointLocatorSet>())
{
}

VornickAttachmentPointSettingsUIController::~VornickAttachmentPointSettingsUIController()
{
    if (m_stackView)
        m_stackView->setDelegate(nullptr);
    for (const auto& module : modules())
        module->setAttachmentPointSettingsUIController(nullptr);
}

void VornickAttachmentPointSettingsUIController::setBlogEditor(VornickBlogPostViewHost* editor)
{
    if (editor == m_blogEditor)
        return;
    m_blogEditor = editor;
    auto blog = editor ? editor->blog() : nullptr;
    m_descriptions = blog ? blog->postAttachmentPointDescriptions() : std::vector<VornickAttachmentPointDescription>();
    auto data = blog ? blog->postAttachmentPointData() : std::nullopt;
    m_locatorSet = data ? VornickAttachmentPointLocatorSet::createWithData(*data) : nullptr;
    if (!m_locatorSet)
        m_locatorSet = std::make_shared<VornickAttachmentPointLocatorSet>();
}

void VornickAttachmentPointSettingsUIController::setDefaultAttachmentPointLocators(
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> locators)
{
    m_defaultLocators = std::move(locators);
}

std::vector<std::shared_ptr<VornickAttachmentPointLocator>>
VornickAttachmentPointSettingsUIController::defaultAttachmentPointLocatorsOfBlog(const VornickBlog& blog)
{
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> locators;
    for (const auto& [identifier, selectors] : blog.attachmentPointSelectorHeuristicsByIdentifier()) {
        for (const auto& selector : selectors)
            locators.push_back(std::make_shared<VornickAttachmentPointLocator>(identifier, selector));
    }
    return locators;
}

std::shared_ptr<VornickAttachmentPointLocator>
VornickAttachmentPointSettingsUIController::attachmentPointLocatorForIdentifier(const std::u16string& identifier) const
{
    const auto& locators = m_locatorSet->locatorsByIdentifier();
    auto found = locators.find(identifier);
    return found == locators.end() ? nullptr : found->second;
}

std::shared_ptr<VornickAttachmentPointLocator>
VornickAttachmentPointSettingsUIController::defaultAttachmentPointLocatorForIdentifier(const std::u16string& identifier) const
{
    for (const auto& locator : m_defaultLocators) {
        if (locator && !compareIgnoringCase(locator->identifier(), identifier))
            return locator;
    }
    return nullptr;
}

const std::shared_ptr<VornickStackView>& VornickAttachmentPointSettingsUIController::stackView()
{
    if (!m_stackView)
        loadSheet();
    return m_stackView;
}

const std::shared_ptr<Window>& VornickAttachmentPointSettingsUIController::sheetWindow()
{
    if (!m_sheetWindow)
        loadSheet();
    return m_sheetWindow;
}

void VornickAttachmentPointSettingsUIController::loadSheet()
{
    double height = buttonBarHeight + 200;
    m_sheetWindow = std::make_shared<Window>(Rect(0, 0, sheetWidth, height), WindowStyle::Titled);
    m_sheetWindow->setTitle(u"Attachment Point Settings");
    auto content = std::make_shared<View>(Rect(0, 0, sheetWidth, height));
    m_sheetWindow->setContentView(content);
    Application::shared().addWindow(m_sheetWindow);

    m_stackView = std::make_shared<VornickStackView>(Rect(0, buttonBarHeight, sheetWidth, height - buttonBarHeight));
    m_stackView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_stackView->setDelegate(this);
    content->addSubview(m_stackView);

    auto addButton = [&](const char16_t* title, Rect frame, const char* action, AutoresizingMask mask) {
        auto button = std::make_shared<Button>(frame, title);
        button->setAction(action);
        button->setTarget(content);
        button->setAutoresizingMask(mask | Autoresizing::MaxYMargin);
        content->addSubview(button);
        return button;
    };
    addButton(u"?", Rect(12, 10, 24, 24), ShowHelpTopicAction, Autoresizing::MaxXMargin);
    addButton(u"Cancel", Rect(sheetWidth - 200, 10, 90, 24), CancelEditsAction, Autoresizing::MinXMargin)->setKeyEquivalent(u"\x1b");
    addButton(u"OK", Rect(sheetWidth - 100, 10, 90, 24), AcceptSettingsAction, Autoresizing::MinXMargin)->setKeyEquivalent(u"\r");
    content->setActionHandler(AcceptSettingsAction, [this](ActionSender*) { acceptSettings(); });
    content->setActionHandler(CancelEditsAction, [this](ActionSender*) { cancelEdits(); });
    content->setActionHandler(ShowHelpTopicAction, [this](ActionSender*) { showHelpTopic(); });
}

std::vector<std::shared_ptr<VornickAttachmentPointSettingsModule>> VornickAttachmentPointSettingsUIController::modules() const
{
    std::vector<std::shared_ptr<VornickAttachmentPointSettingsModule>> result;
    if (!m_stackView)
        return result;
    for (const auto& item : m_stackView->items()) {
        if (auto module = std::dynamic_pointer_cast<VornickAttachmentPointSettingsModule>(item))
            result.push_back(std::move(module));
    }
    return result;
}

void VornickAttachmentPointSettingsUIController::updateStackViewContentsWithFailedAttachmentPoints(const std::vector<std::u16string>& failed,
                                                                                                   const std::vector<std::u16string>& needed)
{
    auto& stack = *stackView();
    for (const auto& module : modules())
        module->setAttachmentPointSettingsUIController(nullptr);
    stack.removeAllItems();
    auto contains = [](const std::vector<std::u16string>& list, const std::u16string& identifier) {
        return std::find(list.begin(), list.end(), identifier) != list.end();
    };
    for (const auto& description : m_descriptions) {
        auto module = std::make_shared<VornickAttachmentPointSettingsModule>();
        module->setAttachmentPointSettingsUIController(this);
        module->setAttachmentFailed(contains(failed, description.identifier));
        module->setAttachmentNeededForCurrentPost(contains(needed, description.identifier));
        module->setAttachmentPointDescription(description);
        module->setDefaultAttachmentPointLocator(defaultAttachmentPointLocatorForIdentifier(description.identifier));
        module->setAttachmentPointLocator(attachmentPointLocatorForIdentifier(description.identifier));
        stack.addItem(module);
    }
}

bool VornickAttachmentPointSettingsUIController::showForWindow(const std::shared_ptr<Window>& parent,
                                                               const std::vector<std::u16string>& identifiersOfFailedAttachmentPoints,
                                                               const std::vector<std::u16string>& identifiersOfNeededAttachmentPoints)
{
    if (!parent || parent->attachedSheet() || isSheetShown())
        return false;
    auto& sheet = sheetWindow();
    updateStackViewContentsWithFailedAttachmentPoints(identifiersOfFailedAttachmentPoints, identifiersOfNeededAttachmentPoints);
    m_edited = false;
    // The rows' heights are known now: the sheet takes its size before it is shown.
    m_stackView->performStackLayout();

    Rect parentFrame = parent->frame();
    Rect frame = sheet->frame();
    sheet->setFrameOrigin(Point { parentFrame.midX() - frame.width() / 2, parentFrame.maxY() - frame.height() });
    m_sheetParent = parent;
    parent->setAttachedSheet(sheet);
    parent->addChildWindow(sheet, WindowOrderingMode::Above);
    sheet->makeKeyWindow();
    return true;
}

void VornickAttachmentPointSettingsUIController::endSheet(ModalResponse)
{
    if (auto parent = m_sheetParent.lock()) {
        if (parent->attachedSheet() == m_sheetWindow)
            parent->setAttachedSheet(nullptr);
        parent->removeChildWindow(m_sheetWindow.get());
    }
    m_sheetParent.reset();
    if (m_sheetWindow)
        m_sheetWindow->orderOut();
    setBlogEditor(nullptr);
    m_edited = false;
}

void VornickAttachmentPointSettingsUIController::acceptSettings()
{
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators;
    for (const auto& module : modules()) {
        const auto& locator = module->attachmentPointLocator();
        // A row is on only while its selector parses; nothing else is kept.
        if (locator && !locator->identifier().empty() && locator->attributeParameters())
            locators[locator->identifier()] = std::make_shared<VornickAttachmentPointLocator>(locator->identifier(), locator->selector());
    }
    VornickBlogPostViewHost* editor = m_blogEditor;
    if (auto blog = editor ? editor->blog() : nullptr) {
        if (locators.empty())
            blog->setPostAttachmentPointData(std::nullopt);
        else {
            m_locatorSet->setLocatorsByIdentifier(std::move(locators));
            blog->setPostAttachmentPointData(m_locatorSet->data());
        }
        blog->setHasEditsNotYetSavedToSourceFile(true);
    }
    if (editor)
        editor->attachmentPostSettingsDidChange();
    endSheet(SheetReturnCode);
}

void VornickAttachmentPointSettingsUIController::cancelEdits()
{
    endSheet(SheetReturnCode);
}

void VornickAttachmentPointSettingsUIController::showHelpTopic()
{
    vornick_openHelpAnchor(VornickHelpAnchor::AttachmentPointSettings);
}

void VornickAttachmentPointSettingsUIController::wantsToResizeToFitContents(VornickStackView& stack, Size size)
{
    double difference = size.height - stack.frame().height();
    if (std::abs(difference) < 1 || !m_sheetWindow)
        return;
    Rect frame = m_sheetWindow->frame();
    frame.size.height += difference;
    m_sheetWindow->setFrame(frame);
}

} // namespace brevanton
