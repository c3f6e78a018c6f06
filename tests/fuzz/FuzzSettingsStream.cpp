// The filter's IPersistStream::Load over a memory stream holding the
// fuzzer's bytes: the 56-byte settings stream a host saves with its project,
// or whatever a damaged project file holds in its place. Arbitrary bytes
// must never crash the filter. Only a damaged header makes a load fail, and
// a load that fails changes nothing; a load that succeeds saves back to a
// stream that loads again to the same settings (the retune speed within a
// millisecond), and leaves a processor that still turns a tone into finite
// samples, whatever values the stream carried.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "FuzzInput.h"
#include "host/ActvPlug.h"
#include "host/IIntonaraControl.h"
#include "host/Persist.h"
#include "platform/com/Stream.h"
#include "settings/RetuneTaper.h"

namespace {

[[noreturn]] void Fail(const char* what, const int* block)
{
    std::fprintf(stderr, "settings stream: %s; settings now", what);
    for (int i = 0; i < kSettingsCount; ++i)
        std::fprintf(stderr, " %d", block[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

SettingsBlock Settings(CIntonaraPlugIn* pFilter)
{
    SettingsBlock block{};
    if (pFilter->GetSettings(block.data()) != S_OK)
        Fail("GetSettings failed", block.data());
    return block;
}

HRESULT LoadBytes(CIntonaraPlugIn* pFilter, const void* pData, size_t nSize)
{
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(pData, nSize, stream.GetAddressOf())))
        std::abort();
    return pFilter->Load(stream);
}

std::vector<uint8_t> SaveBytes(CIntonaraPlugIn* pFilter)
{
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, stream.GetAddressOf())))
        std::abort();
    if (pFilter->Save(stream, TRUE) != S_OK)
        std::abort();
    std::vector<uint8_t> bytes(kSettingsStreamSize + 1);
    ULONG cbRead = 0;
    stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
    bytes.resize(cbRead);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    HRESULT hr = S_OK;
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    const SettingsBlock before = Settings(filter);

    hr = LoadBytes(filter, pData, nSize);
    const SettingsBlock after = Settings(filter);
    // Only the header decides: the values are handed on as they stand,
    // however far outside their ranges they lie.
    const bool wellFormed = nSize >= kSettingsStreamSize && IsSettingsHeader(pData);
    if ((hr == S_OK) != wellFormed)
        Fail(wellFormed ? "a well-formed stream was refused" : "a damaged header loaded", after.data());
    if (hr != S_OK) {
        if (after != before)
            Fail("a failed load changed the settings", after.data());
        return 0;
    }

    // What a host saves now must load again, to the same settings.
    const std::vector<uint8_t> saved = SaveBytes(filter);
    if (saved.size() != kSettingsStreamSize)
        Fail("the saved stream is not 56 bytes", after.data());
    if (LoadBytes(filter, saved.data(), saved.size()) != S_OK)
        Fail("the filter refused its own saved stream", after.data());
    // Except for the retune speed: the store keeps whole milliseconds and
    // reports the nearest fader position, which for about a quarter of the
    // times maps back to one millisecond less.
    const SettingsBlock reloaded = Settings(filter);
    for (int i = 0; i < kSettingsCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const bool same = i == SETTING_RETUNE_SPEED
            ? std::abs(retune_taper::IndexToMs(reloaded[k]) - retune_taper::IndexToMs(after[k])) <= 1
            : reloaded[k] == after[k];
        if (!same)
            Fail("save and load again changed the settings", reloaded.data());
    }

    // The processor runs on what was loaded.
    CDspObject* pDsp = nullptr;
    filter->GetDspObject(&pDsp);
    pDsp->SetSampleRate(44100.0f);
    std::vector<float> in(4096), out(4096);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 233.0 * static_cast<double>(i) / 44100.0));
    pDsp->m_Engine.Process(in.data(), out.data(), static_cast<int>(in.size()));
    fuzz::RequireFinite(out.data(), static_cast<int>(out.size()), "settings stream");
    return 0;
}
