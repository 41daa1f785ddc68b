#include "host/backends/win32/win32_accessible.h"

#include <oleacc.h>

#include "host/backends/win32/win32_host.h"

namespace tarvik::win32 {

namespace {

// What MSAA calls a push button's click, and a double-click (the title bar's maximize or restore).
constexpr const wchar_t* kPressAction = L"Press";
constexpr const wchar_t* kDoubleClickAction = L"Double Click";
// No state bits: shown, enabled, never focused (STATE_SYSTEM_NORMAL, which mingw-w64 lacks).
constexpr LONG kNoStates = 0;

LONG RoleConstant(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::TitleBar: return ROLE_SYSTEM_TITLEBAR;
        case AccessibleRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
        case AccessibleRole::Grip: return ROLE_SYSTEM_GRIP;
    }
    return ROLE_SYSTEM_CLIENT;
}

DWORD WinEventOf(AccessibleChange change) {
    switch (change) {
        case AccessibleChange::Shown: return EVENT_OBJECT_SHOW;
        case AccessibleChange::Hidden: return EVENT_OBJECT_HIDE;
        case AccessibleChange::Renamed: return EVENT_OBJECT_NAMECHANGE;
        case AccessibleChange::Moved: return EVENT_OBJECT_LOCATIONCHANGE;
    }
    return EVENT_OBJECT_LOCATIONCHANGE;
}

// A BSTR of UTF-8 text; null for "" (MSAA's "no such property").
BSTR MakeBstr(const std::string& text) {
    if (text.empty()) return nullptr;
    return SysAllocString(Widen(text).c_str());
}

void SetChild(VARIANT* v, long childId) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = childId;
}

}  // namespace

// The client area's IAccessible and, as MSAA clients expect of a container, its own child
// enumerator. Clients may hold it after the window has gone: then every call says so.
class ClientAccessible final : public IAccessible, public IEnumVARIANT {
public:
    explicit ClientAccessible(std::shared_ptr<AccessibleLink> link) : link_(std::move(link)) {}

