// Long seeded sequences of edits on real pages: typing, backspacing, the edit
// primitives, undo and redo, in random order at random places. After every
// undo the document must equal, node for node (text node boundaries
// included), the snapshot taken before the step it undid; after every redo,
// the one taken before the undo. A failure prints the seed and the step; set
// BREVANTON_EDIT_SEQUENCE_SEED (and BREVANTON_EDIT_SEQUENCE_STEPS) to replay it.
#include "ApplicationDelegateTestSupport.h"
#include "EditingTestSupport.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/commands/VornickUndoableTypingRun.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UndoManager.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// The document as a string that tells every node apart: element names and
// attributes, each text node's data in its own brackets, comments. The
// non-breaking space substitute in force is written as the non-breaking
// space it stands for, so that a switch of substitute is no difference while
// a payload put back with a stale one is.
void describe(const DOMNode& node, std::u16string& out, char16_t substitute)
{
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE: {
        const auto& element = downcast<DOMElement>(node);
        out += u'<' + element.tagName();
        for (const auto& attribute : element.attributeList())
            out += u' ' + attribute.name + u"=\"" + attribute.value + u'"';
        out += u'>';
        for (DOMNode* child = node.first(); child; child = child->next())
            describe(*child, out, substitute);
        out += u"</" + element.tagName() + u'>';
        return;
    }
    case DOMNode::TEXT_NODE:
    case DOMNode::CDATA_SECTION_NODE: {
        std::u16string data = downcast<DOMCharacterData>(node).data();
        if (substitute)
            std::replace(data.begin(), data.end(), substitute, char16_t(0xA0));
        out += u"[" + data + u"]";
        return;
    }
    case DOMNode::COMMENT_NODE:
        out += u"<!--" + downcast<DOMCharacterData>(node).data() + u"-->";
        return;
    default:
        for (DOMNode* child = node.first(); child; child = child->next())
            describe(*child, out, substitute);
    }
}

// Where two snapshots part, with some context.
std::string difference(const std::u16string& expected, const std::u16string& found)
{
    size_t at = 0;
    while (at < expected.size() && at < found.size() && expected[at] == found[at])
        ++at;
    size_t from = at > 80 ? at - 80 : 0;
    return "\nexpected ..." + toUTF8(expected.substr(from, 200)) + "\nfound    ..." + toUTF8(found.substr(from, 200));
}

std::u16string snapshotOf(const DOMDocument& document)
{
    std::u16string out;
    describe(document, out, vornick_nonBreakingSpaceSubstituteCharacter(document));
    return out;
}

class EditSequence {
public:
    EditSequence(VornickContentEditingView& view, uint64_t seed, unsigned substituteSwitches, std::string folder)
        : m_view(view)
        , m_folder(std::move(folder))
        , m_random(seed)
        , m_substituteSwitchesLeft(substituteSwitches)
    {
    }

