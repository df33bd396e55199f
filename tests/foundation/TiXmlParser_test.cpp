// Reading text into the tree: node kinds, entities, white space, errors with their locations,
// and the hostile inputs a server reply can carry.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "foundation/TiXmlDocument.h"

namespace {

struct CondenseOff : ::testing::Test {
    void SetUp() override { TiXmlBase::SetCondenseWhiteSpace(false); }
    void TearDown() override { TiXmlBase::SetCondenseWhiteSpace(true); }
};

using TiXmlParserTest = CondenseOff;

std::wstring Children(const TiXmlNode* node) {
    // type:value of each child, for compact expectations.
    std::wstring s;
    for (const TiXmlNode* n = node->FirstChild(); n; n = n->NextSibling()) {
        if (!s.empty())
            s += L" ";
        s += std::to_wstring(n->GetType()) + L":" + n->Value();
    }
    return s;
}

}  // namespace

TEST_F(TiXmlParserTest, ReadsTheNodeKinds) {
    TiXmlDocument doc;
    doc.Parse(L"<?xml version=\"1.0\"?>\n<!-- note -->\n<!DOCTYPE x>\n<a><b/>t<c>u</c></a>", nullptr, 0);
    ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
    EXPECT_EQ(L"5: 2: note  3:!DOCTYPE x 1:a", Children(&doc));
    TiXmlElement* a = doc.RootElement();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(L"1:b 4:t 1:c", Children(a));
    EXPECT_EQ(L"4:u", Children(a->FirstChildNamed(L"c")));
}

TEST_F(TiXmlParserTest, ElementsAndText) {
    TiXmlDocument doc;
    doc.Parse(L"<a><b/></a>", nullptr, 0);
    EXPECT_EQ(L"1:b", Children(doc.RootElement()));
    TiXmlDocument text;
    text.Parse(L"<a>text</a>", nullptr, 0);
    EXPECT_EQ(L"4:text", Children(text.RootElement()));
}

TEST_F(TiXmlParserTest, WhiteSpaceKeptOrCondensed) {
    TiXmlDocument kept;
    kept.Parse(L"<a>  x  </a>", nullptr, 0);
    EXPECT_EQ(L"4:  x  ", Children(kept.RootElement()));

    TiXmlDocument between;
    between.Parse(L"<a>\n  <b/>\n</a>", nullptr, 0);
    EXPECT_EQ(L"1:b", Children(between.RootElement()));

    TiXmlBase::SetCondenseWhiteSpace(true);
    TiXmlDocument condensed;
    condensed.Parse(L"<a>  x \n\t y  </a>", nullptr, 0);
    EXPECT_EQ(L"4:x y", Children(condensed.RootElement()));
}

TEST_F(TiXmlParserTest, AttributesQuotedAndUnquoted) {
    TiXmlDocument doc;
    doc.Parse(L"<a b='1' c=2 d=\"x&amp;y\" e=x&amp;y f='say \"hi\"' g = \"\"/>", nullptr, 0);
    ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
    TiXmlElement* a = doc.RootElement();
    EXPECT_STREQ(L"1", a->GetAttribute(L"b"));
    EXPECT_STREQ(L"2", a->GetAttribute(L"c"));
    EXPECT_STREQ(L"x&y", a->GetAttribute(L"d"));
    EXPECT_STREQ(L"x&amp;y", a->GetAttribute(L"e"));  // unquoted values are not decoded
    EXPECT_STREQ(L"say \"hi\"", a->GetAttribute(L"f"));
    EXPECT_STREQ(L"", a->GetAttribute(L"g"));
    std::wstring order;
    for (TiXmlAttribute* at = a->FirstAttribute(); at; at = at->Next())
        order += at->Name();
    EXPECT_EQ(L"bcdefg", order);
}

