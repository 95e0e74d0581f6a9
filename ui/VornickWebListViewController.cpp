#include "ui/VornickWebListViewController.h"

#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLRequest.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/views/ClipView.h"
#include "platform/views/Event.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickWebListView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

namespace brevanton {

VornickWebListViewController::VornickWebListViewController()
{
    m_selectedObjects.reserve(4);
}

VornickWebListViewController::~VornickWebListViewController()
{
    RunLoop::main().cancelPerforms(this);
    m_autoRefreshTimer.invalidate();
    m_arrangedObjectsObservation.reset();
    m_scrollObservation.reset();
    if (m_view) {
        m_view->setWebListViewController(nullptr);
        m_view->setFrameLoadDelegate(nullptr);
        m_view->setPolicyDelegate(nullptr);
    }
}

const std::shared_ptr<VornickWebListView>& VornickWebListViewController::webView() const
{
    BREVANTON_ASSERT(m_view, "WebView required");
    return m_view;
}

std::optional<URL> VornickWebListViewController::pageURL()
{
    return Bundle::main().URLForResource(u"BrevantonWebListViewPage", u"html");
}

std::shared_ptr<VornickWebListView> VornickWebListViewController::makeView(Rect frame)
{
    return VornickWebListView::create(frame);
}

void VornickWebListViewController::awakeFromNib(Rect frame)
{
    m_view = makeView(frame);
    m_view->setWebListViewController(this);
    m_view->setFrameLoadDelegate(this);
    m_view->setPolicyDelegate(this);
    if (auto url = pageURL())
        m_view->mainFrame()->loadRequest(URLRequest(*url));
}

void VornickWebListViewController::didFinishLoadForFrame(WebView&, WebFrame& frame)
{
    if (&frame != m_view->mainFrame().get())
        return;
    observeScrolling();
    // Rows asked for before the page was there.
    setNeedsListRefresh();
}

void VornickWebListViewController::decidePolicyForNavigationAction(WebView&, const WebNavigationAction&,
                                                                   const URLRequest& request, WebFrame&,
                                                                   WebPolicyDecisionListener& listener)
{
    const URL& url = request.url();
    if (url.scheme() == u"hitbottom") {
        listener.ignore();
        auto protect = shared_from_this();
        loadMoreItems();
        return;
    }
    // Only the list's own page: a list is never a browser.
    auto page = pageURL();
    if (page && url.absoluteString() == page->absoluteString())
        listener.use();
    else
        listener.ignore();
}

void VornickWebListViewController::setArrayController(std::shared_ptr<VornickWebListArrayController> controller)
{
    if (controller == m_arrayController)
        return;
    m_arrangedObjectsObservation.reset();
    m_arrayController = std::move(controller);
    if (m_arrayController) {
        std::weak_ptr<VornickWebListViewController> weak = weak_from_this();
        m_arrangedObjectsObservation = m_arrayController->observeArrangedObjects([weak] {
            auto self = weak.lock();
            if (self && !self->m_suppressArrangedObjectsKVOResponse)
                self->setNeedsListRefresh();
        });
    }
    setNeedsListRefresh();
}

std::optional<std::u16string> VornickWebListViewController::contentStringForRepresentedObject(const std::shared_ptr<ManagedObject>& object)
{
    if (!object)
        return std::nullopt;
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(object.get()));
    return u"<li><h1>" + object->entity().name() + u"(" + toUTF16(address) + u")</h1></li>";
}

// --- Refreshing

void VornickWebListViewController::setNeedsListRefresh()
{
    if (m_needsListRefresh)
        return;
    m_needsListRefresh = true;
    std::weak_ptr<VornickWebListViewController> weak = weak_from_this();
    RunLoop::main().performAfterDelay(this, 0, [weak] {
        if (auto self = weak.lock())
            self->refreshListContent();
    });
}

void VornickWebListViewController::cancelNeedsListRefresh()
{
    RunLoop::main().cancelPerforms(this);
    m_needsListRefresh = false;
}

