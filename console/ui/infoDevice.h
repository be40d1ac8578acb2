// TfrmInfoDevice: the information panel of the tree page. It shows the system, a controller,
// a channel or a physical device as name/value rows, paged when a disk has more than ten.
#ifndef QVL_INFODEVICE_H
#define QVL_INFODEVICE_H

#include <cstdint>
#include <memory>
#include <string>

#include "SpeedBut.h"
#include "infoBase.h"
#include "properties.h"

class TfrmInfoDevice : public TfrmInfoBase {
public:
    static constexpr int LabelLeft = 30;
    static constexpr int RowsTop = TitleHeight + 48;
    static constexpr int DeviceFirstPageRows = 10;

    // `background` (not owned) is copied: the picture under the rows.
    TfrmInfoDevice(HWND parent, HBITMAP background);
    ~TfrmInfoDevice() override;

    void AddRow(const std::string &name, const std::string &value) override;
    void ShowObject(TRAIDSystem *system, const TDeviceBase *object) override;
    void UpdateBayValues() override;
    void LayoutRows();
    void btnAdvancedClick();

    std::unique_ptr<TSpeedButtonRollOver> BtnAdvanced;
    const TDeviceBase *CurrentObject = nullptr; // not owned: the tree's copy, until its next rebuild
    int RowCount = 0;
    int FirstPageRows = 0;
    bool ShowingSecondPage = false;
    TRAIDSystem *RaidSystem = nullptr;  // not owned
    TLabel *TemperatureLabel = nullptr; // value labels of the rack rows, for UpdateBayValues
    TLabel *FanLabel = nullptr;

private:
    // Sets the title and adds the rows that have a value.
    void ShowRows(const Properties &properties);
    void HideAll();

    // What the panel needs of the shown object after its copy is gone (a rebuild frees it
    // before the panel is told).
    int ShownKind = 0;
    uint32_t ShownId = 0;
    uint32_t ShownHandle = 0;
    bool ShownInRack = false;

    qvl::Font ButtonFont; // owned; BtnAdvanced's caption
};

#endif
