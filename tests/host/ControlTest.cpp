// The control interface: settings in and out of the processor, the put
// operations' clamping, format-change notifications, the saved stream and
// the preset.

#include "HostTestSupport.h"

#include "platform/com/Stream.h"
#include "settings/ParameterIds.h"

#include <cstring>

using namespace hosttest;

namespace {

std::array<int, 9> Settings(CIntonaraPlugIn* pFilter)
{
    std::array<int, 9> block{};
    EXPECT_EQ(pFilter->GetSettings(block.data()), S_OK);
    return block;
}

std::vector<BYTE> Saved(CIntonaraPlugIn* pFilter)
{
    CComPtr<IStream> pStream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, pStream.GetAddressOf()), S_OK);
    EXPECT_EQ(pFilter->Save(pStream, TRUE), S_OK);
    std::vector<BYTE> bytes(64);
    ULONG cbRead = 0;
    pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
    bytes.resize(cbRead);
    return bytes;
}

HRESULT Load(CIntonaraPlugIn* pFilter, const std::vector<BYTE>& bytes)
{
    CComPtr<IStream> pStream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), bytes.size(), pStream.GetAddressOf()), S_OK);
    return pFilter->Load(pStream);
}

} // namespace

TEST(Control, PutsClampKeepWhatThePanelChangedAndReachTheProcessor)
{
    auto pFilter = MakeFilter();
    Processor(pFilter)->SetParameter(PARAM_SCALE, 5);  // the panel, meanwhile
    const struct {
        HRESULT (CIntonaraControl::*put)(int);
        HRESULT (CIntonaraControl::*get)(int*);
        int id, value, stored;
    } puts[] = {
        {&CIntonaraControl::put_Key, &CIntonaraControl::get_Key, PARAM_KEY, 12, 11},
        {&CIntonaraControl::put_VibratoRate, &CIntonaraControl::get_VibratoRate, PARAM_VIBRATO_RATE, 0, 1},
        {&CIntonaraControl::put_RetuneSpeed, &CIntonaraControl::get_RetuneSpeed, PARAM_RETUNE, 500, 400},
        {&CIntonaraControl::put_Threshold, &CIntonaraControl::get_Threshold, PARAM_THRESHOLD, 101, 100},
        {&CIntonaraControl::put_VibratoDelay, &CIntonaraControl::get_VibratoDelay, PARAM_VIBRATO_DELAY, 2999, 2999},
        {&CIntonaraControl::put_Detune, &CIntonaraControl::get_Detune, PARAM_DETUNE, 201, 200},
        {&CIntonaraControl::put_Scale, &CIntonaraControl::get_Scale, PARAM_SCALE, -5, 0},
    };
    for (const auto& p : puts) {
        EXPECT_EQ((pFilter->*p.put)(p.value), S_OK);
        int value = -1;
        EXPECT_EQ((pFilter->*p.get)(&value), S_OK);
        EXPECT_EQ(std::pair(value, Parameter(pFilter, p.id)), std::pair(p.stored, p.stored)) << p.id;
        EXPECT_EQ(Parameter(pFilter, PARAM_SCALE), p.id == PARAM_SCALE ? 0 : 5) << "a put undid the panel's change";
    }
    EXPECT_EQ(Parameter(pFilter, PARAM_KEY), 11);
}

