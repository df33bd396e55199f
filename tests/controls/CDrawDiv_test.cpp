// Building the element tree: attribute gathering, named styles, value readers, element kinds.
#include <gtest/gtest.h>

#include "controls/CDrawDate.h"
#include "controls/CDrawImage.h"
#include "controls/CDrawLineBreak.h"
#include "controls/CDrawLineTab.h"
#include "controls/CDrawProgress.h"
#include "controls/MarkupFixture.h"

using namespace CDraw;

namespace {

std::wstring TextOf(CDrawBase* e) {
  auto* t = dynamic_cast<CDrawText*>(e);
  return t && t->text.GetBuffer() ? t->text.GetBuffer() : L"";
}

TEST(CDrawDiv, ContentIsKeptAsWrittenWhileDigitAttributesBecomeNumbers) {
  MarkupFixture f;
  f.Load(L"<Text>007</Text><Text value=\"007\"/><Text value=\"a\">content wins? no</Text>");
  ASSERT_EQ(f.doc.root.children.GetCount(), 3u);
  EXPECT_EQ(TextOf(f.Child(0)), L"007");
  EXPECT_EQ(TextOf(f.Child(1)), L"7");
  // The XML attribute comes after the content and replaces it.
  EXPECT_EQ(TextOf(f.Child(2)), L"a");
}

TEST(CDrawDiv, NamedStyleIsOverriddenByWhatFollowsIt) {
  MarkupFixture f;
  f.Load(L"<Attribs><Attrib id=\"blue\" color=\"#0000FF\" font-weight=\"700\"/><Attrib id=\"blue\" color=\"#00FF00\"/></Attribs>"
         L"<Text attrib=\"blue\" color=\"#FF0000\">a</Text>"
         L"<Text color=\"#FF0000\" attrib=\"blue\">b</Text>"
         L"<Text attrib=\"none\">c</Text>"
         L"<Text Attrib=\"blue\">d</Text>");
  ASSERT_EQ(f.doc.root.children.GetCount(), 4u);  // "Attribs" makes no element
  EXPECT_EQ(f.Child(0)->colour, RGB(255, 0, 0));
  EXPECT_EQ(f.Child(1)->colour, RGB(0, 0, 255));  // the first Attrib with the id wins
  EXPECT_EQ(f.Text(1)->font.lfWeight, 700);
  EXPECT_EQ(f.Child(2)->colour, 0u);              // unknown style: nothing added
  EXPECT_EQ(f.Child(3)->colour, 0u);              // "Attrib" is not "attrib"
  EXPECT_TRUE(f.Child(1)->id.IsEmpty());          // the style's id is not copied
}

TEST(CDrawDiv, StylesReachNestedBoxesButNotOutOfTheirBox) {
  MarkupFixture f;
  f.Load(L"<Div><Attribs><Attrib id=\"s\" color=\"#112233\"/></Attribs><Text attrib=\"s\">in</Text>"
         L"<Div><Text attrib=\"s\">deep</Text></Div></Div><Text attrib=\"s\">out</Text>");
  auto* box = dynamic_cast<CDrawDiv*>(f.Child(0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->FirstChild()->colour, RGB(0x11, 0x22, 0x33));
  auto* inner = dynamic_cast<CDrawDiv*>(box->FirstChild()->NextSibling());
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->FirstChild()->colour, RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(f.Child(1)->colour, 0u);
}

TEST(CDrawDiv, ValueReaders) {
  MarkupFixture f;
  f.Load(L"<Tab padding-left=\"8px\" padding-top=\"-2\" margin=\" 3\" width=\"8px\" height=\"-2\"/>"
         L"<Tab WIDTH=\"40\" HEIGHT=\"25%\"/>"
         L"<Tab color=\"123456\" background-color=\"#12\" hot-track=\"#0a0B0c\"/>"
         L"<DIV><Text>x</Text></DIV>"
         L"<Tab width=\"\" color=\"\" on-click=\"-5\" text-align=\"center\" vertical-align=\"BOTTOM\"/>");
  ASSERT_EQ(f.doc.root.children.GetCount(), 5u);
  CDrawBase* a = f.Child(0);
  EXPECT_EQ(a->padding.left, 8);
  EXPECT_EQ(a->padding.top, -2);
  EXPECT_EQ(a->margin, 3);
  EXPECT_EQ(a->fixedWidth, 0);
  EXPECT_EQ(a->widthPercent, 0);
  EXPECT_EQ(a->fixedHeight, 0);
  EXPECT_EQ(a->heightPercent, 0);
  EXPECT_EQ(f.Child(1)->fixedWidth, 40);
  EXPECT_EQ(f.Child(1)->heightPercent, 25);
  // Without the "#" the pairs are read one character late.
  EXPECT_EQ(f.Child(2)->colour, RGB(0x23, 0x45, 0x06));
  EXPECT_EQ(f.Child(2)->backColour, RGB(0x12, 0, 0));
  EXPECT_EQ(f.Child(2)->hotColour, RGB(0x0a, 0x0b, 0x0c));
  EXPECT_TRUE(f.Child(2)->state & CDrawBase::StateHotTrack);
  auto* box = dynamic_cast<CDrawDiv*>(f.Child(3));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->children.GetCount(), 1u);
  CDrawBase* e = f.Child(4);
  EXPECT_EQ(e->clickId, -5);
  EXPECT_TRUE(e->state & CDrawBase::StateClickable);
  EXPECT_EQ(e->align, DWORD(CDrawBase::AlignCenter | CDrawBase::AlignBottom));
  EXPECT_EQ(e->backColour, CDrawBase::kNoColour);
}

TEST(CDrawDiv, MultiLineAndKeepOnLineMarks) {
  struct Case {
    const wchar_t* value;
    bool multi;
    bool keep;
  } cases[] = {{L"true", true, true}, {L"yes", true, true}, {L"1", true, false},
               {L"0", false, true},   {L"no", false, true}, {L"True", false, true}};
  for (const Case& c : cases) {
    MarkupFixture f;
    std::wstring markup = std::wstring(L"<Text multi-line=\"") + c.value + L"\">x</Text>";
    f.Load(markup.c_str());
    CDrawText* t = f.Text(0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->multiLine, c.multi) << testing::PrintToString(std::wstring(c.value));
    EXPECT_EQ((t->state & CDrawBase::StateKeepOnLine) != 0, c.keep) << testing::PrintToString(std::wstring(c.value));
  }
}

TEST(CDrawDiv, ElementKinds) {
  MarkupFixture f;
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  std::wstring markup = L"<Progress type=\"VERTICAL Text\" pos=\"25\" max=\"x\">p</Progress><BR/><Tab/>"
                        L"<Unknown><Text>hidden</Text></Unknown><!-- note --><Image type=\"HICON\" handle=\"" +
                        std::to_wstring(reinterpret_cast<INT_PTR>(icon)) +
                        L"\"/><Image type=\"hicon\" handle=\"5\"/><Progress/>";
  f.Load(markup.c_str());
  ASSERT_EQ(f.doc.root.children.GetCount(), 6u);
  auto* p = dynamic_cast<CDrawProgress*>(f.Child(0));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->kind, DWORD(CDrawProgress::KindVertical | CDrawProgress::KindText));
  EXPECT_EQ(p->pos, 25);
  EXPECT_EQ(p->maximum, 0);  // a text maximum reads 0
  EXPECT_STREQ(p->text.GetBuffer(), L"p");
  EXPECT_NE(dynamic_cast<CDrawLineBreak*>(f.Child(1)), nullptr);
  EXPECT_FALSE(f.Child(1)->IsInline());
  EXPECT_NE(dynamic_cast<CDrawLineTab*>(f.Child(2)), nullptr);
  auto* img = dynamic_cast<CDrawImage*>(f.Child(3));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->kind, 1);
  EXPECT_EQ(img->icon, icon);
  EXPECT_EQ(img->width, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(img->height, GetSystemMetrics(SM_CYICON));
  auto* other = dynamic_cast<CDrawImage*>(f.Child(4));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->kind, 0);  // "HICON" compares with case
  EXPECT_EQ(dynamic_cast<CDrawProgress*>(f.Child(5))->maximum, 100);
}

