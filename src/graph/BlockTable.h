#pragma once
// The sized-block heap of the graphical editor. Curve lists, freehand runs
// and the track buffer are blocks handed out here; the table remembers each
// block's byte size, so a curve list carries no count of its own (its node
// count is its size divided by the node size).
//
// One table lives for the whole module and frees whatever is still
// registered when the module goes away. It belongs to the user-interface
// thread: nothing here is locked.

#include <cstdint>
#include <memory>
#include <vector>

class CBlockTable
{
public:
    CBlockTable() = default;
    ~CBlockTable();
    CBlockTable(const CBlockTable&) = delete;
    CBlockTable& operator=(const CBlockTable&) = delete;

    // n must be positive (else localException). Null when the memory
    // cannot be had; the block is registered otherwise.
    void* Alloc(int n);
    // Unregisters and frees p; an unknown pointer (null included) is ignored.
    void Free(void* p);
    // The registered size, 0 for an unknown pointer.
    int SizeOf(const void* p) const;
    // A new block of n bytes holding what fits of p, which is freed. Null
    // (and p untouched) when the new block cannot be had.
    void* Resize(void* p, int n);
    // A copy of a registered block; localException for an unknown one.
    void* Duplicate(const void* p);

    // Blocks registered now.
    int LiveBlocks() const { return m_nLive; }

private:
    struct Entry
    {
        void* pBlock = nullptr;
        int32_t nSize = 0;
        Entry* pNext = nullptr;
        Entry* pPrev = nullptr;
    };
    // Entries come in chunks of this many, so the list grows in steps.
    static constexpr int kGrowth = 10;

    Entry* NewEntry();
    Entry* Find(const void* p) const;
    void Unlink(Entry* e);

    Entry* m_pHead = nullptr;
    Entry* m_pTail = nullptr;
    Entry* m_pSpare = nullptr;
    std::vector<std::unique_ptr<Entry[]>> m_Chunks;
    int m_nLive = 0;
};

extern CBlockTable g_Blocks;