    // Runs the steps; answers the first failure, or an empty string.
    std::string run(unsigned steps);
    // How many steps changed the document, undid and redid.
    unsigned edits { 0 };
    unsigned undos { 0 };
    unsigned redos { 0 };
    // How often each kind of step applied (answered true).
    std::vector<unsigned> applied;

private:
    using Step = std::function<bool()>; // false when the step could not apply here
    DOMDocument& document() const { return *m_view.mainFrameDocument(); }
    unsigned below(size_t bound) { return bound ? std::uniform_int_distribution<unsigned>(0, unsigned(bound) - 1)(m_random) : 0; }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }

    std::vector<std::shared_ptr<DOMNode>> bodyNodes() const
    {
        std::vector<std::shared_ptr<DOMNode>> nodes;
        auto body = document().body();
        for (DOMNode* node = body.get(); node; node = node->traverseNext(body.get()))
            nodes.push_back(node->shared_from_this());
        return nodes;
    }
    std::vector<std::shared_ptr<DOMElement>> bodyElements(bool includingBody) const
    {
        std::vector<std::shared_ptr<DOMElement>> elements;
        for (auto& node : bodyNodes()) {
            if (node->isElementNode() && (includingBody || node != document().body()))
                elements.push_back(downcast<DOMElement>(node));
        }
        return elements;
    }
    VornickDOMPosition randomPosition(bool inTextOnly)
    {
        auto nodes = bodyNodes();
        std::vector<std::shared_ptr<DOMNode>> candidates;
        for (auto& node : nodes) {
            if (node->nodeType() == DOMNode::TEXT_NODE || (!inTextOnly && node->isElementNode()))
                candidates.push_back(node);
        }
        if (candidates.empty())
            return { document().body(), 0 };
        auto node = candidates[below(candidates.size())];
        return { node, static_cast<int32_t>(below(node->length() + 1)) };
    }
    std::shared_ptr<DOMRange> collapsedAt(const VornickDOMPosition& position)
    {
        auto range = document().createRange();
        range->setStart(position.node, static_cast<unsigned>(position.offset));
        range->collapse(true);
        return range;
    }
    std::shared_ptr<DOMRange> randomRange()
    {
        auto a = randomPosition(chance(0.5));
        auto b = chance(0.5) ? randomPosition(chance(0.5)) : a;
        if (b.node == a.node && b.node->isTextNode())
            b.offset = static_cast<int32_t>(below(b.node->length() + 1));
        if (DOMRange::compareBoundaryPointPositions(a.node.get(), a.offset, b.node.get(), b.offset) > 0)
            std::swap(a, b);
        auto range = document().createRange();
        range->setStart(a.node, static_cast<unsigned>(a.offset));
        range->setEnd(b.node, static_cast<unsigned>(b.offset));
        return range;
    }
    std::shared_ptr<DOMDocumentFragment> randomFragment()
    {
        static const char16_t* const markups[] = { u"x", u"<em>em</em>", u"one <b>two</b> three", u"<span class=\"s\">span</span>",
                                                  u"<p>para</p>", u"<li>item</li>", u"<!--note-->z" };
        auto body = document().body();
        return document().createDocumentFragmentWithMarkupString(markups[below(std::size(markups))], {}, body.get());
    }

    std::vector<std::pair<unsigned, Step>> steps();

    VornickContentEditingView& m_view;
    std::string m_folder;
    std::mt19937_64 m_random;
    unsigned m_substituteSwitchesLeft;
    bool m_extendedTypingRun { false };
    std::vector<std::u16string> m_undoSnapshots;
    std::vector<std::u16string> m_redoSnapshots;
};

