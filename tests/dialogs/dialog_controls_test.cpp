// The standard and graphic controls of the dialog layer over their real windows: memo, list box,
// combo box, static text, image, bevel, splitter, bit button, and popup-menu images.
#include <gtest/gtest.h>

#include "classlib/Buttons.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/StdCtrls.h"
#include "tests/support/DialogTestSupport.h"

using namespace testsupport;

namespace {
TForm* NewForm(int W = 300, int H = 200) {
  TForm* Form = TForm::Create(nullptr, CreateNewForm);
  Form->SetClientSize(W, H);
  return Form;
}

template <class C> C* Place(TWinControl* Parent, int X, int Y, int W, int H) {
  C* Control = C::Create(Parent);
  Control->SetParent(Parent);
  Control->SetBounds(X, Y, W, H);
  return Control;
}

// The form's client area with its graphic controls, as it paints itself.
void PaintForm(TForm* Form, TPixelDC& Pixels) {
  SendMessageA(Form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
}

struct TNotices {
  int Clicks = 0;
  int Changes = 0;
  void Clicked(TObject*) { ++Clicks; }
  void Changed(TObject*) { ++Changes; }
};
}  // namespace

TEST(Memo, LinesAreTheTextSplitAtLineBreaks) {
  TObjectPtr<TForm> Form(NewForm());
  auto* Memo = Place<TMemo>(Form.get(), 5, 5, 200, 80);
  Memo->Lines()->SetText("one\ntwo\r\n");
  EXPECT_EQ(Memo->Text(), "one\r\ntwo\r\n") << "the edit control needs CR LF";
  EXPECT_EQ(Memo->Lines()->Count(), 2);
  Memo->Lines()->Insert(1, "between");
  Memo->Lines()->Add("");
  EXPECT_EQ(Memo->Text(), "one\r\nbetween\r\ntwo\r\n\r\n");
  EXPECT_EQ(Memo->Lines()->Count(), 4) << "a last empty line is kept";
  Memo->Lines()->Delete(0);
  EXPECT_EQ(Memo->Lines()->Get(0), "between");

  // What the user types is what Lines reads; a window made again keeps it.
  SetWindowTextA(Memo->Handle(), "typed\r\nby hand");
  Memo->RecreateWnd();
  EXPECT_EQ(Memo->Lines()->Get(1), "by hand");
  EXPECT_TRUE(GetWindowLongPtrA(Memo->Handle(), GWL_STYLE) & ES_MULTILINE);
  Memo->Lines()->Clear();
  EXPECT_EQ(Memo->Lines()->Count(), 0);
}

TEST(ListBoxAndComboBox, ItemsAndSelectionLiveInTheWindowAndSurviveANewOne) {
  TObjectPtr<TForm> Form(NewForm());
  TNotices Notices;
  auto* List = TListBox::Create(Form.get());  // filled before it has a window
  List->Items()->Add("Icon #0");
  List->Items()->Add("Icon #1");
  List->SetItemIndex(1);
  List->OnClick = TNotifyEvent::Bind<&TNotices::Clicked>(&Notices);
  List->SetParent(Form.get());
  HWND LB = List->Handle();
  EXPECT_EQ(SendMessageA(LB, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(LB, LB_GETCURSEL, 0, 0), 1);
  List->Items()->Put(0, "Icon #9");
  char Text[32] = {};
  SendMessageA(LB, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(Text));
  EXPECT_STREQ(Text, "Icon #9");
  Form->Show();
  List->SetFocus();
  SendMessageA(LB, WM_KEYDOWN, VK_UP, 0);  // the user moves the selection
  EXPECT_EQ(List->ItemIndex(), 0);
  EXPECT_EQ(Notices.Clicks, 1);
  List->RecreateWnd();
  EXPECT_EQ(List->ItemIndex(), 0);
  List->Clear();
  EXPECT_EQ(List->ItemIndex(), -1);

  auto* Combo = Place<TComboBox>(Form.get(), 150, 5, 124, 21);
  Combo->SetStyle(csDropDownList);
  for (const char* S : {"Blend 25%", "Focus", "Normal"}) Combo->Items()->Add(S);
  Combo->SetItemIndex(2);
  Combo->OnChange = TNotifyEvent::Bind<&TNotices::Changed>(&Notices);
  HWND CB = Combo->Handle();
  EXPECT_EQ(GetWindowLongPtrA(CB, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  EXPECT_EQ(Combo->Text(), "Normal");
  RECT Dropped{};
  SendMessageA(CB, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&Dropped));
  EXPECT_GT(Dropped.bottom - Dropped.top, 3 * Combo->Height()) << "room for the list";
  EXPECT_LT(Combo->Height(), 30) << "Height is the closed box";
  Combo->SetFocus();
  SendMessageA(CB, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Notices.Changes, 1);
  Combo->SetItemIndex(0);
  EXPECT_EQ(Notices.Changes, 1) << "only the user's choice is a change";
}

TEST(StaticTextImageBevel, SizeTheirTextDrawOffScreenAndPaintLines) {
  TObjectPtr<TForm> Form(NewForm());
  auto* Static = Place<TStaticText>(Form.get(), 3, 3, 227, 26);
  Static->SetAutoSize(false);
  Static->SetCaption("Important: the file, you've selected, should be located in folders accessed by PATH variable");
  EXPECT_EQ(Static->Width(), 227);
  Static->SetAutoSize(true);
  EXPECT_GT(Static->Width(), 227);
  char Class[16] = {};
  GetClassNameA(Static->Handle(), Class, sizeof Class);
  EXPECT_STREQ(Class, "Static");

  auto* Image = Place<TImage>(Form.get(), 100, 100, 48, 48);
  TCanvas* Canvas = Image->Canvas();
  Canvas->Brush()->SetColor(clBlue);
  Canvas->FillRect(Rect(0, 0, 48, 48));
  Canvas->Brush()->SetColor(clRed);
  Canvas->FillRect(Rect(8, 8, 40, 40));
  EXPECT_EQ(Image->Picture()->Width(), 48);
  auto* Bevel = Place<TBevel>(Form.get(), 10, 50, 80, 2);
  Bevel->SetShape(bsTopLine);
  TPixelDC Pixels(300, 200);
  PaintForm(Form.get(), Pixels);
  EXPECT_EQ(Pixels.Pixel(101, 101), static_cast<COLORREF>(RGB(0, 0, 255)));
  EXPECT_EQ(Pixels.Pixel(124, 124), static_cast<COLORREF>(RGB(255, 0, 0)));
  EXPECT_EQ(Pixels.Pixel(40, 50), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(Pixels.Pixel(40, 51), static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));

  Image->Picture()->Icon();  // another kind of graphic cannot be drawn on
  EXPECT_THROW(Image->Canvas(), EInvalidOperation);
}

TEST(Splitter, DraggingResizesTheControlBesideItWithinMinSize) {
  TObjectPtr<TForm> Form(NewForm(400, 200));
  auto* Client = Place<TPanel>(Form.get(), 0, 0, 10, 10);
  Client->SetAlign(alClient);
  auto* Right = Place<TPanel>(Form.get(), 300, 0, 185, 200);
  Right->SetAlign(alRight);
  auto* Splitter = Place<TSplitter>(Form.get(), 200, 0, 3, 200);
  Splitter->SetAlign(alRight);
  Form->Show();
  ASSERT_EQ(Splitter->Left() + Splitter->Width(), Right->Left());
  EXPECT_EQ(Splitter->Cursor(), crHSplit);
  HWND Wnd = Form->Handle();
  auto Mouse = [Wnd](UINT Msg, int X, WPARAM Keys) { SendMessageA(Wnd, Msg, Keys, MAKELPARAM(X, 100)); };
  int X = Splitter->Left() + 1;
  Mouse(WM_LBUTTONDOWN, X, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, X - 50, MK_LBUTTON);
  EXPECT_EQ(Right->Width(), 235);
  EXPECT_EQ(Splitter->Left() + Splitter->Width(), Right->Left()) << "the splitter goes along";
  Mouse(WM_MOUSEMOVE, X + 400, MK_LBUTTON);
  EXPECT_EQ(Right->Width(), Splitter->MinSize());
  Mouse(WM_MOUSEMOVE, X - 400, MK_LBUTTON);
  EXPECT_EQ(Client->Width(), Splitter->MinSize()) << "the rest keeps MinSize too";
  Mouse(WM_LBUTTONUP, X - 400, 0);
  int Width = Right->Width();
  Mouse(WM_MOUSEMOVE, X, 0);
  EXPECT_EQ(Right->Width(), Width);
}

TEST(BitBtn, DrawsItsGlyphRightOfTheCaptionAndStaysAnOwnerDrawnButton) {
  TObjectPtr<TForm> Form(NewForm());
  auto* Button = Place<TBitBtn>(Form.get(), 10, 10, 75, 25);
  Button->SetCaption("Add...");
  Button->Glyph()->SetSize(7, 4);
  TCanvas* Glyph = Button->Glyph()->Canvas();
  Glyph->Brush()->SetColor(clOlive);  // the bottom-left colour: transparent
  Glyph->FillRect(Rect(0, 0, 7, 4));
  Glyph->Brush()->SetColor(clRed);
  Glyph->FillRect(Rect(0, 0, 7, 1));
  Button->SetLayout(blGlyphRight);
  Button->SetSpacing(6);
  Button->SetModalResult(mrOk);

  TPoint GlyphAt;
  TRect TextAt;
  Button->CalcLayout(Rect(0, 0, 75, 25), TSize{30, 13}, false, GlyphAt, TextAt);
  EXPECT_EQ(TextAt.left, (75 - 30 - 6 - 7) / 2);
  EXPECT_EQ(GlyphAt.x, TextAt.right + 6);
  EXPECT_EQ(GlyphAt.y, 12 - 2);
  Button->SetLayout(blGlyphLeft);
  Button->CalcLayout(Rect(0, 0, 75, 25), TSize{30, 13}, true, GlyphAt, TextAt);
  EXPECT_EQ(TextAt.left, GlyphAt.x + 7 + 6) << "pressed: one pixel down and right";
  Button->SetLayout(blGlyphRight);

  Button->SetDefault(true);
  EXPECT_EQ(GetWindowLongPtrA(Button->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  Form->Show();
  TPixelDC Pixels(75, 25);  // what the button paints
  SendMessageA(Button->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT);
  auto Count = [&Pixels](int From, int To, TColor Color) {
    return Pixels.Count(Rect(From, 0, To, 25), static_cast<COLORREF>(ColorToRGB(Color)));
  };
  EXPECT_EQ(Count(38, 75, clRed), 7) << "the glyph's line, right of the middle";
  EXPECT_EQ(Count(0, 38, clRed), 0);
  EXPECT_EQ(Count(0, 75, clOlive), 0) << "its background is transparent";
  ClickButton(Button);
  EXPECT_EQ(Form->ModalResult(), mrOk);
}

TEST(MenuImages, ItemsShowTheImageOfTheirSubMenuImagesOrTheMenusImages) {
  TObjectPtr<TImageList> Menu16(TImageList::Create(nullptr));
  TObjectPtr<TImageList> Icons(TImageList::Create(nullptr, 8, 8));
  TObjectPtr<TBitmap> Red(TBitmap::Create());
  Red->SetSize(8, 8);
  Red->Canvas()->Brush()->SetColor(clRed);
  Red->Canvas()->FillRect(Rect(0, 0, 8, 8));
  Icons->Add(Red.get(), nullptr);
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  Menu->SetImages(Menu16.get());
  auto Add = [&](TMenuItem* Parent, const std::string& Caption, int Image) {
    TMenuItem* Item = TMenuItem::Create(Menu.get());
    Item->SetCaption(Caption);
    Item->SetImageIndex(Image);
    Parent->Add(Item);
    return Item;
  };
  TMenuItem* Delete = Add(Menu->Items(), "Delete", 0);
  TMenuItem* ItemIcon = Add(Menu->Items(), "Item Icon", -1);
  ItemIcon->SetSubMenuImages(Icons.get());
  TMenuItem* Icon0 = Add(ItemIcon, "0", 0);
  TMenuItem* Default = Add(ItemIcon, "Default Index (-1)", -1);
  EXPECT_EQ(Delete->GetImageList(), Menu16.get());
  EXPECT_EQ(Icon0->GetImageList(), Icons.get());

  auto Bitmap = [](TMenuItem* Item) {
    MENUITEMINFOA Info{};
    Info.cbSize = sizeof Info;
    Info.fMask = MIIM_BITMAP;
    GetMenuItemInfoA(Item->Parent()->Handle(), Item->Command(), FALSE, &Info);
    return Info.hbmpItem;
  };
  EXPECT_EQ(Bitmap(Icon0), HBMMENU_CALLBACK);
  EXPECT_EQ(Bitmap(Default), nullptr) << "-1: no image";
  MEASUREITEMSTRUCT Measure{ODT_MENU, 0, Icon0->Command(), 0, 0, 0};
  Icon0->MeasureImage(Measure);
  EXPECT_EQ(Measure.itemWidth, 8u);
  TPixelDC Pixels(16, 16);
  DRAWITEMSTRUCT Draw{ODT_MENU, 0, Icon0->Command(), ODA_DRAWENTIRE, 0, nullptr, Pixels.DC(), {0, 0, 16, 16}, 0};
  Icon0->DrawImage(Draw);
  EXPECT_EQ(Pixels.Pixel(8, 8), static_cast<COLORREF>(RGB(255, 0, 0)));

  ItemIcon->SetSubMenuImages(nullptr);  // back to the menu's own list, in which 0 exists but is empty
  EXPECT_EQ(Icon0->GetImageList(), Menu16.get());
  Icons.reset();
  Menu16.reset();  // freed lists leave the menu
  EXPECT_EQ(Menu->Images(), nullptr);
  EXPECT_EQ(Bitmap(Delete), nullptr);
}
