// TDlgAbout: the modal About box of the Help menu.
#ifndef QVL_ABOUTFORM_H
#define QVL_ABOUTFORM_H

#include <functional>
#include <string>

#include "ui/gdiOwn.h"
#include "win/window.h"

extern const char *const MakerName;
extern const char *const MakerNotice;
extern const char *const MakerWebAddress;

class TDlgAbout : public qvl::Window {
public:
    explicit TDlgAbout(qvl::Window &owner);
    ~TDlgAbout() override { Destroy(); }
    // Runs the dialog's own modal loop (the owner is disabled meanwhile); returns the modal
    // result: 1 for OK, 2 when it was closed otherwise.
    int ShowModal();
    void Close(int result);
    // Sees every message of the modal loop first, as the program's own loop lets the main
    // window see them (F1 opens the help over the newest box); set by the owner.
    std::function<void(const MSG &)> AppMessage;

    void FormCreate();
    void lblWebAddress1Click();
    void Button1Click() { Close(IDOK); }

    // A text of the box, sized to the text in its font when the box is made, whatever font the
    // system substitutes.
    struct Label {
        const char *Text;
        HFONT Font; // one of the box's fonts
        RECT Rect;
        bool Wraps; // fixed width, as many lines as the text needs
    };
    enum : int { LabelMaker, LabelTitle, LabelVersion, LabelNotice, LabelWebAddress, LabelCount };
    Label Labels[LabelCount]{};
    HWND Button1 = nullptr; // a child: destroyed with the dialog

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool PaintsItself() const override { return true; }
    void OnPaint(HDC dc) override { Paint(dc); }
    void Paint(HDC dc);
    void SizeLabels();

    qvl::Window &Owner;
    int ModalResult = 0;
    qvl::Font FormFont, TitleFont, MakerFont, LinkFont;
    qvl::Bitmap Logo;
};

#endif