TEST_F(TiXmlParserTest, Entities) {
    struct Case {
        const wchar_t* text;
        const wchar_t* value;
    } cases[] = {
        {L"<a>&#65;&#x42;&lt;&nosuch;</a>", L"AB<&nosuch;"},
        {L"<a>&amp;&gt;&quot;&apos;&#xe9;&#233;</a>", L"&>\"'\u00e9\u00e9"},
        {L"<a>x&#0;y&#x;z</a>", L"xyz"},                       // a zero reference gives nothing
        {L"<a>&#x1F600;</a>", L"\U0001F600"},                  // beyond U+FFFF: a surrogate pair
        {L"<a>&#99999999999;</a>", L"\uFFFD"},                 // out of range: no wrap-around
        {L"<a>&amp</a>", L"&amp"},                             // no ';': stays as written
        {L"<a>&#X41;</a>", nullptr},                           // malformed reference: error
        {L"<a>&#12a;</a>", nullptr},
        {L"<a>&#x41</a>", nullptr},
    };
    for (const Case& c : cases) {
        TiXmlDocument doc;
        doc.Parse(c.text, nullptr, 0);
        if (!c.value) {
            EXPECT_TRUE(doc.Error()) << c.text;
            EXPECT_EQ(TIXML_ERROR_READING_ELEMENT_VALUE, doc.ErrorId()) << c.text;
            continue;
        }
        ASSERT_FALSE(doc.Error()) << c.text;
        ASSERT_NE(nullptr, doc.RootElement()->FirstChild()) << c.text;
        EXPECT_STREQ(c.value, doc.RootElement()->FirstChild()->Value()) << c.text;
    }
}

TEST_F(TiXmlParserTest, ErrorsWithTheirLocations) {
    struct Case {
        const wchar_t* text;
        int id;
        int row;
        int col;
    } cases[] = {
        {L"", 13, -1, -1},
        {L"  \n\t ", 13, -1, -1},
        {L"<a>", 6, -1, -1},
        {L"<a><b>text", 6, -1, -1},
        {L"<a></b>", 9, 0, 3},
        {L"<a>\n<b></c>", 9, 1, 3},
        {L"<a/ >", 8, 0, 3},
        {L"<a", 5, 0, 1},
        {L"<a b='1", 4, 0, 3},
        {L"<a b=\"1\" c>", 7, 0, 10},
        {L"<a\n  =x/>", 7, 1, 2},
        {L"<a><!-- open", 6, -1, -1},
        {L"<a>&#x4G;</a>", 6, -1, -1},
        {L"<a>x</a >", 9, 0, 4},
        {L"<a>\r\n\t<b></a>", 9, 1, 7},  // CR LF is one line break; a tab moves to column 4
    };
    for (const Case& c : cases) {
        TiXmlDocument doc;
        doc.Parse(c.text, nullptr, 0);
        EXPECT_TRUE(doc.Error()) << c.text;
        EXPECT_EQ(c.id, doc.ErrorId()) << c.text;
        EXPECT_STREQ(TiXmlDocument::ErrorText(c.id), doc.ErrorDesc()) << c.text;
        EXPECT_EQ(c.row, doc.ErrorRow()) << c.text;
        EXPECT_EQ(c.col, doc.ErrorCol()) << c.text;
    }
}

TEST_F(TiXmlParserTest, ErrorDescriptions) {
    TiXmlDocument doc;
    doc.Parse(L"<a></b>", nullptr, 0);
    EXPECT_STREQ(L"Error reading end tag.", doc.ErrorDesc());
    doc.Parse(L"<a/ >", nullptr, 0);  // a new parse clears the old error first
    EXPECT_STREQ(L"Error: empty tag.", doc.ErrorDesc());
    doc.Parse(L"", nullptr, 0);
    EXPECT_STREQ(L"Error document empty.", doc.ErrorDesc());
    doc.Parse(L"<a/>", nullptr, 0);
    EXPECT_FALSE(doc.Error());
    EXPECT_EQ(0, doc.ErrorId());
    EXPECT_STREQ(L"", doc.ErrorDesc());
}

