// The main view's editable state as plain bytes: both zooms, the time
// selection and the three curve lists with their freehand runs, as 32-bit
// little-endian words. Saving what was loaded gives the same bytes; a
// buffer that SaveState cannot have written is refused whole.

#include <algorithm>
#include <cstring>
#include <vector>

#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/MainGraphView.h"

namespace {

constexpr uint32_t kStateMagic = 0x31535647;  // "GVS1"
constexpr int kHeaderWords = 7;

class CWordWriter
{
public:
    explicit CWordWriter(unsigned char* p) : m_p(p) {}
    void Put(int32_t value)
    {
        const auto v = static_cast<uint32_t>(value);
        if (m_p != nullptr) {
            m_p[m_nBytes] = static_cast<unsigned char>(v);
            m_p[m_nBytes + 1] = static_cast<unsigned char>(v >> 8);
            m_p[m_nBytes + 2] = static_cast<unsigned char>(v >> 16);
            m_p[m_nBytes + 3] = static_cast<unsigned char>(v >> 24);
        }
        m_nBytes += 4;
    }
    void PutList(const CurveNode* list)
    {
        const int count = NodeCount(list);
        Put(count);
        for (int i = 0; i < count; ++i) {
            const CurveNode& node = list[i];
            Put(node.time);
            Put(node.pitch);
            Put(node.selected);
            Put(node.segment);
            const FreehandData* data = node.segment == SEGMENT_FREEHAND ? node.freehand : nullptr;
            if (node.segment != SEGMENT_FREEHAND)
                continue;
            Put(data != nullptr ? data->step : 0);
            Put(data != nullptr ? data->count : 0);
            for (int k = 0; data != nullptr && k < data->count; ++k)
                Put(data->Offsets()[k]);
        }
    }
    int Bytes() const { return m_nBytes; }

private:
    unsigned char* m_p;
    int m_nBytes = 0;
};

class CWordReader
{
public:
    CWordReader(const unsigned char* p, int n) : m_p(p), m_nBytes(n) {}
    bool Get(int32_t* value)
    {
        if (m_nPos + 4 > m_nBytes)
            return false;
        const unsigned char* q = m_p + m_nPos;
        *value = static_cast<int32_t>(static_cast<uint32_t>(q[0]) | static_cast<uint32_t>(q[1]) << 8 |
                                      static_cast<uint32_t>(q[2]) << 16 | static_cast<uint32_t>(q[3]) << 24);
        m_nPos += 4;
        return true;
    }
    bool AtEnd() const { return m_nPos == m_nBytes; }
    int Remaining() const { return m_nBytes - m_nPos; }

private:
    const unsigned char* m_p;
    int m_nBytes;
    int m_nPos = 0;
};

// A list read back, or nothing; on failure every block made so far goes.
bool ReadList(CWordReader& in, CurveNode** out)
{
    *out = nullptr;
    int32_t count = 0;
    if (!in.Get(&count) || count < 0 || count > in.Remaining() / 16)
        return false;
    if (count == 0)
        return true;
    auto* list = static_cast<CurveNode*>(g_Blocks.Alloc(count * static_cast<int>(sizeof(CurveNode))));
    if (list == nullptr)
        return false;
    std::memset(list, 0, static_cast<size_t>(count) * sizeof(CurveNode));
    auto fail = [&]() {
        for (int i = 0; i < count; ++i)
            if (list[i].segment == SEGMENT_FREEHAND)
                g_Blocks.Free(list[i].freehand);
        g_Blocks.Free(list);
        return false;
    };
    for (int i = 0; i < count; ++i) {
        CurveNode& node = list[i];
        int32_t selected = 0;
        int32_t segment = 0;
        if (!in.Get(&node.time) || !in.Get(&node.pitch) || !in.Get(&selected) || !in.Get(&segment))
            return fail();
        if (segment != SEGMENT_LINE && segment != SEGMENT_FREEHAND && segment != SEGMENT_END)
            return fail();
        node.selected = selected;
        node.segment = segment;
        if (segment != SEGMENT_FREEHAND)
            continue;
        int32_t step = 0;
        int32_t subPoints = 0;
        if (!in.Get(&step) || !in.Get(&subPoints) || subPoints < 0 || subPoints > in.Remaining() / 4)
            return fail();
        if (subPoints == 0) {
            if (step != 0)
                return fail();
            continue;
        }
        node.freehand = AllocFreehand(step, subPoints);
        if (node.freehand == nullptr)
            return fail();
        for (int k = 0; k < subPoints; ++k)
            if (!in.Get(&node.freehand->Offsets()[k]))
                return fail();
    }
    *out = list;
    return true;
}

} // namespace