std::vector<std::pair<unsigned, EditSequence::Step>> EditSequence::steps()
{
    auto& view = m_view;
    return {
        { 14, [&, this] { // typing: one to four characters, a run at a time
             auto position = randomPosition(true);
             if (!position.node->isTextNode())
                 return false;
             for (unsigned count = 1 + below(4), index = 0; index < count; ++index) {
                 auto caret = collapsedAt(position);
                 view.setTargetRange(caret);
                 std::u16string typed(1, chance(0.2) ? u' ' : char16_t(u'a' + below(26)));
                 (void)view.undoableReplaceRangeWithText(true, caret, typed, true);
                 position.offset += 1;
             }
             view.setTargetRange(collapsedAt(position));
             return true;
         } },
        { 10, [&, this] { // backspacing
             auto position = randomPosition(true);
             if (!position.node->isTextNode() || position.offset == 0)
                 return false;
             for (unsigned count = 1 + below(4); count && position.offset > 0 && position.node->isConnected(); --count) {
                 auto range = document().createRange();
                 range->setStart(position.node, static_cast<unsigned>(position.offset - 1));
                 range->setEnd(position.node, static_cast<unsigned>(position.offset));
                 view.setTargetRange(collapsedAt(position));
                 (void)VornickContentEditingViewTestPeer::backspaceDeleteRangeUndoably(view, range);
                 position.offset -= 1;
             }
             return true;
         } },
        { 6, [&, this] { return VornickContentEditingViewTestPeer::insertFragmentAtPosition(view, randomFragment(), randomPosition(false), true, std::nullopt); } },
        { 6, [&, this] { return VornickContentEditingViewTestPeer::deleteFragmentInRange(view, randomRange(), true, std::nullopt, chance(0.3)) != nullptr; } },
        { 5, [&, this] { return view.undoableReplaceRangeWithFragment(true, randomRange(), randomFragment(), std::nullopt); } },
        { 3, [&, this] { return view.undoableReplaceRangeWithText(true, randomRange(), u"new text", false); } },
        { 4, [&, this] { return view.undoableMoveRange(true, randomRange(), collapsedAt(randomPosition(false)), std::nullopt); } },
        { 4, [&, this] {
             auto elements = bodyElements(false);
             if (elements.empty())
                 return false;
             static const char16_t* const names[] = { u"class", u"title", u"data-x", u"hidden" };
             return view.undoableSetValue(true, chance(0.3) ? u"" : u"v" + std::u16string(1, char16_t(u'0' + below(10))),
                                          names[below(std::size(names))], elements[below(elements.size())]);
         } },
        { 4, [&, this] {
             auto range = randomRange();
             if (range->collapsed())
                 return false;
             auto fragment = document().createDocumentFragmentWithMarkupString(u"<span class=\"w\">*</span>", {}, document().body().get());
             auto interior = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition(
                 { fragment->firstChild(), 0 }, { fragment->firstChild(), 1 }, fragment, false);
             return view.undoableWrapRange(true, range, fragment, interior);
         } },
        { 3, [&, this] {
             auto elements = bodyElements(false);
             return !elements.empty() && view.undoableUnwrapElement(true, elements[below(elements.size())]);
         } },
        { 3, [&, this] {
             auto elements = bodyElements(false);
             static const char16_t* const kinds[] = { u"p", u"h2", u"div", u"em", u"ol", u"ul", u"span" };
             return !elements.empty() && view.undoableTransformElement(true, elements[below(elements.size())], kinds[below(std::size(kinds))]);
         } },
        { 4, [&, this] {
             static const char16_t* const kinds[] = { u"em", u"b", u"strong", u"i", u"a", u"span", u"code", u"p" };
             return view.undoableRemoveApplicationsOfElementKind(true, kinds[below(std::size(kinds))], randomRange());
         } },
        { 3, [&, this] {
             view.setTargetRange(collapsedAt(randomPosition(chance(0.5))));
             return VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(view, chance(0.5)).has_value();
         } },
        { 2, [&, this] {
             auto position = randomPosition(false);
             return position.node->isElementNode() && view.undoableSetTextInsertionPointAfterPosition(true, collapsedAt(position), chance(0.5));
         } },
        { 1, [&, this] {
             view.setTargetRange(collapsedAt(randomPosition(chance(0.5))));
             VornickContentEditingViewTestPeer::popInsertionPointOutOfElementOrTwoAndLeaveAGap(view, chance(0.5));
             return true;
         } },
        { 3, [&, this] { // text holding the substitute in force: the document switches to another one first
             char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(document());
             auto position = randomPosition(true);
             if (!substitute || !position.node->isTextNode() || !m_substituteSwitchesLeft)
                 return false;
             --m_substituteSwitchesLeft;
             view.setTargetRange(collapsedAt(position));
             std::u16string typed = u"q" + std::u16string(1, substitute);
             VornickContentEditingViewTestPeer::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(view, typed, view.mainFrame());
             auto caret = view.effectiveOperationRange();
             return caret && view.undoableReplaceRangeWithText(true, caret->cloneRange(), typed, false);
         } },
        { 2, [&, this] {
             view.replaceRangeWithReplacementText(randomRange(), u"rt");
             return true;
         } },
        { 2, [&, this] {
             view.setTargetRange(randomRange());
             return VornickContentEditingViewTestPeer::insertFragmentUndoably(view, randomFragment());
         } },
        { 2, [&, this] {
             view.setTargetRange(randomRange());
             return VornickContentEditingViewTestPeer::deleteFragmentUndoably(view) != nullptr;
         } },
        { 3, [&, this] {
             auto spec = vornick_HTMLSpec(*view.mainFrame());
             static const char16_t* const tags[] = { u"b", u"em", u"p", u"table", u"dl", u"a", u"code", u"h3", u"br" };
             auto elementSpec = spec ? spec->elementSpecForTagName(tags[below(std::size(tags))]) : nullptr;
             if (!elementSpec)
                 return false;
             auto range = randomRange();
             view.setTargetRange(range);
             return view.undoableApplyDescribedElement(true, *elementSpec, range);
         } },
        { 3, [&, this] { // media elements replacing a range, referencing a file beside the page
             auto range = randomRange();
             auto file = [this](const char* name) { return URL::fileURLWithPath(m_folder + "/" + name); };
             switch (below(5)) {
             case 0:
                 return view.undoableReplaceRangeWithImageElementReferencingURL(true, range, file("picture.png"));
             case 1:
                 return view.undoableReplaceRangeWithFigureElementReferencingImageURL(
                     true, range, chance(0.7) ? std::optional<URL>(file("picture.png")) : std::nullopt);
             case 2:
                 return view.undoableReplaceRangeWithPictureElementReferencingImageURL(
                     true, range, chance(0.7) ? std::optional<URL>(file("picture.png")) : std::nullopt);
             case 3:
                 return view.undoableReplaceRangeWithVideoElementOfKind(true, range, chance(0.5) ? u"VIDEO" : u"video", file("clip.mp4"));
             default:
                 return view.undoableReplaceRangeWithAudioElementOfKind(true, range, u"AUDIO", file("sound.mp3"));
             }
         } },
        { 2, [&, this] { // media elements of the specification: the open panel answers at once (or is cancelled)
             auto spec = vornick_HTMLSpec(*view.mainFrame());
             static const char16_t* const tags[] = { u"img", u"figure", u"picture", u"video", u"audio" };
             auto elementSpec = spec ? spec->elementSpecForTagName(tags[below(std::size(tags))]) : nullptr;
             if (!elementSpec)
                 return false;
             auto range = chance(0.6) ? collapsedAt(randomPosition(chance(0.5))) : randomRange();
             view.setTargetRange(range);
             return view.undoableApplyDescribedElement(true, *elementSpec, range);
         } },
        { 4, [&, this] { // text as the web view proposes it, now and then with an inline style toggled
             static const char16_t* const texts[] = { u"w", u" ", u"two words", u"  ", u"x\u00A0y", u"" };
             static const char16_t* const styles[] = { u"EM", u"B", u"STRONG" };
             view.setTargetRange(chance(0.8) ? collapsedAt(randomPosition(chance(0.7))) : randomRange());
             if (chance(0.25))
                 VornickContentEditingViewTestPeer::of(view).toggledInlineStyleElementsForTyping.push_back(styles[below(std::size(styles))]);
             std::u16string text = texts[below(std::size(texts))];
             // Typed at the end of the open typing run, the text joins it.
             auto run = view.activeTypingRun();
             VornickContentEditingViewTestPeer::deferredInsertProposedText(view, text, nullptr, text.empty() ? VornickInsertActionReplacementText : WebViewInsertActionTyped);
             m_extendedTypingRun = run && run == view.activeTypingRun();
             VornickContentEditingViewTestPeer::of(view).toggledInlineStyleElementsForTyping.clear();
             return true;
         } },
        { 2, [&, this] { // a replacement given as a range frozen relative to the document
             auto owner = document().protectedThis();
             auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*randomRange(), owner, false);
             return frozen && view.undoableReplaceFreezeDriedRangeWithFragment(true, *frozen, owner, randomFragment(), std::nullopt);
         } },
        { 2, [&, this] {
             static const VornickGeneralFragmentDescription note(u"note", u"Note", u"", u"", u"<span class=\"n\">{content}</span>", u"");
             auto range = randomRange();
             view.setTargetRange(range);
             return view.undoableApplyDescribedFragment(true, note, range);
         } },
        { 3, [&, this] { // a table command, where the selection happens to be
             static const char* const actions[] = { "addTableCaption:", "addTableHeader:", "addTableFooter:",
                                                    "insertColumnBeforeTableColumn:", "insertColumnAfterTableColumn:",
                                                    "deleteTableColumns:", "insertRowBeforeTableRow:", "insertRowAfterTableRow:",
                                                    "deleteTableRows:" };
             // Mostly within the page's tables: a caret in a cell, or a range from one cell's text to another's.
             std::vector<std::shared_ptr<DOMNode>> cellTexts;
             auto body = document().body();
             for (DOMNode* node = body.get(); node; node = node->traverseNext(body.get())) {
                 if (node->isTextNode() && (vornick_nearestAncestorElementOfKind(*node, u"td") || vornick_nearestAncestorElementOfKind(*node, u"th")))
                     cellTexts.push_back(node->shared_from_this());
             }
             if (cellTexts.empty() || chance(0.2)) {
                 view.setTargetRange(chance(0.5) ? collapsedAt(randomPosition(chance(0.5))) : randomRange());
             } else {
                 auto first = cellTexts[below(cellTexts.size())];
                 auto last = chance(0.6) ? first : cellTexts[below(cellTexts.size())];
                 if (first->compareDocumentPosition(last.get()) & DOMNode::DOCUMENT_POSITION_PRECEDING)
                     std::swap(first, last);
                 auto range = document().createRange();
                 range->setStart(first, 0);
                 range->setEnd(last, last->length());
                 view.setTargetRange(range);
             }
             return view.performAction(actions[below(std::size(actions))], nullptr);
         } },
    };
}

