#include "SpeedBut.h"

#include <oleacc.h>

#include <windowsx.h>

#include <cctype>

#include "accessible.h"
#include "classic.h"
#include "win/focus.h"

TSpeedButtonRollOver::TSpeedButtonRollOver(HWND parent, int x, int y, int width, int height)
{
    // A tab stop answering DLGC_BUTTON: dialog navigation reaches it and its "&" mnemonic
    // clicks it through BM_CLICK.
    CreateWindowOf("QvlSpeedButton", 0, WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS, "", x, y, width, height, parent,
                   nullptr, CS_HREDRAW | CS_VREDRAW, nullptr);
}

void TSpeedButtonRollOver::SetGlyphUp(HBITMAP picture)
{
    GlyphUp = qvl::CopyPicture(picture);
    Show(GlyphUp);
}

void TSpeedButtonRollOver::SetGlyphDown(HBITMAP picture) { GlyphDown = qvl::CopyPicture(picture); }

void TSpeedButtonRollOver::SetGlyphOver(HBITMAP picture) { GlyphOver = qvl::CopyPicture(picture); }

void TSpeedButtonRollOver::Loaded()
{
    Show(GlyphUp);
    CurrentGlyph = &GlyphUp;
}

void TSpeedButtonRollOver::Show(qvl::Bitmap &glyph)
{
    Displayed = glyph.get();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetCaption(const std::string &caption)
{
    CaptionText = caption;
    SetWindowTextA(hwnd(), caption.c_str()); // for the mnemonic
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetFont(HFONT font, COLORREF colour)
{
    Font = font;
    FontColour = colour;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetLayout(Layout layout)
{
    GlyphLayout = layout;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetDown(bool down)
{
    DownState = down;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetEnabled(bool enabled)
{
    EnableWindow(hwnd(), enabled);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TSpeedButtonRollOver::SetVisible(bool visible)
{
    if (!visible && GetFocus() == hwnd())
        SetFocus(GetParent(hwnd())); // a hidden window keeping the focus swallows keys
    ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE);
}

void TSpeedButtonRollOver::SetBounds(int x, int y, int width, int height)
{
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TSpeedButtonRollOver::Bounds() const
{
    RECT r{};
    GetWindowRect(hwnd(), &r);
    MapWindowPoints(nullptr, GetParent(hwnd()), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

bool TSpeedButtonRollOver::ClickMnemonic(char key)
{
    const size_t amp = CaptionText.find('&');
    if (amp == std::string::npos || amp + 1 >= CaptionText.size() || !Visible() || !Enabled())
        return false;
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    if (lower(CaptionText[amp + 1]) != lower(key))
        return false;
    if (OnClick)
        OnClick();
    return true;
}

void TSpeedButtonRollOver::MouseDown()
{
    if (DownState)
        return;
    if (Enabled() && !Empty(GlyphDown)) {
        Pressed = true;
        Show(GlyphDown);
        CurrentGlyph = &GlyphDown;
    }
}

void TSpeedButtonRollOver::MouseUp(POINT at)
{
    RECT r;
    GetClientRect(hwnd(), &r);
    const bool click = Capturing && PtInRect(&r, at);
    if (Capturing) {
        Capturing = false;
        ReleaseCapture();
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (click && Enabled() && OnClick)
        OnClick();
    if (DownState || !hwnd())
        return;
    if (Enabled() && !Empty(GlyphUp)) {
        Pressed = false;
        Show(GlyphUp);
        CurrentGlyph = &GlyphUp;
    }
}

void TSpeedButtonRollOver::MouseMove()
{
    if (!Tracking) {
        // Windows sends WM_MOUSELEAVE only when asked, once per request. The common controls'
        // _TrackMouseEvent, because the user32 of Windows 95 has no TrackMouseEvent.
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd(), 0};
        Tracking = _TrackMouseEvent(&tme) != FALSE;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    if (DownState)
        return;
    if (Enabled() && !Empty(GlyphOver) && !Pressed && CurrentGlyph != &GlyphOver) {
        Show(GlyphOver);
        CurrentGlyph = &GlyphOver;
    }
}

void TSpeedButtonRollOver::MouseLeave()
{
    Tracking = false;
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (DownState)
        return;
    if (!Pressed) {
        Show(GlyphUp);
        CurrentGlyph = &GlyphUp;
    }
}

// What lies under the button: the parent's surface where it draws one, else the button face.
void TSpeedButtonRollOver::PaintParentSurface(HDC m, const RECT &r) const
{
    FillRect(m, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (HWND parent = GetParent(hwnd())) {
        POINT origin{0, 0};
        MapWindowPoints(hwnd(), parent, &origin, 1);
        POINT old;
        SetViewportOrgEx(m, -origin.x, -origin.y, &old);
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m), PRF_CLIENT);
        SetViewportOrgEx(m, old.x, old.y, nullptr);
    }
}

// Glyph and caption centred together, side by side or one above the other, 4 pixels apart.
TSpeedButtonRollOver::Places TSpeedButtonRollOver::Place(int w, int h, SIZE glyph, SIZE text) const
{
    const int spacing = glyph.cx && text.cx ? 4 : 0;
    Places at{};
    if (GlyphLayout == Layout::GlyphRight) {
        const int total = text.cx + spacing + glyph.cx;
        at.text = POINT{(w - total) / 2, (h - text.cy) / 2};
        at.glyph = POINT{at.text.x + text.cx + spacing, (h - glyph.cy) / 2};
    } else {
        const int total = glyph.cy + spacing + text.cy;
        at.glyph = POINT{(w - glyph.cx) / 2, (h - total) / 2};
        at.text = POINT{(w - text.cx) / 2, at.glyph.y + glyph.cy + spacing};
    }
    return at;
}

void TSpeedButtonRollOver::Paint(HDC dc)
{
    RECT r;
    GetClientRect(hwnd(), &r);
    const int w = r.right, h = r.bottom;
    if (w <= 0 || h <= 0)
        return;
    // Paint off screen: the parent's surface first, then the face, in one blit.
    qvl::DoubleBuffer buffer(dc, w, h);
    const HDC m = buffer.dc();
    if (!m)
        return;
    PaintParentSurface(m, r);
    const bool enabled = Enabled();
    const bool sunken = DownState || (Capturing && enabled);
    if (sunken)
        DrawEdge(m, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (Tracking && enabled)
        DrawEdge(m, &r, BDR_RAISEDINNER, BF_RECT);

    qvl::Selected font(m, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE text{0, 0};
    if (!CaptionText.empty()) {
        RECT calc{0, 0, w, h};
        DrawTextA(m, CaptionText.c_str(), -1, &calc, DT_CALCRECT | DT_SINGLELINE);
        text = SIZE{calc.right - calc.left, calc.bottom - calc.top};
    }
    const SIZE glyph = qvl::PictureSize(Displayed);
    const int shift = sunken ? 1 : 0;
    const Places at = Place(w, h, glyph, text);
    const int gx = at.glyph.x, gy = at.glyph.y, tx = at.text.x, ty = at.text.y;
    if (Displayed) {
        qvl::BitmapDC g(Displayed);
        qvl::TransparentCopy(m, gx + shift, gy + shift, glyph.cx, glyph.cy, g.get(), 0, 0, glyph.cx, glyph.cy,
                             qvl::TransparentWhite);
    }
    if (!CaptionText.empty()) {
        SetBkMode(m, TRANSPARENT);
        SetTextColor(m, enabled ? FontColour : GetSysColor(COLOR_GRAYTEXT));
        RECT tr{tx + shift, ty + shift, tx + shift + text.cx, ty + shift + text.cy};
        DrawTextA(m, CaptionText.c_str(), -1, &tr, DT_SINGLELINE | DT_NOCLIP);
        if (GetFocus() == hwnd()) {
            InflateRect(&tr, 1, 1);
            DrawFocusRect(m, &tr);
        }
    }
    buffer.Flush();
}

void TSpeedButtonRollOver::ButtonDown()
{
    if (Enabled()) {
        Capturing = true;
        SetCapture(hwnd());
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    MouseDown();
}

// Space and Enter click, Tab moves on; false for every other key.
bool TSpeedButtonRollOver::KeyDown(WPARAM key)
{
    if (key == VK_SPACE || key == VK_RETURN) {
        if (Enabled() && OnClick)
            OnClick();
        return true;
    }
    if (key == VK_TAB) {
        qvl::FocusNextTabStop(hwnd(), GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    return false;
}

// What a screen reader is told: a push button named by its caption, and its state.
LRESULT TSpeedButtonRollOver::AnswerGetObject(WPARAM wParam, LPARAM lParam)
{
    qvl::AccessibleView view{qvl::WithoutMnemonic(CaptionText),
                             ROLE_SYSTEM_PUSHBUTTON,
                             Enabled() ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE,
                             {}};
    if (GetFocus() == hwnd())
        view.State |= STATE_SYSTEM_FOCUSED;
    return qvl::AnswerGetObject(hwnd(), wParam, lParam, std::move(view));
}

LRESULT TSpeedButtonRollOver::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETOBJECT:
        if (LRESULT answer = AnswerGetObject(wParam, lParam))
            return answer;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ButtonDown();
        return 0;
    case WM_LBUTTONUP:
        MouseUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        if (Capturing && reinterpret_cast<HWND>(lParam) != hwnd()) {
            Capturing = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
    case WM_MOUSEMOVE:
        MouseMove();
        return 0;
    case WM_MOUSELEAVE:
        MouseLeave();
        return 1; // handled, as the button's own leave message is marked
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case BM_CLICK:
        if (Enabled() && OnClick)
            OnClick();
        return 0;
    case WM_KEYDOWN:
        if (KeyDown(wParam))
            return 0;
        break;
    case WM_SYSCHAR:
        if (ClickMnemonic(static_cast<char>(wParam)))
            return 0;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(hwnd(), nullptr, FALSE);
        break;
    case WM_ERASEBKGND:
        return 1; // Paint covers everything
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}
