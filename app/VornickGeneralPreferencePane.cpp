#include "app/VornickGeneralPreferencePane.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickUserStyleSheet.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

namespace brevanton {

namespace {

constexpr const char16_t* iconName = u"NSPreferencesGeneral";
constexpr const char* styleSheetAction = "styleSheetChosen:";
constexpr const char* documentTypeAction = "defaultHTMLDocumentTypeChanged:";
constexpr const char* sourceLoupeAction = "embedSourceLoupeChanged:";
constexpr const char* emphasisAction = "emphasisChanged:";
constexpr const char* userDefinedAttributesAction = "allowUserDefinedAttributesChanged:";
constexpr const char* javaScriptAction = "allowJavaScriptExecutionChanged:";
constexpr const char* helpAction = "showHelpTopic:";
constexpr const char* everyAction[] = { styleSheetAction, documentTypeAction, sourceLoupeAction, emphasisAction,
                                        userDefinedAttributesAction, javaScriptAction, helpAction };

// A grey switch wheel: a toothed ring round a hole.
void registerIcon()
{
    VornickPreferencePane::registerPaneIcon(iconName, [](GraphicsContext& context) {
        Color grey = Color::sRGB255(110, 110, 118);
        for (int tooth = 0; tooth < 8; ++tooth) {
            BezierPath ray;
            ray.setLineWidth(5);
            ray.moveToPoint({ 16, 16 });
            ray.appendBezierPathWithArcWithCenter({ 16, 16 }, 14, tooth * 45.0 - 8, tooth * 45.0 + 8);
            ray.closePath();
            context.fillPath(ray, grey);
        }
        BezierPath ring;
        ring.appendBezierPathWithOvalInRect(Rect(5, 5, 22, 22));
        context.fillPath(ring, grey);
        BezierPath hole;
        hole.appendBezierPathWithOvalInRect(Rect(11, 11, 10, 10));
        context.fillPath(hole, Color::white());
    });
}

std::shared_ptr<TextField> label(View& view, std::u16string text, double y)
{
    auto field = TextField::labelWithString(std::move(text));
    field->setFrame(Rect(20, y + 4, 196, 20));
    view.addSubview(field);
    return field;
}

std::shared_ptr<PopUpButton> popUp(View& view, double y, const char* action)
{
    auto button = std::make_shared<PopUpButton>(Rect(220, y, 300, 26));
    button->setAction(action);
    view.addSubview(button);
    return button;
}

std::shared_ptr<Button> checkBox(View& view, std::u16string title, double y, const char* action)
{
    auto button = std::make_shared<Button>(Rect(218, y, 290, 22), std::move(title));
    button->setButtonType(ButtonType::Switch);
    button->setAction(action);
    view.addSubview(button);
    return button;
}

void selectItemWithTag(PopUpButton& button, long tag)
{
    auto& menu = button.menu();
    button.selectItemAtIndex(menu->indexOfItem(menu->itemWithTag(tag).get()));
}

} // namespace

VornickGeneralPreferencePane::~VornickGeneralPreferencePane()
{
    if (m_view) {
        for (const char* action : everyAction)
            m_view->removeActionHandler(action);
    }
}

std::shared_ptr<Image> VornickGeneralPreferencePane::paneIcon() const
{
    registerIcon();
    return Image::imageNamed(iconName);
}

UserDefaults& VornickGeneralPreferencePane::defaults()
{
    auto delegate = VornickApplicationDelegate::shared();
    return delegate ? delegate->userDefaults() : UserDefaults::standard();
}

std::shared_ptr<View> VornickGeneralPreferencePane::makePaneView()
{
    m_view = std::make_shared<View>(Rect(0, 0, 540, 290));
    View& view = *m_view;
    label(view, u"Default style sheet:", 246);
    m_styleSheetPopUpButton = popUp(view, 246, styleSheetAction);
    label(view, u"Default document type:", 212);
    m_defaultHTMLDocumentTypePopUpButton = popUp(view, 212, documentTypeAction);
    for (long type = 1; type <= 8; ++type)
        m_defaultHTMLDocumentTypePopUpButton->addItemWithTitle(VornickHTMLDocumentTypeToPersistableString(static_cast<VornickHTMLDocumentType>(type)))->setTag(type);
    label(view, u"Show the source:", 178);
    m_embedSourceLoupePopUpButton = popUp(view, 178, sourceLoupeAction);
    m_embedSourceLoupePopUpButton->addItemWithTitle(u"Beside the Page")->setTag(1);
    m_embedSourceLoupePopUpButton->addItemWithTitle(u"In a Window of Its Own")->setTag(0);
    label(view, u"Emphasis and strong text:", 144);
    m_emphasisPopUpButton = popUp(view, 144, emphasisAction);
    // Tagged with the stored value: explicit emphasis is italic and bold.
    m_emphasisPopUpButton->addItemWithTitle(u"Italic and Bold (<i>, <b>)")->setTag(1);
    m_emphasisPopUpButton->addItemWithTitle(u"Emphasis and Strong (<em>, <strong>)")->setTag(0);
    label(view, u"Validation:", 100);
    m_allowUserDefinedAttributesCheckBox = checkBox(view, u"Allow user-defined attributes", 102, userDefinedAttributesAction);
    label(view, u"Pages:", 70);
    m_allowJavaScriptExecutionCheckBox = checkBox(view, u"Allow JavaScript", 72, javaScriptAction);
    auto help = std::make_shared<Button>(Rect(476, 12, 28, 24), u"?");
    help->setAction(helpAction);
    view.addSubview(help);

    for (auto* control : std::initializer_list<Control*> { m_styleSheetPopUpButton.get(), m_defaultHTMLDocumentTypePopUpButton.get(),
                                                           m_embedSourceLoupePopUpButton.get(), m_emphasisPopUpButton.get(),
                                                           m_allowUserDefinedAttributesCheckBox.get(),
                                                           m_allowJavaScriptExecutionCheckBox.get(), help.get() })
        control->setTarget(m_view);
    m_view->setActionHandler(styleSheetAction, [this](ActionSender*) { styleSheetChosen(); });
    m_view->setActionHandler(documentTypeAction, [this](ActionSender*) { defaultHTMLDocumentTypeChanged(); });
    m_view->setActionHandler(sourceLoupeAction, [this](ActionSender*) { embedSourceLoupeChanged(); });
    m_view->setActionHandler(emphasisAction, [this](ActionSender*) { emphasisChanged(); });
    m_view->setActionHandler(userDefinedAttributesAction, [this](ActionSender*) { allowUserDefinedAttributesChanged(); });
    m_view->setActionHandler(javaScriptAction, [this](ActionSender*) { allowJavaScriptExecutionChanged(); });
    m_view->setActionHandler(helpAction, [this](ActionSender*) { showHelpTopic(); });
    selectStoredValues();
    std::weak_ptr<View> weakView = m_view;
    m_settingsObservation = NotificationCenter::defaultCenter().addObserver(
        UserDefaults::DidChangeNotification, &defaults(), nullptr, [this, weakView](const Notification& notification) {
            auto elsewhere = notification.userInfo.find(UserDefaults::ChangedElsewhereKey);
            if (weakView.lock() && elsewhere != notification.userInfo.end() && elsewhere->second.boolValue())
                selectStoredValues();
        });
    return m_view;
}

void VornickGeneralPreferencePane::selectStoredValues()
{
    auto& userDefaults = defaults();
    populateStyleSheetPopUpButton();
    auto delegate = VornickApplicationDelegate::shared();
    auto type = delegate ? delegate->defaultHTMLDocumentType() : VornickDefaultHTMLDocumentType(userDefaults);
    selectItemWithTag(*m_defaultHTMLDocumentTypePopUpButton, static_cast<long>(type));
    selectItemWithTag(*m_embedSourceLoupePopUpButton, userDefaults.integerForKey(VornickEmbedSourceLoupeDefaultsKey) != 0 ? 1 : 0);
    selectItemWithTag(*m_emphasisPopUpButton, userDefaults.boolForKey(VornickUseExplicitEmphasisDefaultsKey) ? 1 : 0);
    m_allowUserDefinedAttributesCheckBox->setState(userDefaults.boolForKey(VornickAllowUserDefinedAttributesDefaultsKey) ? OnState : OffState);
    m_allowJavaScriptExecutionCheckBox->setState(userDefaults.boolForKey(VornickAllowJavaScriptExecutionDefaultsKey) ? OnState : OffState);
}

void VornickGeneralPreferencePane::populateStyleSheetPopUpButton()
{
    auto delegate = VornickApplicationDelegate::shared();
    m_listedStyleSheets.clear();
    m_styleSheetPopUpButton->removeAllItems();
    auto chosen = delegate ? delegate->defaultStyleSheet() : nullptr;
    if (delegate) {
        for (const auto& sheet : delegate->bundledStyleSheets())
            m_listedStyleSheets.push_back(sheet);
    }
    bool listed = false;
    for (const auto& sheet : m_listedStyleSheets)
        listed = listed || (chosen && *sheet == *chosen);
    if (chosen && !listed)
        m_listedStyleSheets.insert(m_listedStyleSheets.begin(), chosen);
    long selected = -1;
    for (const auto& sheet : m_listedStyleSheets) {
        if (chosen && *sheet == *chosen)
            selected = m_styleSheetPopUpButton->numberOfItems();
        m_styleSheetPopUpButton->addItemWithTitle(sheet->title());
    }
    m_styleSheetPopUpButton->menu()->addItem(MenuItem::separatorItem());
    m_styleSheetPopUpButton->addItemWithTitle(chooseOtherStyleSheetTitle);
    m_styleSheetPopUpButton->selectItemAtIndex(selected);
}

void VornickGeneralPreferencePane::styleSheetChosen()
{
    long index = m_styleSheetPopUpButton->indexOfSelectedItem();
    if (index >= 0 && static_cast<size_t>(index) < m_listedStyleSheets.size()) {
        if (auto delegate = VornickApplicationDelegate::shared())
            delegate->setDefaultStyleSheet(m_listedStyleSheets[static_cast<size_t>(index)]);
        return;
    }
    if (m_styleSheetPopUpButton->titleOfSelectedItem() == chooseOtherStyleSheetTitle)
        chooseOtherStyleSheet();
}

void VornickGeneralPreferencePane::chooseOtherStyleSheet()
{
    auto delegate = VornickApplicationDelegate::shared();
    // The choice shows the sheet chosen so far until a file is chosen.
    populateStyleSheetPopUpButton();
    if (!delegate)
        return;
    std::weak_ptr<View> weakView = m_view;
    delegate->chooseFileOfAllowedTypes({ u"css" }, std::nullopt, m_view->window(), u"Choose the style sheet new documents use.",
                                       [this, weakView](std::shared_ptr<VornickEnduringFileReference> reference) {
                                           // The pane lives as long as its view.
                                           if (!weakView.lock() || !reference)
                                               return;
                                           URL url = URL::fileURLWithPath(std::string_view("/"));
                                           auto delegate = VornickApplicationDelegate::shared();
                                           if (!delegate || !reference->getFileURL(&url))
                                               return;
                                           delegate->setDefaultStyleSheet(VornickUserStyleSheet::create(url));
                                           populateStyleSheetPopUpButton();
                                       });
}

void VornickGeneralPreferencePane::defaultHTMLDocumentTypeChanged()
{
    auto item = m_defaultHTMLDocumentTypePopUpButton->selectedItem();
    if (!item || item->tag() < 1 || item->tag() > 8)
        return;
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->setDefaultHTMLDocumentType(item->tag());
}

void VornickGeneralPreferencePane::embedSourceLoupeChanged()
{
    auto item = m_embedSourceLoupePopUpButton->selectedItem();
    if (!item)
        return;
    defaults().setInteger(item->tag(), VornickEmbedSourceLoupeDefaultsKey);
    NotificationCenter::defaultCenter().post(VornickSourceLoupeEmbeddingPreferenceDidChangeNotification, nullptr);
}

void VornickGeneralPreferencePane::emphasisChanged()
{
    if (auto item = m_emphasisPopUpButton->selectedItem())
        defaults().setBool(item->tag() != 0, VornickUseExplicitEmphasisDefaultsKey);
}

void VornickGeneralPreferencePane::allowUserDefinedAttributesChanged()
{
    defaults().setBool(m_allowUserDefinedAttributesCheckBox->state() == OnState, VornickAllowUserDefinedAttributesDefaultsKey);
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->tickleValidationInAllDocumentWindows();
}

void VornickGeneralPreferencePane::allowJavaScriptExecutionChanged()
{
    defaults().setBool(m_allowJavaScriptExecutionCheckBox->state() == OnState, VornickAllowJavaScriptExecutionDefaultsKey);
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->updateJavaScriptExecutionAllowanceInAllDocumentWindows();
}

void VornickGeneralPreferencePane::showHelpTopic()
{
    vornick_openHelpAnchor(VornickHelpAnchor::GeneralPreferences);
}

void VornickGeneralPreferencePane::focusEmphasisPreferenceUI()
{
    if (auto window = m_emphasisPopUpButton ? m_emphasisPopUpButton->window() : nullptr)
        window->makeFirstResponder(m_emphasisPopUpButton);
}

} // namespace brevanton