void VornickWebListViewController::setAutoRefreshInterval(double interval)
{
    if (std::fabs(interval - m_autoRefreshInterval) <= 0.1)
        return;
    m_autoRefreshTimer.invalidate();
    m_autoRefreshInterval = interval;
    if (interval <= 0)
        return;
    std::weak_ptr<VornickWebListViewController> weak = weak_from_this();
    m_autoRefreshTimer = Timer::scheduledTimer(interval, true, [weak](Timer&) {
        if (auto self = weak.lock())
            self->setNeedsListRefresh();
    });
}

std::shared_ptr<DOMElement> VornickWebListViewController::listElement() const
{
    auto document = m_view ? m_view->mainFrameDocument() : nullptr;
    if (!document)
        return nullptr;
    // Found once per page: looking it up walks the whole page.
    if (auto list = m_listElement.lock(); list && list->document() == document.get() && list->isConnected())
        return list;
    auto list = document->getElementById(u"list");
    m_listElement = list;
    return list;
}

std::shared_ptr<DOMElement> VornickWebListViewController::placeholderElement() const
{
    auto list = listElement();
    if (!list)
        return nullptr;
    // It stands right after the list.
    for (auto element = list->nextElementSibling(); element; element = nullptr) {
        if (element->getAttribute(u"id") == u"placeholder")
            return element;
    }
    return nullptr;
}

std::u16string VornickWebListViewController::markupForObject(const std::shared_ptr<ManagedObject>& object)
{
    auto markup = contentStringForRepresentedObject(object);
    return markup ? std::move(*markup) : u"?";
}

void VornickWebListViewController::refreshListContent()
{
    auto protect = shared_from_this();
    RunLoop::main().cancelPerforms(this);
    m_needsListRefresh = false;
    auto list = listElement();
    if (!list) {
        m_rows.clear();
        return;
    }
    if (m_suppressArrangedObjectsKVOResponse && m_arrayController)
        m_arrayController->rearrangeObjects();
    m_suppressArrangedObjectsKVOResponse = false;
    size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
    // Rows loaded stay loaded (as far as there are objects for them).
    size_t rows = std::min(count, std::max(batchSize, m_rows.size()));
    auto anchor = scrollAnchor();
    updateRows(rows);
    updatePlaceholder();
    if (anchor)
        restoreScrollAnchor(*anchor);
    // The selection keeps the objects still shown.
    size_t selected = m_selectedObjects.size();
    std::erase_if(m_selectedObjects, [&](const std::shared_ptr<ManagedObject>& object) { return rowForRepresentedObject(object) < 0; });
    if (m_selectedObjects.size() != selected)
        tellSelectionChanged();
    if (m_actionDelegate)
        m_actionDelegate->webListViewControllerDidRefreshList(*this);
}