TEST(CDrawDiv, BoxStartingWithACommentOrTextHasNoChildren) {
  MarkupFixture f;
  f.Load(L"<Div><!-- c --><Text>a</Text></Div><Div>words<Text>b</Text></Div><Div><Text>c</Text></Div>");
  ASSERT_EQ(f.doc.root.children.GetCount(), 3u);
  EXPECT_EQ(dynamic_cast<CDrawDiv*>(f.Child(0))->children.GetCount(), 0u);
  EXPECT_EQ(dynamic_cast<CDrawDiv*>(f.Child(1))->children.GetCount(), 0u);
  EXPECT_EQ(dynamic_cast<CDrawDiv*>(f.Child(2))->children.GetCount(), 1u);
}

TEST(CDrawDiv, Dates) {
  struct Case {
    const wchar_t* markup;
    const wchar_t* contains;  // null: empty text
  } cases[] = {
      {L"<Date>2024-02-30</Date>", nullptr},
      {L"<Date>2024-2-</Date>", nullptr},
      {L"<Date>not a date</Date>", nullptr},
      {L"<Date unixepoch=\"1\">0</Date>", L"1970"},
      {L"<Date unixepoch=\"1\" format=\"1\">86400</Date>", L"02"},
      {L"<Date>2024-02-29</Date>", L"2024"},
      {L"<Date/>", nullptr},
  };
  for (const Case& c : cases) {
    MarkupFixture f;
    f.Load(c.markup);
    std::wstring text = TextOf(f.Child(0));
    if (!c.contains) EXPECT_EQ(text, L"") << testing::PrintToString(std::wstring(c.markup));
    else EXPECT_NE(text.find(c.contains), std::wstring::npos) << testing::PrintToString(text);
  }
  SYSTEMTIME st;
  ASSERT_TRUE(CDrawDate::ReadDate(CTString(L"0"), true, st));
  EXPECT_EQ(st.wYear, 1970);
  EXPECT_EQ(st.wMonth, 1);
  EXPECT_EQ(st.wDay, 1);
}

