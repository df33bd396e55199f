#pragma once
#include <cstddef>

// Memory of the XML model's nodes, attributes and string buffers. While an arena is installed on
// a thread (a document parsing), small blocks come out of large chunks by moving a pointer: a
// reply of 10^5 objects would otherwise make about 10^6 heap calls to parse and as many to
// delete, most of the time of both. Each chunk counts the blocks alive in it and goes back to the
// heap with the last one, so a node may outlive the parse, its document or its thread, and may
// move to another tree. Without an arena, and for large blocks, the heap serves.
class TiXmlArena {
public:
    // Installs the arena for this thread until it is destroyed.
    TiXmlArena();
    ~TiXmlArena();
    TiXmlArena(const TiXmlArena&) = delete;
    TiXmlArena& operator=(const TiXmlArena&) = delete;

    // A block of at least size bytes, aligned as malloc aligns; null when memory is short.
    static void* Allocate(size_t size);
    // Gives back a block from Allocate or Reallocate; null is ignored.
    static void Release(void* block);
    // The block grown or shrunk to size bytes, its first used bytes kept; null when memory is
    // short, the block then untouched.
    static void* Reallocate(void* block, size_t used, size_t size);

    static constexpr size_t kChunkSize = 64 * 1024;
    // Blocks larger than this come from the heap even while an arena is installed.
    static constexpr size_t kLargestPooled = 2048;

private:
    struct Chunk;
    void* Carve(size_t total);
    void LetGo();

    Chunk* chunk_ = nullptr;  // the chunk being filled
    char* next_ = nullptr;
    char* end_ = nullptr;
    TiXmlArena* previous_ = nullptr;
};