void VornickWebListViewController::updateRows(size_t count)
{
    auto list = listElement();
    auto& document = *list->document();
    const auto& arranged = m_arrayController ? m_arrayController->arrangedObjects() : std::vector<std::shared_ptr<ManagedObject>>();

    // The rows in the page; it must hold the rows it was given.
    std::vector<DOMElement*> items;
    items.reserve(m_rows.size());
    for (DOMNode* child = list->first(); child; child = child->next()) {
        if (auto* item = dynamicDowncast<DOMElement>(child))
            items.push_back(item);
    }
    if (items.size() != m_rows.size()) {
        // The page holds other rows than it was given: start over.
        for (DOMNode* child = list->first(); child;) {
            DOMNode* next = child->next();
            list->removeChild(child);
            child = next;
        }
        items.clear();
        m_rows.clear();
    }

    // The rows that stay: each row in the page whose object comes back, in
    // order, with the same markup. A row that stays keeps its markup, and
    // the markup made again for it goes at once.
    std::vector<Row> wanted;
    // Room for the next batch too: loading it moves none of the rows there are.
    wanted.reserve(count + batchSize);
    std::vector<bool> oldKept(m_rows.size()), wantedKept(count);
    size_t common = std::min(count, m_rows.size());
    bool sameOrder = true;
    for (size_t i = 0; i < common && sameOrder; ++i)
        sameOrder = arranged[i] == m_rows[i].object;
    if (sameOrder) {
        // Objects in the order of the rows (a refresh on the clock): row by row.
        for (size_t i = 0; i < count; ++i) {
            auto markup = markupForObject(arranged[i]);
            if (i < common && markup == m_rows[i].markup) {
                oldKept[i] = wantedKept[i] = true;
                wanted.push_back({ arranged[i], std::move(m_rows[i].markup), {} });
            } else
                wanted.push_back({ arranged[i], std::move(markup), {} });
        }
    } else {
        for (size_t i = 0; i < count; ++i)
            wanted.push_back({ arranged[i], markupForObject(arranged[i]), {} });
        std::unordered_map<const ManagedObject*, size_t> wantedIndex;
        wantedIndex.reserve(wanted.size());
        for (size_t i = 0; i < wanted.size(); ++i)
            wantedIndex.emplace(wanted[i].object.get(), i);
        for (size_t old = 0, next = 0; old < m_rows.size(); ++old) {
            auto found = wantedIndex.find(m_rows[old].object.get());
            if (found != wantedIndex.end() && found->second >= next && wanted[found->second].markup == m_rows[old].markup) {
                oldKept[old] = wantedKept[found->second] = true;
                next = found->second + 1;
            }
        }
    }
    auto item = [&](size_t old) { return std::static_pointer_cast<DOMElement>(items[old]->shared_from_this()); };
    // Walk the page: a row that goes where a new one comes is replaced by
    // it, other new rows go in before the next row in the page.
    struct Placement {
        size_t wanted;
        std::shared_ptr<DOMElement> replaced;
        std::shared_ptr<DOMElement> before;
    };
    std::vector<Placement> placements;
    std::vector<std::shared_ptr<DOMElement>> removals;
    for (size_t old = 0, next = 0; old < m_rows.size() || next < wanted.size();) {
        bool oldGoes = old < m_rows.size() && !oldKept[old];
        bool nextComes = next < wanted.size() && !wantedKept[next];
        if (oldGoes && nextComes)
            placements.push_back({ next++, item(old++), nullptr });
        else if (oldGoes)
            removals.push_back(item(old++));
        else if (nextComes)
            placements.push_back({ next++, nullptr, old < m_rows.size() ? item(old) : nullptr });
        else
            wanted[next++].item = item(old++);
    }

    // One parse for all new rows.
    if (!placements.empty()) {
        std::u16string markup;
        for (auto& placement : placements) {
            markup += wanted[placement.wanted].markup;
            markup += u'\n';
        }
        auto fragment = parseFragment(document, markup, list.get());
        size_t elements = 0;
        for (DOMNode* child = fragment ? fragment->first() : nullptr; child; child = child->next())
            elements += child->isElementNode();
        if (!fragment || elements != placements.size()) {
            // Some row's markup is not one element: the list is made again as a whole.
            for (DOMNode* child = list->first(); child;) {
                DOMNode* following = child->next();
                list->removeChild(child);
                child = following;
            }
            std::u16string all;
            for (auto& row : wanted) {
                all += row.markup;
                all += u'\n';
            }
            if (auto whole = parseFragment(document, all, list.get()))
                list->appendChild(whole);
            m_rows = std::move(wanted);
            for (auto& object : m_selectedObjects) {
                if (auto item = listItemForRow(rowForRepresentedObject(object)); item && !vornick_hasClass(*item, u"selected"))
                    markListItemSelected(*item);
            }
            return;
        }
        // Each new row's item; a replaced row's white space stays, a new row brings its own.
        auto placement = placements.begin();
        for (DOMNode* child = fragment->first(); child;) {
            DOMNode* following = child->next();
            if (child->isElementNode()) {
                auto element = std::static_pointer_cast<DOMElement>(child->shared_from_this());
                wanted[placement->wanted].item = element;
                if (isSelected(wanted[placement->wanted].object.get()))
                    markListItemSelected(*element);
                fragment->removeChild(child);
                if (placement->replaced)
                    list->replaceChild(element, placement->replaced.get());
                else {
                    list->insertBefore(element, placement->before.get());
                    list->insertBefore(document.createTextNode(u"\n"), placement->before.get());
                }
                ++placement;
            }
            child = following;
        }
    }
    for (auto& item : removals) {
        // The white space that followed it goes with it.
        if (auto* following = item->next(); following && following->isTextNode())
            list->removeChild(following);
        list->removeChild(item.get());
    }
    m_rows = std::move(wanted);
}

