#include "app/VornickPasteboardInspector.h"

#include "app/VornickHTMLTree.h"
#include "app/VornickPasteboardMonitor.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickWebArchiveExtensions.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Color.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TabView.h"
#include "platform/views/TextField.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "platform/web/WebArchive.h"

#include <algorithm>
#include <string>

namespace brevanton {

namespace {

constexpr const char16_t* webArchiveTab = u"webarchive";
constexpr const char16_t* textTab = u"text";
constexpr const char16_t* unknownTab = u"unknown";

// The types a paste reads.
const std::vector<std::u16string>& relevantTypes()
{
    static const std::vector<std::u16string> types { WebArchivePboardType, PasteboardTypeString, PasteboardTypeURLName,
                                                     PasteboardTypeURL };
    return types;
}

bool isTextType(std::u16string_view type)
{
    return type == PasteboardTypeString || type == PasteboardTypeURLName || type == PasteboardTypeURL;
}

std::u16string decimal(size_t number)
{
    auto digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::shared_ptr<Window> VornickPasteboardInspector::makeWindow()
{
    auto window = Window::create(Rect(0, 0, 480, 520));
    window->center();
    window->setTitle(u"Pasteboard");
    auto content = std::make_shared<View>(Rect(0, 0, 480, 520));
    m_itemCountTextField = TextField::labelWithString({});
    m_itemCountTextField->setFrame(Rect(12, 12, 220, 20));
    m_itemsPopUpButton = std::make_shared<PopUpButton>(Rect(12, 40, 140, 24));
    m_typesPopUpButton = std::make_shared<PopUpButton>(Rect(160, 40, 308, 24));
    m_tabView = std::make_shared<TabView>(Rect(12, 72, 456, 436));

    auto webArchivePane = std::make_shared<View>();
    m_tidyErrorMessageTextField = TextField::labelWithString({});
    m_tidyErrorMessageTextField->setFrame(Rect(0, 0, 456, 20));
    m_htmlTextView = std::make_shared<TextView>(Rect(0, 24, 456, 412));
    m_htmlTextView->setEditable(false);
    webArchivePane->addSubview(m_tidyErrorMessageTextField);
    webArchivePane->addSubview(m_htmlTextView);

    auto textPane = std::make_shared<View>();
    m_urlTextField = std::make_shared<TextField>(Rect(0, 0, 456, 20));
    m_titleTextField = std::make_shared<TextField>(Rect(0, 24, 456, 20));
    m_plainTextView = std::make_shared<TextView>(Rect(0, 48, 456, 388));
    m_plainTextView->setEditable(false);
    textPane->addSubview(m_urlTextField);
    textPane->addSubview(m_titleTextField);
    textPane->addSubview(m_plainTextView);

    m_tabView->addTabViewItem(webArchiveTab, webArchivePane);
    m_tabView->addTabViewItem(textTab, textPane);
    m_tabView->addTabViewItem(unknownTab, std::make_shared<View>());

    for (const auto& view : std::vector<std::shared_ptr<View>> { m_itemCountTextField, m_itemsPopUpButton, m_typesPopUpButton, m_tabView })
        content->addSubview(view);
    window->setContentView(content);
    return window;
}

void VornickPasteboardInspector::windowDidLoad()
{
    if (!m_pasteboardObserver.isActive()) {
        m_pasteboardObserver = NotificationCenter::defaultCenter().addObserver(
            VornickPasteboardContentsDidChangeNotification, nullptr, nullptr, [this](const Notification&) { pasteboardContentsDidChange(); });
        auto self = std::static_pointer_cast<VornickPasteboardInspector>(shared_from_this());
        setActionHandler("selectedItemChanged:", [this](ActionSender*) { selectedItemChanged(); });
        setActionHandler("selectedTypeChanged:", [this](ActionSender*) { selectedTypeChanged(); });
        m_itemsPopUpButton->setTarget(self);
        m_itemsPopUpButton->setAction("selectedItemChanged:");
        m_typesPopUpButton->setTarget(self);
        m_typesPopUpButton->setAction("selectedTypeChanged:");
    }
    reloadItemsList();
    reloadTypesList();
}

void VornickPasteboardInspector::pasteboardContentsDidChange()
{
    reloadItemsList();
    reloadTypesList();
}

void VornickPasteboardInspector::selectedItemChanged()
{
    showContentForSelectedItemAndType();
}

void VornickPasteboardInspector::selectedTypeChanged()
{
    showContentForSelectedItemAndType();
}

void VornickPasteboardInspector::setShowsOnlyRelevantTypes(bool shows)
{
    if (shows == m_showsOnlyRelevantTypes)
        return;
    m_showsOnlyRelevantTypes = shows;
    reloadTypesList();
}

void VornickPasteboardInspector::setTidyHTML(bool tidy)
{
    if (tidy == m_tidyHTML)
        return;
    m_tidyHTML = tidy;
    showContentForSelectedItemAndType();
}

void VornickPasteboardInspector::setCleanHTML(bool clean)
{
    if (clean == m_cleanHTML)
        return;
    m_cleanHTML = clean;
    showContentForSelectedItemAndType();
}

void VornickPasteboardInspector::reloadItemsList()
{
    size_t count = Pasteboard::generalPasteboard()->pasteboardItems().size();
    m_itemCountTextField->setTextString(decimal(count) + u" items on pasteboard");
    long listed = std::min(static_cast<long>(count), maximumNumberOfListedItems);
    if (m_itemsPopUpButton->numberOfItems() == listed)
        return;
    m_itemsPopUpButton->removeAllItems();
    for (long index = 0; index < listed; ++index)
        m_itemsPopUpButton->addItemWithTitle(u"Item " + decimal(static_cast<size_t>(index)))->setTag(index);
}

void VornickPasteboardInspector::reloadTypesList()
{
    auto types = Pasteboard::generalPasteboard()->types();
    if (m_showsOnlyRelevantTypes) {
        std::erase_if(types, [](const std::u16string& type) {
            const auto& relevant = relevantTypes();
            return std::find(relevant.begin(), relevant.end(), type) == relevant.end();
        });
    }
    setTypes(std::move(types));
}

void VornickPasteboardInspector::setTypes(std::vector<std::u16string> types)
{
    m_types = std::move(types);
    m_typesPopUpButton->removeAllItems();
    for (const auto& type : m_types)
        m_typesPopUpButton->addItemWithTitle(type);
    selectDefaultType();
}

void VornickPasteboardInspector::selectDefaultType()
{
    for (const char16_t* preferred : { PasteboardTypeURL, WebArchivePboardType, PasteboardTypeString }) {
        if (std::find(m_types.begin(), m_types.end(), preferred) != m_types.end()) {
            m_typesPopUpButton->selectItemWithTitle(preferred);
            showContentForSelectedItemAndType();
            return;
        }
    }
    m_typesPopUpButton->selectItemAtIndex(m_types.empty() ? -1 : 0);
    showContentForSelectedItemAndType();
}

void VornickPasteboardInspector::showContentForSelectedItemAndType()
{
    const auto& items = Pasteboard::generalPasteboard()->pasteboardItems();
    auto selectedItem = m_itemsPopUpButton->selectedItem();
    long tag = selectedItem ? selectedItem->tag() : -1;
    const PasteboardItem* item = tag >= 0 && static_cast<size_t>(tag) < items.size() ? &items[static_cast<size_t>(tag)] : nullptr;
    std::u16string type = m_typesPopUpButton->titleOfSelectedItem();
    auto data = item && !type.empty() ? item->dataForType(type) : std::nullopt;
    if (!data) {
        m_tabView->selectTabViewItemWithIdentifier(unknownTab);
        return;
    }
    if (type == WebArchivePboardType) {
        m_tabView->selectTabViewItemWithIdentifier(webArchiveTab);
        std::u16string tidyMessage;
        auto html = htmlOfWebArchive(*data, tidyMessage);
        m_tidyErrorMessageTextField->setTextString(tidyMessage);
        showText(*m_htmlTextView, std::move(html));
        return;
    }
    if (isTextType(type)) {
        m_tabView->selectTabViewItemWithIdentifier(textTab);
        showText(*m_plainTextView, item->stringForType(type).value_or(std::u16string()));
        return;
    }
    m_tabView->selectTabViewItemWithIdentifier(unknownTab);
}

std::u16string VornickPasteboardInspector::htmlOfWebArchive(const std::vector<uint8_t>& data, std::u16string& tidyMessage)
{
    std::u16string html;
    if (auto archive = WebArchive::create(data); archive && archive->mainResource() && vornick_isHTML(*archive->mainResource()))
        html = vornick_stringValue(*archive->mainResource()).value_or(std::u16string());
    tidyMessage.clear();
    if (m_tidyHTML) {
        if (auto tidied = VornickTidyFilter::tidyHTMLString(html, false, nullptr, nullptr); tidied && !tidied->empty())
            html = std::move(*tidied);
        else
            tidyMessage = u"Errors occurred. Skipping tidy.";
    }
    if (m_cleanHTML) {
        m_htmlTree = VornickHTMLTree::createWithHTMLString(html, std::nullopt, nullptr);
        if (auto body = m_htmlTree ? m_htmlTree->bodyElement() : nullptr) {
            vornick_cleanUpFragment(body);
            std::shared_ptr<const VornickHTMLFormattingPreferences> preferences
                = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
            if (!preferences)
                preferences = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
            auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(*preferences, 0, VornickNewlineConvention::LF);
            html = writer->htmlStringFromChildrenOfNode(*body);
        }
    }
    return html;
}

void VornickPasteboardInspector::showText(TextView& textView, std::u16string text)
{
    auto attributes = std::make_shared<TextAttributeDictionary>();
    (*attributes)[FontAttributeName] = VornickDefaultSourceFont();
    (*attributes)[ForegroundColorAttributeName] = Color::sRGB(0.3, 0.3, 0.3, 1.0);
    textView.beginEditing();
    auto& storage = textView.mutableTextStorage();
    storage.replaceCharacters(0, storage.length(), text);
    storage.setAttributes(attributes, 0, storage.length());
    textView.endEditing();
}

} // namespace brevanton
