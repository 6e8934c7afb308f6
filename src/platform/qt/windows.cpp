// Sprite windows and their controls on Qt widgets.
//
// Every change is recorded in the window's record first; Qt or the X server
// is only touched when something really changed. Sprite windows move with
// one configure request straight on the X connection, sent with the yield's
// flush (Qt would send three requests and flush after each); everything
// else goes through Qt.
#include <QWidget>

#include <algorithm>

#include "platform/qt/backend.h"
#include "platform/qt/parked.h"
#include "platform/qt/screen.h"
#include "platform/qt/painting.h"
#include "platform/qt/wayland_focus.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {

QPoint ServerPoint(const WindowRec& rec, int x, int y) {
  return rec.parked ? QPoint(kParkedAt, kParkedAt) : DevicePoint(x, y);
}

QPoint ServerPlace(const WindowRec& rec) { return ServerPoint(rec, rec.onServer.left, rec.onServer.top); }

namespace {

constexpr Qt::WindowFlags kSpriteFlags = Qt::Window | Qt::FramelessWindowHint |
                                         Qt::BypassWindowManagerHint |
                                         Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;

std::uint32_t XidOf(const WindowRec& rec) {
  return rec.widget ? static_cast<std::uint32_t>(rec.widget->winId()) : 0;
}

// Through XWayland a hidden sprite is not unmapped: weston lets an unmapped
// X window fade for about a second (a beam seen three times, the boss over
// its wreck), while a window moved off every screen is gone from the next
// frame. It stays parked there, mapped, until shown, whatever the game does
// with it meanwhile (at kParkedAt).
bool HidesByParking() { return B().waylandFocus.xwayland; }

// Where a sprite window's X window lies in Qt's desktop coordinates.
QRect DesktopRect(const WindowRec& rec) {
  QRect r = ToQRect(rec.onServer).translated(GameOrigin());
  if (rec.parked) r.moveTopLeft(QPoint(kParkedAt, kParkedAt) / DeviceScale());
  return r;
}

std::int64_t AreaOf(const Rect& r) { return std::int64_t{r.Width()} * r.Height(); }

bool Translucent(const WindowRec& rec) { return rec.widget->testAttribute(Qt::WA_TranslucentBackground); }

// One colour, nothing drawn on it, no clicks taken, and either drawn by its
// alpha (PassesClicks) or its outline's extents under a quarter of its area.
bool FitsToOutline(const WindowRec& rec) {
  if (!OneColourCutOut(rec)) return false;
  if (PassesClicks(rec)) return true;
  return 4 * AreaOf(rec.outline->Extents()) < AreaOf(rec.rect);
}

// What a window shows and whether it takes clicks decide how the server
// paints it and how its X window follows the outline (ServerRect,
// PassesClicks).
void FollowContent(WindowRec& rec) {
  ChoosePainter(rec);
  if (rec.kind != Kind::kSprite || !rec.widget) return;
  const Rect server = ServerRect(rec);
  const bool moves = server != rec.onServer;
  if (moves) PlaceOnServer(rec, server);
  if (moves || PassesClicks(rec) != rec.inputEmptied) ResendShape(rec);  // the shape is the X window's
}

WindowId AddWindow(Kind kind, std::string_view name, WindowRec* parent) {
  Backend& b = B();
  const WindowId id = b.nextWindow++;
  WindowRec& rec = b.windows[id];
  rec.id = id;
  rec.kind = kind;
  rec.name = std::string(name);
  rec.parent = parent ? parent->id : kNoWindow;
  rec.widget = new Widget(id, kind, parent ? parent->widget.data() : nullptr);
  rec.widget->setObjectName(QString::fromStdString(rec.name));
  if (parent) parent->children.push_back(id);
  return id;
}

WindowId CreateControl(WindowId parentId, std::string_view name, Kind kind) {
  WindowRec* parent = FindWindow(parentId);
  if (!parent || parent->kind == Kind::kLine || !parent->widget) return kNoWindow;
  const WindowId id = AddWindow(kind, name, parent);
  FollowContent(*FindWindow(parentId));
  Widget* w = FindWindow(id)->widget;
  w->setGeometry(0, 0, 0, 0);
  w->hide();  // a new control waits to be shown, even on a shown window
  return id;
}

// Puts a sprite window where its record says, straight on the server.
void MoveOnServer(WindowRec& rec) {
  const QPoint at = ServerPlace(rec);
  rec.placedBy = x11::Move(B().conn, XidOf(rec), at.x(), at.y());
}

// Controls are Qt's alone. For a sprite window Qt does the resizing (its
// backing store must follow) and the position goes to the server last, so
// that no older position Qt may still believe wins: Qt is not told of plain
// moves (sprite_events.h).
void ApplyGeometry(WindowRec& rec, const Rect& old) {
  Widget* w = rec.widget;
  if (!w) return;
  if (rec.kind != Kind::kSprite) {
    w->setGeometry(ToQRect(rec.rect));
    MarkChanged(rec.id);
    return;
  }
  // Where the X window goes, worked out once: placed there, the window's
  // content decides nothing new about it (ServerRect of a placed window is
  // where it is).
  const Rect server = ServerRect(rec);
  if (server.Width() == rec.onServer.Width() && server.Height() == rec.onServer.Height()) {
    NoteMoved(rec, ScreenShapeAt(rec, old));
  } else if (rec.painter != Painter::kQt) {
    NoteCut(rec, ScreenShapeAt(rec, old));  // what it uncovers below
  }
  PlaceOnServer(rec, server);
  KeepOnMonitor(rec);
  // A new size may let its clicks through, or no longer.
  ChoosePainter(rec);
  if (PassesClicks(rec) != rec.inputEmptied) ResendShape(rec);
}

bool OnScreen(const WindowRec& rec) {
  return rec.widget && rec.widget->isVisible() && !rec.parked && rec.rect.Width() > 0 && rec.rect.Height() > 0;
}

// A compositor that draws shadows itself (xcompmgr -c) decides whether a
// window has one when it first works out the window's extents: a window
// moved or sized before it was ever shown gets one then, before the
// compositor has looked at its visual, and keeps it until it is hidden or
// resized, though a window drawn by its alpha gets none otherwise. Resized
// once right after its first showing, it loses it; the size comes back in
// the same breath, before anything is drawn.
void DropFirstShadow(WindowRec& rec) {
  if (rec.mappedBefore) return;
  rec.mappedBefore = true;
  if (!Translucent(rec) || !B().compositing) return;
  const QPoint at = ServerPlace(rec);
  const int w = rec.onServer.Width() * DeviceScale(), h = rec.onServer.Height() * DeviceScale();
  if (w <= 0 || h <= 0) return;
  x11::MoveResize(B().conn, XidOf(rec), at.x(), at.y(), w, h + 1);
  rec.placedBy = x11::MoveResize(B().conn, XidOf(rec), at.x(), at.y(), w, h);
}

void GiveFocus(WindowRec& rec) {
  B().pendingFocus = kNoWindow;
  B().focusGiven = rec.id;
  B().keyboard.WatchFocusOf(XidOf(rec));
  x11::Focus(B().conn, XidOf(rec));
}

}  // namespace

