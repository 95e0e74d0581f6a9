#include "editing/VornickStyleSheetPicker.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickDocumentStyleSheets.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickStyleSheetReference.h"
#include "app/VornickUserStyleSheet.h"
#include "documents/VornickKnownFileSet.h"
#include "platform/foundation/Text.h"
#include "platform/views/PopUpButton.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <algorithm>

namespace brevanton {

namespace {
constexpr const char16_t* embedItemTitle = u"\u21B3 Embed Copy in Document";
constexpr const char16_t* exportItemTitle = u"\u21B3 Export Copy...";
} // namespace

std::shared_ptr<VornickStyleSheetPicker> VornickStyleSheetPicker::create()
{
    return std::make_shared<VornickStyleSheetPicker>();
}

VornickStyleSheetPicker::VornickStyleSheetPicker()
{
    setActionHandler("embedCopyOfSelectedStyleSheet:", [this](ActionSender* sender) { embedCopyOfSelectedStyleSheet(sender); });
    setActionHandler("exportCopyOfSelectedStyleSheet:", [this](ActionSender* sender) { exportCopyOfSelectedStyleSheet(sender); });
}

void VornickStyleSheetPicker::rebuildPickerMenu(Menu& menu)
{
    menu.removeAllItems();
    addItemForRepresentedObject({}, u"None (Browser Default Styles)", menu);

    auto delegate = this->delegate();
    VornickPickerObject selected = delegate ? delegate->selectedObjectForPicker(*this) : VornickPickerObject();
    auto selectedSheet = selected.styleSheet();
    auto document = focusedDocument();
    auto isSelected = [&](const VornickStyleSheet& sheet) { return selectedSheet && selectedSheet->isEqual(sheet); };

    auto application = VornickApplicationDelegate::shared();
    if (application && !application->bundledStyleSheets().empty()) {
        menu.addItem(MenuItem::separatorItem());
        for (const auto& sheet : application->bundledStyleSheets()) {
            addItemForRepresentedObject(std::shared_ptr<VornickStyleSheet>(sheet), sheet->title(), menu);
            if (document && isSelected(*sheet)) {
                addItemWithAction("embedCopyOfSelectedStyleSheet:", embedItemTitle, menu);
                addItemWithAction("exportCopyOfSelectedStyleSheet:", exportItemTitle, menu);
            }
        }
    }

    std::vector<std::shared_ptr<VornickStyleSheet>> sheetsInDocument;
    if (document) {
        bool startedGroup = false;
        for (const auto& reference : vornick_styleSheetReferences(*document)) {
            auto sheet = VornickStyleSheet::styleSheetForStyleSheetReference(*reference, *document);
            if (!sheet)
                continue;
            sheetsInDocument.push_back(sheet);
            auto kind = reference->kind();
            // A built-in sheet is listed already, unless the document embeds a copy of it.
            if (std::dynamic_pointer_cast<VornickBundledStyleSheet>(sheet) && kind != VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy)
                continue;
            if (!startedGroup) {
                menu.addItem(MenuItem::separatorItem());
                startedGroup = true;
            }
            std::u16string title;
            switch (kind) {
            case VornickStyleSheetReferenceKind::LinkElement:
                title = reference->relativeURLString();
                break;
            case VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy:
                title = reference->name() + u" (Embedded Copy)";
                break;
            case VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy:
                title = reference->relativeURLString() + u" (Embedded Copy)";
                break;
            default:
                title = u"?";
                break;
            }
            addItemForRepresentedObject(sheet, std::move(title), menu);
            if (isSelected(*sheet)) {
                bool embedded = kind == VornickStyleSheetReferenceKind::EmbeddedBundledStyleSheetCopy
                    || kind == VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy;
                if (embedded)
                    addItemWithAction("exportCopyOfSelectedStyleSheet:", exportItemTitle, menu);
                else
                    addItemWithAction("embedCopyOfSelectedStyleSheet:", embedItemTitle, menu);
            }
        }
    }

    menu.addItem(MenuItem::separatorItem());
    if (application) {
        for (const auto& reference : vornick_knownStyleSheetFiles(application)->fileReferences()) {
            URL url = URL::fileURLWithPath(std::string_view("/"));
            if (!reference->getFileURL(&url))
                continue;
            std::shared_ptr<VornickStyleSheet> sheet = VornickUserStyleSheet::create(url);
            bool used = std::any_of(sheetsInDocument.begin(), sheetsInDocument.end(), [&](const auto& inDocument) { return inDocument->isEqual(*sheet); });
            if (used)
                continue;
            std::u16string title = url.isFileURL() ? url.path() : url.absoluteString();
            addItemForRepresentedObject(sheet, std::move(title), menu);
        }
    }
    addItemWithAction("pickOtherObjectNotInMenu:", u"Choose Other Style Sheet...", menu);
}

void VornickStyleSheetPicker::pickOtherObjectNotInMenu(ActionSender*)
{
    chooseOtherFile({ u"css" }, u"Please choose a .css style sheet file.", vornick_knownStyleSheetFiles,
                    [](const std::shared_ptr<VornickEnduringFileReference>&, const URL& url) {
        return VornickPickerObject(std::shared_ptr<VornickStyleSheet>(VornickUserStyleSheet::create(url)));
    });
}

void VornickStyleSheetPicker::embedCopyOfSelectedStyleSheet(ActionSender* sender)
{
    if (auto delegate = this->delegate())
        delegate->embedCopyOfSelectedStyleSheet(sender);
    if (popUpButton())
        populatePopUpButton();
}

void VornickStyleSheetPicker::exportCopyOfSelectedStyleSheet(ActionSender* sender)
{
    if (auto delegate = this->delegate())
        delegate->exportCopyOfSelectedStyleSheet(sender);
    if (popUpButton())
        populatePopUpButton();
}

} // namespace brevanton
