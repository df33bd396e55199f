// The document model: navigation, editing, copying, printing in both layouts, escaping, and the
// UTF-8 file functions.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "foundation/TiXmlDocument.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"qel-xml-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = nullptr;
    ASSERT_EQ(0, _wfopen_s(&f, path.c_str(), L"wb"));
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    FILE* f = nullptr;
    if (_wfopen_s(&f, path.c_str(), L"rb") != 0)
        return bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    fclose(f);
    return bytes;
}

std::wstring ToString(const TiXmlNode& node) {
    TiXmlString out;
    TiXmlNode::AppendToString(out, node);
    return out.c_str();
}

std::wstring Encode(const wchar_t* text) {
    TiXmlString out;
    TiXmlBase::EncodeString(text, out);
    return out.c_str();
}

// The sample of the printing rules: a declaration and <a b="1">x</a>.
void BuildSample(TiXmlDocument& doc) {
    doc.LinkEndChild(new TiXmlDeclaration(L"yes"));
    auto* a = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement(L"a")));
    a->SetAttribute(L"b", L"1");
    a->LinkEndChild(new TiXmlText(L"x"));
}

// Structure, names, attributes and texts of two trees.
void ExpectSameTree(const TiXmlNode* a, const TiXmlNode* b) {
    ASSERT_EQ(a->GetType(), b->GetType());
    EXPECT_STREQ(a->Value(), b->Value());
    if (const TiXmlElement* ea = a->ToElement()) {
        const TiXmlAttribute* x = ea->FirstAttribute();
        const TiXmlAttribute* y = b->ToElement()->FirstAttribute();
        for (; x && y; x = x->Next(), y = y->Next()) {
            EXPECT_STREQ(x->Name(), y->Name());
            EXPECT_STREQ(x->Value(), y->Value());
        }
        EXPECT_EQ(x == nullptr, y == nullptr);
    }
    const TiXmlNode* ca = a->FirstChild();
    const TiXmlNode* cb = b->FirstChild();
    for (; ca && cb; ca = ca->NextSibling(), cb = cb->NextSibling())
        ExpectSameTree(ca, cb);
    EXPECT_EQ(ca == nullptr, cb == nullptr) << a->Value();
}

struct TiXmlDocumentTest : ::testing::Test {
    void SetUp() override { TiXmlBase::SetCondenseWhiteSpace(false); }
    void TearDown() override { TiXmlBase::SetCondenseWhiteSpace(true); }
};

}  // namespace

TEST_F(TiXmlDocumentTest, NewDocumentState) {
    TiXmlDocument doc;
    EXPECT_EQ(TiXmlNode::DOCUMENT, doc.GetType());
    EXPECT_FALSE(doc.Error());
    EXPECT_EQ(0, doc.ErrorId());
    EXPECT_STREQ(L"", doc.ErrorDesc());
    EXPECT_EQ(0, doc.ErrorRow());
    EXPECT_EQ(0, doc.ErrorCol());
    EXPECT_EQ(-1, doc.Row());
    EXPECT_EQ(4, doc.TabSize());
    TiXmlDeclaration decl(nullptr);
    EXPECT_STREQ(L"1.0", decl.Version());
    EXPECT_STREQ(L"UTF-8", decl.Encoding());
    EXPECT_STREQ(L"", decl.Standalone());
}

TEST_F(TiXmlDocumentTest, Navigation) {
    TiXmlDocument doc;
    doc.Parse(L"<!--x--><r>b<b/><c/><b>t</b><c/></r>", nullptr, 0);
    ASSERT_FALSE(doc.Error());
    TiXmlElement* r = doc.RootElement();
    ASSERT_STREQ(L"r", r->Value());
    EXPECT_EQ(&doc, r->GetDocument());
    EXPECT_EQ(&doc, doc.GetDocument());
    TiXmlElement detached(L"d");
    EXPECT_EQ(nullptr, detached.GetDocument());

    // The text "b" shares the name; the element search goes past it.
    EXPECT_EQ(TiXmlNode::TEXT, r->FirstChildNamed(L"b")->GetType());
    TiXmlElement* b1 = r->FirstChildElementNamed(L"b");
    ASSERT_NE(nullptr, b1);
    EXPECT_EQ(nullptr, b1->FirstChild());
    TiXmlElement* b2 = b1->NextSiblingElementNamed(L"b");
    ASSERT_NE(nullptr, b2);
    EXPECT_STREQ(L"t", b2->FirstChild()->Value());
    EXPECT_EQ(nullptr, b2->NextSiblingElementNamed(L"b"));
    EXPECT_EQ(nullptr, r->FirstChildNamed(nullptr));
    EXPECT_EQ(nullptr, r->FirstChildNamed(L"B"));  // exact case

    EXPECT_STREQ(L"c", b1->NextSiblingElement()->Value());
    int count = 0;
    for (TiXmlNode* n = r->IterateChildren(nullptr); n; n = r->IterateChildren(n))
        ++count;
    EXPECT_EQ(5, count);
    count = 0;
    for (TiXmlNode* n = r->IterateChildren(L"c", nullptr); n; n = r->IterateChildren(L"c", n))
        ++count;
    EXPECT_EQ(2, count);
}

