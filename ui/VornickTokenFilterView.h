// VornickTokenFilterView: a strip of clickable filter tokens. Each token has a
// title and a represented object; a click selects one token, Command-clicks
// add or remove tokens, and the view tells its delegate the selected objects,
// which the delegate turns into a filter. The strip either wraps its tokens
// onto further lines (and asks its delegate for the height it needs) or keeps
// one line and gathers the tokens that do not fit behind an overflow token
// whose menu lists them.
//
// Two sentinels let a client say that no filter applies (a token titled
// "All", say) and stand for the objects without any token; they are distinct
// from every string and object a client gives.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Event.h"
#include "platform/views/Geometry.h"
#include "platform/views/View.h"

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace brevanton {

class Font;
class Menu;
class MenuItem;
class VornickTokenFilterView;

// A token's represented object: a string, an object (compared by identity),
// or one of the two sentinels.
class VornickTokenObject {
public:
    enum class Kind { String, Object, NoFilterSentinel, AbsenceOfTokensSentinel };

    VornickTokenObject(std::u16string string) : m_kind(Kind::String), m_string(std::move(string)) {}
    VornickTokenObject(const char16_t* string) : VornickTokenObject(std::u16string(string)) {}
    template<typename T>
    VornickTokenObject(std::shared_ptr<T> object)
        : m_kind(Kind::Object), m_object(std::move(object)), m_type(&typeid(T))
    {
    }

    static VornickTokenObject noFilterSentinel() { return VornickTokenObject(Kind::NoFilterSentinel); }
    static VornickTokenObject absenceOfTokensSentinel() { return VornickTokenObject(Kind::AbsenceOfTokensSentinel); }

    Kind kind() const { return m_kind; }
    bool isSentinel() const { return m_kind == Kind::NoFilterSentinel || m_kind == Kind::AbsenceOfTokensSentinel; }
    bool isNull() const { return m_kind == Kind::Object && !m_object; }
    // Empty unless a string.
    const std::u16string& string() const { return m_string; }
    // The object when it was given as a T (null otherwise).
    template<typename T>
    std::shared_ptr<T> object() const
    {
        if (m_kind != Kind::Object || !m_object || *m_type != typeid(T))
            return nullptr;
        return std::static_pointer_cast<T>(m_object);
    }

    friend bool operator==(const VornickTokenObject& a, const VornickTokenObject& b)
    {
        if (a.m_kind != b.m_kind)
            return false;
        if (a.m_kind == Kind::String)
            return a.m_string == b.m_string;
        return a.m_object == b.m_object;
    }

private:
    explicit VornickTokenObject(Kind kind) : m_kind(kind) {}
    Kind m_kind;
    std::u16string m_string;
    std::shared_ptr<void> m_object;
    const std::type_info* m_type { nullptr };
};

// The selected objects: no object twice, in the order they were selected.
using VornickTokenObjectSet = std::vector<VornickTokenObject>;
bool vornick_containsTokenObject(const VornickTokenObjectSet&, const VornickTokenObject&);

// Both operations are optional.
class VornickTokenFilterViewDelegate {
public:
    virtual ~VornickTokenFilterViewDelegate() = default;
    virtual void selectionDidChange(VornickTokenFilterView&, const VornickTokenObjectSet&) {}
    // The height the view needs to show its tokens; the view never resizes itself.
    virtual void wantsNewHeight(VornickTokenFilterView&, double) {}
};

class VornickTokenFilterView : public View {
public:
    explicit VornickTokenFilterView(Rect frame = {});
    ~VornickTokenFilterView() override;

    static VornickTokenObject noFilterSentinel() { return VornickTokenObject::noFilterSentinel(); }
    static VornickTokenObject absenceOfTokensSentinel() { return VornickTokenObject::absenceOfTokensSentinel(); }

    bool isFlipped() const override { return true; }

    // Appends a token; the layout goes stale. A null object asserts
    // ("Invalid parameter not satisfying: representedObject").
    void addToken(std::u16string title, VornickTokenObject representedObject);
    void removeAllTokens();
    const std::vector<std::u16string>& tokenTitles() const { return m_tokenTitles; }
    const std::vector<VornickTokenObject>& tokenObjects() const { return m_tokenObjects; }

    VornickTokenObjectSet selectedObjects() const { return m_selectedObjects; }
    // Neither tells the delegate.
    void addSelectedObject(VornickTokenObject);
    void clearSelection();

    bool wraps() const { return m_wraps; }
    void setWraps(bool);
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(Color);
    // The label of the overflow token: a midline horizontal ellipsis.
    const std::u16string& overflowMenuLabel() const { return m_overflowMenuLabel; }

    VornickTokenFilterViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickTokenFilterViewDelegate* delegate) { m_delegate = delegate; }

    // The laid-out rectangle of each shown token (laid out first when stale);
    // with the overflow mark the last one is the overflow token's.
    const std::vector<Rect>& tokenCapsuleRects();
    bool lastTokenCapsuleRectIsOverflowMenuCapsule() const { return m_lastRectIsOverflow; }
    bool tokensNeedLayout() const { return m_tokenCapsuleRects.empty(); }
    void setTokensNeedLayout() { m_tokenCapsuleRects.clear(); }
    void layoutTokensIfNeeded();
    // The height the laid-out tokens need: 5 without tokens.
    double neededHeight() const;
    // The index of the first rectangle holding the point (view coordinates), or -1.
    long tokenIndexFromPoint(Point) const;
    // Applies the selection rule for the token's object and the modifier
    // keys; answers whether it handled the click.
    bool modifySelectionOfToken(const VornickTokenObject&, ModifierFlags);
    // The action of the overflow menu's items: the selection rule with the
    // modifiers of the application's current event.
    void chooseToken(MenuItem&);
    // The overflow menu, once shown (made on first use, then reused).
    const std::shared_ptr<Menu>& overflowContextMenu() const { return m_overflowContextMenu; }

    void resizeSubviewsWithOldSize(Size oldSize) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;

    static std::shared_ptr<const Font> tokenFont();

private:
    void showOverflowContextMenu(const Event&);
    Size measure(const std::u16string&) const;
    void drawLabel(GraphicsContext&, const std::u16string&, const Rect&, const Color&) const;

    std::vector<std::u16string> m_tokenTitles;
    std::vector<VornickTokenObject> m_tokenObjects;
    VornickTokenObjectSet m_selectedObjects;
    bool m_wraps { false };
    std::u16string m_overflowMenuLabel;
    Color m_backgroundColor;
    std::vector<Rect> m_tokenCapsuleRects;
    bool m_lastRectIsOverflow { false };
    std::shared_ptr<Menu> m_overflowContextMenu;
    VornickTokenFilterViewDelegate* m_delegate { nullptr };
};

} // namespace brevanton
