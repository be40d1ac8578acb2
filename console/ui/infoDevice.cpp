#include "infoDevice.h"

#include <algorithm>

#include "dmArt.h"
#include "properties.h"
#include "systemUnit.h"

namespace {

// The arrow beside "&Next"/"&Back": blue at rest, orange under the pointer.
const char *const arrowUp[] = {
    "................", "................", "................", "......b.........",
    "......bb........", "......bbb.......", ".bbbbbbbbb......", ".bbbbbbbbbb.....",
    ".bbbbbbbbbbb....", ".bbbbbbbbbb.....", ".bbbbbbbbb......", "......bbb.......",
    "......bb........", "......b.........", "................", "................",
};
const char *const arrowOver[] = {
    "................", "................", "................", "......r.........",
    "......ry........", "......ryy.......", ".rrrrrryyy......", ".ryyyyyyyyy.....",
    ".ryyyyyyyyyy....", ".ryyyyyyyyy.....", ".rrrrrryyy......", "......ryy.......",
    "......ry........", "......r.........", "................", "................",
};
const qvl::PixelArt ArrowUp{16, 16, arrowUp};
const qvl::PixelArt ArrowOver{16, 16, arrowOver};

constexpr RECT AdvancedDesign{200, 60, 200 + 76, 60 + 22};

} // namespace

TfrmInfoDevice::TfrmInfoDevice(HWND parent, HBITMAP background) : TfrmInfoBase(parent)
{
    bkImage = background; // drawn from the host's one decoded copy
    for (TLabel &label : Labels) {
        label.Left = LabelLeft;
        label.Visible = false;
    }
    ButtonFont = qvl::MakeFont(-13);
    BtnAdvanced = std::make_unique<TSpeedButtonRollOver>(hwnd(), AdvancedDesign.left, AdvancedDesign.top,
                                                         AdvancedDesign.right - AdvancedDesign.left,
                                                         AdvancedDesign.bottom - AdvancedDesign.top);
    BtnAdvanced->SetCaption("&Advance");
    BtnAdvanced->SetFont(ButtonFont.get(), RGB(0, 0, 255));
    BtnAdvanced->SetLayout(TSpeedButtonRollOver::Layout::GlyphRight);
    qvl::Bitmap up = qvl::RenderArt(ArrowUp), over = qvl::RenderArt(ArrowOver);
    BtnAdvanced->SetGlyphUp(up.get());
    BtnAdvanced->SetGlyphOver(over.get());
    BtnAdvanced->Loaded();
    BtnAdvanced->OnClick = [this] { btnAdvancedClick(); };
    BtnAdvanced->SetVisible(false);
}

// The button is a child window: it goes first, before the font it uses; then the panel's
// window, before the panel's fonts and pictures.
TfrmInfoDevice::~TfrmInfoDevice()
{
    BtnAdvanced.reset();
    Destroy();
}

void TfrmInfoDevice::AddRow(const std::string &name, const std::string &value)
{
    if (value.empty() || RowCount >= MaxRows)
        return;
    TLabel &nameLabel = Labels[2 * RowCount];
    SetLabelCaption(nameLabel, name);
    SetLabelCaption(Labels[2 * RowCount + 1], value);
    NameColumn = std::max(NameColumn, nameLabel.Width);
    ++RowCount;
}

void TfrmInfoDevice::HideAll()
{
    for (TLabel &label : Labels)
        label.Visible = false;
    Repaint();
}

