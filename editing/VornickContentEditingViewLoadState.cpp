#include "editing/VornickContentEditingViewLoadState.h"

#include "dom/VornickDocumentExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"

#include <algorithm>

namespace brevanton {

namespace {

void removeCopyOf(const VornickContentEditingViewLoadState::Repair& repair)
{
    if (repair.copy) {
        if (auto path = repair.copy->fileSystemPath())
            (void)removeItem(*path);
    }
}

} // namespace

VornickContentEditingViewLoadState::~VornickContentEditingViewLoadState()
{
    reset();
    for (auto& file : m_filesToRepair) {
        if (file.repair)
            drop(std::move(*file.repair));
    }
    // A stopped tidy ends at once: its process is reaped and its copy
    // removed before the state goes.
    for (auto& dropped : m_droppedRepairs)
        removeCopyOf(dropped.get());
}

void VornickContentEditingViewLoadState::reset()
{
    for (const auto& file : m_files) {
        if (auto path = file.fileSystemPath())
            (void)removeItem(*path);
    }
    m_files.clear();
    m_copies.clear();
    m_documentFiles.clear();
    for (auto& [frame, check] : m_checks)
        check.stop.request_stop();
    m_checks.clear();
    while (!m_repairs.empty())
        dropRepair(*m_repairs.begin()->first);
}

namespace {

OperationQueue& checkQueue()
{
    static OperationQueue queue("Load Check Queue", 2);
    return queue;
}

} // namespace

void VornickContentEditingViewLoadState::startCheck(const WebFrame& frame, Check check, RepairRun repair)
{
    dropRepair(frame);
    if (repair) {
        // A thread of its own, not the queue, so that the repair never waits
        // behind another check.
        std::stop_source stop;
        auto made = VornickTidyFilter::startRepairThread<Repair>([stop = stop.get_token(), repair = std::move(repair)] {
            auto made = repair(stop);
            // A repair stopped while it ran is nobody's: its copy goes here,
            // not on the thread that stopped it.
            if (stop.stop_requested() && made.copy) {
                removeCopyOf(made);
                made.copy.reset();
            }
            return made;
        });
        m_repairs[&frame] = RunningRepair { std::move(made), stop };
    }
    auto promise = std::make_shared<std::promise<Verdict>>();
    std::stop_source stop;
    auto verdict = promise->get_future().share();
    m_checks[&frame] = RunningCheck { verdict, stop };
    checkQueue().addOperation([promise, stop = stop.get_token(), check = std::move(check)] { promise->set_value(check(stop)); });

}

std::optional<VornickContentEditingViewLoadState::Repair> VornickContentEditingViewLoadState::finish(RunningRepair running, bool stop)
{
    // A repair stopped already is no repair.
    if (running.stop.stop_requested())
        stop = true;
    if (stop) {
        drop(std::move(running));
        return std::nullopt;
    }
    return running.outcome.get();
}

void VornickContentEditingViewLoadState::drop(RunningRepair running)
{
    // The repair's tidy is stopped (and reaped) on the repair's thread; the
    // loading that dropped it goes on meanwhile. The copies of those that
    // ended already are removed now.
    running.stop.request_stop();
    std::erase_if(m_droppedRepairs, [](const std::shared_future<Repair>& dropped) {
        if (dropped.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return false;
        removeCopyOf(dropped.get());
        return true;
    });
    m_droppedRepairs.push_back(std::move(running.outcome));
}

void VornickContentEditingViewLoadState::dropRepair(const WebFrame& frame)
{
    auto found = m_repairs.find(&frame);
    if (found == m_repairs.end())
        return;
    auto running = std::move(found->second);
    m_repairs.erase(found);
    drop(std::move(running));
}

std::optional<VornickContentEditingViewLoadState::Repair> VornickContentEditingViewLoadState::takeRepair(const WebFrame& frame)
{
    auto found = m_repairs.find(&frame);
    if (found == m_repairs.end())
        return std::nullopt;
    auto running = std::move(found->second);
    m_repairs.erase(found);
    return finish(std::move(running), false);
}

VornickContentEditingViewLoadState::Verdict VornickContentEditingViewLoadState::finishCheck(const WebFrame& frame)
{
    auto found = m_checks.find(&frame);
    if (found == m_checks.end())
        return {};
    auto check = std::move(found->second);
    m_checks.erase(found);
    try {
        return check.verdict.get();
    } catch (const std::future_error&) {
        return {}; // The queue went away before the check ran.
    }
}

void VornickContentEditingViewLoadState::dropCheck(const WebFrame& frame)
{
    if (auto found = m_checks.find(&frame); found != m_checks.end()) {
        found->second.stop.request_stop();
        m_checks.erase(found);
    }
    dropRepair(frame);
}

void VornickContentEditingViewLoadState::noteFileToRepair(const URL& url, const WebFrame* checkedFrame)
{
    std::optional<RunningRepair> repair;
    if (auto found = checkedFrame ? m_repairs.find(checkedFrame) : m_repairs.end(); found != m_repairs.end()) {
        repair = std::move(found->second);
        m_repairs.erase(found);
    }
    auto found = std::find_if(m_filesToRepair.begin(), m_filesToRepair.end(), [&url](const auto& file) { return file.url == url; });
    if (found == m_filesToRepair.end()) {
        m_filesToRepair.push_back(FileToRepair { url, std::move(repair) });
        return;
    }
    if (repair) {
        if (found->repair)
            drop(std::move(*found->repair));
        found->repair = std::move(repair);
    }
}

void VornickContentEditingViewLoadState::noteFileToRepair(const URL& url, Repair made)
{
    std::promise<Repair> promise;
    promise.set_value(std::move(made));
    RunningRepair repair { promise.get_future().share(), std::stop_source() };
    auto found = std::find_if(m_filesToRepair.begin(), m_filesToRepair.end(), [&url](const auto& file) { return file.url == url; });
    if (found == m_filesToRepair.end()) {
        m_filesToRepair.push_back(FileToRepair { url, std::move(repair) });
        return;
    }
    if (found->repair)
        drop(std::move(*found->repair));
    found->repair = std::move(repair);
}

bool VornickContentEditingViewLoadState::takeFileToRepair(const URL& url, std::optional<Repair>* repair)
{
    auto found = std::find_if(m_filesToRepair.begin(), m_filesToRepair.end(), [&url](const auto& file) { return file.url == url; });
    if (found == m_filesToRepair.end())
        return false;
    auto running = std::move(found->repair);
    m_filesToRepair.erase(found);
    if (running) {
        if (repair)
            *repair = finish(std::move(*running), false);
        else
            drop(std::move(*running));
    }
    return true;
}

void VornickContentEditingViewLoadState::noteDocumentFileOfFrame(const WebFrame& frame)
{
    auto& dataSource = frame.dataSource();
    if (!dataSource)
        return;
    auto path = dataSource->initialRequest().url().fileSystemPath();
    if (!path || !VornickDocumentFile::isDocumentPath(*path))
        return;
    // The file as the load read it, when the page came from it rather than
    // from a repaired copy: a change made since, even while the page was
    // parsed, makes a save refuse.
    auto& response = dataSource->response();
    if (response && response->fileStamp() && response->url().fileSystemPath() == path) {
        m_documentFiles.insert_or_assign(*path, VornickDocumentFile(*path, *response->fileStamp()));
        return;
    }
    VornickDocumentFile file(*path);
    Error error;
    // A file that cannot be read now is checked again when it is saved.
    if (file.read(&error))
        m_documentFiles.insert_or_assign(*path, std::move(file));
}

VornickDocumentFile& VornickContentEditingViewLoadState::documentFileForPath(const std::string& path)
{
    auto found = m_documentFiles.find(path);
    if (found == m_documentFiles.end())
        found = m_documentFiles.emplace(path, VornickDocumentFile(path)).first;
    return found->second;
}

void VornickContentEditingViewLoadState::noteRepairedCopy(const WebFrame& frame, const URL& copy, bool insertedBaseElement)
{
    m_copies[&frame] = Copy { copy, insertedBaseElement, {} };
    m_files.push_back(copy);
}

bool VornickContentEditingViewLoadState::isRepairedCopy(const URL& url) const
{
    for (const auto& file : m_files) {
        if (file == url)
            return true;
    }
    return false;
}

std::shared_ptr<DOMElement> VornickContentEditingViewLoadState::insertedBaseElementFor(const WebFrame& frame)
{
    auto found = m_copies.find(&frame);
    if (found == m_copies.end() || !found->second.insertedBaseElement)
        return nullptr;
    Copy& copy = found->second;
    if (auto element = copy.baseElement.lock(); element && element->isConnected())
        return element;
    auto& document = frame.domDocument();
    auto& dataSource = frame.dataSource();
    if (!document || !dataSource)
        return nullptr;
    auto head = vornick_headElement(*document);
    if (!head)
        return nullptr;
    auto original = dataSource->initialRequest().url().absoluteString();
    for (auto child = head->firstChild(); child; child = child->nextSibling()) {
        if (child->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        auto& element = downcast<DOMElement>(*child);
        if (equalsIgnoringASCIICase(element.localName(), u"base") && element.getAttribute(u"href") == original) {
            auto shared = downcast<DOMElement>(child);
            copy.baseElement = shared;
            return shared;
        }
    }
    return nullptr;
}

} // namespace brevanton
