// The control interface: settings in and out of the processor, the put
// operations' clamping, format-change notifications, the saved stream and
// the preset.

#include "HostTestSupport.h"

#include "host/Persist.h"
#include "platform/com/Stream.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace hosttest;

namespace {

std::array<int, 9> Settings(CIntonaraPlugIn* pFilter)
{
    std::array<int, 9> block{};
    EXPECT_EQ(pFilter->GetSettings(block.data()), S_OK);
    return block;
}

std::vector<BYTE> StreamBytes(IStream* pStream)
{
    STATSTG stat{};
    pStream->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    ULONG cbRead = 0;
    pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
    return bytes;
}

} // namespace

TEST(Control, ANewFilterHoldsTheDefaultPreset)
{
    auto pFilter = MakeFilter();
    EXPECT_EQ(Settings(pFilter), (std::array<int, 9>{2, 0, 100, 126, 0, 30, 55, 300, 25}));
    // 126 on the retune taper is the processor's 20 ms default.
    EXPECT_EQ(retune_taper::IndexToMs(126), 20);
}

TEST(Control, PutsClampAndReachTheProcessor)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    struct CPut {
        HRESULT (CIntonaraControl::*m_put)(int);
        HRESULT (CIntonaraControl::*m_get)(int*);
        int m_nId;
        int m_nValue;
        int m_nStored;
    };
    const CPut puts[] = {
        {&CIntonaraControl::put_Key, &CIntonaraControl::get_Key, PARAM_KEY, 12, 11},
        {&CIntonaraControl::put_VibratoRate, &CIntonaraControl::get_VibratoRate, PARAM_VIBRATO_RATE, 0, 1},
        {&CIntonaraControl::put_Scale, &CIntonaraControl::get_Scale, PARAM_SCALE, -5, 0},
        {&CIntonaraControl::put_RetuneSpeed, &CIntonaraControl::get_RetuneSpeed, PARAM_RETUNE, 500, 400},
        {&CIntonaraControl::put_Threshold, &CIntonaraControl::get_Threshold, PARAM_THRESHOLD, 101, 100},
        {&CIntonaraControl::put_VibratoDelay, &CIntonaraControl::get_VibratoDelay, PARAM_VIBRATO_DELAY, 2999, 2999},
        {&CIntonaraControl::put_Detune, &CIntonaraControl::get_Detune, PARAM_DETUNE, 201, 200},
    };
    for (const CPut& p : puts) {
        EXPECT_EQ((pFilter->*p.m_put)(p.m_nValue), S_OK);
        int value = -1;
        EXPECT_EQ((pFilter->*p.m_get)(&value), S_OK);
        EXPECT_EQ(value, p.m_nStored) << p.m_nId;
        int held = Parameter(pDsp, p.m_nId);
        if (p.m_nId == PARAM_RETUNE) {
            held = retune_taper::MsToIndex(held);
        }
        EXPECT_EQ(held, p.m_nStored) << p.m_nId;
    }
    // Each put kept the earlier ones.
    EXPECT_EQ(Parameter(pDsp, PARAM_KEY), 11);
}

TEST(Control, APutDoesNotUndoWhatThePanelChangedMeanwhile)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    pDsp->SetParameter(PARAM_SCALE, 5);
    ASSERT_EQ(pFilter->put_Key(4), S_OK);
    EXPECT_EQ(Parameter(pDsp, PARAM_SCALE), 5);
    EXPECT_EQ(Parameter(pDsp, PARAM_KEY), 4);
}

// Applying a settings block ends a graphical pass, so a put that changes
// nothing must not apply one: a host re-sending the key it read would
// otherwise stop the user's tracking.
TEST(Control, APutOfTheValueHeldChangesNothing)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(pFilter->put_Key(Parameter(pDsp, PARAM_KEY)), S_OK);
    ASSERT_EQ(pFilter->put_Detune(250), S_OK);  // clamped to the 200 ...
    ASSERT_EQ(pFilter->put_Detune(200), S_OK);  // ... that is then held
    EXPECT_EQ(Parameter(pDsp, PARAM_TRACK_PITCH), 0) << "the first detune put changed a setting";
    pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(pFilter->put_Detune(200), S_OK);
    ASSERT_EQ(pFilter->put_Scale(Parameter(pDsp, PARAM_SCALE)), S_OK);
    EXPECT_EQ(Parameter(pDsp, PARAM_TRACK_PITCH), 1);
}

