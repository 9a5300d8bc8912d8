#pragma once
// A top-level window of the program: a design of controls in twips plus the window's own looks.
#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class Form;

// Size: the width and height changed where the window is now (the user may have moved it).
enum class FormProperty { Place, Size, Visible, Caption, Colours, Alpha, Topmost, Focus };

// The keys the form handles itself; the rest go to the focused control's window.
enum class Key { Tab, Enter, Space, Escape, Other };

// The backend's window for a form.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void update(FormProperty property) = 0;
  // Lets the system move the window with the pointer while the left button is held.
  virtual void startDrag() = 0;
  // Destroys the window; the form's model stays until its owner drops it.
  virtual void destroy() = 0;
};

// Creates windows for forms and runs work on the message loop. Implemented by the backend; tests
// run forms without one (nothing is drawn, the model works the same).
class FormHost {
 public:
  virtual ~FormHost() = default;
  // Creates the form's window and its controls' windows, hidden, and attaches the views.
  virtual void create(Form& form) = 0;
  // Runs work after the current handler has returned (to drop a form from inside its own click).
  virtual void post(std::function<void()> work) = 0;
  // Makes what `from` shows, from its top-left corner, the persistent image of `to`.
  virtual void copyImage(const Control& from, Control& to) = 0;
};

enum class Border { None, Sizable };

class Form {
 public:
  Form(std::string name, FormHost* host);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  FormHost* host() const { return host_; }

  // Places a control on the form, inside a container (a picture box) or on the form itself.
  // Design order is stacking order: a later control lies in front of an earlier one of its kind.
  void add(Control& control, Control* container = nullptr);
  const std::vector<Control*>& controls() const { return controls_; }  // top level only
  const std::vector<Control*>& allControls() const { return all_; }
  Control* find(const std::string& name, int index = -1) const;

  // Outer place of the window in twips (borderless windows: the client area).
  const Rect& place() const { return place_; }
  void setPlace(Rect place);
  void setWidth(int width) { setPlace({place_.left, place_.top, width, place_.height}); }
  // A new size for a window where it stands, its top left corner kept.
  void setSize(Size size);
  bool centred() const { return centred_; }
  void setCentred(bool centred) { centred_ = centred; }
  // The DPI the place is measured at, for a form placed on a given monitor (see ui::Monitor):
  // its window is made there and takes that monitor's DPI. 0: the system's DPI. Set before the
  // window is made.
  int dpi() const { return dpi_; }
  void setDpi(int dpi) { dpi_ = dpi; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) {
    store(caption_, std::move(caption), FormProperty::Caption);
  }
  Colour backColour() const { return back_; }
  void setBackColour(Colour colour) { store(back_, colour, FormProperty::Colours); }
  Border border() const { return border_; }
  void setBorder(Border border) { border_ = border; }
  bool showInTaskbar() const { return showInTaskbar_; }
  void setShowInTaskbar(bool show) { showInTaskbar_ = show; }
  // Shown without taking the keyboard focus.
  bool noActivate() const { return noActivate_; }
  void setNoActivate(bool value) { noActivate_ = value; }

  // Layered opacity, 0 to 255; 255 means not layered.
  int alpha() const { return alpha_; }
  void setAlpha(int alpha) { store(alpha_, alpha, FormProperty::Alpha); }
  bool topmost() const { return topmost_; }
  void setTopmost(bool topmost) { store(topmost_, topmost, FormProperty::Topmost); }

  bool loaded() const { return loaded_; }
  bool visible() const { return visible_; }
  // Creates the window on first use and runs Load inside this call, then Resize, then shows it.
  void show();
  void hide();
  void setVisible(bool visible) { visible ? show() : hide(); }
  // Destroys the window. The form object itself is dropped by its owner.
  void close();
  // A close request from outside the program (Alt+F4, another program's polite close): runs
  // CloseRequest when the form has one, else hides the form. The window itself never closes.
  void requestClose();
  bool closed() const { return closed_; }

  void startDrag();

  // Keyboard access. Tab visits the focusable controls of this order (reading order); while a
  // key panel is shown it visits only that panel's controls.
  void setTabOrder(std::vector<Control*> order) { tabOrder_ = std::move(order); }
  // Enter and Esc with no key panel shown click these (either may be null).
  void setKeys(Control* enter, Control* escape);
  // The shown key panel in front, or null.
  Control* keyScope() const;
  // The controls Tab visits now.
  std::vector<Control*> focusCycle() const;
  // Whether a person can reach the control now: shown, and not under the open key panel. Keys
  // and assistive technology act only on such a control.
  bool reachable(const Control& control) const;
  // The control with the keyboard focus, or null (the form itself).
  Control* focused() const { return focused_; }
  // As the system's focus cues do, the mark shows only once the keyboard has been used.
  bool focusMarkShown() const { return focused_ && keyboardUsed_ && focused_->shown(); }
  // The user put the focus on a control some other way (clicked into a box).
  void setFocus(Control* control);
  // A key pressed while the form has the focus; true when the form used it.
  bool keyDown(Key key, bool shift = false);

  Event<> Load;
  Event<> Resize;
  Event<> Unload;
  Event<> CloseRequest;
  // The form's own mouse events (a form without controls, such as the tray form).
  Event<const MouseArgs&> MouseMove;

  FormView* view() const { return view_; }
  void attachView(FormView* view) { view_ = view; }

 private:
  // Stores the value and tells the window, even when it is the value already held.
  template <class T>
  void store(T& field, T value, FormProperty property) {
    field = std::move(value);
    if (view_) view_->update(property);
  }
  void load();
  void moveFocus(Control* to);
  void followScope(Control* scopeBefore);

  std::string name_;
  FormHost* host_;
  std::vector<Control*> controls_;
  std::vector<Control*> all_;
  Rect place_;
  bool centred_ = false;
  int dpi_ = 0;
  std::string caption_;
  Colour back_ = kSystemButtonFace;
  Border border_ = Border::None;
  bool showInTaskbar_ = false;
  bool noActivate_ = false;
  int alpha_ = 255;
  bool topmost_ = false;
  bool loaded_ = false;
  bool visible_ = false;
  bool closed_ = false;
  std::vector<Control*> tabOrder_;
  Control* enter_ = nullptr;
  Control* escape_ = nullptr;
  Control* focused_ = nullptr;
  bool keyboardUsed_ = false;
  // Where the focus was in each scope (null: the form) when a panel took it away.
  std::vector<std::pair<Control*, Control*>> resume_;
  FormView* view_ = nullptr;
};

}  // namespace ui