TEST_F(TiXmlDocumentTest, Attributes) {
    TiXmlElement e(L"e");
    e.SetAttribute(L"a", L"1");
    e.SetAttribute(L"b", L"");
    e.SetAttribute(L"c", L"3");
    e.SetAttribute(L"a", L"one");  // in place: keeps its position
    e.SetAttributeInt(L"n", -42);
    e.SetAttributeInt64(L"big", 1234567890123456789LL);
    std::wstring order;
    for (TiXmlAttribute* a = e.FirstAttribute(); a; a = a->Next())
        order += std::wstring(a->Name()) + L"=" + a->Value() + L";";
    EXPECT_EQ(L"a=one;b=;c=3;n=-42;big=1234567890123456789;", order);

    EXPECT_STREQ(L"", e.GetAttribute(L"b"));
    EXPECT_EQ(nullptr, e.GetAttribute(L"z"));
    int n = 7;
    EXPECT_EQ(nullptr, e.GetAttributeInt(L"z", &n));
    EXPECT_EQ(0, n);
    EXPECT_STREQ(L"-42", e.GetAttributeInt(L"n", &n));
    EXPECT_EQ(-42, n);
    e.SetAttribute(L"m", L"12abc");
    e.GetAttributeInt(L"m", &n);
    EXPECT_EQ(12, n);
    int64_t big = 0;
    e.GetAttributeInt64(L"big", &big);
    EXPECT_EQ(1234567890123456789LL, big);

    // Remove unlinks without deleting; an attribute not in the set changes nothing.
    TiXmlAttribute* c = e.attributeSet.Find(L"c");
    e.attributeSet.Remove(c);
    EXPECT_EQ(nullptr, e.GetAttribute(L"c"));
    TiXmlAttribute stranger(L"s", L"1");
    e.attributeSet.Remove(&stranger);
    EXPECT_STREQ(L"one", e.FirstAttribute()->Value());
    delete c;

    TiXmlElement empty(L"x");
    EXPECT_EQ(nullptr, empty.FirstAttribute());
}

TEST_F(TiXmlDocumentTest, EditingAndCopies) {
    TiXmlDocument doc;
    doc.Parse(L"<r k=\"v\"><a>1</a><b/></r>", nullptr, 0);
    TiXmlElement* r = doc.RootElement();
    TiXmlElement other(L"o");
    EXPECT_FALSE(r->RemoveChild(&other));
    EXPECT_FALSE(r->RemoveChild(nullptr));
    EXPECT_TRUE(r->RemoveChild(r->FirstChildNamed(L"a")));
    EXPECT_STREQ(L"b", r->FirstChild()->Value());
    EXPECT_EQ(nullptr, r->FirstChild()->PreviousSibling());

    TiXmlNode* copy = doc.InsertEndChildCopy(*r);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(&doc, copy->Parent());
    EXPECT_STREQ(L"v", copy->ToElement()->GetAttribute(L"k"));
    EXPECT_EQ(-1, copy->Row());  // locations are not copied
    ExpectSameTree(r, copy);

    doc.SetUserData(&other);
    TiXmlDocument dup(doc);
    ExpectSameTree(&doc, &dup);
    EXPECT_EQ(&other, dup.GetUserData());

    TiXmlDocument assigned;
    assigned.Parse(L"<old/>", nullptr, 0);
    assigned.Assign(doc);
    ExpectSameTree(&doc, &assigned);
    // Assigning a document to itself keeps its content.
    assigned.Assign(assigned);
    ExpectSameTree(&doc, &assigned);

    TiXmlDocument bad;
    bad.Parse(L"<a></b>", nullptr, 0);
    TiXmlNode* clone = bad.Clone();
    auto* badCopy = static_cast<TiXmlDocument*>(clone);
    EXPECT_TRUE(badCopy->Error());
    EXPECT_STREQ(L"Error reading end tag.", badCopy->ErrorDesc());
    EXPECT_EQ(TIXML_ERROR_READING_END_TAG, badCopy->ErrorId());
    delete clone;

    r->Clear();
    EXPECT_EQ(nullptr, r->FirstChild());
    EXPECT_EQ(nullptr, r->LastChild());
}

