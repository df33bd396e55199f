#include "foundation/TiXmlArena.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

// Every block starts with a header naming its chunk (null for a heap block); the caller's bytes
// follow it, aligned to 16.
struct TiXmlArena::Chunk {
    // The chunk's live blocks, plus one while an arena fills it.
    std::atomic<long> live{1};
};

namespace {

struct alignas(16) Header {
    void* chunk = nullptr;
};
static_assert(sizeof(Header) == 16, "the header keeps the caller's bytes aligned to 16");

constexpr size_t kChunkHeader = 16;
static_assert(sizeof(std::atomic<long>) <= kChunkHeader, "the chunk's count fits before its first block");

thread_local TiXmlArena* t_current = nullptr;

Header* HeaderOf(void* block) { return static_cast<Header*>(block) - 1; }

void* FromHeap(size_t size)
{
    if (size > static_cast<size_t>(-1) - sizeof(Header)) return nullptr;
    auto* header = static_cast<Header*>(malloc(sizeof(Header) + size));
    if (!header) return nullptr;
    header->chunk = nullptr;
    return header + 1;
}

}  // namespace

TiXmlArena::TiXmlArena() : previous_(t_current) { t_current = this; }

TiXmlArena::~TiXmlArena()
{
    LetGo();
    t_current = previous_;
}

void TiXmlArena::LetGo()
{
    if (chunk_ && chunk_->live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        chunk_->~Chunk();
        free(chunk_);
    }
    chunk_ = nullptr;
    next_ = end_ = nullptr;
}

void* TiXmlArena::Carve(size_t total)
{
    if (static_cast<size_t>(end_ - next_) < total) {
        LetGo();
        void* memory = malloc(kChunkSize);
        if (!memory) return nullptr;
        chunk_ = new (memory) Chunk();
        next_ = static_cast<char*>(memory) + kChunkHeader;
        end_ = static_cast<char*>(memory) + kChunkSize;
    }
    auto* header = reinterpret_cast<Header*>(next_);
    next_ += total;
    header->chunk = chunk_;
    chunk_->live.fetch_add(1, std::memory_order_relaxed);
    return header + 1;
}

void* TiXmlArena::Allocate(size_t size)
{
    if (!t_current || size > kLargestPooled) return FromHeap(size);
    size_t total = (sizeof(Header) + size + 15) & ~static_cast<size_t>(15);
    return t_current->Carve(total);
}

void TiXmlArena::Release(void* block)
{
    if (!block) return;
    Header* header = HeaderOf(block);
    auto* chunk = static_cast<Chunk*>(header->chunk);
    if (!chunk) {
        free(header);
        return;
    }
    if (chunk->live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        chunk->~Chunk();
        free(chunk);
    }
}

void* TiXmlArena::Reallocate(void* block, size_t used, size_t size)
{
    if (!block) return Allocate(size);
    Header* header = HeaderOf(block);
    if (!header->chunk && (!t_current || size > kLargestPooled)) {
        if (size > static_cast<size_t>(-1) - sizeof(Header)) return nullptr;
        auto* grown = static_cast<Header*>(realloc(header, sizeof(Header) + size));
        return grown ? grown + 1 : nullptr;
    }
    void* fresh = Allocate(size);
    if (!fresh) return nullptr;
    memcpy(fresh, block, used < size ? used : size);
    Release(block);
    return fresh;
}
