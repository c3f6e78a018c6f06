#include "graph/BlockTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "log/Exceptions.h"

CBlockTable g_Blocks;

CBlockTable::~CBlockTable()
{
    for (Entry* e = m_pHead; e != nullptr; e = e->pNext)
        std::free(e->pBlock);
}

CBlockTable::Entry* CBlockTable::NewEntry()
{
    if (m_pSpare == nullptr) {
        auto chunk = std::make_unique<Entry[]>(kGrowth);
        for (int i = 0; i < kGrowth; ++i) {
            chunk[i].pNext = m_pSpare;
            m_pSpare = &chunk[i];
        }
        m_Chunks.push_back(std::move(chunk));
    }
    Entry* e = m_pSpare;
    m_pSpare = e->pNext;
    *e = Entry{};
    return e;
}

// Recent blocks are the likeliest to be asked about, so the search runs
// from the tail; Free keeps the order the table has always had.
CBlockTable::Entry* CBlockTable::Find(const void* p) const
{
    if (p == nullptr)
        return nullptr;
    for (Entry* e = m_pTail; e != nullptr; e = e->pPrev)
        if (e->pBlock == p)
            return e;
    return nullptr;
}

void CBlockTable::Unlink(Entry* e)
{
    (e->pPrev ? e->pPrev->pNext : m_pHead) = e->pNext;
    (e->pNext ? e->pNext->pPrev : m_pTail) = e->pPrev;
    e->pBlock = nullptr;
    e->pPrev = nullptr;
    e->pNext = m_pSpare;
    m_pSpare = e;
    --m_nLive;
}

void* CBlockTable::Alloc(int n)
{
    if (n <= 0)
        throw localException();
    Entry* e = NewEntry();
    e->pBlock = std::malloc(static_cast<size_t>(n));
    if (e->pBlock == nullptr) {
        e->pNext = m_pSpare;
        m_pSpare = e;
        return nullptr;
    }
    e->nSize = n;
    e->pPrev = m_pTail;
    (m_pTail ? m_pTail->pNext : m_pHead) = e;
    m_pTail = e;
    ++m_nLive;
    return e->pBlock;
}

void CBlockTable::Free(void* p)
{
    if (p == nullptr)
        return;
    for (Entry* e = m_pHead; e != nullptr; e = e->pNext) {
        if (e->pBlock == p) {
            Unlink(e);
            std::free(p);
            return;
        }
    }
}

int CBlockTable::SizeOf(const void* p) const
{
    const Entry* e = Find(p);
    return e != nullptr ? e->nSize : 0;
}

void* CBlockTable::Resize(void* p, int n)
{
    void* q = Alloc(n);
    if (q == nullptr)
        return nullptr;
    const int keep = std::min(n, SizeOf(p));
    if (keep > 0)
        std::memcpy(q, p, static_cast<size_t>(keep));
    Free(p);
    return q;
}

void* CBlockTable::Duplicate(const void* p)
{
    const int n = SizeOf(p);
    if (n == 0)
        throw localException();
    void* q = Alloc(n);
    if (q != nullptr)
        std::memcpy(q, p, static_cast<size_t>(n));
    return q;
}
