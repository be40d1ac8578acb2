// TfrmInfoBase: the frame of an information panel: a bold title, the background picture, the
// picture of the shown object and a pool of transparent labels for name/value rows.
#ifndef QVL_INFOBASE_H
#define QVL_INFOBASE_H

#include <windows.h>

#include <array>
#include <string>

#include "gdiOwn.h"
#include "win/window.h"

class TRAIDSystem;
class TDeviceBase;

// A windowless label drawn by its frame over the background, sizing itself to its text.
struct TLabel {
    std::string Caption;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Visible = false;
    bool Measured = false; // Width and Height fit Caption
};

class TfrmInfoBase : public qvl::Window {
public:
    static constexpr int DesignWidth = 320;
    static constexpr int DesignHeight = 340;
    static constexpr int TitleHeight = 30; // titlePanel
    static constexpr int MaxRows = 14;
    static constexpr int LabelCount = 2 * MaxRows;
    static constexpr int LabelFontSize = 10; // points
    static constexpr COLORREF LabelColour = RGB(0, 0, 255);
    static constexpr POINT DeviceImageAt{13, 43};

    // The frame is a child of `parent`, at its design size until its owner aligns it.
    explicit TfrmInfoBase(HWND parent);
    ~TfrmInfoBase() override { Destroy(); }

    virtual void AddRow(const std::string &name, const std::string &value) = 0;
    virtual void ShowObject(TRAIDSystem *system, const TDeviceBase *object) = 0;
    virtual void UpdateRebuildProgress() {}
    virtual void UpdateBayValues() {}

    const std::string &Title() const { return TitleText; }
    void SetBounds(int x, int y, int width, int height);
    int ClientHeight() const;

    std::array<TLabel, LabelCount> Labels; // label 2r names row r, 2r + 1 is its value
    int RowStep = 0;
    qvl::Font LabelFont; // owned
    int NameColumn = 0;
    HBITMAP bkImage = nullptr; // the main window's picture, borrowed: the host outlives its pages
    qvl::Bitmap deviceImage;   // owned copy of the shown object's picture
    bool deviceImageVisible = false;

protected:
    void SetTitle(const std::string &title);
    // Sets a label's text and sizes the label to it.
    void SetLabelCaption(TLabel &label, const std::string &caption);
    void SetDeviceImage(HBITMAP picture);
    void Repaint() { InvalidateRect(hwnd(), nullptr, FALSE); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PaintsItself() const override { return true; }
    void OnPaint(HDC dc) override;

private:
    void Paint(HDC dc, const RECT &client);
    void PaintBackground(HDC dc, const RECT &client);

    std::string TitleText;
    qvl::Font TitleFont;     // owned
    qvl::Bitmap StretchedBk; // bkImage at the frame's size, made when the size changes
    SIZE StretchedSize{0, 0};
};

#endif
