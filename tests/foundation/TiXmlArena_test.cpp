// The model's block allocation: blocks kept across chunk, heap and thread boundaries, and parsed
// nodes that outlive their document.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "foundation/TiXmlArena.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"

namespace {

// A reply of count objects, each with a few attributes and a text longer than a string holds
// inline.
std::wstring Reply(int count, const wchar_t* tag)
{
    std::wstring xml = L"<reply>";
    for (int i = 0; i < count; ++i) {
        xml += L"<object id=\"" + std::to_wstring(i) + L"\" name=\"" + tag + std::to_wstring(i) +
               L"\" path=\"/some/rather/long/path/of/the/object\">a text longer than the inline buffer " +
               std::to_wstring(i) + L"</object>";
    }
    return xml + L"</reply>";
}

}  // namespace

TEST(TiXmlArena, BlocksKeepTheirBytesAcrossChunksAndHeap)
{
    std::vector<void*> blocks;
    {
        TiXmlArena arena;
        // Enough small blocks to fill several chunks, each marked with its own pattern.
        for (int i = 0; i < 5000; ++i) {
            size_t size = 8 + static_cast<size_t>(i % 60);
            auto* block = static_cast<unsigned char*>(TiXmlArena::Allocate(size));
            ASSERT_NE(nullptr, block);
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block) % 16);
            memset(block, i & 0xFF, size);
            blocks.push_back(block);
        }
        // Grown within the arena, past the pooled size onto the heap, and shrunk again.
        auto* grown = static_cast<unsigned char*>(TiXmlArena::Reallocate(blocks[7], 8 + 7, 600));
        ASSERT_NE(nullptr, grown);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(7, grown[k]);
        auto* large = static_cast<unsigned char*>(TiXmlArena::Reallocate(grown, 15, TiXmlArena::kLargestPooled * 4));
        ASSERT_NE(nullptr, large);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(7, large[k]);
        large = static_cast<unsigned char*>(TiXmlArena::Reallocate(large, 15, TiXmlArena::kLargestPooled * 16));
        ASSERT_NE(nullptr, large);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(7, large[k]);
        auto* small = static_cast<unsigned char*>(TiXmlArena::Reallocate(large, 15, 15));
        ASSERT_NE(nullptr, small);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(7, small[k]);
        blocks[7] = small;
    }
    // The arena is gone; its blocks stay until each is released, in any order.
    for (size_t i = 1; i < blocks.size(); i += 2) TiXmlArena::Release(blocks[i]);
    for (size_t i = 0; i < blocks.size(); i += 2) {
        auto* block = static_cast<unsigned char*>(blocks[i]);
        size_t size = 8 + i % 60;
        for (size_t k = 0; k < size; ++k) ASSERT_EQ(static_cast<unsigned char>(i & 0xFF), block[k]) << i;
        TiXmlArena::Release(block);
    }
    // Without an arena, blocks come from the heap and resize there.
    void* heap = TiXmlArena::Allocate(32);
    ASSERT_NE(nullptr, heap);
    memcpy(heap, "0123456789", 11);
    heap = TiXmlArena::Reallocate(heap, 11, 100000);
    ASSERT_NE(nullptr, heap);
    EXPECT_STREQ("0123456789", static_cast<char*>(heap));
    TiXmlArena::Release(heap);
    TiXmlArena::Release(nullptr);
}

// A node taken out of a parsed tree keeps its contents after the document is deleted and its
// memory used again by other parses, and is deleted on its own.
TEST(TiXmlArena, ParsedNodesOutliveTheirDocument)
{
    auto* doc = new TiXmlDocument();
    std::wstring xml = Reply(2000, L"first-");
    doc->Parse(xml.c_str(), nullptr, 0);
    ASSERT_FALSE(doc->Error());
    TiXmlElement* root = doc->RootElement();
    ASSERT_NE(nullptr, root);
    TiXmlElement* object = root->FirstChildElementNamed(L"object");
    for (int i = 0; i < 1234 && object; ++i) object = object->NextSiblingElement();
    ASSERT_NE(nullptr, object);
    TiXmlAttribute* name = object->attributeSet.Find(L"name");
    ASSERT_NE(nullptr, name);
    object->attributeSet.Remove(name);
    // Moved into a tree built in code.
    TiXmlDocument other;
    TiXmlElement* holder = new TiXmlElement(L"holder");
    other.LinkEndChild(holder);
    holder->LinkEndChild(object->Clone());
    delete doc;

    for (int round = 0; round < 3; ++round) {
        TiXmlDocument reuse;
        std::wstring again = Reply(3000, L"again-");
        reuse.Parse(again.c_str(), nullptr, 0);
        ASSERT_FALSE(reuse.Error());
    }
    EXPECT_STREQ(L"name", name->Name());
    EXPECT_STREQ(L"first-1234", name->Value());
    delete name;
    TiXmlElement* copy = holder->FirstChildElementNamed(L"object");
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ(L"1234", copy->GetAttribute(L"id"));
    ASSERT_NE(nullptr, copy->FirstChild());
    EXPECT_STREQ(L"a text longer than the inline buffer 1234", copy->FirstChild()->Value());
}

// Replies are parsed on the network thread and read and deleted on the window thread.
TEST(TiXmlArena, ParsedOnOneThreadDeletedOnAnother)
{
    std::vector<TiXmlDocument*> docs(4, nullptr);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < docs.size(); ++i) {
        workers.emplace_back([&docs, i] {
            auto* doc = new TiXmlDocument();
            std::wstring xml = Reply(1500, L"thread-");
            doc->Parse(xml.c_str(), nullptr, 0);
            docs[i] = doc;
        });
    }
    for (auto& worker : workers) worker.join();
    for (TiXmlDocument* doc : docs) {
        ASSERT_NE(nullptr, doc);
        EXPECT_FALSE(doc->Error());
        TiXmlElement* last = doc->RootElement() ? doc->RootElement()->LastChild()->ToElement() : nullptr;
        ASSERT_NE(nullptr, last);
        EXPECT_STREQ(L"thread-1499", last->GetAttribute(L"name"));
        delete doc;
    }
}
