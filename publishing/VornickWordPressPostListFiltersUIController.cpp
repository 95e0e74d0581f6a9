#include "publishing/VornickWordPressPostListFiltersUIController.h"

#include "platform/store/ManagedObject.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Popover.h"
#include "publishing/VornickWordPressPostListFilters.h"

#include <cmath>

namespace brevanton {

namespace {

constexpr double StackWidth = 320;

const VornickTokenObject& noFilter()
{
    static const VornickTokenObject sentinel = VornickTokenFilterView::noFilterSentinel();
    return sentinel;
}

std::shared_ptr<ArrayController> makeListController(const char16_t* entityName)
{
    auto controller = ArrayController::create(entityName);
    controller->setSortDescriptors({ { u"title", true, false, SortComparison::LocalizedCaseInsensitive } });
    return controller;
}

// The row's tokens from its selected objects, or "All" when none.
void selectObjects(VornickTokenFilterView& tokens, const std::vector<VornickTokenObject>& selected)
{
    if (selected.empty()) {
        tokens.addSelectedObject(noFilter());
        return;
    }
    for (const auto& object : selected)
        tokens.addSelectedObject(object);
}

std::vector<VornickTokenObject> tokenObjects(const std::vector<std::shared_ptr<ManagedObject>>& objects)
{
    return { objects.begin(), objects.end() };
}

std::vector<std::shared_ptr<ManagedObject>> managedObjects(const VornickTokenObjectSet& selection)
{
    std::vector<std::shared_ptr<ManagedObject>> objects;
    for (const auto& object : selection) {
        if (auto managed = object.object<ManagedObject>())
            objects.push_back(std::move(managed));
    }
    return objects;
}

std::vector<std::u16string> strings(const VornickTokenObjectSet& selection)
{
    std::vector<std::u16string> result;
    for (const auto& object : selection) {
        if (object.kind() == VornickTokenObject::Kind::String)
            result.push_back(object.string());
    }
    return result;
}

} // namespace

VornickWordPressPostListFiltersUIController::VornickWordPressPostListFiltersUIController(VornickWordPressPostListFiltersEditor* blogEditor)
    : m_blogEditor(blogEditor)
{
}

VornickWordPressPostListFiltersUIController::~VornickWordPressPostListFiltersUIController()
{
    if (m_popover) {
        m_popover->close();
        m_popover->setContentView(nullptr);
    }
    if (m_filterStackView)
        m_filterStackView->setDelegate(nullptr);
    for (const auto* row : { &m_activeOrInTrashListItem, &m_postTypesListItem, &m_postStatusesListItem, &m_categoriesListItem, &m_tagsListItem }) {
        if (*row) {
            if (auto tokens = (*row)->tokenFilterView())
                tokens->setDelegate(nullptr);
        }
    }
}

void VornickWordPressPostListFiltersUIController::loadView()
{
    if (m_filterStackView)
        return;
    m_statusesArrayController = makeListController(u"PostStatus");
    m_categoriesArrayController = makeListController(u"BlogCategory");
    m_tagsArrayController = makeListController(u"BlogTag");
    // A list that changes while the popover is up (a sync adds a category)
    // rebuilds the rows.
    for (const auto* controller : { &m_statusesArrayController, &m_categoriesArrayController, &m_tagsArrayController }) {
        m_listObservations.push_back((*controller)->addArrangedObjectsObserver([this](ArrayController&) {
            if (m_blog)
                updateTokenFilterViews();
        }));
    }

    m_filterStackView = std::make_shared<VornickWordPressPostFilterStackView>(Rect(0, 0, StackWidth, 100));
    m_filterStackView->setBackgroundColor(Color::clear());
    m_filterStackView->setDelegate(this);
    auto makeRow = [&](std::shared_ptr<VornickWordPressPostFilterStackItem>& row, bool wraps) {
        row = std::make_shared<VornickWordPressPostFilterStackItem>();
        auto tokens = row->tokenFilterView();
        tokens->setWraps(wraps);
        tokens->setBackgroundColor(Color::clear());
        tokens->setDelegate(this);
        m_filterStackView->addItem(row);
    };
    // Top to bottom: state, statuses, types, categories, tags.
    makeRow(m_activeOrInTrashListItem, false);
    makeRow(m_postStatusesListItem, true);
    makeRow(m_postTypesListItem, true);
    makeRow(m_categoriesListItem, true);
    makeRow(m_tagsListItem, true);

    m_popover = std::make_shared<Popover>();
    m_popover->setBehavior(PopoverBehavior::Transient);
    m_popover->setContentView(m_filterStackView);
}

const std::shared_ptr<VornickWordPressPostFilterStackView>& VornickWordPressPostListFiltersUIController::filterStackView()
{
    loadView();
    return m_filterStackView;
}

void VornickWordPressPostListFiltersUIController::setBlog(std::shared_ptr<ManagedObject> blog)
{
    loadView();
    if (blog != m_blog) {
        for (const auto* controller : { &m_statusesArrayController, &m_categoriesArrayController, &m_tagsArrayController }) {
            (*controller)->setManagedObjectContext(nullptr);
            (*controller)->setFetchPredicate(std::nullopt);
            (*controller)->prepareContent();
        }
        m_blog = std::move(blog);
        fetchLists();
    }
    updateTokenFilterViews();
}

void VornickWordPressPostListFiltersUIController::fetchLists()
{
    auto* context = m_blog ? m_blog->managedObjectContext() : nullptr;
    for (const auto* controller : { &m_statusesArrayController, &m_categoriesArrayController, &m_tagsArrayController }) {
        if (context) {
            (*controller)->setManagedObjectContext(context->shared_from_this());
            (*controller)->setFetchPredicate(Predicate::comparison(u"blog", PredicateOperator::EqualTo, m_blog));
        }
        // A list that cannot be read shows no tokens; the failure stays in lastFetchError.
        (void)(*controller)->fetch(nullptr);
    }
}

void VornickWordPressPostListFiltersUIController::showForWordPressBlog(std::shared_ptr<ManagedObject> blog,
                                                                       const std::shared_ptr<View>& emergingFrom)
{
    if (!blog || !emergingFrom)
        return;
    setBlog(std::move(blog));
    m_filterStackView->performStackLayout();
    m_popover->setContentSize(m_filterStackView->frame().size);
    m_popover->showRelativeToRect(emergingFrom->bounds(), emergingFrom, RectEdge::MaxY);
}

void VornickWordPressPostListFiltersUIController::clearFilters()
{
    if (m_blogEditor) {
        m_blogEditor->setViewingTrash(false);
        m_blogEditor->setSelectedPostTypes({});
        m_blogEditor->setSelectedPostStatuses({});
        m_blogEditor->setSelectedCategories({});
        m_blogEditor->setSelectedTags({});
    }
    updateTokenFilterViews();
    if (m_popover)
        m_popover->close();
}

void VornickWordPressPostListFiltersUIController::updateTokenFilterViews()
{
    loadView();
    VornickWordPressPostListFilters filters;
    if (m_blogEditor) {
        filters.viewingTrash = m_blogEditor->viewingTrash();
        filters.selectedPostTypes = m_blogEditor->selectedPostTypes();
        filters.selectedPostStatuses = m_blogEditor->selectedPostStatuses();
        filters.selectedCategories = m_blogEditor->selectedCategories();
        filters.selectedTags = m_blogEditor->selectedTags();
    }

    auto state = m_activeOrInTrashListItem->tokenFilterView();
    state->removeAllTokens();
    state->addToken(u"Active", u"active");
    state->addToken(u"Trash", u"trash");
    state->addSelectedObject(filters.viewingTrash ? u"trash" : u"active");

    auto types = m_postTypesListItem->tokenFilterView();
    types->removeAllTokens();
    types->addToken(u"All", noFilter());
    types->addToken(u"Posts", u"post");
    types->addToken(u"Pages", u"page");
    selectObjects(*types, { filters.selectedPostTypes.begin(), filters.selectedPostTypes.end() });

    // The Trash is the state row's business: the "trash" status gets no token.
    auto statuses = m_postStatusesListItem->tokenFilterView();
    statuses->removeAllTokens();
    statuses->addToken(u"All", noFilter());
    for (const auto& status : m_statusesArrayController->arrangedObjects()) {
        std::u16string title = status->valueForKey(u"title").stringValue();
        if (status->valueForKey(u"identifier").stringValue() == u"trash" || title.empty())
            continue;
        statuses->addToken(std::move(title), status);
    }
    selectObjects(*statuses, tokenObjects(filters.selectedPostStatuses));

    auto terms = [&](VornickWordPressPostFilterStackItem& row, ArrayController& list, const std::vector<std::shared_ptr<ManagedObject>>& selected) {
        auto tokens = row.tokenFilterView();
        tokens->removeAllTokens();
        tokens->addToken(u"All", noFilter());
        for (const auto& term : list.arrangedObjects())
            tokens->addToken(term->valueForKey(u"title").stringValue(), term);
        selectObjects(*tokens, tokenObjects(selected));
    };
    terms(*m_categoriesListItem, *m_categoriesArrayController, filters.selectedCategories);
    terms(*m_tagsListItem, *m_tagsArrayController, filters.selectedTags);

    // The rows ask for their heights as they lay out, at the width the
    // stack gives them.
    m_filterStackView->performStackLayout();
    for (const auto* row : { &m_activeOrInTrashListItem, &m_postStatusesListItem, &m_postTypesListItem, &m_categoriesListItem, &m_tagsListItem })
        (*row)->tokenFilterView()->layoutTokensIfNeeded();
}

void VornickWordPressPostListFiltersUIController::selectionDidChange(VornickTokenFilterView& view, const VornickTokenObjectSet& selection)
{
    if (!m_blogEditor)
        return;
    // "All" alone is no filter.
    VornickTokenObjectSet chosen;
    for (const auto& object : selection) {
        if (!(object == noFilter()))
            chosen.push_back(object);
    }
    if (&view == m_activeOrInTrashListItem->tokenFilterView().get())
        m_blogEditor->setViewingTrash(vornick_containsTokenObject(chosen, u"trash"));
    else if (&view == m_categoriesListItem->tokenFilterView().get())
        m_blogEditor->setSelectedCategories(managedObjects(chosen));
    else if (&view == m_tagsListItem->tokenFilterView().get())
        m_blogEditor->setSelectedTags(managedObjects(chosen));
    else if (&view == m_postTypesListItem->tokenFilterView().get())
        m_blogEditor->setSelectedPostTypes(strings(chosen));
    else if (&view == m_postStatusesListItem->tokenFilterView().get())
        m_blogEditor->setSelectedPostStatuses(managedObjects(chosen));
    else
        return;
    m_blogEditor->userChangedPostListFilters(*this);

    // Command-clicks build a choice of several tokens: the popover stays.
    const Event* event = currentApplicationEvent();
    bool commandClick = event && event->hasModifier(ModifierFlag::Command);
    if (!commandClick && m_popover)
        m_popover->close();
}

void VornickWordPressPostListFiltersUIController::wantsNewHeight(VornickTokenFilterView& view, double height)
{
    double difference = height - view.frame().height();
    if (std::abs(difference) <= 0.5)
        return;
    auto row = view.superview();
    if (!row)
        return;
    Rect frame = row->frame();
    row->setFrameSize(Size { frame.width(), frame.height() + difference });
    if (m_filterStackView) {
        m_filterStackView->setNeedsStackLayout();
        m_filterStackView->performStackLayout();
    }
}

void VornickWordPressPostListFiltersUIController::wantsToResizeToFitContents(VornickStackView& stack, Size size)
{
    stack.setFrameSize(size);
    if (!m_popover)
        return;
    m_popover->setContentSize(size);
    // A shown popover takes the new size where it stands.
    if (m_popover->isShown()) {
        if (auto positioningView = m_popover->positioningView())
            m_popover->showRelativeToRect(m_popover->positioningRect(), positioningView, m_popover->preferredEdge());
    }
}

} // namespace brevanton
