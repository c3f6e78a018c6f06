// The property page as a host uses it: made by the class factory, given the
// filter, asked for its size, activated inside the host's frame and taken
// down again; the filter's settings reach the panel through it.

#include "host/IntonaraPropertyPage.h"
#include "host/ModuleExports.h"
#include "host/ActvPlug.h"
#include "host/HostIds.h"
#include "shell/IntonaraApp.h"
#include "support/ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

std::string Narrow(const OLECHAR* text)
{
    std::string out;
    for (; text != nullptr && *text != 0; ++text)
        out += static_cast<char>(*text);
    return out;
}

template <class T>
CComPtr<T> Create(REFCLSID clsid, REFIID iid)
{
    CComPtr<IClassFactory> factory;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    CComPtr<T> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.ReceiveVoid()), S_OK);
    return object;
}

// The page's information, its strings freed as a host frees them.
PROPPAGEINFO Info(IPropertyPage* page)
{
    PROPPAGEINFO info{};
    EXPECT_EQ(page->GetPageInfo(&info), S_OK);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
    return info;
}

class PropertyPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const bool started = theApp.InitInstance() || true;
        (void)started;
    }
    void SetUp() override
    {
        m_frame = CreateWindowExA(0, "UiTestRecorder", "Host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0, 680,
                                  460, nullptr, nullptr, nullptr, nullptr);
        m_filter->QueryInterface(IID_IIntonaraControl, m_control.ReceiveVoid());
        m_control->GetDspObject(&m_dsp);
    }
    void TearDown() override { DestroyWindow(m_frame); }
    HRESULT Connect()
    {
        IUnknown* objects[] = {m_filter.Get()};
        return m_page->SetObjects(1, objects);
    }
    // How many more windows the filter can take for notifications.
    int FreeNotifySlots()
    {
        const HWND probes[2] = {m_recorder.Create(0, 0, 5, 5), m_recorder.Create(0, 0, 5, 5)};
        int free = 0;
        for (HWND probe : probes)
            free += m_control->SetNotifyWindow(probe, 7) == S_OK ? 1 : 0;
        for (HWND probe : probes)
            m_control->SetNotifyWindow(probe, 0);
        return free;
    }

    uitest::CUi m_ui;
    uitest::CRecorder m_recorder;
    HWND m_frame = nullptr;
    CComPtr<IPropertyPage> m_page = Create<IPropertyPage>(CLSID_IntonaraPropertyPage, IID_IPropertyPage);
    CComPtr<IUnknown> m_filter = Create<IUnknown>(CLSID_IntonaraPlugIn, IID_IUnknown);
    CComPtr<IIntonaraControl> m_control;
    CDspObject* m_dsp = nullptr;
};

TEST_F(PropertyPageTest, ThePageInformation)
{
    EXPECT_EQ(m_page->GetPageInfo(nullptr), E_POINTER);
    PROPPAGEINFO info{};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.cb, 28u);
    EXPECT_EQ(Narrow(info.pszTitle), "Intonara by Velmora");
    EXPECT_EQ(info.pszDocString, nullptr);
    const std::string help = Narrow(info.pszHelpFile);
    EXPECT_EQ(help.substr(help.size() - 13), "/INTONARA.HLP");
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
}

// 322 x 210 dialog units of 8 x 16 pixels at 96 pixels per inch; 250 x 170
// of 10 x 20 at 120 (the units count per 4 across and per 8 down).
TEST(PropertyPageSize, FollowsTheScreensDensity)
{
    for (const auto& [dpi, cx, cy] : {std::tuple{96, 644, 420}, std::tuple{120, 625, 425}}) {
        uitest::CUi ui(800, 600, dpi);
        const PROPPAGEINFO info = Info(Create<IPropertyPage>(CLSID_IntonaraPropertyPage, IID_IPropertyPage));
        EXPECT_EQ(std::pair(info.size.cx, info.size.cy), std::pair(LONG{cx}, LONG{cy})) << dpi;
    }
}

