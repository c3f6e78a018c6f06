// The host's saved state: the filter's own 56-byte settings stream, made and
// read by its IPersistStream over a memory stream, kept as one chunk; and,
// when graphical mode has something to keep, its tracked pitch and curves
// as a second chunk in the graph session format of the tool.
//
// A host that saves the state normally saves the input ports' values with
// it and sets them again on restore, so they agree with the restored
// settings and nothing more happens. When they differ (a host that restores
// only the state, or ports set after the restore), the ports win at the next
// Run: every port whose value differs from the restored setting is sent as
// a change, as if the user had moved it.

#include "Lv2Plugin.h"

#include "host/Persist.h"
#include "job/GraphSession.h"
#include "job/JobError.h"
#include "platform/com/Stream.h"

std::vector<uint8_t> CIntonaraLv2::GraphState() const
{
    std::lock_guard lock(m_graphLock);
    return m_graphState;
}

void CIntonaraLv2::SetGraphState(std::vector<uint8_t> state)
{
    std::lock_guard lock(m_graphLock);
    m_graphState = std::move(state);
}

LV2_State_Status CIntonaraLv2::Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                    const LV2_Feature* const* features)
{
    MapUris(features);
    if (m_nUridChunk == 0) {
        return LV2_STATE_ERR_NO_FEATURE;
    }
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, stream.GetAddressOf()))) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    HRESULT hr = m_pPersist->Save(stream, TRUE);
    if (SUCCEEDED(hr)) {
        hr = stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    }
    BYTE bytes[kSettingsStreamSize];
    ULONG cbRead = 0;
    if (SUCCEEDED(hr)) {
        hr = stream->Read(bytes, kSettingsStreamSize, &cbRead);
    }
    if (hr != S_OK || cbRead != kSettingsStreamSize) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    // Little-endian by definition, so any machine reads it back.
    const LV2_State_Status status = store(handle, m_nUridSettings, bytes, kSettingsStreamSize, m_nUridChunk,
                                          LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    const std::vector<uint8_t> graph = GraphState();
    if (status != LV2_STATE_SUCCESS || graph.empty()) {
        return status;
    }
    // The session format is little-endian and checksummed as well.
    return store(handle, m_nUridGraph, graph.data(), graph.size(), m_nUridChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status CIntonaraLv2::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                       const LV2_Feature* const* features)
{
    MapUris(features);
    if (m_nUridChunk == 0) {
        return LV2_STATE_ERR_NO_FEATURE;
    }
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    // The graph first: a damaged one refuses the whole state, so that
    // nothing of it is half taken.
    std::vector<uint8_t> graph;
    if (const void* pGraph = retrieve(handle, m_nUridGraph, &size, &type, &flags)) {
        if (type != m_nUridChunk) {
            return LV2_STATE_ERR_BAD_TYPE;
        }
        const auto* bytes = static_cast<const uint8_t*>(pGraph);
        graph.assign(bytes, bytes + size);
        try {
            job::DecodeSession(graph, "the saved graph");
        } catch (const job::CJobError&) {
            return LV2_STATE_ERR_UNKNOWN;
        }
    }
    const void* pData = retrieve(handle, m_nUridSettings, &size, &type, &flags);
    if (pData == nullptr) {
        return LV2_STATE_ERR_NO_PROPERTY;
    }
    if (type != m_nUridChunk) {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    if (size != kSettingsStreamSize) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    // The filter's Load checks the header and every value.
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnMemory(pData, size, stream.GetAddressOf()))) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    if (FAILED(m_pPersist->Load(stream))) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    RememberProcessorSettings();
    // A state without a graph has no curves either.
    SetGraphState(std::move(graph));
    m_nGraphGeneration.fetch_add(1, std::memory_order_acq_rel);
    return LV2_STATE_SUCCESS;
}
