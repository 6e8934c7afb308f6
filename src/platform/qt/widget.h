// The one widget class behind every sprite window and control: it paints
// what the window's record says and hands clicks and focus to the game.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "platform/qt/backend.h"

namespace plat::qt {

class Widget : public QWidget {
 public:
  Widget(WindowId id, Kind kind, QWidget* parent);

  WindowId id() const { return id_; }
  // Paints done so far; DoEvents compares it with the changes it waits for.
  std::uint64_t paints() const { return paints_; }
  // Replaces the native window (another client destroyed it) with a new,
  // hidden one.
  void RemakeNativeWindow() {
    destroy(true, true);
    create();
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void PaintLine(const WindowRec& rec);
  void PaintWindow(const WindowRec& rec);

  WindowId id_;
  Kind kind_;
  std::uint64_t paints_ = 0;
};

// The picture as an image Qt can draw, made once per picture.
const QImage& ImageOf(const Picture& picture);
QColor ColorOf(Color c);

}  // namespace plat::qt
