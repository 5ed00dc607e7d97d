#include "ui/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <new>
#include <utility>

#include "app/owned.h"
#include "app/system_calls.h"
#include "ui/window_layout.h"

namespace nadeshiro::ui {

namespace {

using platform::sys::SystemFunction;

// Screen readers are few beside players: the system's accessibility and automation libraries
// are loaded when a reader first asks, not at every start of the tool.
struct OleFunctions {
    decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&SysAllocStringLen) sysAllocStringLen = nullptr;
    decltype(&VariantClear) variantClear = nullptr;
    bool loaded = false;
};

const OleFunctions& Ole()
{
    static const OleFunctions functions = [] {
        OleFunctions f;
        // COM carries the tool's objects to the reader's process; this is the user-interface
        // thread, where every window lives.
        if (auto initialise = SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx"))
            initialise(nullptr, COINIT_APARTMENTTHREADED);
        f.createStdAccessibleObject = SystemFunction<decltype(f.createStdAccessibleObject)>(L"oleacc.dll", "CreateStdAccessibleObject");
        f.lresultFromObject = SystemFunction<decltype(f.lresultFromObject)>(L"oleacc.dll", "LresultFromObject");
        f.sysAllocStringLen = SystemFunction<decltype(f.sysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
        f.variantClear = SystemFunction<decltype(f.variantClear)>(L"oleaut32.dll", "VariantClear");
        f.loaded = f.createStdAccessibleObject && f.lresultFromObject && f.sysAllocStringLen && f.variantClear;
        return f;
    }();
    return functions;
}

// The failure boundary of a COM method called by a screen reader, often from another
// process: a failure is answered as an HRESULT to the caller, never thrown into the
// system's frames, and no message box stops the reader's call.
template <typename Work>
HRESULT Answered(Work&& work) noexcept
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT GiveText(const std::wstring& text, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    *out = Ole().sysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Whose items a control has: a list box's, a tab control's, or none.
enum class ItemsOf { None, ListBox, TabControl };

// The system's accessible object of a control, with the tool's name and item texts.
class Accessible final : public IAccessible, public IOleWindow {
public:
    Accessible(HWND control, ComPtr<IAccessible> system, const AccessibleText& text)
        : control_(control), system_(std::move(system)), text_(text)
    {
        if (text.role == ROLE_SYSTEM_LIST) items_ = ItemsOf::ListBox;
        if (text.role == ROLE_SYSTEM_PAGETABLIST) items_ = ItemsOf::TabControl;
        VARIANT self{}, role{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        // The system knows the control only as a plain client area: the control's standard
        // role, and its items, are filled in here.
        fillIn_ = text.role != ROLE_SYSTEM_CLIENT && SUCCEEDED(system_->get_accRole(self, &role)) &&
                  role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_CLIENT;
        Ole().variantClear(&role);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleWindow: the control, as the standard objects answer it.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (window == nullptr) return E_POINTER;
        *window = control_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch: the system's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return system_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return system_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return system_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argument) override
    {
        return system_->Invoke(id, iid, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible: the name is the tool's; the rest is the system's, filled in where the
    // system knows the control only as a client area.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Answered([&]() -> HRESULT {
            if (IsSelf(child) && text_.name != nullptr) return GiveText(text_.name, name);
            int index = ItemIndex(child);
            if (index >= 0 && text_.items != nullptr) return GiveText(text_.items->ItemName(index), name);
            if (index >= 0 && fillIn_) return GiveText(ItemText(index), name);
            return system_->get_accName(child, name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return Answered([&]() -> HRESULT {
            int index = ItemIndex(child);
            if (index >= 0 && text_.items != nullptr) return GiveText(text_.items->ItemDescription(index), description);
            return system_->get_accDescription(child, description);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!fillIn_ || role == nullptr) return system_->get_accRole(child, role);
        bool self = IsSelf(child);
        if (!self && ItemIndex(child) < 0) return system_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = self ? text_.role : (items_ == ItemsOf::TabControl ? ROLE_SYSTEM_PAGETAB : ROLE_SYSTEM_LISTITEM);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        int index = fillIn_ ? ItemIndex(child) : -1;
        if (index < 0 || state == nullptr) return system_->get_accState(child, state);
        LONG flags = STATE_SYSTEM_SELECTABLE;
        if (index == CurrentItem()) {
            flags |= STATE_SYSTEM_SELECTED;
            if (items_ == ItemsOf::ListBox) flags |= STATE_SYSTEM_FOCUSABLE | (::GetFocus() == control_ ? STATE_SYSTEM_FOCUSED : 0);
        }
        RECT item{}, client{}, seen{};
        GetClientRect(control_, &client);
        if (!ItemRect(index, &item) || !IntersectRect(&seen, &item, &client)) flags |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return Answered([&]() -> HRESULT {
            if (value == nullptr) return E_POINTER;
            *value = nullptr;
            HRESULT result = system_->get_accValue(child, value);
            // A drop-down list's value is its selected entry, which is its window text.
            if ((FAILED(result) || *value == nullptr) && fillIn_ && IsSelf(child) && text_.role == ROLE_SYSTEM_COMBOBOX)
                return GiveText(WindowText(control_), value);
            return result;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!fillIn_ || items_ == ItemsOf::None || count == nullptr) return system_->get_accChildCount(count);
        *count = ItemCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (!fillIn_ || ItemIndex(child) < 0 || object == nullptr) return system_->get_accChild(child, object);
        *object = nullptr;  // an item is an element of the control, with no object of its own
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        RECT item{};
        int index = fillIn_ ? ItemIndex(child) : -1;
        if (index < 0 || left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return system_->accLocation(left, top, width, height, child);
        if (!ItemRect(index, &item)) return S_FALSE;
        MapWindowPoints(control_, nullptr, reinterpret_cast<POINT*>(&item), 2);
        *left = item.left;
        *top = item.top;
        *width = item.right - item.left;
        *height = item.bottom - item.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return system_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return system_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return system_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return system_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override { return system_->get_accSelection(selection); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return system_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return system_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return system_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return system_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return system_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return system_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { return system_->put_accValue(child, value); }

private:
    ~Accessible() = default;

    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    int ItemCount() const
    {
        LRESULT count = 0;
        if (items_ == ItemsOf::ListBox) count = SendMessageW(control_, LB_GETCOUNT, 0, 0);
        if (items_ == ItemsOf::TabControl) count = SendMessageW(control_, TCM_GETITEMCOUNT, 0, 0);
        return count > 0 ? static_cast<int>(count) : 0;
    }
    // The item that child names, from 0; -1 for the control itself or no item of it.
    int ItemIndex(const VARIANT& child) const
    {
        if (items_ == ItemsOf::None || child.vt != VT_I4 || child.lVal < 1 || child.lVal > ItemCount()) return -1;
        return static_cast<int>(child.lVal - 1);
    }
    int CurrentItem() const
    {
        UINT message = items_ == ItemsOf::ListBox ? LB_GETCURSEL : TCM_GETCURSEL;
        return static_cast<int>(SendMessageW(control_, message, 0, 0));
    }
    std::wstring ItemText(int index) const
    {
        if (items_ == ItemsOf::ListBox) {
            LRESULT length = SendMessageW(control_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
            if (length <= 0) return std::wstring();
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            LRESULT got = SendMessageW(control_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
            text.resize(got > 0 ? static_cast<size_t>(got) : 0);
            return text;
        }
        return TabCaption(control_, index);
    }
    bool ItemRect(int index, RECT* rect) const
    {
        UINT message = items_ == ItemsOf::ListBox ? LB_GETITEMRECT : TCM_GETITEMRECT;
        LRESULT got = SendMessageW(control_, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect));
        return got != 0 && got != LB_ERR;
    }

    LONG references_ = 1;
    HWND control_;
    ComPtr<IAccessible> system_;
    AccessibleText text_;
    ItemsOf items_ = ItemsOf::None;
    bool fillIn_ = false;
};

}  // namespace

LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleText& text) noexcept
{
    // The object identifier is a 32-bit value, sign-extended or not in a 64-bit lParam.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return 0;
    if (!Ole().loaded) return 0;
    ComPtr<IAccessible> system;
    if (FAILED(Ole().createStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(system.put()))) ||
        system.get() == nullptr)
        return 0;
    ComPtr<IAccessible> wrapped;
    *wrapped.put() = new (std::nothrow) Accessible(control, std::move(system), text);
    if (wrapped.get() == nullptr) return 0;
    // The result holds its own reference; a failure (COM not started on this thread) is 0.
    LRESULT result = Ole().lresultFromObject(__uuidof(IAccessible), wParam, wrapped.get());
    return result > 0 ? result : 0;
}

}  // namespace nadeshiro::ui
