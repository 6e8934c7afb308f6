// Modal windows: the popup menu, the version dialog, the message box.
// While one is open, timers keep ticking and the game waits for it to close.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

struct MenuItem {
  std::string caption;
  bool separator = false;
};

// Opens a popup menu at the mouse pointer and returns the index of the chosen
// item, or -1 when it was closed without a choice.
int PopupMenu(std::span<const MenuItem> items);

struct DialogLabel {
  std::string text;
  TextFont font;
  TwipsRect where;  // in the client area
};

struct DialogLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // twips, client area
  Color color = 0;
};

// A fixed-size dialog with a frame and a title, transient for the game.
struct DialogLayout {
  std::string title;
  int clientWidth = 0;   // twips
  int clientHeight = 0;  // twips
  const Picture* icon = nullptr;
  TwipsRect iconRect;
  std::vector<DialogLabel> labels;
  std::vector<DialogLine> lines;
  std::string buttonText;
  TwipsRect buttonRect;
};

// Shows the dialog modally; returns when its button or its close box is used.
void ShowModalDialog(const DialogLayout& layout);

// A modal message box with an OK button only, no icon, titled "Zembrant".
void ShowMessageBox(const std::string& text);

}  // namespace plat