void RestorePlace(WindowRec& rec) {
  const QPoint at = ServerPlace(rec);
  rec.placedBy = x11::MoveResize(B().conn, XidOf(rec), at.x(), at.y(), rec.onServer.Width() * DeviceScale(),
                                 rec.onServer.Height() * DeviceScale());
}

bool PassesClicks(const WindowRec& rec) {
  return OneColourCutOut(rec) && Translucent(rec) && 2 * AreaOf(rec.rect) >= AreaOf(MonitorInGame());
}

bool OneColourCutOut(const WindowRec& rec) {
  return rec.kind == Kind::kSprite && rec.widget && rec.outline && !rec.picture && rec.children.empty() &&
         rec.texts.empty() && rec.caption.empty() && !rec.onMouseDown;
}

namespace {

// A window that passes clicks need not follow its outline closely, since
// only its pixels show the outline: it keeps its box while the outline
// stays inside and the box is not far too large, and otherwise takes the
// outline's extents with a margin. A box kept is a change the compositor
// does not hear of; the outline's squares move a few pixels a frame.
Rect BoxAround(const WindowRec& rec, const Rect& extents) {
  constexpr int kMargin = 64;
  const Rect& now = rec.onServer;
  const Rect box = Clipped(
      {extents.left - kMargin, extents.top - kMargin, extents.right + kMargin, extents.bottom + kMargin}, rec.rect);
  const bool keep = Inside(now, rec.rect) && Inside(extents, now) && AreaOf(now) <= 4 * AreaOf(box);
  return keep ? now : box;
}

}  // namespace