TEST(Control, WithThePanelOpenSettingsGoThroughItsControls)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    CRecordingPanel panel;
    pDsp->AttachDialog(&panel);
    const int block[9] = {7, 3, 120, 200, 1, 40, 60, 500, 30};
    EXPECT_EQ(pFilter->SetSettings(block), S_OK);
    const std::vector<std::string> expected = {"set 2=7",  "set 3=3",  "set 4=120", "set 5=200", "set 6=1",
                                               "set 7=40", "set 8=60", "set 9=500", "set 10=30"};
    EXPECT_EQ(panel.m_calls, expected);
    // The panel double applies nothing, so the processor still has its own.
    EXPECT_EQ(Parameter(pDsp, PARAM_SCALE), 2);
    pDsp->AttachDialog(nullptr);
}

TEST(Control, NotificationSlots)
{
    auto pFilter = MakeFilter();
    std::vector<WPARAM> first;
    std::vector<WPARAM> second;
    HWND hFirst = CreateMessageWindow([&](HWND, UINT msg, WPARAM w, LPARAM) {
        EXPECT_EQ(msg, WM_COMMAND);
        first.push_back(w);
        return LRESULT{0};
    });
    HWND hSecond = CreateMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) {
        second.push_back(w);
        return LRESULT{0};
    });
    HWND hThird = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; });

    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 0), S_OK);  // not registered: nothing to do
    EXPECT_EQ(pFilter->SetNotifyWindow(hFirst, 100), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hSecond, 200), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), E_OUTOFMEMORY);
    EXPECT_EQ(pFilter->SetNotifyWindow(hFirst, 101), S_OK);  // only the command changes

    // Connecting sets the input format (code 0) and then the output's (1).
    CPlugInChain chain;
    chain.m_pFilter = pFilter;
    ASSERT_EQ(chain.Connect(CMemorySource::CreateFloat(8000, SungNote(8000, 0.05))), S_OK);
    DispatchPostedMessages(hFirst);
    DispatchPostedMessages(hSecond);
    EXPECT_EQ(first, (std::vector<WPARAM>{101, 101 | (1u << 16)}));
    EXPECT_EQ(second, (std::vector<WPARAM>{200, 200 | (1u << 16)}));

    // A window that went away loses its slot, which a third one can then take.
    DestroyMessageWindow(hSecond);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), E_OUTOFMEMORY);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pFilter->GetPin(1)), S_OK);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pSink->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.Connect(chain.m_pFilter->GetPin(1), chain.m_pSink->GetPin(0)), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hFirst, 0), S_OK);
    DestroyMessageWindow(hFirst);
    DestroyMessageWindow(hThird);
}

TEST(Control, WaveFormatsAreNotConnectedUntilSet)
{
    auto pFilter = MakeFilter();
    WAVEFORMATEX wfx{};
    EXPECT_EQ(pFilter->GetWaveFormat(&wfx, 0), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(pFilter->GetWaveFormat(&wfx, 1), VFW_E_NOT_CONNECTED);
    // Only the input is known after SetMediaType for the input side.
    const CMediaType in = AudioType(WAVE_FORMAT_PCM, 1, 11025, 16);
    ASSERT_EQ(pFilter->SetMediaType(PINDIR_INPUT, &in), S_OK);
    ASSERT_EQ(pFilter->GetWaveFormat(&wfx, 0), S_OK);
    EXPECT_EQ(wfx.nSamplesPerSec, 11025u);
    EXPECT_EQ(wfx.nBlockAlign, 2);
    EXPECT_EQ(wfx.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(pFilter->GetWaveFormat(&wfx, 1), VFW_E_NOT_CONNECTED);
}

TEST(Persistence, SaveWrites56BytesAndLoadRestoresThem)
{
    auto pSaver = MakeFilter();
    CDspObject* pDsp = Processor(pSaver);
    const int values[9] = {12, 7, 150, 300, 2, 80, 33, 1200, 60};
    for (int i = 0; i < 9; ++i) {
        pDsp->SetParameter(PARAM_SCALE + i, values[i]);
    }
    CComPtr<IStream> pStream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, pStream.GetAddressOf()), S_OK);
    ASSERT_EQ(pSaver->Save(pStream, TRUE), S_OK);

    const std::vector<BYTE> bytes = StreamBytes(pStream);
    ASSERT_EQ(bytes.size(), 56u);
    EXPECT_EQ(bytes[0], 56);
    EXPECT_EQ(bytes[1] | bytes[2] | bytes[3], 0);
    // {99284DA1-7A57-46E7-AC96-03A284AB9AFB}, first three fields little-endian.
    const BYTE id[16] = {0xA1, 0x4D, 0x28, 0x99, 0x57, 0x7A, 0xE7, 0x46,
                         0xAC, 0x96, 0x03, 0xA2, 0x84, 0xAB, 0x9A, 0xFB};
    EXPECT_EQ(std::memcmp(&bytes[4], id, 16), 0);
    EXPECT_EQ(bytes[20 + 4 * 3], 300 & 0xFF);
    EXPECT_EQ(bytes[20 + 4 * 3 + 1], 300 >> 8);
    EXPECT_EQ(bytes[20 + 4 * 7 + 1], 1200 >> 8);

    auto pLoader = MakeFilter();
    pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(pLoader->Load(pStream), S_OK);
    EXPECT_EQ(Settings(pLoader), Settings(pSaver));
    EXPECT_EQ(Parameter(Processor(pLoader), PARAM_VIBRATO_DELAY), 1200);

    ULARGE_INTEGER cbMax{};
    EXPECT_EQ(pSaver->GetSizeMax(&cbMax), S_OK);
    EXPECT_EQ(cbMax.QuadPart, 56u);
    EXPECT_EQ(pSaver->IsDirty(), S_OK);
}