std::string EditSequence::run(unsigned count)
{
    auto& undo = *m_view.undoManager();
    auto weightedSteps = steps();
    unsigned total = 0;
    for (auto& [weight, step] : weightedSteps)
        total += weight;
    applied.assign(weightedSteps.size(), 0);
    unsigned opened = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(UndoManager::DidOpenUndoGroupNotification, &undo, nullptr,
                                                                 [&opened](const Notification&) { ++opened; });
    auto failure = [](unsigned step, const std::string& what) { return "step " + std::to_string(step) + ": " + what; };
    auto undoOnce = [&](unsigned step) -> std::string {
        auto before = snapshotOf(document());
        undo.undo();
        RunLoop::main().runOnce(0);
        if (m_undoSnapshots.empty())
            return failure(step, "undo with nothing recorded");
        if (snapshotOf(document()) != m_undoSnapshots.back())
            return failure(step, "undo of \"" + toUTF8(undo.redoActionName()) + "\" did not restore the document:"
                                     + difference(m_undoSnapshots.back(), snapshotOf(document())));
        m_undoSnapshots.pop_back();
        m_redoSnapshots.push_back(before);
        ++undos;
        return {};
    };
    auto redoOnce = [&](unsigned step) -> std::string {
        auto before = snapshotOf(document());
        undo.redo();
        RunLoop::main().runOnce(0);
        if (m_redoSnapshots.empty())
            return failure(step, "redo with nothing recorded");
        if (snapshotOf(document()) != m_redoSnapshots.back())
            return failure(step, "redo of \"" + toUTF8(undo.undoActionName()) + "\" did not give the document again:"
                                     + difference(m_redoSnapshots.back(), snapshotOf(document())));
        m_redoSnapshots.pop_back();
        m_undoSnapshots.push_back(before);
        ++redos;
        return {};
    };
    for (unsigned step = 0; step < count; ++step) {
        auto before = snapshotOf(document());
        // A quarter of the steps undo one to four steps, then often redo some of them.
        unsigned pick = below(total + total / 3);
        try {
            if (pick >= total) {
                unsigned undone = 0;
                for (unsigned times = 1 + below(4); times && undo.canUndo(); --times, ++undone) {
                    if (auto failed = undoOnce(step); !failed.empty())
                        return failed;
                }
                for (unsigned times = chance(0.6) ? 1 + below(undone + 1) : 0; times && undo.canRedo(); --times) {
                    if (auto failed = redoOnce(step); !failed.empty())
                        return failed;
                }
                continue;
            }
            unsigned index = 0;
            for (unsigned sum = weightedSteps[0].first; pick >= sum; sum += weightedSteps[++index].first) { }
            // Typing and backspacing may extend a run already registered.
            // (a deletion made as backspacing counts as backspacing).
            bool runOpen = (index == 0 && m_view.activeTypingRun()) || ((index == 1 || index == 3) && m_view.activeBackspaceRun());
            opened = 0;
            m_extendedTypingRun = false;
            if (weightedSteps[index].second())
                ++applied[index];
            RunLoop::main().runOnce(0);
            bool changed = snapshotOf(document()) != before;
            edits += changed;
            if (opened) {
                m_undoSnapshots.push_back(before);
                m_redoSnapshots.clear();
            } else if (changed && !runOpen && !m_extendedTypingRun) {
                return failure(step, "step kind " + std::to_string(index) + " changed the document without registering its undo:"
                                         + difference(before, snapshotOf(document())));
            }
        } catch (const std::exception& exception) {
            return failure(step, std::string("exception: ") + exception.what());
        }
    }
    return {};
}