TEST_F(TiXmlParserTest, ForgivingCases) {
    // Markup that is not an element becomes an unknown node.
    TiXmlDocument unknown;
    unknown.Parse(L"<1a/>", nullptr, 0);
    EXPECT_FALSE(unknown.Error());
    EXPECT_EQ(L"3:1a/", Children(&unknown));

    // Text at the top level ends parsing without an error (also before any markup).
    TiXmlDocument trailing;
    trailing.Parse(L"<a/>junk<b/>", nullptr, 0);
    EXPECT_FALSE(trailing.Error());
    EXPECT_EQ(L"1:a", Children(&trailing));
    TiXmlDocument leading;
    leading.Parse(L"junk<?xml version='1.0'?><a/>", nullptr, 0);
    EXPECT_FALSE(leading.Error());
    EXPECT_EQ(nullptr, leading.FirstChild());

    // Several top-level elements are read; white space running to the end inside an element
    // records nothing.
    TiXmlDocument several;
    several.Parse(L"<a/><b/>\n<c>", nullptr, 0);
    EXPECT_EQ(L"1:a 1:b 1:c", Children(&several));
    TiXmlDocument open;
    open.Parse(L"<a>  \n", nullptr, 0);
    EXPECT_FALSE(open.Error());

    // Unterminated declaration or unknown construct at the top level: no error.
    TiXmlDocument decl;
    decl.Parse(L"<?xml version='1.0'", nullptr, 0);
    EXPECT_FALSE(decl.Error());
    TiXmlDocument unk;
    unk.Parse(L"<!DOCTYPE x", nullptr, 0);
    EXPECT_FALSE(unk.Error());
    EXPECT_EQ(L"3:!DOCTYPE x", Children(&unk));
}

TEST_F(TiXmlParserTest, RepeatedAttributeKeepsLaterValueAndReportsIt) {
    TiXmlDocument doc;
    doc.Parse(L"<a b='1' b='2'/><c/>", nullptr, 0);
    ASSERT_NE(nullptr, doc.RootElement());
    EXPECT_STREQ(L"2", doc.RootElement()->GetAttribute(L"b"));
    EXPECT_EQ(nullptr, doc.RootElement()->NextSiblingElement());  // reading stops there
    EXPECT_TRUE(doc.Error());
    EXPECT_EQ(TIXML_ERROR_PARSING_ELEMENT, doc.ErrorId());
    EXPECT_EQ(0, doc.ErrorRow());
    EXPECT_EQ(9, doc.ErrorCol());
}

TEST_F(TiXmlParserTest, ManyAttributes) {
    // Enough attributes to read through the name index, with a repeat far down the list.
    const int n = 100000;
    std::wstring text = L"<a";
    for (int i = 0; i < n; ++i)
        text += L" n" + std::to_wstring(i) + L"='" + std::to_wstring(i) + L"'";
    TiXmlDocument doc;
    doc.Parse((text + L"/>").c_str(), nullptr, 0);
    ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
    TiXmlElement* a = doc.RootElement();
    EXPECT_STREQ(L"99999", a->GetAttribute(L"n99999"));
    EXPECT_STREQ(a->LastAttribute()->Name(), L"n99999");

    TiXmlDocument repeated;
    repeated.Parse((text + L" n40='again'/>").c_str(), nullptr, 0);
    EXPECT_EQ(TIXML_ERROR_PARSING_ELEMENT, repeated.ErrorId());
    EXPECT_STREQ(L"again", repeated.RootElement()->GetAttribute(L"n40"));
    EXPECT_STREQ(L"n99999", repeated.RootElement()->LastAttribute()->Name());
}

