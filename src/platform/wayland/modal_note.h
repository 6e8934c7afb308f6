// Which modal window is open, noted by the menu and the message box as they
// open and close, and a watcher run at every pass of a modal loop: what the
// backend's tests look at and answer modal windows with (modal.cpp).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

class QRect;

namespace plat::wl {

struct ModalSurface;

enum class ModalKind { kNone, kMenu, kBox };

struct OpenModal {
  ModalKind kind = ModalKind::kNone;
  std::string text;                     // the message box's
  const ModalSurface* surface = nullptr;
  std::vector<Rect> targets;            // the menu's items, the box's button
};

// Called by the modal windows when they open and close (kNone).
void NoteModal(ModalKind kind, const std::string& text, const ModalSurface* surface,
               const std::vector<QRect>& targets);
const OpenModal& CurrentOpenModal();
// Runs `watcher` at every pass of a modal loop (an empty one: nothing).
void SetModalWatcher(std::function<void()> watcher);

}  // namespace plat::wl