class RandomizedEditSequence : public EditingViewTest {
protected:
    // The open panel answers at once with a file of the kind asked for, and
    // is cancelled now and then.
    void SetUp() override
    {
        EditingViewTest::SetUp();
        m_appDelegate.install(path("defaults.plist"));
        ASSERT_TRUE(writeFileAtomically(path("sound.mp3"), "ID3"));
        ASSERT_TRUE(writeFileAtomically(path("clip.mp4"), "...."));
        m_appDelegate->setFileChooser([this](const VornickApplicationDelegate::FileChooserRequest& request,
                                             VornickApplicationDelegate::FileChooserCompletion completion) {
            if (++m_choices % 7 == 0) {
                completion(std::nullopt);
                return;
            }
            const auto& type = request.allowedFileTypes.empty() ? std::u16string() : request.allowedFileTypes.front();
            completion(url(type == u"public.audio" ? "sound.mp3" : type == u"public.movie" ? "clip.mp4" : "picture.png"));
        });
    }
    void TearDown() override
    {
        m_appDelegate.remove();
        EditingViewTest::TearDown();
    }
    void loadPage(const std::string& source)
    {
        std::string name = std::filesystem::path(source).filename().string();
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/" + source, path(name),
                                   std::filesystem::copy_options::overwrite_existing);
        load(name);
    }

    TestApplicationDelegate m_appDelegate;
    unsigned m_choices { 0 };
};

