// Layout rules, painting, hit-testing, hot-tracking and clicks of mark-up documents, asserted as
// relations between element bounds at 96 DPI.
#include <gtest/gtest.h>

#include "controls/CDrawProgress.h"
#include "controls/MarkupFixture.h"

using namespace CDraw;

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

TEST(CDrawDocument, NothingHappensBeforeLoad) {
  CDrawDocument doc;
  MemoryBitmap bm(50, 50);
  RECT rc = {0, 0, 50, 50};
  doc.Paint(bm.dc, &rc);
  EXPECT_EQ(doc.GetClickId(1, 1), 0);
  EXPECT_FALSE(doc.OnMouseMove(nullptr, 1, 1));
  EXPECT_FALSE(doc.OnClick(nullptr, 1, 1));
  EXPECT_FALSE(doc.ClearHot(nullptr));
}

TEST(CDrawDocument, TextsWrapToANewLineBelowTheTallerOfTheLine) {
  MarkupFixture f;
  f.Load(L"<Text id=\"a\" width=\"120\">a</Text><Text id=\"b\" width=\"120\" font-size=\"30\">b</Text>"
         L"<Text id=\"c\" width=\"120\">c</Text>");
  f.Layout(300, 300);
  RECT a = f.Bounds(L"a"), b = f.Bounds(L"b"), c = f.Bounds(L"c");
  EXPECT_EQ(a.left, 0);
  EXPECT_EQ(b.left, a.right);
  EXPECT_GT(Height(b), Height(a));
  EXPECT_EQ(c.left, 0);
  EXPECT_GE(c.top, b.bottom - 1);  // below the taller one, not just below "a"
  EXPECT_GT(c.top, a.bottom);
}

TEST(CDrawDocument, PercentageWidthIsAShareOfTheFreeSpaceAndCentred) {
  MarkupFixture f;
  f.Load(L"<Div id=\"box\" width=\"400\" height=\"100\"><Div id=\"half\" width=\"50%\" height=\"50%\"><Tab/></Div></Div>");
  f.Layout();
  RECT box = f.Bounds(L"box"), half = f.Bounds(L"half");
  EXPECT_EQ(Width(box), 400);
  EXPECT_EQ(Width(half), 200);
  EXPECT_EQ(Height(half), 50);
  EXPECT_EQ(half.left - box.left, box.right - half.right);
  EXPECT_EQ(half.top - box.top, box.bottom - half.bottom);
}

TEST(CDrawDocument, ColumnsTakeTheWidestWidthAndIgnoreTextAlign) {
  MarkupFixture f;
  f.Load(L"<Text id=\"a1\" column=\"label\" text-align=\"right\">Name</Text><Text id=\"a2\">value</Text><BR/>"
         L"<Text id=\"b1\" column=\"label\">A much longer label</Text><Text id=\"b2\">value</Text>");
  f.Layout();
  RECT a1 = f.Bounds(L"a1"), a2 = f.Bounds(L"a2"), b1 = f.Bounds(L"b1"), b2 = f.Bounds(L"b2");
  EXPECT_EQ(Width(a1), Width(b1));
  EXPECT_EQ(a1.left, 0);  // "right" is ignored inside a column
  EXPECT_EQ(a2.left, b2.left);
  EXPECT_GT(b1.top, a1.top);
  // A column never becomes narrower while the tree is kept.
  int wide = Width(b1);
  f.Layout(150, 300);
  f.Layout();
  EXPECT_EQ(Width(f.Bounds(L"a1")), wide);
}