Rect ServerRect(const WindowRec& rec) {
  if (!FitsToOutline(rec)) return rec.rect;
  Rect e = rec.outline->Extents();
  const bool empty = e.Width() <= 0 || e.Height() <= 0;
  if (empty) e = Rect{0, 0, 1, 1};  // shows nothing: its shape is empty
  e = Rect{rec.rect.left + e.left, rec.rect.top + e.top, rec.rect.left + e.right, rec.rect.top + e.bottom};
  if (!PassesClicks(rec)) return e;
  if (empty && Inside(rec.onServer, rec.rect) && rec.onServer.Width() > 0) return rec.onServer;
  return BoxAround(rec, e);
}

// A window kept to its outline's extents is resized straight on the server,
// in one request. Qt's idea of its size matters only for painting it: for a
// window the server fills with its colour Qt paints nothing, so its size may
// stay behind (Qt is told when it paints the window again: painting.h);
// otherwise Qt keeps a size at least as large, grown in steps and never
// shrunk, so that its backing store is seldom made anew, and repaints the
// window's new rectangle (PaintArea). The callers note what the change
// uncovers below (NoteCut).
static void ResizeOnServer(WindowRec& rec, const QPoint& at) {
  Widget* w = rec.widget;
  const Rect& to = rec.onServer;
  rec.sizedOnServer = true;
  if (rec.painter == Painter::kQt) {
    constexpr int kStep = 64;
    const QSize need(to.Width(), to.Height());
    if (need.width() > w->width() || need.height() > w->height()) {
      const QSize grown((need.width() + kStep - 1) / kStep * kStep, (need.height() + kStep - 1) / kStep * kStep);
      w->setGeometry(QRect(DesktopRect(rec).topLeft(),
                           grown.boundedTo(QSize(rec.rect.Width(), rec.rect.Height())).expandedTo(need)));
    }
    if (w->isVisible()) B().exposing = true;
    MarkChanged(rec.id);
  }
  rec.placedBy = x11::MoveResize(B().conn, XidOf(rec), at.x(), at.y(), to.Width() * DeviceScale(),
                                 to.Height() * DeviceScale());
  if (rec.painter == Painter::kOutlineFill) RedrawOutline(rec);  // its pixels moved with it
}

void PlaceOnServer(WindowRec& rec, const Rect& to) {
  const bool resized = to.Width() != rec.onServer.Width() || to.Height() != rec.onServer.Height();
  const bool moved = to.left != rec.onServer.left || to.top != rec.onServer.top;
  rec.onServer = to;
  const QPoint at = ServerPoint(rec, to.left, to.top);
  if (resized && FitsToOutline(rec)) return ResizeOnServer(rec, at);
  // Drawn by its alpha, a window's pixels would move with it.
  if (moved && PassesClicks(rec)) return ResizeOnServer(rec, at);
  if (resized) {
    const bool shown = rec.widget->isVisible();
    if (shown) B().exposing = true;
    rec.widget->setGeometry(DesktopRect(rec));
    MarkChanged(rec.id);
    // Qt sends nothing when the size is the one it last knew.
    const bool sentHere = rec.sizedOnServer;
    if (sentHere) {
      rec.placedBy = x11::MoveResize(B().conn, XidOf(rec), at.x(), at.y(), to.Width() * DeviceScale(),
                                     to.Height() * DeviceScale());
    }
    rec.sizedOnServer = false;
    // Qt sent the new place with the new size (a hidden window gets its
    // place when shown).
    if (shown || sentHere) return;
  }
  MoveOnServer(rec);
}

QRect PaintArea(const WindowRec& rec) {
  if (rec.kind != Kind::kSprite || !rec.sizedOnServer) return rec.widget->rect();
  return QRect(0, 0, rec.onServer.Width(), rec.onServer.Height());
}

namespace {

void MarkOne(WindowRec* rec) {
  if (!rec || !rec->widget) return;
  B().changed.emplace(rec->id, rec->widget->paints());
  rec->widget->update(PaintArea(*rec));
}

}  // namespace

// Qt leaves the controls that paint every pixel of their own (picture boxes)
// out of their window's repaint: a control's new content is painted only by
// updating the control itself.
void MarkChanged(WindowId w, Change what) {
  WindowRec* rec = FindWindow(w);
  WindowRec* top = TopLevelOf(w);
  MarkOne(rec);
  if (top != rec && what == Change::kFootprint) MarkOne(top);
}

