// Names and roles for screen readers, read as one reads them: through Active Accessibility.
#include <objbase.h>
#include <oleacc.h>

#include "pageTest.h"

using pagetest::Console;
using pagetest::Pump;

namespace {

struct Part {
    std::string name;
    long role = 0;
    long state = 0;
    bool operator==(const Part &) const = default;
};

std::string Narrow(BSTR text)
{
    std::string out;
    for (const OLECHAR *p = text; p && *p; ++p)
        out += static_cast<char>(*p);
    return out;
}

Part Read(IAccessible &object, long child)
{
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    Part part;
    BSTR name = nullptr;
    if (object.get_accName(id, &name) == S_OK) {
        part.name = Narrow(name);
        SysFreeString(name);
    }
    VARIANT value{};
    if (object.get_accRole(id, &value) == S_OK && value.vt == VT_I4)
        part.role = value.lVal;
    if (object.get_accState(id, &value) == S_OK && value.vt == VT_I4)
        part.state = value.lVal;
    return part;
}

// The window's client object and its children, as a screen reader gets them.
std::vector<Part> ReadWindow(HWND window)
{
    IAccessible *object = nullptr;
    std::vector<Part> out;
    const GUID iid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, iid, reinterpret_cast<void **>(&object))) || !object)
        return out;
    out.push_back(Read(*object, CHILDID_SELF));
    long count = 0;
    object->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i)
        out.push_back(Read(*object, i));
    object->Release();
    return out;
}

struct Com {
    Com() { CoInitialize(nullptr); }
    ~Com() { CoUninitialize(); }
};

} // namespace

TEST(Accessible, ButtonsTreeAndPanelHaveNamesRolesAndStates)
{
    Com com;
    Console c;
    c.Select(c.FindDevice(0x101)); // an array member: Unplug is disabled
    SetFocus(c.Page().ToolBar1);
    Pump();

    const auto bar = ReadWindow(c.Page().ToolBar1);
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[0].role, ROLE_SYSTEM_TOOLBAR);
    EXPECT_EQ(bar[1], (Part{"Rescan Devices", ROLE_SYSTEM_PUSHBUTTON,
                            STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED}));
    EXPECT_EQ(bar[2], (Part{"Unplug", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_UNAVAILABLE}));

    const auto tree = ReadWindow(c.Tree());
    ASSERT_EQ(tree.size(), c.Nodes().size() + 1);
    EXPECT_EQ(tree[0].role, ROLE_SYSTEM_OUTLINE);
    EXPECT_FALSE(tree[0].name.empty());
    const auto nodes = c.Nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(tree[i + 1].name, c.Text(nodes[i]));
        EXPECT_EQ(tree[i + 1].role, ROLE_SYSTEM_OUTLINEITEM);
        EXPECT_EQ((tree[i + 1].state & STATE_SYSTEM_SELECTED) != 0, nodes[i] == c.FindDevice(0x101)) << i;
    }

    const auto panel = ReadWindow(c.Panel().hwnd());
    ASSERT_GT(panel.size(), 1u);
    EXPECT_EQ(panel[0].name, c.Panel().Title());
    EXPECT_EQ(panel[0].role, ROLE_SYSTEM_PANE);
    const auto rows = pagetest::Rows(c.Panel()); // "name=value"
    ASSERT_EQ(panel.size(), rows.size() + 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string expected = rows[i];
        expected.replace(expected.find('='), 1, ": ");
        EXPECT_EQ(panel[i + 1].name, expected);
        EXPECT_EQ(panel[i + 1].role, ROLE_SYSTEM_STATICTEXT);
    }
}

TEST(Accessible, TheRollOverButtonReadsItsCaptionWithoutTheMnemonic)
{
    Com com;
    Console c;
    auto copy = TServerMan::CloneObject(c.System().FindDevice(0x115));
    static_cast<TDevice &>(*copy).Info.ManufacturerStr = "Maker";
    static_cast<TDevice &>(*copy).Info.ArrayName = "Array";
    c.Panel().ShowObject(&c.System(), copy.get());
    ASSERT_TRUE(c.Panel().BtnAdvanced->Visible());
    const auto button = ReadWindow(c.Panel().BtnAdvanced->hwnd());
    ASSERT_EQ(button.size(), 1u);
    EXPECT_EQ(button[0].name, "Next");
    EXPECT_EQ(button[0].role, ROLE_SYSTEM_PUSHBUTTON);
}