TEST_F(TiXmlDocumentTest, DeepTreeDeletesWithoutRecursion) {
    auto* doc = new TiXmlDocument();
    TiXmlNode* at = doc;
    for (int i = 0; i < 200000; ++i)
        at = at->LinkEndChild(new TiXmlElement(L"e"));
    at->LinkEndChild(new TiXmlText(L"leaf"));
    delete doc;
    SUCCEED();
}

namespace {

// Runs work on a thread with a small stack, so that a walk recursing once per level of a deep
// tree ends the process rather than passing by luck.
void OnSmallStack(void (*work)(void*), void* context) {
    struct Call {
        void (*work)(void*);
        void* context;
    } call{work, context};
    HANDLE thread = CreateThread(
        nullptr, 64 * 1024,
        [](void* p) -> DWORD {
            auto* c = static_cast<Call*>(p);
            c->work(c->context);
            return 0;
        },
        &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// A chain of elements "e" levels deep, each with an attribute and, at the bottom, a text.
TiXmlDocument* BuildChain(int levels) {
    auto* doc = new TiXmlDocument();
    TiXmlNode* at = doc;
    for (int i = 0; i < levels; ++i) {
        auto* e = new TiXmlElement(L"e");
        e->SetAttributeInt(L"n", i);
        at = at->LinkEndChild(e);
    }
    at->LinkEndChild(new TiXmlText(L"leaf"));
    return doc;
}

}  // namespace

TEST_F(TiXmlDocumentTest, DeepTreeClonesAndCopiesWithoutRecursion) {
    struct Result {
        int levels = 0;
        bool sameAttributes = true;
        std::wstring leaf;
    } r;
    OnSmallStack(
        [](void* p) {
            auto* r = static_cast<Result*>(p);
            TiXmlDocument* doc = BuildChain(20000);
            TiXmlNode* clone = doc->RootElement()->Clone();
            TiXmlDocument copy(*doc);
            delete doc;
            // The copy of the document and the clone of its root hold the same chain.
            const TiXmlNode* a = clone;
            const TiXmlNode* b = copy.RootElement();
            for (; a && b && a->ToElement(); a = a->FirstChild(), b = b->FirstChild()) {
                int n = -1, m = -2;
                a->ToElement()->GetAttributeInt(L"n", &n);
                b->ToElement()->GetAttributeInt(L"n", &m);
                if (n != r->levels || m != r->levels || a->FirstChild() != a->LastChild())
                    r->sameAttributes = false;
                ++r->levels;
            }
            if (a && b && a->GetType() == TiXmlNode::TEXT && b->GetType() == TiXmlNode::TEXT && !a->FirstChild())
                r->leaf = std::wstring(a->Value()) + L"|" + b->Value();
            delete clone;
        },
        &r);
    EXPECT_EQ(20000, r.levels);
    EXPECT_TRUE(r.sameAttributes);
    EXPECT_EQ(L"leaf|leaf", r.leaf);
}

TEST_F(TiXmlDocumentTest, DeepTreePrintsWithoutRecursion) {
    // Each level indents by four more blanks, so the printed text grows with the square of the
    // depth: 1,500 levels already print about 9 million characters.
    constexpr int levels = 1500;
    struct Result {
        std::wstring text, saved;
        std::string file;
    } r;
    OnSmallStack(
        [](void* p) {
            auto* r = static_cast<Result*>(p);
            TiXmlDocument* doc = BuildChain(levels);
            // A comment beside the deepest element, so that the bottom level walks its children.
            TiXmlNode* deepest = doc;
            while (deepest->FirstChild() && deepest->FirstChild()->ToElement())
                deepest = deepest->FirstChild();
            deepest->Parent()->LinkEndChild(new TiXmlComment());
            deepest->Parent()->LastChild()->SetValue(L"c");
            TiXmlString out;
            TiXmlNode::AppendToString(out, *doc);
            r->text = out.c_str();
            std::wstring path = TempPath(L"deep.xml");
            doc->SaveFile(path.c_str());
            r->file = ReadBytes(path);
            DeleteFileW(path.c_str());
            delete doc;
        },
        &r);

    // The expected layouts, built level by level.
    std::wstring text, saved;
    for (int i = 0; i < levels; ++i) {
        std::wstring pad(4 * i, L' '), n = std::to_wstring(i);
        text += pad + L"<e n=\"" + n + L"\">" + (i == levels - 1 ? L"leaf</e>\n" : L"\n");
        saved += (i ? L"\n" : L"") + pad + L"<e n=\"" + n + L"\">" + (i == levels - 1 ? L"leaf</e>" : L"");
    }
    std::wstring pad(4 * (levels - 1), L' ');
    text += pad + L"<!--c-->";
    saved += L"\n" + pad + L"<!--c-->";
    for (int i = levels - 2; i >= 0; --i) {
        std::wstring close(4 * i, L' ');
        text += close + L"</e>\n";
        saved += L"\n" + close + L"</e>";
    }
    text += L"\n";
    EXPECT_TRUE(r.text == text) << r.text.size() << " vs " << text.size();
    std::string bytes = "\xEF\xBB\xBF";
    for (wchar_t c : saved + L"\n") {
        if (c == L'\n')
            bytes += "\r\n";
        else
            bytes += (char)c;
    }
    EXPECT_TRUE(r.file == bytes) << r.file.size() << " vs " << bytes.size();
}

TEST_F(TiXmlDocumentTest, LargeElementCopiesAsSetAttributeWould) {
    // Many attributes (past the point where the copy indexes them), one name linked twice
    // straight into the set: the copy keeps the first place and the later value.
    TiXmlElement e(L"big");
    for (int i = 0; i < 1000; ++i)
        e.SetAttributeInt((L"a" + std::to_wstring(i)).c_str(), i);
    e.attributeSet.Add(new TiXmlAttribute(L"a7", L"later"));
    e.attributeSet.Add(new TiXmlAttribute(L"a999", L"last"));
    std::unique_ptr<TiXmlNode> copy(e.Clone());
    ASSERT_NE(nullptr, copy);
    const TiXmlAttribute* a = copy->ToElement()->FirstAttribute();
    int count = 0;
    for (; a; a = a->Next(), ++count) {
        std::wstring expected = count == 7 ? L"later" : count == 999 ? L"last" : std::to_wstring(count);
        ASSERT_EQ(L"a" + std::to_wstring(count), a->Name());
        ASSERT_EQ(expected, a->Value());
    }
    EXPECT_EQ(1000, count);

    // Few attributes take the same rule without the index.
    TiXmlElement small(L"s");
    small.SetAttribute(L"x", L"1");
    small.SetAttribute(L"y", L"2");
    small.attributeSet.Add(new TiXmlAttribute(L"x", L"3"));
    std::unique_ptr<TiXmlNode> smallCopy(small.Clone());
    EXPECT_EQ(L"<s x=\"3\" y=\"2\" />\n", ToString(*smallCopy));
}

TEST_F(TiXmlDocumentTest, EncodeString) {
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"a<b", L"a&lt;b"},
        {L"&#x41;", L"&#x41;"},
        {L"x&#x20AC;y&z", L"x&#x20AC;y&amp;z"},
        {L"&#x41", L"&amp;#x41"},  // no ';': text, not a reference
        {L"&#65;", L"&amp;#65;"},
        {L"<>\"'&", L"&lt;&gt;&quot;&apos;&amp;"},
        {L"\t\n\r\x01\x1f", L"&#x09;&#x0A;&#x0D;&#x01;&#x1F;"},
        {L"\u00e9\u20ac\U0001F600 ", L"\u00e9\u20ac\U0001F600 "},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, Encode(c.in)) << c.in;
}

