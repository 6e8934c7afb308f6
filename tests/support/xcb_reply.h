// An xcb reply that frees itself: the test clients read many of them.
#pragma once

#include <cstdlib>

namespace xcbtest {

template <typename T>
struct Reply {
  T* p = nullptr;
  explicit Reply(T* r) : p(r) {}
  ~Reply() { std::free(p); }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

}  // namespace xcbtest