int CMainGraphView::GetStateSize()
{
    CWordWriter sizer(nullptr);
    for (int i = 0; i < kHeaderWords; ++i)
        sizer.Put(0);
    sizer.PutList(m_pCurves);
    sizer.PutList(m_pUndoCurves);
    sizer.PutList(m_pClipboard);
    return sizer.Bytes();
}

void CMainGraphView::SaveState(void* pBuffer)
{
    CWordWriter out(static_cast<unsigned char*>(pBuffer));
    out.Put(static_cast<int32_t>(kStateMagic));
    out.Put(m_nCentsPerPixel);
    out.Put(m_nPitchCenter);
    out.Put(m_nFramesPerPixel);
    out.Put(m_nTimeCenter);
    out.Put(m_nSelStart);
    out.Put(m_nSelEnd);
    out.PutList(m_pCurves);
    out.PutList(m_pUndoCurves);
    out.PutList(m_pClipboard);
}

bool CMainGraphView::LoadState(const void* pBuffer, int nBytes)
{
    if (pBuffer == nullptr || nBytes < 0)
        return false;
    CWordReader in(static_cast<const unsigned char*>(pBuffer), nBytes);
    int32_t header[kHeaderWords] = {};
    for (int32_t& word : header)
        if (!in.Get(&word))
            return false;
    if (static_cast<uint32_t>(header[0]) != kStateMagic || header[1] < 2 || header[3] < 1)
        return false;
    CurveNode* lists[3] = {};
    bool ok = true;
    for (CurveNode*& list : lists)
        ok = ok && ReadList(in, &list);
    if (!ok || !in.AtEnd()) {
        for (CurveNode* list : lists)
            FreeCurveList(list);
        return false;
    }
    m_nCentsPerPixel = header[1];
    m_nPitchCenter = header[2];
    m_nFramesPerPixel = header[3];
    m_nTimeCenter = header[4];
    m_nSelStart = header[5];
    m_nSelEnd = header[6];
    if (m_pEnvelope != nullptr) {
        m_pEnvelope->m_nSelStart = m_nSelStart;
        m_pEnvelope->m_nSelEnd = m_nSelEnd;
    }
    FreeCurveList(m_pCurves);
    FreeCurveList(m_pUndoCurves);
    FreeCurveList(m_pClipboard);
    m_pCurves = lists[0];
    m_pUndoCurves = lists[1];
    m_pClipboard = lists[2];
    UpdateTotalLength();
    EnableButton(m_hUndo, m_pUndoCurves != nullptr);
    EnableButton(m_hPaste, m_pClipboard != nullptr);
    EnableButton(m_hSelectAll, m_pCurves != nullptr);
    UpdateSelectionButtons();
    UpdateHScrollBar();
    UpdateVScrollBar();
    return true;
}

void CMainGraphView::SetTrackedFrames(int nFrames)
{
    m_nTrackedFrames = std::clamp(nFrames, 0, m_nBufferFrames);
    UpdateTotalLength();
    EnableButton(m_hMakeCurve, m_nTrackedFrames > 0);
    EnableButton(m_hMakeAuto, m_nTrackedFrames > 0);
}
