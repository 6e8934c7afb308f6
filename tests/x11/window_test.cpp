// What the X server knows of the sprite windows: override-redirect, their
// type and class, their names; the focus they never take; the fatal box.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <xcb/xcb.h>

#include <cstdlib>

#include <string>

#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/qt/testing.h"
#include "platform/region.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

const std::string kWmClass("zembrant\0Zembrant\0", 18);

void ExpectSpriteProperties(xtest::XClient& x, std::uint32_t xid, const char* when) {
  EXPECT_TRUE(x.OverrideRedirect(xid)) << when;
  EXPECT_EQ(x.AtomListProperty(xid, "_NET_WM_WINDOW_TYPE"),
            std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DND"})
      << when;
  EXPECT_EQ(x.StringProperty(xid, "WM_CLASS"), kWmClass) << when;
}

TEST_F(X11Test, SpriteWindowsAreOverrideRedirectDndWindowsOfTheProgramsClass) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  const std::uint32_t xid = Xid(w);
  ASSERT_NE(xid, 0u);
  plat::DoEvents();  // requests reach the server at the yield
  ExpectSpriteProperties(X(), xid, "hidden");

  PlaceWindow(w, {10, 20, 29, 30});
  plat::SetVisible(w, true);
  plat::DoEvents();
  ExpectSpriteProperties(X(), xid, "shown");
  EXPECT_EQ(X().WindowName(xid), "frmPlayer");

  // Nothing the game does to a window brings Qt's own labels back.
  ASSERT_TRUE(plat::SetWindowShape(w, plat::Region(plat::Rect{0, 0, 5, 5})));
  PlaceWindow(w, {40, 50, 70, 60});
  plat::SetVisible(w, false);
  plat::DoEvents();
  plat::SetVisible(w, true);
  plat::DoEvents();
  ExpectSpriteProperties(X(), xid, "after changes");
}

// Moves go to the server before Qt hears of them; nothing Qt does later may
// put a window back where Qt last saw it.
TEST_F(X11Test, AWindowStaysWhereItWasLastPut) {
  const plat::WindowId w = ShowWindow({10, 10, 30, 30});
  PlaceWindow(w, {50, 10, 70, 30});  // Qt has not heard of this one yet
  plat::SetVisible(w, false);
  PlaceWindow(w, {10, 10, 30, 30});
  plat::SetVisible(w, true);
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (plat::Rect{10, 10, 30, 30}));

  PlaceWindow(w, {60, 40, 80, 60});
  PlaceWindow(w, {60, 40, 90, 70});  // and a resize before Qt heard of the move
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (plat::Rect{60, 40, 90, 70}));
  PlaceWindow(w, {10, 10, 40, 40});
  plat::SetVisible(w, false);
  plat::SetVisible(w, true);
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (plat::Rect{10, 10, 40, 40}));
}

TEST_F(X11Test, DestroyedWindowsLeaveTheServer) {
  const plat::WindowId w = ShowWindow({10, 10, 30, 30});
  const plat::WindowId label = plat::CreateLabel(w, "Label1");
  const std::uint32_t xid = Xid(w);
  plat::DestroyWindow(w);
  plat::DoEvents();
  X().Sync();
  EXPECT_FALSE(X().Exists(xid));
  EXPECT_FALSE(plat::WindowExists(label));
}

// Another client destroys the window the yields mark exposures with: the
// next yield makes a new one, instead of waiting out its bound ever after.
TEST_F(X11Test, TheExposureMarkerIsMadeAgainWhenAnotherClientDestroysIt) {
  const std::uint32_t before = plat::qt::testing::ExposureMarkerWindow();
  ASSERT_NE(before, 0u);
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  xcb_destroy_window(other, before);
  std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
  xcb_disconnect(other);
  ShowWindow({10, 10, 40, 40});
  plat::DoEvents();
  const std::uint32_t after = plat::qt::testing::ExposureMarkerWindow();
  EXPECT_NE(after, before);
  xcb_connection_t* c = plat::qt::testing::QtConnection();
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, after), nullptr);
  EXPECT_NE(a, nullptr) << "the new marker is not on the server";
  std::free(a);
}

