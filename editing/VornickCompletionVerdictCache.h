// VornickCompletionVerdictCache: what the editing view found out about each
// offered element or snippet at one base target range (whether it is
// offered there, and whether some candidate range takes it, or the reason
// none does). The answers hold while the document, the range and the rules
// that gave them stay the same: any change of the document's content, of
// the range's boundary points, of the HTML specification, the snippet sets
// or the block-mode helper starts the cache afresh. Keystrokes of one
// completion therefore judge each object once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace brevanton {

class DOMDocument;
class DOMNode;
class DOMRange;

class VornickCompletionVerdictCache {
public:
    // Everything the answers depend on. Objects are compared by identity and
    // held weakly: one that is gone never matches again.
    struct Context {
        std::weak_ptr<const DOMDocument> document;
        uint64_t documentContentVersion { 0 };
        std::weak_ptr<const DOMNode> startContainer;
        unsigned startOffset { 0 };
        std::weak_ptr<const DOMNode> endContainer;
        unsigned endOffset { 0 };
        std::weak_ptr<const void> spec;
        std::weak_ptr<const void> baseFragmentSet;
        std::weak_ptr<const void> userFragmentSet;
        std::weak_ptr<const void> blockModeHelper;
        bool blockMode { false };
    };
    static Context contextForRange(const DOMRange&, std::shared_ptr<const void> spec, std::shared_ptr<const void> baseFragmentSet,
                                   std::shared_ptr<const void> userFragmentSet, std::shared_ptr<const void> blockModeHelper,
                                   bool blockMode);

    struct Placement {
        bool allowed { false };
        std::u16string reasonWhyNot;
    };
    struct Entry {
        std::optional<bool> offered;
        std::optional<Placement> placement;
    };

    // Starts afresh unless the context is the one the answers were found in.
    void useContext(Context);
    // The answers about an object (an element spec or a snippet); the entry
    // keeps the object, so its address is never another's while cached.
    template<typename T> Entry& entryForObject(const std::shared_ptr<T>& object)
    {
        auto& held = m_entries[object.get()];
        if (!held.object)
            held.object = object;
        return held.entry;
    }
    void removeAllEntries();
    size_t count() const { return m_entries.size(); }

private:
    struct Held {
        std::shared_ptr<const void> object;
        Entry entry;
    };
    std::optional<Context> m_context;
    std::unordered_map<const void*, Held> m_entries;
};

} // namespace brevanton