// The pages are split into shards that run side by side: shard k takes
// every page whose index leaves k over when divided by the shard count.
constexpr size_t EditSequenceShards = 3;

class RandomizedEditSequenceShards : public RandomizedEditSequence, public ::testing::WithParamInterface<size_t> { };

TEST_P(RandomizedEditSequenceShards, UndoAndRedoRestoreEveryStepOnRealPages)
{
    RunLoop::main().useManualClock();
    static const char* const pages[] = { "html-pages/blog-post.html", "html-pages/legacy.html", "html-pages/malformed.html",
                                         "html-writer/html5.html", "html-writer/wordpress-blocks.html",
                                         "html-writer/html401-strict.html", "html-writer/xhtml11.xhtml", "editing/page.html",
                                         "editing/tables.html" };
    uint64_t baseSeed = 20261207;
    unsigned stepsPerPage = 2500;
    if (const char* seed = std::getenv("BREVANTON_EDIT_SEQUENCE_SEED"))
        baseSeed = std::strtoull(seed, nullptr, 10);
    if (const char* steps = std::getenv("BREVANTON_EDIT_SEQUENCE_STEPS"))
        stepsPerPage = static_cast<unsigned>(std::strtoul(steps, nullptr, 10));
    // How often a page may switch its substitute by typing the one in force.
    // Once a character that was typed as text is the substitute again, text
    // taken before (an undo payload holding that character) is ambiguous;
    // more than one switch per page reaches that case.
    unsigned substituteSwitches = 1;
    if (const char* switches = std::getenv("BREVANTON_EDIT_SEQUENCE_SUBSTITUTE_SWITCHES"))
        substituteSwitches = static_cast<unsigned>(std::strtoul(switches, nullptr, 10));
    std::vector<unsigned> applied;
    for (size_t index = GetParam(); index < std::size(pages); index += EditSequenceShards) {
        uint64_t seed = baseSeed + index;
        loadPage(pages[index]);
        view->undoManager()->removeAllActions();
        EditSequence sequence(*view, seed, substituteSwitches, m_folder);
        std::string failure = sequence.run(stepsPerPage);
        // Most steps must have done something, or the test proves little.
        EXPECT_GT(sequence.edits, stepsPerPage / 3) << pages[index];
        EXPECT_GT(sequence.undos, stepsPerPage / 20) << pages[index];
        EXPECT_GT(sequence.redos, stepsPerPage / 40) << pages[index];
        EXPECT_EQ(failure, "") << "page " << pages[index] << ", seed " << seed
                               << " (replay: BREVANTON_EDIT_SEQUENCE_SEED=" << baseSeed << ")";
        applied.resize(sequence.applied.size());
        for (size_t kind = 0; kind < applied.size(); ++kind)
            applied[kind] += sequence.applied[kind];
    }
    // Every kind of step, every primitive, did its work somewhere.
    for (size_t kind = 0; kind < applied.size(); ++kind)
        EXPECT_GT(applied[kind], 0u) << "step kind " << kind << " never applied";
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomizedEditSequenceShards, ::testing::Range<size_t>(0, EditSequenceShards));

} // namespace
