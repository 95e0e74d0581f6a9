#include "publishing/VornickWordPressEmbedBlockInspectorModule.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementEditorUIController.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Sound.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressPostView.h"
#include "ui/VornickFlippedView.h"
#include "ui/VornickHelpLinkTextField.h"
#include "views/VornickHelpAnchors.h"

namespace brevanton {

namespace {

constexpr double moduleWidth = 360;
constexpr double moduleHeight = 116;

constexpr const char* urlChangedAction = "urlChanged:";
constexpr const char* embedAction = "embed:";
constexpr const char* tryAgainAction = "tryAgain:";
constexpr const char* convertToLinkAction = "convertToLink:";

bool handlingReturnKeyDown()
{
    auto* event = currentApplicationEvent();
    if (!event || event->type() != EventType::KeyDown)
        return false;
    const auto& characters = event->charactersIgnoringModifiers();
    return characters == u"\r" || characters == u"\x03";
}

std::shared_ptr<DOMElement> embedWrapperOf(const std::shared_ptr<DOMElement>& figure)
{
    std::shared_ptr<DOMElement> wrapper;
    vornick_enumerateElementTreeWithOptions(figure, 0, [&wrapper](const std::shared_ptr<DOMElement>& candidate, bool& stop) {
        if (candidate->hasTagName(u"div") && vornick_hasClass(*candidate, u"wp-block-embed__wrapper")) {
            wrapper = candidate;
            stop = true;
        }
    });
    return wrapper;
}

std::shared_ptr<DOMElement> firstFigureOf(DOMDocumentFragment& fragment)
{
    std::shared_ptr<DOMElement> figure;
    vornick_enumerateElementTreeWithOptions(fragment.shared_from_this(), 0,
                                            [&figure](const std::shared_ptr<DOMElement>& candidate, bool& stop) {
                                                if (candidate->hasTagName(u"figure")) {
                                                    figure = candidate;
                                                    stop = true;
                                                }
                                            });
    return figure;
}

uint64_t maximumDimension(double length)
{
    return length > 100 ? static_cast<uint64_t>(length) : 0;
}

} // namespace

bool VornickWordPressEmbedBlockInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    auto metadata = blockMetadataOfTargetOf(editor);
    return metadata && equalsIgnoringASCIICase(metadata->typeName(), u"wp:embed");
}

void VornickWordPressEmbedBlockInspectorModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, moduleWidth, moduleHeight));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    auto target = std::static_pointer_cast<Responder>(view);

    m_titleTextField = TextField::labelWithString(u"Embed URL");
    m_titleTextField->setFrame(Rect(4, 4, moduleWidth - 8, 18));
    view->addSubview(m_titleTextField);
    m_urlTextField = std::make_shared<TextField>(Rect(4, 26, moduleWidth - 88, 22));
    m_urlTextField->setEditable(true);
    m_urlTextField->setBezeled(true);
    m_urlTextField->setDrawsBackground(true);
    m_urlTextField->setPlaceholderString(u"Enter URL to embed here…");
    m_urlTextField->setAction(urlChangedAction);
    m_urlTextField->setTarget(target);
    view->addSubview(m_urlTextField);
    m_embedButton = std::make_shared<Button>(Rect(moduleWidth - 80, 25, 76, 24), u"Embed");
    m_embedButton->setAction(embedAction);
    m_embedButton->setTarget(target);
    view->addSubview(m_embedButton);
    m_errorTextField = TextField::labelWithString(u"Sorry, this content could not be embedded.");
    m_errorTextField->setFrame(Rect(4, 56, moduleWidth - 8, 18));
    view->addSubview(m_errorTextField);
    m_helpLinkTextField = std::make_shared<VornickHelpLinkTextField>(Rect(4, 78, moduleWidth - 176, 18), u"Learn more about embeds",
                                                                     VornickHelpAnchor::EmbedBlocks);
    view->addSubview(m_helpLinkTextField);
    m_tryAgainButton = std::make_shared<Button>(Rect(moduleWidth - 168, 84, 80, 24), u"Try Again");
    m_tryAgainButton->setAction(tryAgainAction);
    m_tryAgainButton->setTarget(target);
    view->addSubview(m_tryAgainButton);
    m_convertToLinkButton = std::make_shared<Button>(Rect(moduleWidth - 84, 84, 80, 24), u"Convert to Link");
    m_convertToLinkButton->setAction(convertToLinkAction);
    m_convertToLinkButton->setTarget(target);
    view->addSubview(m_convertToLinkButton);

    std::weak_ptr<VornickWordPressEmbedBlockInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressEmbedBlockInspectorModule>(shared_from_this());
    auto handle = [&view, weakModule](const char* action, void (VornickWordPressEmbedBlockInspectorModule::*method)(ActionSender*)) {
        view->setActionHandler(action, [weakModule, method](ActionSender* sender) {
            if (auto module = weakModule.lock())
                ((*module).*method)(sender);
        });
    };
    handle(urlChangedAction, &VornickWordPressEmbedBlockInspectorModule::urlChanged);
    handle(embedAction, &VornickWordPressEmbedBlockInspectorModule::embed);
    handle(tryAgainAction, &VornickWordPressEmbedBlockInspectorModule::tryAgain);
    handle(convertToLinkAction, &VornickWordPressEmbedBlockInspectorModule::convertToLink);
    setView(view);
    updateUI();
}

