#include "accessible.h"

#include <oleacc.h>

#include <atomic>

namespace qvl {
namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}, kept here so that no import library is needed.
const IID AccessibleIid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using SysAllocStringProc = BSTR(WINAPI *)(const OLECHAR *);

// Active Accessibility and OLE automation are optional parts of Windows 95 and NT 4.0: both are
// bound at run time. Loaded once, kept for the program's life.
struct Runtime {
    LPFNLRESULTFROMOBJECT resultFromObject = nullptr;
    SysAllocStringProc allocString = nullptr;
    Runtime()
    {
        if (HMODULE oleacc = LoadLibraryA("oleacc.dll"))
            resultFromObject = reinterpret_cast<LPFNLRESULTFROMOBJECT>(
                reinterpret_cast<void (*)()>(GetProcAddress(oleacc, "LresultFromObject")));
        if (HMODULE oleaut = LoadLibraryA("oleaut32.dll"))
            allocString = reinterpret_cast<SysAllocStringProc>(
                reinterpret_cast<void (*)()>(GetProcAddress(oleaut, "SysAllocString")));
    }
    bool Ready() const { return resultFromObject && allocString; }
};

const Runtime &Ole()
{
    static const Runtime runtime;
    return runtime;
}

HRESULT Text(const std::string &text, BSTR *out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (n <= 0)
        return S_FALSE;
    *out = Ole().allocString(wide.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

void Integer(VARIANT *out, long value)
{
    out->vt = VT_I4;
    out->lVal = value;
}

// A snapshot of the control's view; the children are simple elements (no objects of their own).
class ViewObject final : public IAccessible {
public:
    ViewObject(HWND control, AccessibleView view) : control_(control), view_(std::move(view)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, AccessibleIid)) {
            *out = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: not offered; clients use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override
    {
        if (parent)
            *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<long>(view_.Parts.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Valid(child) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override
    {
        if (!Valid(child))
            return E_INVALIDARG;
        return Text(Self(child) ? view_.Name : Part(child).Name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override { return Nothing(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *text) override { return Nothing(child, text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override
    {
        if (!role)
            return E_POINTER;
        if (!Valid(child))
            return E_INVALIDARG;
        Integer(role, Self(child) ? view_.Role : Part(child).Role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        if (!state)
            return E_POINTER;
        if (!Valid(child))
            return E_INVALIDARG;
        Integer(state, Self(child) ? view_.State : Part(child).State);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *help) override { return Nothing(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT, long *topic) override
    {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *keys) override
    {
        return Nothing(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *focus) override
    {
        if (!focus)
            return E_POINTER;
        focus->vt = VT_EMPTY;
        for (size_t i = 0; i < view_.Parts.size(); ++i)
            if (view_.Parts[i].State & STATE_SYSTEM_FOCUSED) {
                Integer(focus, static_cast<long>(i + 1));
                return S_OK;
            }
        if (GetFocus() == control_)
            Integer(focus, CHILDID_SELF);
        return focus->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *selection) override
    {
        if (!selection)
            return E_POINTER;
        selection->vt = VT_EMPTY;
        for (size_t i = 0; i < view_.Parts.size(); ++i)
            if (view_.Parts[i].State & STATE_SYSTEM_SELECTED) {
                Integer(selection, static_cast<long>(i + 1));
                return S_OK;
            }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override
    {
        return Nothing(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        if (!Valid(child))
            return E_INVALIDARG;
        RECT r{};
        if (Self(child))
            GetClientRect(control_, &r);
        else
            r = Part(child).Place;
        POINT corner{r.left, r.top};
        ClientToScreen(control_, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT *end) override
    {
        if (end)
            end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *hit) override
    {
        if (!hit)
            return E_POINTER;
        POINT p{x, y};
        ScreenToClient(control_, &p);
        for (size_t i = 0; i < view_.Parts.size(); ++i)
            if (PtInRect(&view_.Parts[i].Place, p)) {
                Integer(hit, static_cast<long>(i + 1));
                return S_OK;
            }
        RECT client;
        GetClientRect(control_, &client);
        if (PtInRect(&client, p)) {
            Integer(hit, CHILDID_SELF);
            return S_OK;
        }
        hit->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ViewObject() = default;
    static bool Self(const VARIANT &child) { return child.lVal == CHILDID_SELF; }
    bool Valid(const VARIANT &child) const
    {
        return child.vt == VT_I4 && child.lVal >= 0 && child.lVal <= static_cast<long>(view_.Parts.size());
    }
    const AccessiblePart &Part(const VARIANT &child) const { return view_.Parts[child.lVal - 1]; }
    HRESULT Nothing(const VARIANT &child, BSTR *out) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Valid(child) ? S_FALSE : E_INVALIDARG;
    }

    std::atomic<ULONG> refs_{1};
    HWND control_; // not owned
    AccessibleView view_;
};

} // namespace

LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, AccessibleView view)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !Ole().Ready())
        return 0;
    ViewObject *object = new ViewObject(control, std::move(view));
    const LRESULT result = Ole().resultFromObject(AccessibleIid, wParam, static_cast<IAccessible *>(object));
    object->Release(); // the result holds its own reference
    return result;
}

std::string WithoutMnemonic(const std::string &caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i; // "&&" stands for one ampersand
        out += caption[i];
    }
    return out;
}

} // namespace qvl
