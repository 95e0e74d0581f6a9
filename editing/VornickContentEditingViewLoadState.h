// What the editing view remembers of one load: the repaired copies it made
// (removed with the next load and with the view) and the base elements it
// put into them, so that writing leaves out exactly those.
#pragma once

#include "editing/VornickContentEditingView.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickValidationAdvisory.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickDocumentFile.h"

#include <functional>
#include <future>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <memory>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class LoadedDocument;
class WebFrame;

class VornickContentEditingViewLoadState {
public:
    VornickContentEditingViewLoadState() = default;
    ~VornickContentEditingViewLoadState();
    VornickContentEditingViewLoadState(const VornickContentEditingViewLoadState&) = delete;
    VornickContentEditingViewLoadState& operator=(const VornickContentEditingViewLoadState&) = delete;

    // Removes the repaired copies and forgets everything but the files to
    // repair. A check still running is stopped and ends unheard.
    void reset();

    // The tidy check of a frame's file (the validation of the text the page
    // shows), run in the background while the page loads: its run, and the
    // text it checked (the page's own); a check may find nothing to answer
    // (no run). It is given the token that stops its tidy run.
    struct Verdict {
        std::shared_ptr<const VornickTidyFilter::ValidationRun> run;
        std::shared_ptr<const LoadedDocument> text;
    };
    using Check = std::function<Verdict(std::stop_token stop)>;
    // Tidy's repair of the frame's file into a copy, made beside the check so
    // that a broken page waits for one tidy run, not two one after the other.
    struct Repair {
        // The repaired copy: removed here unless the repair is taken.
        std::optional<URL> copy;
        bool succeeded { false };
        VornickTidyResultCode result { VornickTidyResultCode::NotValidated };
        std::vector<VornickValidationAdvisory> advisories;
        // Compared with the page as parsed, the copy was found to lose nothing.
        bool keepsEverything { false };
    };
    // The repair is given the token that stops its tidy run.
    using RepairRun = std::function<Repair(std::stop_token stop)>;
    // The check's verdict is waited for as long as tidy runs (tidy's own
    // timeout ends a run that hangs); the repair, when there is one, runs at
    // the same time on a thread of its own.
    void startCheck(const WebFrame&, Check, RepairRun = nullptr);
    // Waits for the frame's check and forgets it; no run when none was started.
    // A check whose tidy did not end by itself answers a run that did not
    // finish. The repair made beside it is kept until takeRepair or
    // noteFileToRepair takes it along or dropRepair.
    Verdict finishCheck(const WebFrame&);
    // Waits for the repair made beside the frame's check and hands it over
    // (the caller owns its copy); none when none was made.
    std::optional<Repair> takeRepair(const WebFrame&);
    bool hasCheck(const WebFrame& frame) const { return m_checks.contains(&frame); }
    // Stops and forgets the frame's check and repair without waiting for the
    // check (its load failed).
    void dropCheck(const WebFrame& frame);
    // Stops the repair made beside the frame's check, without waiting for
    // it: its copy is removed on the repair's thread, or when this state
    // goes, which waits for every repair it dropped.
    void dropRepair(const WebFrame&);
    // A file whose check found structural damage, to be loaded again from a
    // repaired copy without being checked again; kept until a load takes it,
    // with the repair made beside the check of `checkedFrame`.
    void noteFileToRepair(const URL&, const WebFrame* checkedFrame = nullptr);
    // The same with the repair made already.
    void noteFileToRepair(const URL&, Repair);
    // Whether the file is to be repaired; `repair` is given the repair made
    // beside its check, waited for (the caller owns its copy), or none.
    bool takeFileToRepair(const URL&, std::optional<Repair>* repair = nullptr);

    void noteRepairedCopy(const WebFrame&, const URL& copy, bool insertedBaseElement);
    bool isRepairedCopy(const URL&) const;
    // The base element put into the frame's repaired copy, found in its
    // document (the first BASE in the head pointing at the original file).
    std::shared_ptr<DOMElement> insertedBaseElementFor(const WebFrame&);

    // The document file behind a path, read when its frame loaded, so that a
    // save refuses to overwrite changes another program made since.
    void noteDocumentFileOfFrame(const WebFrame&);
    // That file, or a new one for a path no frame loaded.
    VornickDocumentFile& documentFileForPath(const std::string& path);
    // Forgets what was read of the file, so that the next save replaces
    // whatever it holds now.
    void forgetDocumentFile(const std::string& path) { m_documentFiles.erase(path); }

private:
    struct Copy {
        std::optional<URL> url;
        bool insertedBaseElement { false };
        std::weak_ptr<DOMElement> baseElement;
    };
    std::map<const WebFrame*, Copy> m_copies;
    struct RunningCheck {
        std::shared_future<Verdict> verdict;
        std::stop_source stop;
    };
    std::map<const WebFrame*, RunningCheck> m_checks;
    struct RunningRepair {
        std::shared_future<Repair> outcome;
        std::stop_source stop;
    };
    std::map<const WebFrame*, RunningRepair> m_repairs;
    struct FileToRepair {
        URL url;
        std::optional<RunningRepair> repair;
    };
    std::vector<FileToRepair> m_filesToRepair;
    // Hands the repair over, or stops it (when asked or stopped already) and
    // drops it.
    std::optional<Repair> finish(RunningRepair, bool stop);
    void drop(RunningRepair);
    // Repairs stopped and not yet seen to end.
    std::vector<std::shared_future<Repair>> m_droppedRepairs;
    std::map<std::string, VornickDocumentFile> m_documentFiles;
    std::vector<URL> m_files;
};

// The main frame's write prepared while tidy checked its file: the bytes
// wait beside the file for the write that puts them in place, valid for the
// document of that load as long as it is unchanged. They are encoded and
// written beside the file on a thread of their own while loading ends; a
// save that cannot be prepared leaves nothing (dropping the write back
// waits for that thread).
struct VornickContentEditingView::PreparedWriteBack {
    std::string path;
    uint64_t loadGeneration { 0 };
    std::weak_ptr<const DOMDocument> document;
    uint64_t contentVersion { 0 };
    std::future<std::optional<VornickDocumentFile::PreparedSave>> save;
};

} // namespace brevanton