void VornickWebListViewController::appendRows(size_t begin, size_t end)
{
    auto list = listElement();
    if (!list || !m_arrayController)
        return;
    const auto& arranged = m_arrayController->arrangedObjects();
    if (begin >= end || end > arranged.size() || begin != m_rows.size())
        return;
    std::u16string markup;
    for (size_t i = begin; i < end; ++i) {
        Row row { arranged[i], markupForObject(arranged[i]), {} };
        markup += row.markup;
        markup += u'\n';
        m_rows.push_back(std::move(row));
    }
    // One parse and one insertion for the batch, after the rows there are.
    if (auto fragment = parseFragment(*list->document(), markup, list.get())) {
        size_t row = begin;
        for (DOMNode* child = fragment->first(); child && row < m_rows.size(); child = child->next()) {
            if (auto* item = dynamicDowncast<DOMElement>(child)) {
                m_rows[row].item = std::static_pointer_cast<DOMElement>(item->shared_from_this());
                if (isSelected(m_rows[row++].object.get()))
                    markListItemSelected(*item);
            }
        }
        list->appendChild(fragment);
    }
    updatePlaceholder();
}

void VornickWebListViewController::updatePlaceholder()
{
    auto list = listElement();
    if (!list)
        return;
    auto document = list->document();
    size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
    auto placeholder = placeholderElement();
    if (m_rows.size() < count) {
        if (!placeholder) {
            placeholder = document->createElement(u"div");
            placeholder->setId(u"placeholder");
            if (auto parent = list->parent())
                parent->insertBefore(placeholder, list->next());
        }
    } else if (placeholder) {
        if (auto parent = placeholder->parent())
            parent->removeChild(placeholder.get());
    }
}

void VornickWebListViewController::loadMoreItems()
{
    size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
    if (m_rows.size() >= count)
        return;
    appendRows(m_rows.size(), m_rows.size() + std::min(batchSize, count - m_rows.size()));
}

bool VornickWebListViewController::loadItemsThroughRow(long row)
{
    size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
    if (row < 0 || static_cast<size_t>(row) >= count || !listElement())
        return false;
    // Whole batches, as scrolling would have loaded them.
    while (m_rows.size() <= static_cast<size_t>(row))
        loadMoreItems();
    return true;
}

// --- Scrolling

void VornickWebListViewController::observeScrolling()
{
    auto& clip = m_view->mainFrame()->frameView()->clipView();
    std::weak_ptr<VornickWebListViewController> weak = weak_from_this();
    m_scrollObservation = NotificationCenter::defaultCenter().addObserver(View::BoundsDidChangeNotification, clip.get(), nullptr,
                                                                          [weak](const Notification&) {
                                                                              if (auto self = weak.lock())
                                                                                  self->scrolled();
                                                                          });
}

void VornickWebListViewController::scrolled()
{
    size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
    if (m_rows.size() >= count)
        return;
    auto& clip = m_view->mainFrame()->frameView()->clipView();
    Rect visible = clip->documentVisibleRect();
    double end = clip->documentRect().maxY();
    // The next batch is there before the end comes into view.
    if (visible.maxY() + visible.height() >= end)
        loadMoreItems();
}

std::optional<std::pair<std::shared_ptr<ManagedObject>, double>> VornickWebListViewController::scrollAnchor()
{
    if (!m_view || m_rows.empty())
        return std::nullopt;
    auto& clip = m_view->mainFrame()->frameView()->clipView();
    Rect visible = clip->documentVisibleRect();
    if (visible.minY() <= 0)
        return std::nullopt;
    m_view->layoutIfNeeded();
    auto top = [&](size_t row) -> std::optional<Rect> {
        auto item = listItemForRow(static_cast<long>(row));
        return item ? std::optional<Rect>(m_view->boundingBox(*item)) : std::nullopt;
    };
    // The page still shows the rows it was given, whatever the objects' order now.
    for (const auto& object : m_selectedObjects) {
        auto shown = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& row) { return row.object == object; });
        auto box = shown != m_rows.end() ? top(static_cast<size_t>(shown - m_rows.begin())) : std::nullopt;
        if (box && box->maxY() > visible.minY() && box->minY() < visible.maxY())
            return std::make_pair(object, box->minY() - visible.minY());
    }
    // The rows stand in order: the first one reaching into view.
    size_t low = 0;
    size_t high = m_rows.size();
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        auto box = top(middle);
        if (box && box->maxY() <= visible.minY())
            low = middle + 1;
        else
            high = middle;
    }
    auto box = low < m_rows.size() ? top(low) : std::nullopt;
    if (!box)
        return std::nullopt;
    return std::make_pair(m_rows[low].object, box->minY() - visible.minY());
}

