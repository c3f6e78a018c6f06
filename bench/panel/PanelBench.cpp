// One step of a fader drag as the user makes it: a mouse move through the
// message path, the value step, the thumb recomposed and its band copied to
// the window, the frame redrawn and the value field rewritten.

#include "panel/SliderControl.h"
#include "platform/display/headless/HeadlessDisplay.h"
#include "shell/IntonaraApp.h"

#include <benchmark/benchmark.h>

namespace {

void NoteChange(void* context, int, int value, int)
{
    *static_cast<int*>(context) = value;
}

void BM_SliderDragStep(benchmark::State& state)
{
    platform::display::CHeadlessDisplay display(1024, 768, 96);
    theApp.InitInstance();

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "BenchOwner";
    RegisterClassA(&wc);
    CWnd owner;
    owner.Attach(CreateWindowExA(0, "BenchOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 650, 400, nullptr, nullptr,
                                 nullptr, nullptr));
    CreateWindowExA(0, "BenchOwner", "", WS_CHILD | WS_VISIBLE, 133, 174, 37, 15, owner, ControlId(1029), nullptr,
                    nullptr);

    int value = 0;
    {
        CSliderControl slider(&owner, 0, 100);
        slider.SetIndex(1);
        slider.SetValueField(1029);
        slider.SetCallback(&value, &NoteChange);
        slider.Create(WS_VISIBLE, CRect(122, 197, 167, 327), &owner, 3001);
        slider.SetRange(400, 0);
        slider.SetFineMode(FALSE);
        slider.SetValue(126);
        display.Pump();

        auto at = [&](int x, int y) {
            POINT pt{x, y};
            ClientToScreen(slider, &pt);
            return pt;
        };
        const int top = slider.GetThumbY();
        display.MouseMove(at(17, top));
        display.ButtonDown(at(17, top));
        display.Pump();
        int step = 0;
        for (auto _ : state) {
            display.MouseMove(at(17, 20 + step % 60));
            display.Pump();
            ++step;
        }
        display.ButtonUp(at(17, 20 + step % 60));
        display.Pump();
        benchmark::DoNotOptimize(value);
    }
    DestroyWindow(owner.Detach());
    theApp.ExitInstance();
    state.SetLabel("Retune fader, 45 x 130, thumb band, frame and value field");
}
BENCHMARK(BM_SliderDragStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