// What the backend sets on a sprite's X window beyond Qt's doing.
void SetUpSpriteXWindow(WindowRec& rec) {
  const auto xid = static_cast<std::uint32_t>(rec.widget->winId());
  x11::LabelSpriteWindow(B().conn, xid);
  const std::uint32_t visual = x11::DropKeyEvents(B().conn, xid);
  rec.onRootVisual = visual == x11::RootVisual(B().conn, B().root);
  rec.argbVisual = x11::IsArgb32(B().conn, visual);
  B().spriteXids.emplace(xid, rec.id);
  rec.mappedBefore = false;
  rec.boundingSet = false;
  rec.inputEmptied = false;
  ChoosePainter(rec, true);
}

void ReplaceSprites() {
  for (auto& [id, rec] : B().windows) {
    if (rec.kind != Kind::kSprite || !rec.widget) continue;
    rec.widget->setGeometry(DesktopRect(rec));
    rec.sizedOnServer = false;
    MoveOnServer(rec);
    KeepOnMonitor(rec);
    if (rec.widget->isVisible()) B().exposing = true;
    MarkChanged(id);
  }
}

void RemakeSprite(WindowId id) {
  WindowRec* rec = FindWindow(id);
  if (!rec || rec->kind != Kind::kSprite || !rec->widget) return;
  Widget* w = rec->widget;
  w->RemakeNativeWindow();
  const bool wasParked = rec->parked;
  rec->parked = false;
  SetUpSpriteXWindow(*rec);
  ResendShape(*rec);
  w->setGeometry(DesktopRect(*rec));
  rec->sizedOnServer = false;
  if (rec->visible) {
    MoveOnServer(*rec);
    x11::Raise(B().conn, XidOf(*rec));
    w->show();
    NoteShown(*rec);
  } else if (wasParked) {
    w->hide();  // hidden, it waits unmapped like any new window
  }
  MarkChanged(id);
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

WindowId CreateSpriteWindow(std::string_view name) {
  if (!Open()) return kNoWindow;
  const WindowId id = AddWindow(Kind::kSprite, name, nullptr);
  Widget* w = FindWindow(id)->widget;
  w->setWindowFlags(kSpriteFlags);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  // Under a compositor that draws windows by their alpha (Wayland's for X
  // programs among them), the pixels outside the outline are transparent.
  if (B().compositing) w->setAttribute(Qt::WA_TranslucentBackground);
  w->setWindowTitle(QString::fromStdString(std::string(name)));
  w->setGeometry(QRect(GameOrigin(), QSize(0, 0)));
  SetUpSpriteXWindow(*FindWindow(id));
  return id;
}

WindowId CreateLabel(WindowId parent, std::string_view name) {
  return CreateControl(parent, name, Kind::kLabel);
}
WindowId CreatePictureBox(WindowId parent, std::string_view name) {
  return CreateControl(parent, name, Kind::kPictureBox);
}
WindowId CreateLine(WindowId parent, std::string_view name) {
  return CreateControl(parent, name, Kind::kLine);
}

void DestroyWindow(WindowId w) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  Backend& b = B();
  if (WindowRec* parent = FindWindow(rec->parent)) {
    std::erase(parent->children, w);
    FollowContent(*parent);
    MarkChanged(parent->id);
  }
  QPointer<Widget> widget = rec->widget;
  std::vector<WindowId> tree;
  CollectTreeIn(B().windows, w, tree);
  for (WindowId id : tree) {
    DropTimersOf(b.windows.at(id));
    b.changed.erase(id);
    if (b.pendingFocus == id) b.pendingFocus = kNoWindow;
    b.windows.erase(id);
  }
  if (!widget) return;
  if (widget->isWindow()) {
    b.spriteXids.erase(static_cast<std::uint32_t>(widget->winId()));
    if (widget->isVisible()) b.exposing = true;
  }
  widget->hide();
  // A handler may be running inside one of the widget's own events.
  if (b.handlerDepth > 0 || b.modalDepth > 0) {
    widget->deleteLater();
  } else {
    delete widget.data();
  }
}

bool WindowExists(WindowId w) { return FindWindow(w) != nullptr; }

void SetWindowRect(WindowId w, double left, double top, double width, double height) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->kind == Kind::kLine) return;
  const int x = TwipsToPx(left), y = TwipsToPx(top);
  const Rect r{x, y, x + std::max(0, TwipsToPx(width)), y + std::max(0, TwipsToPx(height))};
  if (r == rec->rect) return;
  const Rect old = rec->rect;
  rec->rect = r;
  ApplyGeometry(*rec, old);
}

