#include "AboutForm.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "MainUnit.h"
#include "classic.h"
#include "resource.h"

const char *const MakerName = "Quorvel Storage Systems";
const char *const MakerNotice = "Copyright (C) 2003-2026 Quorvel Storage Systems. All rights reserved.";
const char *const MakerWebAddress = "http://www.example.com/quorvel/";

namespace {

void DrawLabel(HDC dc, HFONT font, COLORREF colour, RECT rc, const char *text, UINT format = DT_LEFT | DT_TOP)
{
    qvl::Selected selected(dc, font);
    SetTextColor(dc, colour);
    DrawTextA(dc, text, -1, &rc, format | DT_NOPREFIX);
}

} // namespace

TDlgAbout::TDlgAbout(qvl::Window &owner) : Owner(owner)
{
    FormFont = qvl::MakeFont(-11);
    TitleFont = qvl::MakeFont(-19, FW_BOLD);
    MakerFont = qvl::MakeFont(-12);
    LinkFont = qvl::MakeFont(-12, FW_NORMAL, true);
    Logo.reset(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_MAKERLOGO), IMAGE_BITMAP, 0, 0, 0)));

    SizeLabels();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    LONG clientWidth = 334;
    for (const Label &label : Labels)
        clientWidth = std::max(clientWidth, label.Rect.right + 20);
    RECT rc{0, 0, clientWidth, 194};
    AdjustWindowRectEx(&rc, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowOf("QvlDlgAbout", WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, style, "Quorvel Hot-Swap Utility", x, y,
                   width, height, owner.hwnd(), nullptr);
    if (!hwnd())
        return;
    Button1 = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 242, 165, 75,
                              25, hwnd(), reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(Button1, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont.get()), FALSE);
    FormCreate();
}

void TDlgAbout::SizeLabels()
{
    Labels[LabelMaker] = {MakerName, MakerFont.get(), {20, 10, 20, 10}, false};
    Labels[LabelTitle] = {ApplicationTitle, TitleFont.get(), {20, 31, 20, 31}, false};
    Labels[LabelVersion] = {"Version 1.0", FormFont.get(), {108, 65, 108, 65}, false};
    Labels[LabelNotice] = {MakerNotice, FormFont.get(), {108, 88, 298, 88}, true};
    Labels[LabelWebAddress] = {MakerWebAddress, LinkFont.get(), {106, 126, 106, 126}, false};
    const qvl::WindowDC screenDC;
    const HDC screen = screenDC.get();
    for (Label &label : Labels) {
        qvl::Selected selected(screen, label.Font);
        if (label.Wraps) {
            DrawTextA(screen, label.Text, -1, &label.Rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        } else {
            SIZE size{};
            GetTextExtentPoint32A(screen, label.Text, lstrlenA(label.Text), &size);
            label.Rect.right = label.Rect.left + size.cx;
            label.Rect.bottom = label.Rect.top + size.cy;
        }
    }
}

void TDlgAbout::FormCreate() { SetWindowTextA(hwnd(), ApplicationTitle); }

void TDlgAbout::lblWebAddress1Click()
{
    ShellExecuteA(hwnd(), "open", MakerWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

int TDlgAbout::ShowModal()
{
    if (!hwnd())
        return 0;
    HWND owner = Owner.hwnd();
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetFocus(Button1);
    ModalResult = 0;
    MSG msg;
    while (ModalResult == 0 && hwnd()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop must end too
            break;
        }
        if (AppMessage)
            AppMessage(msg);
        if (!IsDialogMessageA(hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (ownerEnabled && IsWindow(owner))
        EnableWindow(owner, TRUE); // before hiding, so the owner gets the activation back
    if (hwnd())
        ShowWindow(hwnd(), SW_HIDE);
    return ModalResult;
}

void TDlgAbout::Close(int result) { ModalResult = result; }

void TDlgAbout::Paint(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    DrawLabel(dc, MakerFont.get(), RGB(0, 0, 0), Labels[LabelMaker].Rect, MakerName);
    RECT shadow = Labels[LabelTitle].Rect; // the title's white shadow, up and right
    OffsetRect(&shadow, 2, -1);
    DrawLabel(dc, TitleFont.get(), RGB(255, 255, 255), shadow, ApplicationTitle);
    DrawLabel(dc, TitleFont.get(), text, Labels[LabelTitle].Rect, ApplicationTitle);
    DrawLabel(dc, FormFont.get(), text, Labels[LabelVersion].Rect, Labels[LabelVersion].Text);
    DrawLabel(dc, FormFont.get(), text, Labels[LabelNotice].Rect, MakerNotice, DT_WORDBREAK);
    DrawLabel(dc, LinkFont.get(), RGB(0, 0, 255), Labels[LabelWebAddress].Rect, MakerWebAddress);
    RECT bevel{4, 151, 4 + 413, 151 + 7};
    DrawEdge(dc, &bevel, EDGE_ETCHED, BF_BOTTOM);
    if (Logo) {
        // Stretched to the image's size; the bottom-left colour is transparent.
        qvl::BitmapDC src(Logo.get());
        SIZE size = qvl::PictureSize(Logo.get());
        COLORREF transparent = GetPixel(src.get(), 0, size.cy - 1);
        qvl::TransparentCopy(dc, 22, 69, 66, 68, src.get(), 0, 0, size.cx, size.cy, transparent);
    }
}

LRESULT TDlgAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd(), &pt);
        if (PtInRect(&Labels[LabelWebAddress].Rect, pt)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&Labels[LabelWebAddress].Rect, pt))
            lblWebAddress1Click();
        return 0;
    }
    case WM_CLOSE:
        Close(IDCANCEL);
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

bool TDlgAbout::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK)
        Button1Click();
    else if (id == IDCANCEL)
        Close(IDCANCEL);
    return true;
}