// Applying a settings block ends a graphical pass, so a put that changes
// nothing must not apply one: a host re-sending the key it read would
// otherwise stop the user's tracking. A put must also leave the other
// fields as they were, whatever fader step the retune speed was given as,
// by a put or in a whole block (as a loaded preset brings it), and
// re-putting the step read back is no change even where the processor
// reports the speed as a neighbouring step.
TEST(Control, APutOfTheValueHeldChangesNothingAndAPutLeavesTheOtherSettings)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(pFilter->put_Key(Parameter(pFilter, PARAM_KEY)), S_OK);
    ASSERT_EQ(pFilter->put_Detune(250), S_OK);  // clamped to the 200 ...
    ASSERT_EQ(pFilter->put_Detune(200), S_OK);  // ... that is then held
    EXPECT_EQ(Parameter(pFilter, PARAM_TRACK_PITCH), 0) << "the first detune put changed a setting";
    pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(pFilter->put_Detune(200), S_OK);
    ASSERT_EQ(pFilter->put_Scale(Parameter(pFilter, PARAM_SCALE)), S_OK);
    EXPECT_EQ(Parameter(pFilter, PARAM_TRACK_PITCH), 1);

    for (int step = 0; step <= 400; ++step) {
        if (step % 2 == 0) {
            ASSERT_EQ(pFilter->put_RetuneSpeed(step), S_OK);
        } else {
            std::array<int, 9> block = Settings(pFilter);
            block[SETTING_RETUNE_SPEED] = step;
            ASSERT_EQ(pFilter->SetSettings(block.data()), S_OK);
        }
        std::array<int, 9> expected = Settings(pFilter);
        expected[SETTING_THRESHOLD] = expected[SETTING_THRESHOLD] == 30 ? 70 : 30;
        ASSERT_EQ(pFilter->put_Threshold(expected[SETTING_THRESHOLD]), S_OK);
        EXPECT_EQ(Settings(pFilter), expected) << "retune speed given as step " << step;
        pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
        int held = -1;
        ASSERT_EQ(pFilter->get_RetuneSpeed(&held), S_OK);
        ASSERT_EQ(pFilter->put_RetuneSpeed(held), S_OK);
        ASSERT_EQ(pFilter->put_RetuneSpeed(step), S_OK);
        ASSERT_EQ(Parameter(pFilter, PARAM_TRACK_PITCH), 1) << "step " << step << " read back as " << held;
    }
}

TEST(Control, WithThePanelOpenSettingsGoThroughItsControls)
{
    auto pFilter = MakeFilter();
    CRecordingPanel panel;
    Processor(pFilter)->AttachDialog(&panel);
    const int block[9] = {7, 3, 120, 200, 1, 40, 60, 500, 30};
    EXPECT_EQ(pFilter->SetSettings(block), S_OK);
    EXPECT_EQ(panel.m_calls, (std::vector<std::string>{"set 2=7", "set 3=3", "set 4=120", "set 5=200", "set 6=1",
                                                       "set 7=40", "set 8=60", "set 9=500", "set 10=30"}));
    EXPECT_EQ(Parameter(pFilter, PARAM_SCALE), 2) << "the panel double applies nothing";
    Processor(pFilter)->AttachDialog(nullptr);
}

TEST(Control, TwoNotificationSlotsHearOfEachFormat)
{
    auto pFilter = MakeFilter();
    std::vector<WPARAM> first, second;
    HWND hFirst = CreateMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) { return first.push_back(w), LRESULT{0}; });
    HWND hSecond = CreateMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) { return second.push_back(w), LRESULT{0}; });
    HWND hThird = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; });
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 0), S_OK);  // not registered: nothing to do
    EXPECT_EQ(pFilter->SetNotifyWindow(hFirst, 100), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hSecond, 200), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), E_OUTOFMEMORY);
    EXPECT_EQ(pFilter->SetNotifyWindow(hFirst, 101), S_OK);  // only the command changes

    // Connecting sets the input format (code 0) and then the output's (1).
    WAVEFORMATEX wfx{};
    EXPECT_EQ(pFilter->GetWaveFormat(&wfx, 0), VFW_E_NOT_CONNECTED);
    CPlugInChain chain;
    chain.m_pFilter = pFilter;
    ASSERT_EQ(chain.Connect(CMemorySource::CreateFloat(8000, SungNote(8000, 0.05))), S_OK);
    DispatchPostedMessages(hFirst);
    DispatchPostedMessages(hSecond);
    EXPECT_EQ(first, (std::vector<WPARAM>{101, 101 | (1u << 16)}));
    EXPECT_EQ(second, (std::vector<WPARAM>{200, 200 | (1u << 16)}));
    ASSERT_EQ(pFilter->GetWaveFormat(&wfx, 1), S_OK);
    EXPECT_EQ(std::tuple(wfx.nSamplesPerSec, wfx.nBlockAlign, wfx.nAvgBytesPerSec), std::tuple(8000u, 4, 32000u));

    // A window that went away frees its slot once a format is set again.
    DestroyMessageWindow(hSecond);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), E_OUTOFMEMORY);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pFilter->GetPin(1)), S_OK);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pSink->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.Connect(chain.m_pFilter->GetPin(1), chain.m_pSink->GetPin(0)), S_OK);
    EXPECT_EQ(pFilter->SetNotifyWindow(hThird, 300), S_OK);
    DestroyMessageWindow(hFirst);
    DestroyMessageWindow(hThird);
}

