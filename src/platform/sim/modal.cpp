// Simulated backend: popup menu, dialog and message box, answered by the test.
#include <stdexcept>

#include "platform/dialogs.h"
#include "platform/handler_guard.h"
#include "platform/sim/state.h"

namespace sim::detail {
namespace {
// Keeps the count of open modal windows while one is open.
struct ModalScope {
  ModalScope() { ++S().modalDepth; }
  ~ModalScope() {
    --S().modalDepth;
    MarkPainted();
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

int ValidChoice(int choice, std::span<const plat::MenuItem> items) {
  if (choice < 0 || choice >= static_cast<int>(items.size())) return -1;
  return items[static_cast<size_t>(choice)].separator ? -1 : choice;
}
}  // namespace
}  // namespace sim::detail

namespace plat {
using namespace sim::detail;

int PopupMenu(std::span<const MenuItem> items) {
  State& s = S();
  const size_t index = s.menus.size();
  s.menus.push_back({ClockAt(s.elapsed), {items.begin(), items.end()}, s.pointerX, s.pointerY, -1});
  int choice = -1;
  {
    ModalScope modal;
    if (s.menuAnswer) {
      const auto answer = s.menuAnswer;
      choice = ValidChoice(CallScript([&] { return answer(items); }), items);
    }
  }
  s.menus[index].result = choice;
  ThrowPendingExit();
  return choice;
}

void ShowModalDialog(const DialogLayout& dialog) {
  State& s = S();
  s.dialogs.push_back({ClockAt(s.elapsed), dialog});
  {
    ModalScope modal;
    if (s.dialogAnswer) {
      const auto answer = s.dialogAnswer;
      CallScript([&] { answer(dialog); });
    }
  }
  ThrowPendingExit();
}

// The handler guard opens this box with an exit already pending: it must not
// throw that exit itself.
void ShowMessageBox(const std::string& text) {
  State& s = S();
  s.boxes.push_back({ClockAt(s.elapsed), text});
  ModalScope modal;
  if (s.boxAnswer) {
    const auto answer = s.boxAnswer;
    CallScript([&] { answer(text); });
  }
}

}  // namespace plat

namespace sim {
using namespace detail;

void RunModalFor(int ms) {
  State& s = S();
  if (s.modalDepth == 0) throw std::logic_error("sim::RunModalFor outside a modal window");
  const std::uint64_t end = s.elapsed + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
  while (!plat::ExitPending()) {
    AdvanceTo(std::min(NextScheduled(), end));
    DeliverDue(false);
    MarkPainted();
    if (s.elapsed >= end) break;
  }
}

int ModalDepth() { return S().modalDepth; }

}  // namespace sim