// One element carrying the text both as an attribute value and as its content, printed and read
// back; the printed form goes to *printed.
void PrintAndReread(const wchar_t* text, std::wstring* printed, std::wstring* value, std::wstring* content) {
    TiXmlDocument doc;
    auto* e = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement(L"object")));
    e->SetAttribute(L"name", text);
    e->LinkEndChild(new TiXmlText(text));
    *printed = ToString(doc);
    TiXmlDocument reread;
    reread.Parse(printed->c_str(), nullptr, 0);
    ASSERT_FALSE(reread.Error()) << reread.ErrorDesc() << " in " << *printed;
    TiXmlElement* root = reread.RootElement();
    ASSERT_NE(nullptr, root);
    ASSERT_NE(nullptr, root->GetAttribute(L"name"));
    *value = root->GetAttribute(L"name");
    *content = root->FirstChild() ? root->FirstChild()->Value() : L"";
    ASSERT_EQ(nullptr, root->FirstChildElementNamed(L"evil")) << *printed;
    const TiXmlAttribute* only = root->FirstAttribute();
    ASSERT_TRUE(only && !only->Next()) << *printed;
}

TEST_F(TiXmlDocumentTest, OnlyCompleteHexReferencesPassThroughPrinting) {
    // A complete reference to a character is printed as written and read back as that character.
    std::wstring printed, value, content;
    PrintAndReread(L"&#x41;", &printed, &value, &content);
    EXPECT_EQ(L"<object name=\"&#x41;\">&#x41;</object>\n\n", printed);
    EXPECT_EQ(L"A", value);
    EXPECT_EQ(L"A", content);
    PrintAndReread(L"x&#x1F600;y", &printed, &value, &content);
    EXPECT_EQ(L"x\U0001F600y", value);

    // Anything short of that is text: its '&' is escaped, nothing else in it reaches the mark-up
    // raw, and it reads back exactly as it was.
    struct Case {
        const wchar_t* text;
        const wchar_t* encoded;
    } cases[] = {
        {L"&#x41", L"&amp;#x41"},                   // unterminated
        {L"&#x", L"&amp;#x"},                       // ends after the x
        {L"&#x;", L"&amp;#x;"},                     // no digits
        {L"&#x4G;", L"&amp;#x4G;"},                 // not hexadecimal
        {L"&#X41;", L"&amp;#X41;"},                 // capital X is not the hexadecimal form
        {L"&#x0;", L"&amp;#x0;"},                   // zero
        {L"&#x0000;", L"&amp;#x0000;"},             // zero, written long
        {L"&#xD800;", L"&amp;#xD800;"},             // a lone surrogate
        {L"&#xDFFF;", L"&amp;#xDFFF;"},             // a lone surrogate
        {L"&#x110000;", L"&amp;#x110000;"},         // beyond the last character
        {L"&#xFFFFFFFF41;", L"&amp;#xFFFFFFFF41;"}, // too many digits to hold
        {L"&#x41 <b>;", L"&amp;#x41 &lt;b&gt;;"},   // a ';' far off, mark-up before it
        {L"&#x\"/><evil a=\";", L"&amp;#x&quot;/&gt;&lt;evil a=&quot;;"},
        {L"&#x' b='1;", L"&amp;#x&apos; b=&apos;1;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << c.text);
        EXPECT_EQ(c.encoded, Encode(c.text));
        PrintAndReread(c.text, &printed, &value, &content);
        EXPECT_EQ(c.text, value) << printed;
        EXPECT_EQ(c.text, content) << printed;
    }
}

TEST_F(TiXmlDocumentTest, PrintToStringLayout) {
    TiXmlDocument sample;
    BuildSample(sample);
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<a b=\"1\">x</a>\n\n",
              ToString(sample));

    TiXmlDocument doc;
    auto* r = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement(L"r")));
    r->SetAttribute(L"q", L"say \"hi\"");
    auto* c = static_cast<TiXmlElement*>(r->LinkEndChild(new TiXmlElement(L"c")));
    c->LinkEndChild(new TiXmlElement(L"d"));
    r->LinkEndChild(new TiXmlElement(L"e"));
    auto* comment = new TiXmlComment();
    comment->SetValue(L"n");
    r->LinkEndChild(comment);
    auto* unknown = new TiXmlUnknown();
    unknown->SetValue(L"!X");
    r->LinkEndChild(unknown);
    r->LinkEndChild(new TiXmlText(L"a\tb"));
    doc.LinkEndChild(new TiXmlComment());  // after the root: not written
    EXPECT_EQ(L"<r q='say &quot;hi&quot;'>\n"
              L"    <c>\n"
              L"        <d />\n"
              L"    </c>\n"
              L"    <e />\n"
              L"    <!--n--><!X>a&#x09;b</r>\n\n",
              ToString(doc));

    TiXmlDeclaration decl(L"");
    decl.encoding.Assign(L"a&b");
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"a&amp;b\" ?>", ToString(decl));
}