void VornickWebListViewController::restoreScrollAnchor(const std::pair<std::shared_ptr<ManagedObject>, double>& anchor)
{
    long row = rowForRepresentedObject(anchor.first);
    auto item = row >= 0 ? listItemForRow(row) : nullptr;
    if (!item)
        return;
    m_view->layoutIfNeeded();
    auto& clip = m_view->mainFrame()->frameView()->clipView();
    Rect visible = clip->documentVisibleRect();
    double wanted = m_view->boundingBox(*item).minY() - anchor.second;
    if (std::fabs(wanted - visible.minY()) >= 0.5)
        clip->scrollToPoint(clip->constrainBoundsOrigin(Point { visible.minX(), wanted }));
}

void VornickWebListViewController::scrollRowIntoView(long row)
{
    if (auto item = listItemForRow(row))
        m_view->scrollNodeIntoViewIfNeeded(*item);
}

// --- Rows

std::shared_ptr<ManagedObject> VornickWebListViewController::representedObjectForRow(long row) const
{
    if (!m_arrayController || row < 0)
        return nullptr;
    const auto& arranged = m_arrayController->arrangedObjects();
    return static_cast<size_t>(row) < arranged.size() ? arranged[static_cast<size_t>(row)] : nullptr;
}

long VornickWebListViewController::rowForRepresentedObject(const std::shared_ptr<ManagedObject>& object) const
{
    if (!m_arrayController || !object)
        return -1;
    const auto& arranged = m_arrayController->arrangedObjects();
    auto found = std::find(arranged.begin(), arranged.end(), object);
    return found == arranged.end() ? -1 : static_cast<long>(found - arranged.begin());
}

std::shared_ptr<DOMElement> VornickWebListViewController::listItemForRow(long row) const
{
    auto list = listElement();
    if (!list || row < 0)
        return nullptr;
    // The item the row was given, while it stands in the list.
    if (static_cast<size_t>(row) < m_rows.size()) {
        if (auto item = m_rows[static_cast<size_t>(row)].item.lock(); item && item->parent() == list.get())
            return item;
    }
    auto item = list->firstElementChild();
    for (long i = 0; item && i < row; ++i)
        item = item->nextElementSibling();
    return item;
}

long VornickWebListViewController::rowForListItem(const DOMElement& item) const
{
    long row = 0;
    for (auto sibling = item.previousElementSibling(); sibling; sibling = sibling->previousElementSibling())
        ++row;
    return row;
}

// --- Selection

bool VornickWebListViewController::isSelected(const ManagedObject* object) const
{
    return std::any_of(m_selectedObjects.begin(), m_selectedObjects.end(),
                       [&](const std::shared_ptr<ManagedObject>& selected) { return selected.get() == object; });
}

void VornickWebListViewController::markListItemSelected(DOMElement& item)
{
    vornick_addClass(item, u"selected");
}

void VornickWebListViewController::markListItemNotSelected(DOMElement& item)
{
    vornick_removeClass(item, u"selected");
}

void VornickWebListViewController::clearSelection()
{
    if (auto list = listElement()) {
        for (auto item = list->firstElementChild(); item; item = item->nextElementSibling())
            markListItemNotSelected(*item);
    }
    m_selectedObjects.clear();
}

void VornickWebListViewController::selectRepresentedObject(const std::shared_ptr<ManagedObject>& object)
{
    if (auto item = listItemForRow(rowForRepresentedObject(object)))
        selectRepresentedObject(object, item);
}