TEST(CDrawDocument, AlignmentInsideTheBox) {
  MarkupFixture f;
  f.Load(L"<Div id=\"box\" width=\"300\" height=\"40\"><Text id=\"mid\" vertical-align=\"middle\">m</Text>"
         L"<Text id=\"right\" text-align=\"right\">r</Text><Text id=\"center\" text-align=\"center\">c</Text>"
         L"<Text id=\"bottom\" vertical-align=\"bottom\">b</Text></Div>");
  f.Layout();
  RECT box = f.Bounds(L"box"), mid = f.Bounds(L"mid"), right = f.Bounds(L"right"), center = f.Bounds(L"center"),
       bottom = f.Bounds(L"bottom");
  EXPECT_LE(std::abs((mid.top - box.top) - (box.bottom - mid.bottom)), 1);
  EXPECT_GT(mid.top, box.top);
  EXPECT_EQ(right.right, box.right);
  EXPECT_LE(std::abs((center.left - box.left) - (box.right - center.right)), 1);
  EXPECT_EQ(bottom.bottom, box.bottom);
}

TEST(CDrawDocument, TextsOfDifferentSizesShareABaseline) {
  MarkupFixture f;
  f.Load(L"<Text id=\"big\" font-size=\"32\">Big</Text><Text id=\"small\" font-size=\"12\">small</Text>");
  f.Layout();
  RECT big = f.Bounds(L"big"), small = f.Bounds(L"small");
  EXPECT_GT(small.top, big.top);
  int baseBig = big.bottom - f.Text(0)->descent, baseSmall = small.bottom - f.Text(1)->descent;
  EXPECT_EQ(baseBig, baseSmall);
}

TEST(CDrawDocument, LineBreaksAndTabs) {
  MarkupFixture f;
  f.Load(L"<Text id=\"a\">a</Text><Tab id=\"tab\" width=\"50\" height=\"4\"/><Text id=\"b\">b</Text><BR/><BR/>"
         L"<Text id=\"c\">c</Text><BR/><Text id=\"d\">d</Text>");
  f.Layout();
  RECT a = f.Bounds(L"a"), tab = f.Bounds(L"tab"), b = f.Bounds(L"b"), c = f.Bounds(L"c"), d = f.Bounds(L"d");
  EXPECT_EQ(tab.left, a.right);
  EXPECT_EQ(Width(tab), 50);
  EXPECT_EQ(b.left, tab.right);
  EXPECT_EQ(c.left, 0);
  EXPECT_EQ(d.left, 0);
  // Two breaks end the line once: the gap to "c" equals the gap from "c" to "d".
  EXPECT_EQ(c.top - a.top, d.top - c.top);
}

TEST(CDrawDocument, MultiLineTextWrapsInsideItsBox) {
  MarkupFixture f;
  f.Load(L"<Text id=\"one\">x</Text><Text id=\"long\" multi-line=\"1\">one two three four five six seven "
         L"eight nine ten eleven twelve thirteen fourteen fifteen sixteen seventeen</Text>");
  f.Layout(120, 300);
  RECT one = f.Bounds(L"one"), wrapped = f.Bounds(L"long");
  EXPECT_EQ(wrapped.left, one.right);  // flows on after the text before it
  EXPECT_LE(wrapped.right, 120);
  EXPECT_GE(Height(wrapped), 3 * Height(one));
  // Painting clears the wrapped mark; the next layout wraps again the same way.
  RECT all = {0, 0, 120, 300};
  f.doc.Paint(f.bitmap.dc, &all);
  RECT again = f.Bounds(L"long");
  EXPECT_EQ(Height(again), Height(wrapped));
}

TEST(CDrawDocument, FitToWidthShrinksDownToEightPixels) {
  MarkupFixture f;
  f.Load(L"<Div width=\"60\"><Text id=\"t\" font-size=\"30\" font-size-to-fit-width=\"yes\">Fit this</Text></Div>"
         L"<Div width=\"10\"><Text id=\"u\" font-size=\"30\" font-size-to-fit-width=\"yes\">Never fits in ten</Text></Div>");
  f.Layout();
  CDrawText* t = dynamic_cast<CDrawText*>(dynamic_cast<CDrawDiv*>(f.Child(0))->FirstChild());
  CDrawText* u = dynamic_cast<CDrawText*>(dynamic_cast<CDrawDiv*>(f.Child(1))->FirstChild());
  EXPECT_LT(-t->font.lfHeight, 30);
  EXPECT_GT(-t->font.lfHeight, 8);
  EXPECT_EQ(-u->font.lfHeight, 8);
  EXPECT_LE(Width(f.Bounds(L"t")), 60);
}

