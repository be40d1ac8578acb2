#include "subclass.h"

#include "guarded.h"

namespace qvl {
namespace {

const char *const SubclassProperty = "qvl.subclass";

struct SubclassRecord {
    WNDPROC original;
    SubclassCallback callback;
    UINT_PTR id;
    DWORD_PTR data;
};

SubclassRecord *RecordOf(HWND hwnd) { return static_cast<SubclassRecord *>(GetPropA(hwnd, SubclassProperty)); }

LRESULT CALLBACK SubclassThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SubclassRecord *r = RecordOf(hwnd);
    if (!r)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    const LRESULT result = GuardedCall(
        "subclass procedure", [&] { return r->callback(hwnd, msg, wParam, lParam, r->id, r->data); },
        [&] { return DefSubclass(hwnd, msg, wParam, lParam); });
    if (msg == WM_NCDESTROY)
        Unsubclass(hwnd); // the window's properties must be gone before it is
    return result;
}

} // namespace

bool Subclass(HWND hwnd, SubclassCallback callback, UINT_PTR id, DWORD_PTR data)
{
    if (!hwnd || RecordOf(hwnd))
        return false;
    // The record belongs to the window's property until Unsubclass takes it back.
    auto *r = new SubclassRecord{nullptr, callback, id, data};
    if (!SetPropA(hwnd, SubclassProperty, r)) {
        delete r;
        return false;
    }
    r->original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassThunk)));
    if (!r->original) {
        RemovePropA(hwnd, SubclassProperty);
        delete r;
        return false;
    }
    return true;
}

void Unsubclass(HWND hwnd)
{
    SubclassRecord *r = RecordOf(hwnd);
    if (!r)
        return;
    // Only our own procedure is ours to take out; a later subclass keeps calling it.
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassThunk))
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r->original));
    RemovePropA(hwnd, SubclassProperty);
    delete r;
}

LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // After Unsubclass the window's own procedure is back in place.
    WNDPROC original = nullptr;
    if (SubclassRecord *r = RecordOf(hwnd))
        original = r->original;
    else
        original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    if (!original || original == &SubclassThunk)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return CallWindowProcA(original, hwnd, msg, wParam, lParam);
}

} // namespace qvl
