// TSpeedButtonRollOver: a flat button that swaps its glyph between a picture at rest, one
// while pressed and one while the pointer is over it.
#ifndef QVL_SPEEDBUT_H
#define QVL_SPEEDBUT_H

#include <windows.h>

#include <functional>
#include <string>

#include "gdiOwn.h"
#include "win/window.h"

class TSpeedButtonRollOver : public qvl::Window {
public:
    enum class Layout { GlyphTop, GlyphRight };

    // A flat button; it draws its parent's surface under itself, so a picture behind it
    // shows through. `parent` must answer WM_PRINTCLIENT with its own painting.
    TSpeedButtonRollOver(HWND parent, int x, int y, int width, int height);
    ~TSpeedButtonRollOver() override { Destroy(); }

    // Copies the picture and shows it: the glyph at rest.
    void SetGlyphUp(HBITMAP picture);
    // These only copy the picture.
    void SetGlyphDown(HBITMAP picture);
    void SetGlyphOver(HBITMAP picture);
    // A form would do this after loading its resource: the displayed glyph becomes GlyphUp.
    void Loaded();

    void SetCaption(const std::string &caption);
    const std::string &Caption() const { return CaptionText; }
    void SetFont(HFONT font, COLORREF colour); // font not owned
    void SetLayout(Layout layout);
    // A latched button: while down it never swaps its glyph.
    void SetDown(bool down);
    bool Down() const { return DownState; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsWindowEnabled(hwnd()) != FALSE; }
    void SetVisible(bool visible);
    bool Visible() const { return IsWindowVisible(hwnd()) != FALSE; }
    void SetBounds(int x, int y, int width, int height);
    RECT Bounds() const; // in the parent's client coordinates

    // Alt with the caption's "&" letter: true when it matched and the button was clicked.
    bool ClickMnemonic(char key);

    std::function<void()> OnClick;

    bool Pressed = false;
    qvl::Bitmap GlyphUp;                 // owned
    qvl::Bitmap GlyphDown;               // owned
    qvl::Bitmap GlyphOver;               // owned
    qvl::Bitmap *CurrentGlyph = nullptr; // one of the three

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT AnswerGetObject(WPARAM wParam, LPARAM lParam);
    bool PaintsItself() const override { return true; }
    void OnPaint(HDC dc) override { Paint(dc); }
    void Show(qvl::Bitmap &glyph);
    static bool Empty(const qvl::Bitmap &glyph) { return qvl::PictureSize(glyph.get()).cx == 0; }
    void MouseDown();
    void MouseUp(POINT at);
    void MouseMove();
    void MouseLeave();
    void Paint(HDC dc);
    void PaintParentSurface(HDC m, const RECT &r) const;
    void ButtonDown();
    bool KeyDown(WPARAM key);
    struct Places {
        POINT glyph, text;
    };
    Places Place(int w, int h, SIZE glyph, SIZE text) const;

    HBITMAP Displayed = nullptr; // not owned: one of the three glyphs
    std::string CaptionText;
    HFONT Font = nullptr; // not owned
    COLORREF FontColour = RGB(0, 0, 0);
    Layout GlyphLayout = Layout::GlyphTop;
    bool DownState = false;
    bool Tracking = false; // TrackMouseEvent asked for WM_MOUSELEAVE
    bool Capturing = false;
};

#endif