void VornickWebListViewController::selectRepresentedObject(const std::shared_ptr<ManagedObject>& object,
                                                           const std::shared_ptr<DOMElement>& item)
{
    if (!object || isSelected(object.get()))
        return;
    m_selectedObjects.push_back(object);
    if (item)
        markListItemSelected(*item);
}

void VornickWebListViewController::deselectRepresentedObject(const std::shared_ptr<ManagedObject>& object,
                                                             const std::shared_ptr<DOMElement>& item)
{
    auto found = std::find(m_selectedObjects.begin(), m_selectedObjects.end(), object);
    if (found == m_selectedObjects.end())
        return;
    m_selectedObjects.erase(found);
    if (item)
        markListItemNotSelected(*item);
}

std::vector<long> VornickWebListViewController::selectedRowIndexes() const
{
    std::vector<long> rows;
    for (auto& object : m_selectedObjects) {
        long row = rowForRepresentedObject(object);
        if (row >= 0)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void VornickWebListViewController::setSelectedRowIndexes(const std::vector<long>& rows)
{
    clearSelection();
    for (long row : rows) {
        // A row past the loaded ones is loaded first.
        if (!loadItemsThroughRow(row))
            continue;
        selectRepresentedObject(representedObjectForRow(row), listItemForRow(row));
    }
    tellSelectionChanged();
}

bool VornickWebListViewController::revealRepresentedObject(const std::shared_ptr<ManagedObject>& object)
{
    long row = rowForRepresentedObject(object);
    if (row < 0)
        return false;
    if (m_selectedObjects.size() != 1 || m_selectedObjects[0] != object)
        setSelectedRowIndexes({ row });
    scrollRowIntoView(row);
    return true;
}

void VornickWebListViewController::tellSelectionChanged()
{
    if (m_actionDelegate)
        m_actionDelegate->webListViewControllerSelectionChanged(*this, m_selectedObjects);
}

// --- User actions

void VornickWebListViewController::moveUp()
{
    auto rows = selectedRowIndexes();
    long target;
    if (rows.empty()) {
        size_t count = m_arrayController ? m_arrayController->arrangedObjects().size() : 0;
        target = static_cast<long>(count) - 1;
    } else if (rows.front() == 0) {
        if (rows.size() == 1)
            return;
        target = 0;
    } else
        target = rows.front() - 1;
    if (!representedObjectForRow(target))
        return;
    setSelectedRowIndexes({ target });
    scrollRowIntoView(target);
}

void VornickWebListViewController::moveDown()
{
    auto rows = selectedRowIndexes();
    long target = rows.empty() ? 0 : rows.back() + 1;
    if (!representedObjectForRow(target))
        return;
    setSelectedRowIndexes({ target });
    scrollRowIntoView(target);
}

void VornickWebListViewController::listItemClicked(const std::shared_ptr<DOMElement>& item, const Event& event)
{
    if (!item)
        return;
    long row = rowForListItem(*item);
    auto object = representedObjectForRow(row);
    if (!object)
        return;
    bool changed = false;
    if (event.hasModifier(ModifierFlag::Command)) {
        if (isSelected(object.get()))
            deselectRepresentedObject(object, item);
        else
            selectRepresentedObject(object, item);
        changed = true;
    } else if (event.hasModifier(ModifierFlag::Shift)) {
        auto rows = selectedRowIndexes();
        bool contiguous = !rows.empty() && static_cast<long>(rows.size()) == rows.back() - rows.front() + 1;
        if (contiguous && !std::binary_search(rows.begin(), rows.end(), row)) {
            long from = row > rows.back() ? rows.back() + 1 : row;
            long through = row > rows.back() ? row : rows.front() - 1;
            for (long each = from; each <= through; ++each)
                selectRepresentedObject(representedObjectForRow(each), listItemForRow(each));
            changed = from <= through;
        }
    } else if (!isSelected(object.get())) {
        clearSelection();
        selectRepresentedObject(object, item);
        changed = true;
    }
    if (changed)
        tellSelectionChanged();
    if (isSelected(object.get()) && event.clickCount() >= 2 && m_actionDelegate)
        m_actionDelegate->webListViewControllerOpenObjects(*this, m_selectedObjects);
}

void VornickWebListViewController::nothingClicked()
{
    clearSelection();
}

} // namespace brevanton