    // --- IUnknown -------------------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IEnumVARIANT))
            *out = static_cast<IEnumVARIANT*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: not offered; clients use the IAccessible methods -----------------------
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible ------------------------------------------------------------------------
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        IAccessible* s = Standard();
        return s ? s->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
    }

    STDMETHODIMP get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        if (!Host()) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<LONG>(Items().size());
        return S_OK;
    }

    // The children are simple elements, reached by child number: no objects of their own.
    STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        return hr == S_OK ? S_FALSE : hr == S_FALSE ? E_INVALIDARG : hr;
    }

    STDMETHODIMP get_accName(VARIANT id, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->get_accName(id, name);
        if (hr != S_OK) return hr;
        *name = MakeBstr(item.name);
        return *name ? S_OK : S_FALSE;
    }

    STDMETHODIMP get_accValue(VARIANT id, BSTR* value) override {
        return ChildOrStandard(id, value, [&](IAccessible* s) { return s->get_accValue(id, value); });
    }
    STDMETHODIMP get_accDescription(VARIANT id, BSTR* text) override {
        return ChildOrStandard(id, text, [&](IAccessible* s) { return s->get_accDescription(id, text); });
    }
    STDMETHODIMP get_accHelp(VARIANT id, BSTR* text) override {
        return ChildOrStandard(id, text, [&](IAccessible* s) { return s->get_accHelp(id, text); });
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* text) override {
        return ChildOrStandard(id, text, [&](IAccessible* s) { return s->get_accKeyboardShortcut(id, text); });
    }

    STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->get_accRole(id, role);
        if (hr != S_OK) return hr;
        SetChild(role, RoleConstant(item.role));
        return S_OK;
    }

    // The painted elements never take the keyboard focus and have no states of their own.
    STDMETHODIMP get_accState(VARIANT id, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->get_accState(id, state);
        if (hr != S_OK) return hr;
        SetChild(state, kNoStates);
        return S_OK;
    }

    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->get_accHelpTopic(file, id, topic);
        return hr == S_OK ? S_FALSE : hr;
    }

    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        IAccessible* s = Standard();
        return s ? s->get_accFocus(focus) : CO_E_OBJNOTCONNECTED;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        IAccessible* s = Standard();
        return s ? s->get_accSelection(selection) : CO_E_OBJNOTCONNECTED;
    }

    STDMETHODIMP get_accDefaultAction(VARIANT id, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->get_accDefaultAction(id, action);
        if (hr != S_OK) return hr;
        const AccessibleAction kind = DefaultActionOf(item.elem);
        if (kind == AccessibleAction::None) return S_FALSE;
        *action = SysAllocString(kind == AccessibleAction::DoubleClick ? kDoubleClickAction : kPressAction);
        return *action ? S_OK : E_OUTOFMEMORY;
    }

    STDMETHODIMP accSelect(LONG flags, VARIANT id) override {
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->accSelect(flags, id);
        return hr == S_OK ? S_FALSE : hr;
    }

    // Children in screen pixels, from their layout boxes at the window's scale and the client area's place on the screen.
    STDMETHODIMP accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT id) override {
        if (!x || !y || !w || !h) return E_POINTER;
        *x = *y = *w = *h = 0;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->accLocation(x, y, w, h, id);
        if (hr != S_OK) return hr;
        const PixelRect box = Host()->Scale().ToDevice(item.box);
        ::POINT origin{box.x, box.y};
        ClientToScreen(Host()->Window(), &origin);
        *x = origin.x;
        *y = origin.y;
        *w = box.w;
        *h = box.h;
        return S_OK;
    }

    // First and last child from the client area; next and previous among the children in reading order.
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        AccessibleItem from;
        const HRESULT hr = Child(start, &from);
        if (hr != S_OK && hr != S_FALSE) return hr;
        const std::vector<AccessibleItem> items = Items();
        if (hr == S_FALSE) {
            if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD)
                return Standard()->accNavigate(direction, start, end);
            if (items.empty()) return S_FALSE;
            SetChild(end, AccessibleChildId(direction == NAVDIR_FIRSTCHILD ? items.front().elem : items.back().elem));
            return S_OK;
        }
        if (direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS) return S_FALSE;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].elem != from.elem) continue;
            const std::size_t to = direction == NAVDIR_NEXT ? i + 1 : i - 1;  // wraps past the front
            if (to >= items.size()) return S_FALSE;
            SetChild(end, AccessibleChildId(items[to].elem));
            return S_OK;
        }
        return S_FALSE;
    }

    // The child that a click at the point would reach; the client area itself elsewhere inside it.
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* found) override {
        if (!found) return E_POINTER;
        VariantInit(found);
        if (!Host()) return CO_E_OBJNOTCONNECTED;
        ::POINT p{x, y};
        ScreenToClient(Host()->Window(), &p);
        p = {Host()->Scale().ToLayout(p.x), Host()->Scale().ToLayout(p.y)};
        const AccessibleWindow view = Host()->AccessibleView();
        if (view.minimized || p.x < 0 || p.y < 0 || p.x >= view.width || p.y >= view.height) return S_FALSE;
        const std::optional<Elem> hit = Host()->AccessibleHitNow(p.x, p.y);
        SetChild(found, hit ? AccessibleChildId(*hit) : CHILDID_SELF);
        return S_OK;
    }

    // A button's click or the title bar's double-click runs as the window's own next event, as the pointer's would.
    STDMETHODIMP accDoDefaultAction(VARIANT id) override {
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return Standard()->accDoDefaultAction(id);
        if (hr != S_OK) return hr;
        if (!HasDefaultAction(item.elem)) return DISP_E_MEMBERNOTFOUND;
        if (!PostMessageW(Host()->Window(), kDefaultActionMessage, static_cast<WPARAM>(item.elem), 0)) return E_FAIL;
        return S_OK;
    }

    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // --- IEnumVARIANT: the exposed children's numbers ---------------------------------------
    STDMETHODIMP Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        if (!Host()) return CO_E_OBJNOTCONNECTED;
        const std::vector<AccessibleItem> items = Items();
        ULONG n = 0;
        for (; n < count && next_ < items.size(); ++n, ++next_) SetChild(out + n, AccessibleChildId(items[next_].elem));
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        if (!Host()) return CO_E_OBJNOTCONNECTED;
        const std::size_t total = Items().size();
        next_ += count;
        if (next_ <= total) return S_OK;
        next_ = total;
        return S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!Host()) return CO_E_OBJNOTCONNECTED;
        auto* copy = new ClientAccessible(link_);
        copy->next_ = next_;
        *out = copy;
        return S_OK;
    }