TEST(CDrawDocument, PaddingAndMarginShrinkTheInnerArea) {
  MarkupFixture f;
  f.gdi.dpiX = 144;
  f.gdi.dpiY = 144;
  f.Load(L"<Div id=\"box\" padding-left=\"10\" padding-top=\"4\" margin=\"2\"><Tab id=\"t\" width=\"20\" height=\"10\"/></Div>");
  f.Layout();
  RECT box = f.Bounds(L"box"), t = f.Bounds(L"t");
  EXPECT_EQ(t.left - box.left, 15 + 3);
  EXPECT_EQ(t.top - box.top, 6 + 3);
  EXPECT_EQ(Width(t), 30);
  EXPECT_EQ(Width(box), 15 + 30 + 6);
}

TEST(CDrawDocument, HitTestPicksTheLaterOfOverlappingElements) {
  MarkupFixture f;
  f.Load(L"<Tab id=\"first\" width=\"100\" height=\"20\" text-align=\"center\" on-click=\"1\" hot-track=\"#FF0000\"/>"
         L"<Tab id=\"second\" width=\"100\" height=\"20\" text-align=\"center\" on-click=\"2\"/>"
         L"<Tab id=\"none\" width=\"20\" height=\"20\" on-click=\"0\"/>");
  f.Layout();
  RECT a = f.Bounds(L"first"), b = f.Bounds(L"second");
  ASSERT_TRUE(EqualRect(&a, &b));
  EXPECT_EQ(f.doc.GetClickId(a.left + 5, a.top + 5), 2);
  EXPECT_EQ(f.doc.GetClickId(a.left - 5, a.top + 5), 0);
  // The hot-track mask passes over the clickable-only element on top.
  EXPECT_EQ(f.doc.HitTest(CDrawBase::StateHotTrack, a.left + 5, a.top + 5)->id.GetBuffer(), std::wstring(L"first"));
  RECT n = f.Bounds(L"none");
  EXPECT_EQ(f.doc.GetClickId(n.left + 2, n.top + 2), 0);
}

TEST(CDrawDocument, HotTrackingSetsAndRestoresTheHandCursor) {
  MarkupFixture f;
  f.Load(L"<Text id=\"link\" font-size=\"30\" hot-track=\"#FF0000\" on-click=\"7\">Link</Text><Text id=\"plain\">p</Text>");
  f.Layout();
  RECT link = f.Bounds(L"link"), plain = f.Bounds(L"plain");
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR hand = CTREngine::Instance()->GetCursor(CTREngine::CursorHand);
  SetCursor(arrow);
  CDrawBase* e = f.Child(0);

  EXPECT_TRUE(f.doc.OnMouseMove(nullptr, link.left + 3, link.top + 5));
  EXPECT_TRUE(e->state & CDrawBase::StateHot);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_FALSE(f.doc.OnMouseMove(nullptr, link.left + 4, link.top + 5));  // same element: no change

  f.Paint();
  EXPECT_GT(f.Count(RGB(255, 0, 0), link), 0);

  EXPECT_TRUE(f.doc.OnMouseMove(nullptr, plain.left + 1, plain.top + 1));
  EXPECT_FALSE(e->state & CDrawBase::StateHot);
  EXPECT_EQ(GetCursor(), arrow);
  f.bitmap.Fill(RGB(255, 255, 255));
  f.Paint();
  EXPECT_EQ(f.Count(RGB(255, 0, 0), link), 0);

  EXPECT_TRUE(f.doc.OnMouseMove(nullptr, link.left + 3, link.top + 5));
  EXPECT_TRUE(f.doc.ClearHot(nullptr));
  EXPECT_FALSE(f.doc.ClearHot(nullptr));
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(f.doc.hot, nullptr);
}