TEST(Persistence, SaveWrites56BytesThatLoadRestoresAndDamageIsRefused)
{
    auto pSaver = MakeFilter();
    const int values[9] = {12, 7, 150, 300, 2, 80, 33, 1200, 60};
    for (int i = 0; i < 9; ++i)
        Processor(pSaver)->SetParameter(PARAM_SCALE + i, values[i]);
    const std::vector<BYTE> bytes = Saved(pSaver);
    ASSERT_EQ(bytes.size(), 56u);
    // The size, then {99284DA1-7A57-46E7-AC96-03A284AB9AFB} with its first
    // three fields little-endian, then the nine settings little-endian.
    const BYTE header[20] = {56, 0, 0, 0, 0xA1, 0x4D, 0x28, 0x99, 0x57, 0x7A,
                             0xE7, 0x46, 0xAC, 0x96, 0x03, 0xA2, 0x84, 0xAB, 0x9A, 0xFB};
    EXPECT_EQ(std::memcmp(bytes.data(), header, 20), 0);
    EXPECT_EQ(std::pair(bytes[32], bytes[33]), std::pair(BYTE{300 & 0xFF}, BYTE{300 >> 8}));
    auto pLoader = MakeFilter();
    ASSERT_EQ(Load(pLoader, bytes), S_OK);
    EXPECT_EQ(Settings(pLoader), Settings(pSaver));
    EXPECT_EQ(Parameter(pLoader, PARAM_VIBRATO_DELAY), 1200);
    ULARGE_INTEGER cbMax{};
    EXPECT_EQ(std::pair(pSaver->GetSizeMax(&cbMax), cbMax.QuadPart), std::pair(S_OK, ULONGLONG{56}));

    auto pOther = MakeFilter();
    std::vector<std::vector<BYTE>> damaged(4, bytes);
    damaged[0][0] = 57;           // size field
    damaged[1][10] ^= 0x01;       // identifier
    damaged[2].resize(40);        // cut inside the block
    damaged[3].resize(12);        // cut inside the header
    for (const auto& d : damaged) {
        EXPECT_EQ(Load(pOther, d), E_FAIL);
        EXPECT_EQ(Settings(pOther), kDefaultBlock);
    }
}

TEST(Presets, OneDefaultPresetAndOnePropertyPage)
{
    auto pFilter = MakeFilter();
    int count = 0;
    EXPECT_EQ(std::pair(pFilter->GetPresetCount(&count), count), std::pair(S_OK, 1));
    WCHAR name[16] = {};
    EXPECT_EQ(pFilter->GetPresetName(1, name, 16), S_OK);
    EXPECT_EQ(std::u16string(name), u"(Default)");
    EXPECT_EQ(pFilter->GetPresetName(2, name, 16), E_INVALIDARG);
    WCHAR shortName[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(pFilter->GetPresetName(0, shortName, 4), S_OK);
    EXPECT_EQ(std::u16string(shortName), u"(De");

    Processor(pFilter)->SetParameter(PARAM_THRESHOLD, 90);
    EXPECT_EQ(pFilter->ApplyPreset(-1), E_INVALIDARG);
    EXPECT_EQ(Parameter(pFilter, PARAM_THRESHOLD), 90);
    EXPECT_EQ(pFilter->ApplyPreset(1), S_OK);
    EXPECT_EQ(Settings(pFilter), kDefaultBlock);

    CAUUID pages{};
    ASSERT_EQ(pFilter->GetPages(&pages), S_OK);
    EXPECT_EQ(std::pair(pages.cElems, pages.pElems[0]), std::pair(1u, CLSID_IntonaraPropertyPage));
    CoTaskMemFree(pages.pElems);
}