void TfrmInfoDevice::ShowObject(TRAIDSystem *system, const TDeviceBase *object)
{
    if (!system) {
        HideAll();
        deviceImageVisible = false;
        BtnAdvanced->SetVisible(false);
        SetTitle("");
        // Forget the object too: its copy may be freed before the next call.
        CurrentObject = nullptr;
        RaidSystem = nullptr;
        TemperatureLabel = FanLabel = nullptr;
        return;
    }
    // The same controller or disk again keeps its page; a channel is always refilled.
    if (object && CurrentObject && object->Kind != KindChannel && object->Kind == ShownKind && object->Id == ShownId)
        return;

    RaidSystem = system;
    RowCount = 0;
    NameColumn = 0;
    FirstPageRows = 27; // more rows than any panel has: one page
    ShowingSecondPage = false;
    TemperatureLabel = FanLabel = nullptr;
    BtnAdvanced->SetCaption("&Next");
    BtnAdvanced->SetVisible(false);

    if (!object) {
        CurrentObject = nullptr;
        ShownKind = 0;
        ShowRows(SystemProperties(*system));
        SetDeviceImage(system->SystemBitmap.get());
    } else {
        CurrentObject = object;
        ShownKind = object->Kind;
        ShownId = object->Id;
        ShownHandle = object->Handle;
        ShownInRack = false;
        SetDeviceImage(object->Picture.get());
        switch (object->Kind) {
        case KindDevice:
            ShownInRack = static_cast<const TDevice &>(*object).InRack;
            ShowRows(ObjectProperties(*object));
            FirstPageRows = DeviceFirstPageRows;
            if (RowCount > DeviceFirstPageRows)
                BtnAdvanced->SetVisible(true);
            break;
        case KindChannel:
        case KindController:
            ShowRows(ObjectProperties(*object));
            break;
        default:
            return;
        }
    }
    FirstPageRows = std::min(FirstPageRows, RowCount);
    // Values start 10 pixels clear of the longest name, which starts at x = 30.
    NameColumn += 40;
    LayoutRows();
}

void TfrmInfoDevice::ShowRows(const Properties &properties)
{
    SetTitle(properties.Title);
    for (int i = 0; i < static_cast<int>(properties.Rows.size()); ++i) {
        const int before = RowCount;
        AddRow(properties.Rows[i].Label, properties.Rows[i].Value);
        if (RowCount == before)
            continue;
        // The rack rows' value labels, for UpdateBayValues.
        if (i == properties.RackRow)
            TemperatureLabel = &Labels[2 * before + 1];
        else if (properties.RackRow >= 0 && i == properties.RackRow + 1)
            FanLabel = &Labels[2 * before + 1];
    }
}

void TfrmInfoDevice::LayoutRows()
{
    const int first = ShowingSecondPage ? FirstPageRows : 0;
    const int last = ShowingSecondPage ? RowCount : FirstPageRows;
    const int n = last - first;
    if (n <= 0) {
        HideAll(); // stale rows of an earlier object must not stay
        return;
    }
    // A frame inside a page that has no size yet lays out at its design height.
    int height = ClientHeight();
    if (height <= 0)
        height = DesignHeight;
    const int usable = height - TitleHeight - 48;
    const bool button = BtnAdvanced->Visible();
    RowStep = usable / (button ? n + 1 : n);
    RowStep = std::max(RowStep, LabelFontSize + 4);
    RowStep = std::min(RowStep, 3 * LabelFontSize);

    int y = RowsTop;
    for (int row = first; row < last; ++row, y += RowStep) {
        TLabel &name = Labels[2 * row];
        TLabel &value = Labels[2 * row + 1];
        name.Left = LabelLeft;
        name.Top = y;
        value.Left = NameColumn;
        value.Top = y;
        name.Visible = value.Visible = true;
    }
    if (button) {
        const RECT r = BtnAdvanced->Bounds();
        BtnAdvanced->SetBounds(LabelLeft, y, r.right - r.left, r.bottom - r.top);
        InvalidateRect(BtnAdvanced->hwnd(), nullptr, FALSE); // the rows under it changed
    }
    for (int row = 0; row < MaxRows; ++row)
        if (row < first || row >= last)
            Labels[2 * row].Visible = Labels[2 * row + 1].Visible = false;
    Repaint();
}

void TfrmInfoDevice::btnAdvancedClick()
{
    ShowingSecondPage = !ShowingSecondPage;
    BtnAdvanced->SetCaption(ShowingSecondPage ? "&Back" : "&Next");
    LayoutRows();
}

void TfrmInfoDevice::UpdateBayValues()
{
    if (!CurrentObject || ShownKind != KindDevice || !ShownInRack || !TemperatureLabel || !FanLabel)
        return;
    BayInfo bay{};
    const bool ok = TDevice::ReadBayInfo(ShownHandle, ShownId, bay);
    std::string temperature, fan;
    RackTexts(ok, bay, temperature, fan);
    SetLabelCaption(*TemperatureLabel, temperature);
    SetLabelCaption(*FanLabel, fan);
}
