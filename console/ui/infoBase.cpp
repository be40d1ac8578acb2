#include "infoBase.h"

#include <oleacc.h>

#include <algorithm>

#include "accessible.h"

#include "classic.h"

namespace {

constexpr COLORREF TitleColour = RGB(0, 0, 128); // navy

} // namespace

TfrmInfoBase::TfrmInfoBase(HWND parent)
{
    CreateWindowOf("QvlInfoFrame", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, "", 0, 0, DesignWidth,
                   DesignHeight, parent, nullptr, 0, nullptr);
    TitleFont = qvl::MakeFont(-16, FW_BOLD);
    const int dpi = GetDeviceCaps(qvl::WindowDC().get(), LOGPIXELSY);
    LabelFont = qvl::MakeFont(-MulDiv(LabelFontSize, dpi, 72));
}

void TfrmInfoBase::SetBounds(int x, int y, int width, int height)
{
    SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TfrmInfoBase::ClientHeight() const
{
    RECT r{};
    GetClientRect(hwnd(), &r);
    return r.bottom;
}

void TfrmInfoBase::SetTitle(const std::string &title)
{
    if (title == TitleText)
        return;
    TitleText = title;
    Repaint();
}

void TfrmInfoBase::SetLabelCaption(TLabel &label, const std::string &caption)
{
    if (label.Measured && label.Caption == caption)
        return; // the same text: the same size, nothing to draw again
    label.Caption = caption;
    SIZE size{0, 0};
    {
        const qvl::WindowDC window(hwnd());
        const HDC dc = window.get();
        qvl::Selected font(dc, LabelFont.get());
        GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        if (caption.empty()) {
            TEXTMETRICA tm{};
            GetTextMetricsA(dc, &tm);
            size.cy = tm.tmHeight;
        }
    }
    label.Width = size.cx;
    label.Height = size.cy;
    label.Measured = true;
    Repaint();
}

void TfrmInfoBase::SetDeviceImage(HBITMAP picture)
{
    deviceImage = qvl::CopyPicture(picture);
    deviceImageVisible = static_cast<bool>(deviceImage);
    Repaint();
}

void TfrmInfoBase::PaintBackground(HDC dc, const RECT &client)
{
    RECT below{0, TitleHeight, client.right, client.bottom};
    const SIZE source = qvl::PictureSize(bkImage);
    const SIZE target{below.right, below.bottom - below.top};
    if (!source.cx || target.cx <= 0 || target.cy <= 0) {
        FillRect(dc, &below, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    // Stretch once per size: the button under the rows repaints from here often.
    if (!StretchedBk || StretchedSize.cx != target.cx || StretchedSize.cy != target.cy) {
        StretchedBk = qvl::CreatePicture(target.cx, target.cy, GetSysColor(COLOR_BTNFACE));
        StretchedSize = target;
        if (StretchedBk) {
            qvl::BitmapDC from(bkImage), to(StretchedBk.get());
            SetStretchBltMode(to.get(), COLORONCOLOR);
            StretchBlt(to.get(), 0, 0, target.cx, target.cy, from.get(), 0, 0, source.cx, source.cy, SRCCOPY);
        }
    }
    qvl::BitmapDC from(StretchedBk.get());
    BitBlt(dc, 0, TitleHeight, target.cx, target.cy, from.get(), 0, 0, SRCCOPY);
}

void TfrmInfoBase::Paint(HDC dc, const RECT &client)
{
    PaintBackground(dc, client);

    RECT title{0, 0, client.right, TitleHeight};
    FillRect(dc, &title, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    qvl::Selected font(dc, TitleFont.get());
    SetTextColor(dc, TitleColour);
    DrawTextA(dc, TitleText.c_str(), -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    DrawEdge(dc, &title, EDGE_ETCHED, BF_BOTTOM); // Bevel1: a line under the title

    if (deviceImageVisible && deviceImage) {
        const SIZE size = qvl::PictureSize(deviceImage.get());
        qvl::BitmapDC from(deviceImage.get());
        qvl::TransparentCopy(dc, DeviceImageAt.x, DeviceImageAt.y, 24, 24, from.get(), 0, 0, size.cx, size.cy,
                             qvl::TransparentWhite);
    }

    SelectObject(dc, LabelFont.get());
    SetTextColor(dc, LabelColour);
    for (const TLabel &label : Labels)
        if (label.Visible)
            TextOutA(dc, label.Left, label.Top, label.Caption.c_str(), static_cast<int>(label.Caption.size()));
}

LRESULT TfrmInfoBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_GETOBJECT: {
        // The title names the panel; each visible row reads "name: value".
        qvl::AccessibleView view{TitleText, ROLE_SYSTEM_PANE, 0, {}};
        for (int r = 0; r < MaxRows; ++r) {
            const TLabel &name = Labels[2 * r], &value = Labels[2 * r + 1];
            if (!name.Visible)
                continue;
            RECT place{name.Left, name.Top, value.Left + value.Width,
                       std::max(name.Top + name.Height, value.Top + value.Height)};
            view.Parts.push_back(qvl::AccessiblePart{name.Caption + ": " + value.Caption, ROLE_SYSTEM_STATICTEXT,
                                                     STATE_SYSTEM_READONLY, place});
        }
        if (LRESULT answer = qvl::AnswerGetObject(hwnd(), wParam, lParam, std::move(view)))
            return answer;
        return Window::HandleMessage(msg, wParam, lParam);
    }
    case WM_PRINTCLIENT: {
        // Children that draw our surface under themselves ask for it this way.
        RECT client;
        GetClientRect(hwnd(), &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default:
        return Window::HandleMessage(msg, wParam, lParam);
    }
}

void TfrmInfoBase::OnPaint(HDC dc)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    // Off screen, so that rows do not flicker over the picture.
    qvl::DoubleBuffer buffer(dc, client.right, client.bottom);
    if (buffer.dc()) {
        Paint(buffer.dc(), client);
        buffer.Flush();
    }
}