void VornickWordPressEmbedBlockInspectorModule::updateUI()
{
    view();
    m_errorTextField->setHidden(!m_embedFailed);
    m_helpLinkTextField->setHidden(!m_embedFailed);
    m_tryAgainButton->setHidden(!m_embedFailed);
    m_convertToLinkButton->setHidden(true);
}

void VornickWordPressEmbedBlockInspectorModule::updateControlsFromElement()
{
    view();
    auto metadata = wordPressBlockMetadata();
    if (!metadata || !metadata->properties())
        return;
    std::u16string url;
    if (equalsIgnoringASCIICase(metadata->typeName(), u"wp:embed"))
        url = metadata->stringForProperty(u"url").value_or(u"");
    m_urlTextField->setStringValue(url);
    m_embedFailed = false;
    updateUI();
}

void VornickWordPressEmbedBlockInspectorModule::urlChanged(ActionSender*)
{
    undoableSetURLString(urlTextField()->stringValue());
}

void VornickWordPressEmbedBlockInspectorModule::embed(ActionSender*)
{
    undoableSetURLString(urlTextField()->stringValue());
}

void VornickWordPressEmbedBlockInspectorModule::tryAgain(ActionSender*)
{
    undoableSetURLString(urlTextField()->stringValue());
}

void VornickWordPressEmbedBlockInspectorModule::undoableSetURLString(const std::u16string& string)
{
    auto url = URL::create(string);
    if (!url || url->scheme().empty())
        return;
    auto* editor = elementEditor();
    auto* view = editor ? editor->contentEditingView() : nullptr;
    if (!editor || !view || !editor->targetObject() || !editor->targetObject()->element())
        return;
    auto target = *editor->targetObject();
    auto element = target.element();
    auto document = element->ownerDocument();
    auto outerRange = target.outerRange();
    auto helper = view->blockModeHelper();
    if (!document || !outerRange || !helper)
        return;

    if (!m_embedFailed) {
        auto metadata = wordPressBlockMetadata();
        auto current = metadata ? metadata->stringForProperty(u"url") : std::nullopt;
        if (current && *current == string) {
            if (handlingReturnKeyDown())
                editor->closePopover();
            return;
        }
    }

    auto fragment = helper->createFragmentForEmbedWithURLString(string, *document);
    auto figure = fragment ? firstFigureOf(*fragment) : nullptr;
    if (!fragment || !figure) {
        m_embedFailed = true;
        Sound::beep();
        updateUI();
        return;
    }
    auto bounds = [&] {
        auto range = document->createRange();
        (void)range->selectNode(*element);
        return view->vornick_bestGuessBoundsOfRange(*range);
    }();

    std::shared_ptr<DOMRange> resultRange;
    if (!replaceBlockReopeningEditingOnUndo(*view, outerRange, fragment, editEmbedURLActionName, &resultRange)) {
        Sound::beep();
        updateUI();
        return;
    }
    if (resultRange)
        view->setTargetRange(resultRange);
    // The editor keeps showing this module, on the new block.
    auto newBlock = helper->blockOrElement(figure);
    if (newBlock.element() && elementEditor() == editor)
        editor->replaceTargetObjectKeepingModules(newBlock);
    m_embedFailed = false;
    updateUI();

    auto* postView = dynamic_cast<VornickWordPressPostView*>(view);
    if (!postView)
        return;
    std::weak_ptr<VornickWordPressEmbedBlockInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressEmbedBlockInspectorModule>(shared_from_this());
    std::weak_ptr<VornickContentEditingView> weakView = view->sharedAs<VornickContentEditingView>();
    std::weak_ptr<DOMElement> weakFigure = figure;
    postView->requestOEmbedInstructions(
        *url, maximumDimension(bounds.width()), maximumDimension(bounds.height()),
        [weakModule, weakView, weakFigure](std::optional<Dictionary> instructions) {
            auto figure = weakFigure.lock();
            auto postView = std::dynamic_pointer_cast<VornickWordPressPostView>(weakView.lock());
            bool success = false;
            if (instructions && figure && postView) {
                auto html = instructions->find(u"html");
                auto wrapper = embedWrapperOf(figure);
                if (html != instructions->end() && html->second.isString() && wrapper)
                    success = postView->showOEmbedHTMLInWrapper(wrapper, html->second.stringValue());
            }
            RunLoop::main().perform([weakModule, weakFigure, success] {
                if (auto module = weakModule.lock())
                    module->oEmbedAnswered(weakFigure.lock(), success);
            });
        });
}

void VornickWordPressEmbedBlockInspectorModule::oEmbedAnswered(const std::shared_ptr<DOMElement>& figure, bool success)
{
    // An answer for a block that is gone (undone meanwhile) changes nothing.
    auto* editor = elementEditor();
    if (!editor || !figure || !figure->isConnected())
        return;
    if (success) {
        m_embedFailed = false;
        editor->closePopover();
        editor->setTargetObject(std::nullopt);
        return;
    }
    auto* view = editor->contentEditingView();
    auto helper = view ? view->blockModeHelper() : nullptr;
    if (helper) {
        auto block = helper->blockOrElement(figure);
        if (block.element())
            editor->replaceTargetObjectKeepingModules(block);
    }
    // After showing the block, which clears the error.
    m_embedFailed = true;
    updateUI();
}

} // namespace brevanton