TEST_F(X11Test, AClickDoesNotTakeTheFocus) {
  const plat::WindowId she = ShowWindow({10, 10, 40, 40}, "frmShe");
  const plat::WindowId enemy = ShowWindow({100, 10, 140, 40}, "frmEnemy");
  int clicks = 0;
  plat::SetMouseDownHandler(enemy, [&clicks](int, int, int) { ++clicks; });
  plat::SetFocus(she);
  plat::DoEvents();
  ASSERT_EQ(X().FocusWindow(), Xid(she));

  X().Click(110, 20, 1, xtest::Ms(0));
  for (int i = 0; i < 100 && clicks == 0; ++i) {
    plat::WaitForEvents(20);
    plat::DoEvents();
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(X().FocusWindow(), Xid(she));
}

TEST_F(X11Test, TheFatalBoxHasTheProgramsTitleNoIconAndOnlyOk) {
  std::string title, text;
  int buttons = 0;
  bool hasIcon = true;
  WhenModalOpens([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = X().WindowName(static_cast<std::uint32_t>(box->winId()));
    text = box->text().toStdString();
    buttons = static_cast<int>(box->buttons().size());
    hasIcon = box->icon() != QMessageBox::NoIcon;
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    ASSERT_NE(ok, nullptr);
    const QPoint at = ok->mapToGlobal(ok->rect().center());
    X().Click(at.x(), at.y(), 1, xtest::Ms(0));
  });
  plat::ShowMessageBox("ウィンドウの整形に失敗しました。");
  EXPECT_EQ(title, "Zembrant");
  EXPECT_EQ(text, "ウィンドウの整形に失敗しました。");
  EXPECT_EQ(buttons, 1);
  EXPECT_FALSE(hasIcon);
}

TEST_F(X11Test, TheMenuOpensAtThePointerAndAnswersTheKeyboard) {
  X().MovePointer(300, 200);
  QPoint openedAt;
  WhenModalOpens([&](QWidget* menu) {
    openedAt = menu->geometry().topLeft();
    X().Key(0xff52, true);  // Up: from nothing to the last item
    X().Key(0xff52, false);
    X().Key(xtest::key::kReturn, true);
    X().Key(xtest::key::kReturn, false);
  });
  const std::vector<plat::MenuItem> items = {{"バージョン情報"}, {"", true}, {"終了"}};
  EXPECT_EQ(plat::PopupMenu(items), 2);
  EXPECT_EQ(openedAt, QPoint(300, 200));
}

// A one-colour window far larger than its outline (the enemy shots') is on
// the server only as large as the outline's extents, and follows them; the
// game still sees the window it placed, and the screen shows the same.
TEST_F(X11Test, AOneColourWindowFarLargerThanItsOutlineIsKeptToItsExtents) {
  const plat::WindowId w = ShowWindow({100, 200, 300, 300}, "frmEShot");
  plat::SetBackColor(w, plat::RGB(255, 0, 0));
  for (const plat::Rect square : {plat::Rect{50, 40, 52, 42}, plat::Rect{150, 80, 152, 82}}) {
    ASSERT_TRUE(plat::SetWindowShape(w, plat::Region::FromRects(std::vector<plat::Rect>{
                                            square, {square.left + 4, square.top, square.right + 4, square.bottom}})));
    plat::DoEvents();
    EXPECT_EQ(X().ScreenRect(Xid(w)),
              (plat::Rect{100 + square.left, 200 + square.top, 104 + square.right, 200 + square.bottom}));
    EXPECT_EQ(X().Shape(Xid(w)), plat::Region::FromRects(std::vector<plat::Rect>{{0, 0, 2, 2}, {4, 0, 6, 2}}));
    for (const int dx : {0, 4}) {
      const plat::Rect on{100 + square.left + dx, 200 + square.top, 100 + square.right + dx, 200 + square.bottom};
      EXPECT_EQ(X().Pixels(on), std::vector<std::uint32_t>(4, 0xff0000)) << "square at +" << dx;
    }
  }
  EXPECT_EQ(plat::GetWindowRect(w).width, 200 * 15);
}

// Under a compositor the same window, spread over the screen, is drawn by
// its alpha and lets every click through: its X window keeps its box while
// the squares move inside it, so that the compositor hears of nothing but
// new pixels, and takes a new box around them when they leave it. A small
// one-colour sprite (an enemy) still takes clicks on its outline, and so
// does the spread window once it takes clicks itself. When the compositor
// goes, both are cut to their outlines.
TEST_F(X11Test, UnderACompositorTheShotsWindowKeepsItsBoxAndLetsClicksThrough) {
  plat::qt::testing::TrustCompositorSelection();
  X().TakeSelection("_NET_WM_CM_S0");
  struct Release {
    ~Release() { X().ReleaseSelection("_NET_WM_CM_S0"); }
  } release;
  plat::qt::testing::SyncWithServer();
  plat::DoEvents();  // the program hears of the new owner
  const plat::Rect screen{0, 0, X().width(), X().height()};
  const plat::WindowId w = ShowWindow(screen, "frmEShot");
  plat::SetBackColor(w, plat::RGB(255, 0, 0));
  ASSERT_EQ(X().Depth(Xid(w)), 32) << "no compositor seen";
  const auto squares = [](int x, int y) {
    return plat::Region::FromRects(std::vector<plat::Rect>{{x, y, x + 2, y + 2}, {x + 40, y + 9, x + 42, y + 11}});
  };
  std::optional<plat::Rect> box;
  for (const int x : {300, 303, 306, 309, 700}) {
    ASSERT_TRUE(plat::SetWindowShape(w, squares(x, 500)));
    plat::DoEvents();
    const plat::Rect on = X().ScreenRect(Xid(w));
    if (x == 700) {
      EXPECT_NE(on, *box) << "no new box for squares far away";
    } else if (x != 300) {
      EXPECT_EQ(on, *box) << "the box moved for squares at " << x;
    }
    box = on;
    EXPECT_LT(std::int64_t{on.Width()} * on.Height(), 300 * 300);
    plat::Region seen = X().Outline(Xid(w));
    seen.Offset(on.left, on.top);
    EXPECT_EQ(seen, squares(x, 500)) << "squares at " << x;
    EXPECT_TRUE(X().InputShape(Xid(w)).IsEmpty()) << "squares at " << x;
    EXPECT_EQ(X().Pixels({x, 500, x + 2, 502}), std::vector<std::uint32_t>(4, 0xff0000)) << x;
  }
  EXPECT_EQ(plat::GetWindowRect(w).width, X().width() * 15);

  const plat::WindowId enemy = ShowWindow({100, 100, 121, 110}, "frmEnemy");
  plat::SetBackColor(enemy, plat::RGB(0, 0, 0));
  const plat::Region body(plat::Rect{2, 2, 19, 8});
  ASSERT_TRUE(plat::SetWindowShape(enemy, body));
  plat::DoEvents();
  EXPECT_EQ(X().InputShape(Xid(enemy)), body);
  plat::SetMouseDownHandler(w, [](int, int, int) {});
  plat::DoEvents();
  plat::Region takes = X().InputShape(Xid(w));
  takes.Offset(X().ScreenRect(Xid(w)).left, X().ScreenRect(Xid(w)).top);
  EXPECT_EQ(takes, squares(700, 500));

  X().ReleaseSelection("_NET_WM_CM_S0");
  plat::qt::testing::SyncWithServer();
  // The owner's change reaches the program as an event of its own: yields
  // until it was read, within a bound a loaded machine keeps.
  xtest::WaitUntil([&] {
    plat::DoEvents();
    return X().Shape(Xid(enemy)) == body;
  }, xtest::Ms(2000));
  EXPECT_EQ(X().Shape(Xid(enemy)), body) << "the enemy is not cut to its outline without a compositor";
  plat::Region shown = X().Shape(Xid(w));
  shown.Offset(X().ScreenRect(Xid(w)).left, X().ScreenRect(Xid(w)).top);
  EXPECT_EQ(shown, squares(700, 500)) << "the shots' window is not cut to its squares without a compositor";
}

// Keys reach the menu before it holds the keyboard, here never: another
// program has it while the menu opens, and the lamps have the focus.
TEST_F(X11Test, KeysTypedBeforeTheMenuHoldsTheKeyboardStillReachIt) {
  const plat::WindowId lamps = ShowWindow({0, 1000, 25, 1011});
  plat::SetFocus(lamps);
  plat::DoEvents();
  ASSERT_EQ(X().FocusWindow(), Xid(lamps));
  ASSERT_TRUE(X().GrabKeyboard());
  QTimer giveUp;  // a lost key leaves the menu open: close it
  giveUp.setSingleShot(true);
  QObject::connect(&giveUp, &QTimer::timeout, [] {
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
  });
  WhenModalOpens([&](QWidget*) {
    X().UngrabKeyboard();
    for (const std::uint32_t key : {0xff52u, 0xff0du}) {  // Up, Return
      X().Key(key, true);
      X().Key(key, false);
    }
    giveUp.start(5000);
  });
  const std::vector<plat::MenuItem> items = {{"バージョン情報"}, {"", true}, {"終了"}};
  EXPECT_EQ(plat::PopupMenu(items), 2);
}

TEST_F(X11Test, TheDialogIsFixedModalAndClosedByItsButtonWhileTimersTick) {
  const plat::WindowId w = ShowWindow({10, 10, 30, 30});
  int ticks = 0;
  const plat::TimerId t = plat::CreateTimer(w, [&ticks] { ++ticks; });
  plat::SetTimerInterval(t, 30);

  plat::DialogLayout layout;
  layout.title = "バージョン情報";
  layout.clientWidth = 3945;
  layout.clientHeight = 1125;
  layout.labels = {{"Zembrant", {"ＭＳ Ｐ明朝", 9.75, true}, {735, 210, 2610, 285}}};
  layout.buttonText = "OK";
  layout.buttonRect = {3105, 135, 795, 345};
  std::string title;
  QSize client;
  QRect button;
  WhenModalOpens([&](QWidget* dialog) {
    title = X().WindowName(static_cast<std::uint32_t>(dialog->winId()));
    client = dialog->size();
    auto* ok = dialog->findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    button = ok->geometry();
    QTimer::singleShot(300, [&, ok] {
      const QPoint at = ok->mapToGlobal(ok->rect().center());
      X().Click(at.x(), at.y(), 1, xtest::Ms(0));
    });
  });
  plat::ShowModalDialog(layout);
  EXPECT_EQ(title, "バージョン情報");
  EXPECT_EQ(client, QSize(263, 75));
  EXPECT_EQ(button, QRect(207, 9, 53, 23));
  EXPECT_GE(ticks, 3);
}

}  // namespace
}  // namespace x11test