TEST_F(PropertyPageTest, ActivationShowsThePanelConnectedToTheFilter)
{
    const RECT rc{4, 4, 660, 420};
    EXPECT_EQ(m_page->Activate(m_frame, &rc, FALSE), E_UNEXPECTED);  // no object yet
    ASSERT_EQ(Connect(), S_OK);
    EXPECT_EQ(m_page->Activate(m_frame, nullptr, FALSE), E_POINTER);
    ASSERT_EQ(m_page->Activate(m_frame, &rc, FALSE), S_OK);
    m_ui.Pump();
    HWND window = GetWindow(m_frame, GW_CHILD);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);
    RECT placed{};
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, m_frame, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(std::pair(placed.left, placed.right), std::pair(LONG{4}, LONG{660}));
    char text[128] = {};
    GetWindowTextA(m_frame, text, sizeof text);
    EXPECT_STREQ(text, "Intonara - Automatic Mode");
    EXPECT_EQ(m_page->Activate(m_frame, &rc, FALSE), E_UNEXPECTED);  // one window at a time
    // The page window took one of the filter's two notification slots.
    EXPECT_EQ(FreeNotifySlots(), 1);

    // Settings from the host go through the panel's controls.
    const int block[9] = {0, 5, 150, 200, 1, 40, 100, 500, 10};
    EXPECT_EQ(m_control->SetSettings(block), S_OK);
    m_ui.Pump();
    GetDlgItemTextA(window, 1024, text, sizeof text);
    EXPECT_STREQ(text, "F");
    GetDlgItemTextA(window, 1027, text, sizeof text);
    EXPECT_STREQ(text, "Sine Wave");
    int detune = 0;
    m_dsp->GetParameter(4, &detune);
    EXPECT_EQ(detune, 150);

    // The filter's own notification is posted and left alone.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(CIntonaraPropertyPage::kNotifyCommand, 0), 0);
    m_ui.Pump();
    EXPECT_TRUE(IsWindow(window));

    EXPECT_EQ(m_page->Show(7), E_INVALIDARG);
    EXPECT_EQ(m_page->Show(SW_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(m_page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FreeNotifySlots(), 2);
    for (HRESULT hr : {m_page->Deactivate(), m_page->Show(SW_SHOW), m_page->Move(&rc)})
        EXPECT_EQ(hr, E_UNEXPECTED) << "with the window gone";
    // Without the panel the filter applies settings itself.
    const int back[9] = {2, 3, 100, 126, 0, 30, 55, 300, 25};
    EXPECT_EQ(m_control->SetSettings(back), S_OK);
    int key = 0;
    m_dsp->GetParameter(3, &key);
    EXPECT_EQ(key, 3);
}

TEST_F(PropertyPageTest, ObjectsAreSetOneAtATime)
{
    IUnknown* none[] = {nullptr};
    EXPECT_EQ(m_page->SetObjects(1, none), E_POINTER);
    IUnknown* two[] = {m_filter.Get(), m_filter.Get()};
    EXPECT_EQ(m_page->SetObjects(2, two), E_UNEXPECTED);
    EXPECT_EQ(m_page->SetObjects(0, nullptr), E_UNEXPECTED);  // nothing to let go of
    // An object without the control interface is refused.
    IUnknown* stranger[] = {m_page.Get()};
    EXPECT_EQ(m_page->SetObjects(1, stranger), E_NOINTERFACE);
    ASSERT_EQ(Connect(), S_OK);
    ASSERT_EQ(Connect(), S_OK);  // again: the old connection goes first
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(m_page->Apply(), E_UNEXPECTED);  // no site
    EXPECT_EQ(m_page->Help(nullptr), E_NOTIMPL);
    EXPECT_EQ(m_page->SetObjects(0, nullptr), S_OK);
}

}  // namespace
