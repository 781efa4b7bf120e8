// The application's message loop helpers and WM_QUIT. In a program of its own: once WM_QUIT was
// seen, the application stays terminated.
#include <gtest/gtest.h>

#include "classlib/Forms.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

TEST(ApplicationLoop, ProcessMessagesHandlesPendingMessagesAndLeavesQuitToTheThread) {
  int Seen = 0;
  HWND Wnd = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP) ++Seen;
    M.Result = DefWindowProcA(MessageWindow(), M.Msg, M.WParam, M.LParam);
  });
  PostMessageA(Wnd, WM_APP, 0, 0);
  PostMessageA(Wnd, WM_APP, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(Seen, 2);
  EXPECT_FALSE(Application->Terminated());

  PostQuitMessage(3);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
  MSG Msg;
  ASSERT_TRUE(PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(Msg.message, static_cast<UINT>(WM_QUIT)) << "posted again for the thread's own loop";
  EXPECT_EQ(Msg.wParam, 3u);

  // A modal form ends at once in a terminated application.
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  TWatchdog Watchdog(5000, [W = Form->Handle()] { PostMessageA(W, WM_CLOSE, 0, 0); });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_FALSE(Watchdog.Fired());
  DeallocateHWnd(Wnd);
}