TEST_F(TiXmlParserTest, Declaration) {
    TiXmlDocument doc;
    doc.Parse(L"<?XML version='1.0' encoding='ISO-8859-1' standalone=\"yes\"?><a/>", nullptr, 0);
    ASSERT_FALSE(doc.Error());
    ASSERT_EQ(TiXmlNode::DECLARATION, doc.FirstChild()->GetType());
    auto* decl = static_cast<TiXmlDeclaration*>(doc.FirstChild());
    EXPECT_STREQ(L"1.0", decl->Version());
    EXPECT_STREQ(L"ISO-8859-1", decl->Encoding());
    EXPECT_STREQ(L"yes", decl->Standalone());
    EXPECT_NE(nullptr, doc.RootElement());
}

TEST_F(TiXmlParserTest, DeclaredEncodingDecidesMarkSkipping) {
    // Byte-order mark units decoded one per byte are white space only in a UTF-8 document.
    TiXmlDocument utf8;
    utf8.Parse(L"<?xml version='1.0' encoding='utf8'?><a>\u00ef\u00bb\u00bf<b/></a>", nullptr, 0);
    EXPECT_EQ(L"1:b", Children(utf8.RootElement()));
    TiXmlDocument other;
    other.Parse(L"<?xml version='1.0' encoding='ISO-8859-1'?><a>\u00ef\u00bb\u00bf<b/></a>", nullptr, 0);
    EXPECT_EQ(L"4:\u00ef\u00bb\u00bf 1:b", Children(other.RootElement()));
    // A leading U+FEFF marks UTF-16 and is skipped.
    TiXmlDocument bom;
    bom.Parse(L"\uFEFF<a/>", nullptr, 0);
    EXPECT_FALSE(bom.Error());
    EXPECT_NE(nullptr, bom.RootElement());
}

TEST_F(TiXmlParserTest, LocationStamps) {
    TiXmlDocument doc;
    doc.Parse(L"<r>\n\t<b x='1'\n  y='2'>text</b></r>", nullptr, 0);
    ASSERT_FALSE(doc.Error());
    EXPECT_EQ(0, doc.Row());
    EXPECT_EQ(0, doc.Column());
    TiXmlElement* r = doc.RootElement();
    EXPECT_EQ(0, r->Row());
    EXPECT_EQ(0, r->Column());
    TiXmlElement* b = r->FirstChildElementNamed(L"b");
    EXPECT_EQ(1, b->Row());
    EXPECT_EQ(4, b->Column());
    TiXmlAttribute* x = b->FirstAttribute();
    EXPECT_EQ(1, x->Row());
    EXPECT_EQ(7, x->Column());
    EXPECT_EQ(2, x->Next()->Row());
    EXPECT_EQ(2, x->Next()->Column());
    EXPECT_EQ(2, b->FirstChild()->Row());
    EXPECT_EQ(8, b->FirstChild()->Column());
    // A new node that was never parsed has no location.
    TiXmlElement fresh(L"n");
    EXPECT_EQ(-1, fresh.Row());
    EXPECT_EQ(-1, fresh.Column());
}

TEST_F(TiXmlParserTest, DeepNestingIsAnErrorNotACrash) {
    // Exactly the limit parses.
    std::wstring ok;
    for (int i = 0; i < TiXmlBase::kMaxDepth; ++i)
        ok += L"<e>";
    for (int i = 0; i < TiXmlBase::kMaxDepth; ++i)
        ok += L"</e>";
    TiXmlDocument fine;
    fine.Parse(ok.c_str(), nullptr, 0);
    EXPECT_FALSE(fine.Error()) << fine.ErrorDesc();

    // One more level, or tens of thousands, is refused at the element too deep.
    for (int depth : {TiXmlBase::kMaxDepth + 1, 50000}) {
        std::wstring deep;
        for (int i = 0; i < depth; ++i)
            deep += L"<e>";
        TiXmlDocument doc;
        doc.Parse(deep.c_str(), nullptr, 0);
        EXPECT_TRUE(doc.Error());
        EXPECT_EQ(TIXML_ERROR_PARSING_ELEMENT, doc.ErrorId());
        EXPECT_EQ(0, doc.ErrorRow());
        EXPECT_EQ(3 * TiXmlBase::kMaxDepth, doc.ErrorCol());
    }
}