TEST(CDrawDocument, PressDrawsAtHalfBrightnessUntilTheNextMove) {
  MarkupFixture f;
  f.Load(L"<Text id=\"link\" font-size=\"30\" color=\"#C80000\" hot-track=\"#0000FF\" on-click=\"3\">Link</Text>"
         L"<Text id=\"button\" font-size=\"30\" color=\"#00C800\" on-click=\"4\">Go</Text>");
  f.Layout();
  RECT link = f.Bounds(L"link"), button = f.Bounds(L"button");
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));

  f.doc.OnMouseMove(nullptr, link.left + 3, link.top + 5);
  EXPECT_TRUE(f.doc.OnClick(nullptr, link.left + 3, link.top + 5));
  EXPECT_EQ(f.Child(0)->state & (CDrawBase::StateHot | CDrawBase::StatePressed), DWORD(CDrawBase::StatePressed));
  EXPECT_EQ(f.doc.hot, nullptr);
  f.Paint();
  EXPECT_GT(f.Count(RGB(100, 0, 0), link), 0);
  // The next move over it makes it hot again: hot colour.
  EXPECT_TRUE(f.doc.OnMouseMove(nullptr, link.left + 3, link.top + 5));
  f.bitmap.Fill(RGB(255, 255, 255));
  f.Paint();
  EXPECT_GT(f.Count(RGB(0, 0, 255), link), 0);
  EXPECT_EQ(f.Count(RGB(100, 0, 0), link), 0);

  // Without "hot-track" the press stays until the text is loaded again.
  EXPECT_TRUE(f.doc.OnClick(nullptr, button.left + 3, button.top + 5));
  f.doc.OnMouseMove(nullptr, 1, 299);
  f.doc.ClearHot(nullptr);
  EXPECT_TRUE(f.Child(1)->state & CDrawBase::StatePressed);
  EXPECT_EQ(f.doc.GetClickId(button.left + 3, button.top + 5), 4);
  EXPECT_FALSE(f.doc.OnClick(nullptr, 1, 299));
}

