#pragma once
#include <functional>
#include <utility>

namespace ui {

// An event with one handler, assigned by the window that owns the control, as a designed form
// wires "Control_Event" procedures. Raising an event without a handler does nothing.
template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

  Event& operator=(Handler handler) {
    handler_ = std::move(handler);
    return *this;
  }
  void operator()(Args... args) const {
    if (handler_) handler_(args...);
  }
  explicit operator bool() const { return static_cast<bool>(handler_); }

 private:
  Handler handler_;
};

}  // namespace ui
