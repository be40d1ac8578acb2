// TfrmDeviceView: the tree of the RAID system (controllers, channels, devices) on the left and
// the information panel of the selected node on the right, with a splitter between them.
#ifndef QVL_DEVICEVIEW_H
#define QVL_DEVICEVIEW_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RTreeView.h"
#include "gdiOwn.h"
#include "infoDevice.h"
#include "pageBase.h"

class TRAIDSystem;
class TDeviceBase;

class TfrmDeviceView : public TfrmPageBase {
public:
    static constexpr int TreeWidth = 220;
    static constexpr int SplitterWidth = 2;
    static constexpr int TreeIndent = 27;
    static constexpr int MinPaneWidth = 30;                      // neither side is dragged smaller than this
    static constexpr COLORREF ImagesBackground = RGB(128, 0, 0); // maroon
    static constexpr UINT TreeViewId = 1;

    TfrmDeviceView(qvl::Window &owner, TPageHost &host);
    ~TfrmDeviceView() override;

    void SetViewKind(int kind);
    void RefreshPage() override;
    void UpdateRebuildProgress() override {}
    void UpdateBayValues() override;
    void TreeViewChange();

    // The device object of the selected node; none for the root or without a selection.
    const TDeviceBase *SelectedObject() const;
    const TDeviceBase *NodeObject(HTREEITEM item) const;
    int SplitterPosition() const { return SplitX; }
    void SetSplitterPosition(int x);

    // A plain child panel that keeps one child filling it.
    class TPanel : public qvl::Window {
    public:
        TPanel(HWND parent, DWORD exStyle);
        ~TPanel() override { Destroy(); }
        std::function<void(int width, int height)> OnResize;

    private:
        bool OnSize(UINT type, int width, int height) override;
    };

    // The border between tree and panel; dragging it moves the border.
    class TSplitter : public qvl::Window {
    public:
        explicit TSplitter(HWND parent);
        ~TSplitter() override { Destroy(); }
        std::function<void(int parentX)> OnMoved;

    private:
        LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
        bool Dragging = false;
        int GrabX = 0;
    };

    // Declared in the order of their dependencies: the tree goes before its image list.
    qvl::ImageList Images; // owned; the tree's images, one per node
    std::unique_ptr<TPanel> deviceInfoPanel;
    std::unique_ptr<TSplitter> Splitter1;
    std::unique_ptr<TRTreeView> TreeView;
    std::unique_ptr<TfrmInfoDevice> InfoPanel;
    int ViewKind = 0;

private:
    struct Node {
        HTREEITEM Item;
        std::unique_ptr<TDeviceBase> Object; // owned copy, or none
        int Parent;                          // index of the parent's node, -1 at the top
        std::string Text;                    // as the tree holds them
        int Image;
    };
    // A node the system calls for, before it goes into the tree.
    struct Wanted {
        int Parent; // index into the same list, -1 for the root
        std::string Text;
        HBITMAP Picture;
        std::unique_ptr<TDeviceBase> Object;
    };

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int width, int height) override;
    void Layout();
    void ClearTree();
    static std::vector<Wanted> WantedNodes(const TRAIDSystem &system);
    bool SameShape(const std::vector<Wanted> &wanted) const;
    void RebuildTree(std::vector<Wanted> &wanted, COLORREF background);
    void UpdateTree(std::vector<Wanted> &wanted, COLORREF background);
    // The image of the next node; `changed` says its slot now holds other pixels.
    int NodeImage(HBITMAP picture, COLORREF background, bool &changed);
    void DropImagesFrom(int first);

    std::vector<Node> Nodes; // in the order the nodes were added
    // The pixels each image was composed from, one entry per image: a rebuild keeps an image
    // whose picture is unchanged instead of composing it again.
    std::vector<std::vector<DWORD>> ImageSources;
    COLORREF ImagesComposedOn = CLR_NONE; // the tree background they were composed against
    int NextImage = 0;                    // the image of the next node of this rebuild
    int SplitX = TreeWidth;
    bool Rebuilding = false;       // no change events while nodes come and go
    HTREEITEM ShownItem = nullptr; // the node the panel and the commands were last told of
};

#endif