TEST(CDrawDiv, FontAttributes) {
  MarkupFixture f;
  f.gdi.dpiY = 144;
  f.Load(L"<Text font-family=\"Courier New\" font-size=\"20\" font-weight=\"700\" font-underline=\"1\" "
         L"font-strikeout=\"1\" font-escapement=\"900\" font-orientation=\"900\">a</Text>"
         L"<Text font-family=\"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\" font-size=\"big\">b</Text>");
  CDrawText* a = f.Text(0);
  EXPECT_STREQ(a->font.lfFaceName, L"Courier New");
  EXPECT_EQ(a->font.lfHeight, -30);
  EXPECT_EQ(a->fontSizeWritten, 20);
  EXPECT_EQ(a->font.lfWeight, 700);
  EXPECT_TRUE(a->font.lfUnderline);
  EXPECT_TRUE(a->font.lfStrikeOut);
  EXPECT_EQ(a->font.lfEscapement, 900);
  CDrawText* b = f.Text(1);
  EXPECT_EQ(wcslen(b->font.lfFaceName), 31u);  // cut to the field, never past it
  EXPECT_EQ(b->font.lfHeight, 0);              // a text size: the mapper's default height
}

// Text the reader cannot read in full still builds what it can, and never breaks layout or paint.
TEST(CDrawDiv, MalformedMarkupNeverFails) {
  const wchar_t* inputs[] = {
      L"",
      L"plain words",
      L"<",
      L"<<<>>>",
      L"<Div><Text>open",
      L"<Text>a</Div>",
      L"<Div><Div><Div><Text>a</Text>",
      L"<Text value=\"x\"/><Div><Text>b</Text>",
      L"<Text font-size=\"99999999999\" width=\"99999999999\" margin=\"-99999\">big</Text>",
      L"<Progress max=\"0\" pos=\"5\" type=\"text\">p</Progress><Progress max=\"-3\" pos=\"-7\"/>",
      L"<Image type=\"HICON\" handle=\"12345\"/><Image type=\"HICON\" handle=\"0\"/>",
      L"<Attribs><Attrib/><Attrib id=\"a\" attrib=\"a\"/></Attribs><Text attrib=\"a\" attrib=\"b\">t</Text>",
      L"<Text font-size-to-fit-width=\"yes\" width=\"1\">shrink</Text><Text multi-line=\"1\" width=\"1\">w w w</Text>",
      L"<Div width=\"0%\" height=\"1000%\"><Text column=\"\" text-align=\"right\">&amp;&lt;&#0;&#xFFFF;</Text></Div>",
  };
  for (const wchar_t* input : inputs) {
    MarkupFixture f(120, 60);
    f.Load(input);
    f.Paint();
    f.Layout(0, 0);
    f.Layout(-10, -10);
    f.doc.OnMouseMove(nullptr, 5, 5);
    f.doc.OnClick(nullptr, 5, 5);
    f.doc.ClearHot(nullptr);
    SUCCEED() << testing::PrintToString(std::wstring(input));
  }
  MarkupFixture f;
  f.Load(L"<Text id=\"a\">a</Text><Div><Text id=\"b\">b</Text><Broken");
  RECT rc;
  EXPECT_TRUE(f.doc.FindById(CTString(L"a"), &rc));
}

TEST(CDrawDiv, DeepNestingStaysQuick) {
  std::wstring markup;
  for (int i = 0; i < 200; i++) markup += L"<Div padding-left=\"1\">";
  markup += L"<Text>deep</Text>";
  for (int i = 0; i < 200; i++) markup += L"</Div>";
  MarkupFixture f;
  f.Load(markup.c_str());
  f.Paint();  // without the nesting limit this would not end
  int depth = 0;
  for (CDrawDiv* d = dynamic_cast<CDrawDiv*>(f.Child(0)); d; d = dynamic_cast<CDrawDiv*>(d->FirstChild())) depth++;
  EXPECT_EQ(depth, CDrawDiv::kMaxNesting);
}

}  // namespace