TEST(Persistence, DamagedStreamsAreRefusedAndChangeNothing)
{
    auto pSaver = MakeFilter();
    Processor(pSaver)->SetParameter(PARAM_KEY, 9);
    CComPtr<IStream> pGood;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, pGood.GetAddressOf()), S_OK);
    ASSERT_EQ(pSaver->Save(pGood, TRUE), S_OK);
    const std::vector<BYTE> good = StreamBytes(pGood);

    std::vector<std::vector<BYTE>> damaged;
    damaged.push_back(good);
    damaged.back()[0] = 57;  // size field
    damaged.push_back(good);
    damaged.back()[10] ^= 0x01;  // identifier
    damaged.push_back(std::vector<BYTE>(good.begin(), good.begin() + 40));  // cut inside the block
    damaged.push_back(std::vector<BYTE>(good.begin(), good.begin() + 12));  // cut inside the header

    auto pLoader = MakeFilter();
    const auto before = Settings(pLoader);
    for (const std::vector<BYTE>& bytes : damaged) {
        CComPtr<IStream> pStream;
        ASSERT_EQ(CreateStreamOnMemory(bytes.data(), bytes.size(), pStream.GetAddressOf()), S_OK);
        EXPECT_EQ(pLoader->Load(pStream), E_FAIL);
        EXPECT_EQ(Settings(pLoader), before);
    }
}

TEST(Presets, OneDefaultPreset)
{
    auto pFilter = MakeFilter();
    int count = 0;
    EXPECT_EQ(pFilter->GetPresetCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    WCHAR name[16] = {};
    EXPECT_EQ(pFilter->GetPresetName(1, name, 16), S_OK);
    EXPECT_EQ(std::u16string(name), u"(Default)");
    EXPECT_EQ(pFilter->GetPresetName(2, name, 16), E_INVALIDARG);
    WCHAR shortName[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(pFilter->GetPresetName(0, shortName, 4), S_OK);
    EXPECT_EQ(std::u16string(shortName), u"(De");

    Processor(pFilter)->SetParameter(PARAM_THRESHOLD, 90);
    EXPECT_EQ(pFilter->ApplyPreset(-1), E_INVALIDARG);
    EXPECT_EQ(Parameter(Processor(pFilter), PARAM_THRESHOLD), 90);
    EXPECT_EQ(pFilter->ApplyPreset(1), S_OK);
    EXPECT_EQ(Settings(pFilter), (std::array<int, 9>{2, 0, 100, 126, 0, 30, 55, 300, 25}));
}

TEST(PropertyPages, ThePageClassIsOffered)
{
    auto pFilter = MakeFilter();
    CAUUID pages{};
    ASSERT_EQ(pFilter->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_IntonaraPropertyPage);
    CoTaskMemFree(pages.pElems);
}