TEST_F(TiXmlDocumentTest, PrintLayoutInSavedFile) {
    std::wstring path = TempPath(L"sample.xml");
    TiXmlDocument sample;
    BuildSample(sample);
    ASSERT_TRUE(sample.SaveFile(path.c_str()));
    EXPECT_EQ("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<a b=\"1\">x</a>\r\n",
              ReadBytes(path));

    TiXmlDocument doc;
    auto* r = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement(L"r")));
    auto* c = static_cast<TiXmlElement*>(r->LinkEndChild(new TiXmlElement(L"c")));
    c->SetAttribute(L"v", L"\u00e9\"");
    c->LinkEndChild(new TiXmlElement(L"d"));
    r->LinkEndChild(new TiXmlText(L"t<"));
    auto* comment = new TiXmlComment();
    comment->SetValue(L" k ");
    r->LinkEndChild(comment);
    doc.LinkEndChild(new TiXmlElement(L"second"));
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
    EXPECT_EQ("\xEF\xBB\xBF<r>\r\n"
              "    <c v='\xC3\xA9&quot;'>\r\n"
              "        <d />\r\n"
              "    </c>t&lt;\r\n"
              "    <!-- k -->\r\n"
              "</r>\r\n"
              "<second />\r\n",
              ReadBytes(path));

    // Print to a stream opened the way the export writers open theirs.
    FILE* f = nullptr;
    ASSERT_EQ(0, _wfopen_s(&f, path.c_str(), L"w, ccs=UTF-8"));
    sample.Print(f, 0);
    fclose(f);
    EXPECT_EQ("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<a b=\"1\">x</a>\r\n",
              ReadBytes(path));
    DeleteFileW(path.c_str());
}