TEST(CDrawDocument, ReloadForgetsTheHotElementAndRestoresTheCursor) {
  MarkupFixture f;
  f.Load(L"<Text font-size=\"30\" hot-track=\"#FF0000\">Link</Text>");
  f.Layout();
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  ASSERT_TRUE(f.doc.OnMouseMove(nullptr, 3, 5));
  f.Load(L"<Text>other</Text>");
  EXPECT_EQ(f.doc.hot, nullptr);
  EXPECT_EQ(f.doc.savedCursor, nullptr);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST(CDrawDocument, ProgressFillsItsShare) {
  MarkupFixture f;
  f.Load(L"<Progress id=\"p\" width=\"202\" height=\"20\" pos=\"25\" color=\"#0000FF\" background-color=\"#FFFF00\" "
         L"type=\"text\" text-align=\"center\" vertical-align=\"middle\">WWWWWWWWWWWW</Progress>"
         L"<BR/><Progress id=\"zero\" width=\"100\" height=\"20\" color=\"#0000FF\" type=\"text\">WWW</Progress>"
         L"<BR/><Progress id=\"nomax\" width=\"100\" height=\"20\" max=\"0\" pos=\"3\" color=\"#0000FF\"/>"
         L"<BR/><Progress id=\"over\" width=\"100\" height=\"20\" max=\"10\" pos=\"30\" color=\"#0000FF\"/>");
  f.Paint();
  auto* p = dynamic_cast<CDrawProgress*>(f.Child(0));
  RECT rc = f.Bounds(L"p");
  RECT frame = {rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 2};
  RECT bar, rest;
  ASSERT_TRUE(p->SplitBar(frame, &bar, &rest));
  EXPECT_NEAR(Width(bar), (Width(frame) - 1) / 4, 1);
  EXPECT_EQ(rest.left, bar.right + 1);
  // Filled: the colour; the text over it in the background colour, over the rest in the colour.
  EXPECT_GT(f.Count(RGB(0, 0, 255), bar), Width(bar) * Height(bar) / 2);
  EXPECT_GT(f.Count(RGB(255, 255, 0), bar), 0);
  EXPECT_GT(f.Count(RGB(0, 0, 255), rest), 0);
  // Position 0 draws neither bar nor text, only the frame.
  RECT zero = f.Bounds(L"zero");
  RECT zeroInside = {zero.left + 3, zero.top + 3, zero.right - 3, zero.bottom - 4};
  EXPECT_EQ(f.Count(RGB(0, 0, 255), zeroInside), 0);
  // A maximum of 0 fills nothing; a position past the maximum stops at the frame.
  RECT nomax = f.Bounds(L"nomax");
  RECT nomaxInside = {nomax.left + 3, nomax.top + 3, nomax.right - 3, nomax.bottom - 4};
  EXPECT_EQ(f.Count(RGB(0, 0, 255), nomaxInside), 0);
  RECT over = f.Bounds(L"over");
  EXPECT_EQ(f.Count(RGB(0, 0, 255), RECT{over.right, over.top, over.right + 20, over.bottom}), 0);
  EXPECT_GT(f.Count(RGB(0, 0, 255), RECT{over.right - 5, over.top + 3, over.right - 2, over.bottom - 4}), 0);
}

TEST(CDrawDocument, BackgroundShapes) {
  MarkupFixture f;
  f.Load(L"<Tab id=\"n\" width=\"40\" height=\"40\" background-color=\"#FF0000\"/>"
         L"<Tab id=\"c\" width=\"40\" height=\"40\" background-color=\"#00FF00\" background-type=\"circle\"/>"
         L"<Tab id=\"r\" width=\"40\" height=\"40\" margin=\"10\" background-color=\"#0000FF\" background-type=\"roundedrect\"/>"
         L"<Tab id=\"o\" width=\"40\" height=\"40\" margin=\"10\" background-color=\"#0000FF\" background-type=\"roundedrectoutline\"/>");
  f.Paint();
  RECT n = f.Bounds(L"n"), c = f.Bounds(L"c"), r = f.Bounds(L"r"), o = f.Bounds(L"o");
  EXPECT_EQ(f.Count(RGB(255, 0, 0), n), 1600);
  EXPECT_EQ(f.bitmap.At(c.left + 20, c.top + 20), RGB(0, 255, 0));
  EXPECT_NE(f.bitmap.At(c.left, c.top), RGB(0, 255, 0));  // the corner stays outside the circle
  // The rounded shapes grow 6 pixels past the inner area.
  EXPECT_EQ(f.bitmap.At(r.left + 20, r.top + 20), RGB(0, 0, 255));
  EXPECT_EQ(f.bitmap.At(r.left + 10 - 5, r.top + 20), RGB(0, 0, 255));
  EXPECT_NE(f.bitmap.At(o.left + 20, o.top + 20), RGB(0, 0, 255));
  EXPECT_GT(f.Count(RGB(0, 0, 255), o), 0);
}

TEST(CDrawDocument, FindByIdMatchesWholeIdentifiers) {
  MarkupFixture f;
  f.Load(L"<Div id=\"outer\"><Text id=\"row1\">a</Text><Text id=\"row10\">b</Text></Div>");
  f.Layout();
  RECT rc;
  EXPECT_TRUE(f.doc.FindById(CTString(L"row10"), &rc));
  EXPECT_EQ(rc.left, f.Bounds(L"row1").right);
  EXPECT_FALSE(f.doc.FindById(CTString(L"row"), &rc));
  EXPECT_TRUE(f.doc.FindById(CTString(), &rc));  // the root has no identifier
}

}  // namespace