TEST_F(TiXmlParserTest, HugeTextNode) {
    const size_t n = 50u * 1024 * 1024;
    std::wstring text = L"<a>";
    text.append(n, L'\u00e9');
    std::wstring whole = text + L"</a>";
    TiXmlDocument doc;
    doc.Parse(whole.c_str(), nullptr, 0);
    ASSERT_FALSE(doc.Error());
    const TiXmlNode* t = doc.RootElement()->FirstChild();
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(n, wcslen(t->Value()));

    TiXmlDocument cut;
    cut.Parse(text.c_str(), nullptr, 0);  // the end tag never comes
    EXPECT_TRUE(cut.Error());
    EXPECT_EQ(TIXML_ERROR_READING_ELEMENT_VALUE, cut.ErrorId());
}

TEST_F(TiXmlParserTest, TruncatedReplyAtEveryLength) {
    // Every prefix of a realistic reply must end in a defined state, never a crash.
    const std::wstring reply =
        L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<reply rc=\"0\">\n <!-- c -->\n"
        L" <object id='7' name=\"M\u00fcller &amp; S\u00f6hne\" flags=3>\n"
        L"  <field n=\"a\">x &lt; y &#x20AC;</field><empty/>\n </object>\n</reply>\n";
    for (size_t len = 0; len < reply.size(); ++len) {
        std::wstring prefix = reply.substr(0, len);
        TiXmlDocument doc;
        doc.Parse(prefix.c_str(), nullptr, 0);
        // Past the declaration, a cut that does not end in white space is an error.
        if (len > 40 && prefix.find(L"</reply>") == std::wstring::npos && !iswspace(prefix.back())) {
            EXPECT_TRUE(doc.Error()) << len;
        }
    }
    TiXmlDocument whole;
    whole.Parse(reply.c_str(), nullptr, 0);
    EXPECT_FALSE(whole.Error()) << whole.ErrorDesc();
    TiXmlElement* object = whole.RootElement()->FirstChildElementNamed(L"object");
    ASSERT_NE(nullptr, object);
    EXPECT_STREQ(L"M\u00fcller & S\u00f6hne", object->GetAttribute(L"name"));
    EXPECT_STREQ(L"x < y \u20ac", object->FirstChildElementNamed(L"field")->FirstChild()->Value());
}

TEST_F(TiXmlParserTest, HelperRules) {
    EXPECT_TRUE(TiXmlBase::IsAlpha(L'\u00e9'));
    EXPECT_FALSE(TiXmlBase::IsAlpha(L'1'));
    EXPECT_TRUE(TiXmlBase::IsAlphaNum(L'1'));
    EXPECT_TRUE(TiXmlBase::StringEqual(L"<?XmL x", L"<?xml", true, 0));
    EXPECT_FALSE(TiXmlBase::StringEqual(L"<?XmL x", L"<?xml", false, 0));
    EXPECT_FALSE(TiXmlBase::StringEqual(L"<?x", L"<?xml", true, 0));
    EXPECT_FALSE(TiXmlBase::StringEqual(L"", L"", true, 0));
    EXPECT_EQ(nullptr, TiXmlBase::SkipWhiteSpace(L"", 0));
    const wchar_t* blanks = L" \r\n\t";
    EXPECT_EQ(blanks + 4, TiXmlBase::SkipWhiteSpace(blanks, 0));

    TiXmlString name;
    const wchar_t* in = L"ns:a-b.c_1 rest";
    EXPECT_EQ(in + 10, TiXmlBase::ReadName(in, name));
    EXPECT_STREQ(L"ns:a-b.c_1", name.c_str());
    EXPECT_EQ(nullptr, TiXmlBase::ReadName(L"-a", name));
    EXPECT_EQ(0u, name.Length());
}