TwipsRect GetWindowRect(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? ToTwips(rec->rect) : TwipsRect{};
}

void SetVisible(WindowId w, bool visible) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->visible == visible || !rec->widget) return;
  rec->visible = visible;
  Widget* widget = rec->widget;
  if (!visible) {
    if (rec->kind == Kind::kSprite && widget->isVisible()) NoteHidden(*rec, ScreenShape(*rec));
    if (rec->kind == Kind::kSprite && widget->isVisible() && HidesByParking()) {
      rec->parked = true;
      MoveOnServer(*rec);
      MarkChanged(w);
      return;
    }
    widget->hide();
    MarkChanged(w);
    return;
  }
  if (rec->kind != Kind::kSprite) {
    widget->raise();
    widget->show();
    MarkChanged(w);
    return;
  }
  // Qt may still believe an older position: showing must not bring it back.
  // A parked sprite is unmapped out of sight and mapped afresh: the Wayland
  // compositors put an X window on top of the others only as it maps.
  if (rec->parked) {
    rec->parked = false;
    widget->hide();
  }
  rec->onServer = ServerRect(*rec);
  widget->setGeometry(DesktopRect(*rec));
  rec->sizedOnServer = false;
  MoveOnServer(*rec);
  x11::Raise(B().conn, XidOf(*rec));  // shown on top of the other sprites
  widget->show();
  DropFirstShadow(*rec);
  NoteShown(*rec);
  MarkChanged(w);
  if (B().pendingFocus == w && OnScreen(*rec)) GiveFocus(*rec);
}

bool IsVisible(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec && rec->visible;
}

void SetBackColor(WindowId w, Color c) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  if (rec->backColorSet && rec->backColor == c) return;
  rec->backColor = c;
  rec->backColorSet = true;
  FollowContent(*rec);
  MarkChanged(w, Change::kContent);
}

Color GetBackColor(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? rec->backColor : 0;
}

void SetPicture(WindowId w, const Picture* picture) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->picture == picture) return;
  rec->picture = picture;
  FollowContent(*rec);
  MarkChanged(w, Change::kContent);
}

const Picture* GetPicture(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? rec->picture : nullptr;
}

void ClearText(WindowId w) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->texts.empty()) return;
  rec->texts.clear();
  FollowContent(*rec);
  MarkChanged(w, Change::kContent);
}

void PrintText(WindowId w, int xPx, int yPx, std::string_view utf8, const TextFont& font,
               Color color) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  rec->texts.push_back({xPx, yPx, std::string(utf8), font, color});
  FollowContent(*rec);
  MarkChanged(w, Change::kContent);
}

void SetCaption(WindowId label, std::string_view utf8, const TextFont& font, Color color) {
  WindowRec* rec = FindWindow(label);
  if (!rec) return;
  rec->caption = std::string(utf8);
  rec->captionFont = font;
  rec->captionColor = color;
  MarkChanged(label, Change::kContent);
}

void SetLine(WindowId line, double x1, double y1, double x2, double y2, Color color) {
  WindowRec* rec = FindWindow(line);
  if (!rec || rec->kind != Kind::kLine || !rec->widget) return;
  rec->x1 = TwipsToPx(x1);
  rec->y1 = TwipsToPx(y1);
  rec->x2 = TwipsToPx(x2);
  rec->y2 = TwipsToPx(y2);
  rec->lineColor = color;
  rec->rect = Rect{std::min(rec->x1, rec->x2), std::min(rec->y1, rec->y2),
                   std::max(rec->x1, rec->x2) + 1, std::max(rec->y1, rec->y2) + 1};
  rec->widget->setGeometry(ToQRect(rec->rect));
  MarkChanged(line);
}

void SetMouseDownHandler(WindowId w, MouseDownHandler handler) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  rec->onMouseDown = std::move(handler);
  FollowContent(*rec);
}

void SetGotFocusHandler(WindowId w, std::function<void()> handler) {
  if (WindowRec* rec = FindWindow(w)) rec->onGotFocus = std::move(handler);
}

void SetFocus(WindowId w) {
  WindowRec* rec = TopLevelOf(w);
  if (!rec || !SpritesMayTakeFocus()) return;
  if (OnScreen(*rec)) {
    GiveFocus(*rec);
  } else {
    B().pendingFocus = rec->id;
  }
}

}  // namespace plat::qt