TEST_F(TiXmlDocumentTest, LoadFileCases) {
    std::wstring path = TempPath(L"load.xml");
    const std::string body = "<r>\r\n  <t>M\xC3\xBCller\r\nline</t>\r\n</r>\r\n";
    for (const char* prefix : {"", "\xEF\xBB\xBF"}) {
        WriteBytes(path, prefix + body);
        TiXmlDocument doc;
        EXPECT_TRUE(doc.LoadFile(path.c_str())) << doc.ErrorDesc();
        EXPECT_STREQ(path.c_str(), doc.Value());
        EXPECT_EQ(0, doc.Row());  // the parse sets it
        TiXmlElement* t = doc.RootElement()->FirstChildElementNamed(L"t");
        ASSERT_NE(nullptr, t);
        EXPECT_STREQ(L"M\u00fcller\nline", t->FirstChild()->Value());
        EXPECT_EQ(1, t->Row());
        EXPECT_EQ(2, t->Column());
    }

    // Empty file: false without an error. A mark alone: an empty document.
    WriteBytes(path, "");
    TiXmlDocument empty;
    EXPECT_FALSE(empty.LoadFile(path.c_str()));
    EXPECT_FALSE(empty.Error());
    WriteBytes(path, "\xEF\xBB\xBF");
    TiXmlDocument markOnly;
    EXPECT_FALSE(markOnly.LoadFile(path.c_str()));
    EXPECT_EQ(TIXML_ERROR_DOCUMENT_EMPTY, markOnly.ErrorId());

    // Invalid UTF-8 reads as U+FFFD rather than failing or stopping.
    WriteBytes(path, "<a v='\xFF'>x\xC3(\xE2\x82</a>");
    TiXmlDocument invalid;
    EXPECT_TRUE(invalid.LoadFile(path.c_str())) << invalid.ErrorDesc();
    EXPECT_STREQ(L"\uFFFD", invalid.RootElement()->GetAttribute(L"v"));
    std::wstring text = invalid.RootElement()->FirstChild()->Value();
    EXPECT_EQ(0u, text.find(L"x\uFFFD("));

    // A malformed file reports the parser's error with its place.
    WriteBytes(path, "\xEF\xBB\xBF<a>\r\n<b></c>");
    TiXmlDocument malformed;
    EXPECT_FALSE(malformed.LoadFile(path.c_str()));
    EXPECT_EQ(TIXML_ERROR_READING_END_TAG, malformed.ErrorId());
    EXPECT_EQ(1, malformed.ErrorRow());
    EXPECT_EQ(3, malformed.ErrorCol());

    // A missing file: error 2 and the path as the value, replacing an earlier parse error.
    DeleteFileW(path.c_str());
    EXPECT_FALSE(malformed.LoadFile(path.c_str()));
    EXPECT_EQ(TIXML_ERROR_OPENING_FILE, malformed.ErrorId());
    EXPECT_STREQ(L"Failed to open file", malformed.ErrorDesc());
    EXPECT_STREQ(path.c_str(), malformed.Value());
    EXPECT_EQ(nullptr, malformed.FirstChild());
}

