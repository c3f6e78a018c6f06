// The whole control panel: opening the property page inside a host frame
// (activation to the first complete paint) and one drag step of the Retune
// fader with the store and the controller behind it.

#include "host/HostIds.h"
#include "host/IIntonaraControl.h"
#include "host/ModuleExports.h"
#include "host/IntonaraPropertyPage.h"
#include "platform/display/headless/HeadlessDisplay.h"
#include "shell/IntonaraApp.h"

#include <benchmark/benchmark.h>

namespace {

template <class T>
CComPtr<T> Create(REFCLSID clsid, REFIID iid)
{
    CComPtr<IClassFactory> factory;
    DllGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    CComPtr<T> object;
    factory->CreateInstance(nullptr, iid, object.ReceiveVoid());
    return object;
}

// A host frame, the filter and its page, connected.
struct Host {
    Host()
    {
        theApp.InitInstance();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = "BenchFrame";
        RegisterClassA(&wc);
        frame = CreateWindowExA(0, "BenchFrame", "Host", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0, 680, 460,
                                nullptr, nullptr, nullptr, nullptr);
        page = Create<IPropertyPage>(CLSID_IntonaraPropertyPage, IID_IPropertyPage);
        filter = Create<IUnknown>(CLSID_IntonaraPlugIn, IID_IUnknown);
        IUnknown* objects[] = {filter.Get()};
        page->SetObjects(1, objects);
    }
    ~Host()
    {
        page->SetObjects(0, nullptr);
        page.Release();
        filter.Release();
        DestroyWindow(frame);
        theApp.ExitInstance();
    }
    platform::display::CHeadlessDisplay display{1024, 768, 96};
    HWND frame = nullptr;
    CComPtr<IPropertyPage> page;
    CComPtr<IUnknown> filter;
    const RECT place{4, 4, 660, 420};
};

void BM_OpenPanel(benchmark::State& state)
{
    Host host;
    for (auto _ : state) {
        host.page->Activate(host.frame, &host.place, FALSE);
        host.display.Pump();  // every window painted
        state.PauseTiming();
        host.page->Deactivate();
        host.display.Pump();
        state.ResumeTiming();
    }
    state.SetLabel("property page activation to the first complete paint");
}
BENCHMARK(BM_OpenPanel)->Unit(benchmark::kMillisecond);

void BM_PanelRetuneDragStep(benchmark::State& state)
{
    Host host;
    host.page->Activate(host.frame, &host.place, FALSE);
    host.display.Pump();
    HWND panel = GetWindow(host.frame, GW_CHILD);
    HWND fader = nullptr;
    for (HWND child = GetWindow(panel, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 3001) {  // slider 1, Retune
            fader = child;
        }
    }
    auto at = [&](int x, int y) {
        POINT pt{x, y};
        ClientToScreen(fader, &pt);
        return pt;
    };
    host.display.MouseMove(at(17, 32));
    host.display.ButtonDown(at(17, 32));
    host.display.Pump();
    int step = 0;
    for (auto _ : state) {
        host.display.MouseMove(at(17, 20 + step % 60));
        host.display.Pump();
        ++step;
    }
    host.display.ButtonUp(at(17, 20));
    host.display.Pump();
    host.page->Deactivate();
    state.SetLabel("Retune fader in the panel: store, controller hook, thumb and value field");
}
BENCHMARK(BM_PanelRetuneDragStep)->Unit(benchmark::kMicrosecond);

}  // namespace