private:
    ~ClientAccessible() {
        if (standard_) standard_->Release();
    }

    Win32Host* Host() const { return link_->host; }

    std::vector<AccessibleItem> Items() const { return Host()->AccessibleItemsNow(); }

    // The system's object for the client area, which answers for the area itself; none once the window has gone.
    IAccessible* Standard() {
        if (!Host() && standard_) {
            standard_->Release();
            standard_ = nullptr;
        }
        if (!Host()) return nullptr;
        if (!standard_)
            CreateStdAccessibleObject(Host()->Window(), OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard_));
        return standard_;
    }

    // Resolves a child number: S_OK and the item for an exposed child, S_FALSE for the client
    // area itself, an error for anything else or once the window has gone.
    HRESULT Child(const VARIANT& id, AccessibleItem* item) {
        if (!Host() || !Standard()) return CO_E_OBJNOTCONNECTED;
        if (id.vt != VT_I4) return E_INVALIDARG;
        if (id.lVal == CHILDID_SELF) return S_FALSE;
        const std::optional<Elem> elem = AccessibleElemOf(id.lVal);
        if (!elem) return E_INVALIDARG;
        const std::optional<AccessibleItem> found = FindAccessible(Items(), *elem);
        if (!found) return E_INVALIDARG;
        *item = *found;
        return S_OK;
    }

    // A text property that the children do not have; the client area's comes from the system.
    template <class F>
    HRESULT ChildOrStandard(const VARIANT& id, BSTR* text, F&& standard) {
        if (!text) return E_POINTER;
        *text = nullptr;
        AccessibleItem item;
        const HRESULT hr = Child(id, &item);
        if (hr == S_FALSE) return standard(Standard());
        return hr == S_OK ? S_FALSE : hr;
    }

    LONG refs_ = 1;
    std::shared_ptr<AccessibleLink> link_;
    IAccessible* standard_ = nullptr;
    std::size_t next_ = 0;
};

Accessibility::Accessibility(Win32Host& host) : host_(host), link_(std::make_shared<AccessibleLink>(AccessibleLink{&host})) {}

Accessibility::~Accessibility() {
    link_->host = nullptr;
    if (client_) client_->Release();
}

LRESULT Accessibility::GetObject(WPARAM wparam, LPARAM lparam) {
    if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT) return 0;
    if (!client_) client_ = new ClientAccessible(link_);  // keeps the creation reference
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(client_));
    return result > 0 ? result : 0;
}

void Accessibility::Announce() {
    if (!changed_) return;
    changed_ = false;
    std::vector<AccessibleItem> now = AccessibleItems(host_.Elements(), host_.AccessibleView());
    for (const AccessibleEvent& event : AccessibleChanges(announced_, now))
        NotifyWinEvent(WinEventOf(event.change), host_.Window(), OBJID_CLIENT, AccessibleChildId(event.elem));
    announced_ = std::move(now);
}

}  // namespace tarvik::win32