TEST_F(TiXmlDocumentTest, SaveFileFailureRecordsNothing) {
    TiXmlDocument doc;
    BuildSample(doc);
    std::wstring path = TempPath(L"no-such-folder\\x.xml");
    EXPECT_FALSE(doc.SaveFile(path.c_str()));
    EXPECT_FALSE(doc.Error());
}

TEST_F(TiXmlDocumentTest, RoundTripsGeneratedTrees) {
    // Texts with markup characters, control characters, non-ASCII and surrogate pairs survive
    // printing and reading back, through a string and through a file.
    std::mt19937 rng(1234);
    const std::wstring alphabet =
        L"abcXYZ019 <>&\"'\t\n;#x\u00e9\u00fc\u00df\u20ac\u4e2d\u0416\U0001F600\U00010348";
    auto randomText = [&](bool nonBlank) {
        std::wstring s;
        int len = 1 + rng() % 12;
        for (int i = 0; i < len; ++i) {
            size_t k = rng() % alphabet.size();
            if (alphabet[k] >= 0xD800 && alphabet[k] <= 0xDBFF)
                s += alphabet.substr(k, 2);
            else if (alphabet[k] >= 0xDC00 && alphabet[k] <= 0xDFFF)
                s += alphabet.substr(k - 1, 2);
            else
                s += alphabet[k];
        }
        if (nonBlank)
            s += L"z";
        return s;
    };
    std::wstring path = TempPath(L"roundtrip.xml");
    for (int round = 0; round < 20; ++round) {
        TiXmlDocument doc;
        doc.LinkEndChild(new TiXmlDeclaration(L""));
        auto* root = static_cast<TiXmlElement*>(doc.LinkEndChild(new TiXmlElement(L"reply")));
        std::vector<TiXmlElement*> open{root};
        for (int i = 0; i < 60; ++i) {
            TiXmlElement* parent = open[rng() % open.size()];
            if (parent->FirstChild() && parent->FirstChild()->GetType() == TiXmlNode::TEXT)
                continue;  // an element holds either one text or elements
            auto* e = static_cast<TiXmlElement*>(parent->LinkEndChild(new TiXmlElement(L"o\u00e9-1")));
            for (int k = rng() % 4; k > 0; --k)
                e->SetAttribute((L"a" + std::to_wstring(k)).c_str(), randomText(false).c_str());
            if (rng() % 2)
                e->LinkEndChild(new TiXmlText(randomText(true).c_str()));
            else
                open.push_back(e);
        }

        TiXmlString printed;
        TiXmlNode::AppendToString(printed, doc);
        TiXmlDocument reread;
        reread.Parse(printed.c_str(), nullptr, 0);
        ASSERT_FALSE(reread.Error()) << reread.ErrorDesc();
        ExpectSameTree(&doc, &reread);

        ASSERT_TRUE(doc.SaveFile(path.c_str()));
        TiXmlDocument loaded;
        ASSERT_TRUE(loaded.LoadFile(path.c_str())) << loaded.ErrorDesc();
        loaded.SetValue(L"");
        ExpectSameTree(&doc, &loaded);
    }
    DeleteFileW(path.c_str());
}
