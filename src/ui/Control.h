#pragma once
// The portable control model. A window class of the program owns its controls as members, places
// them on the form in design order and assigns their event handlers. The Win32 backend attaches a
// ControlView to each control and mirrors every property change; user input comes back through the
// same setters, so a change made by the user and one made by code run the same handling.
#include <string>
#include <utility>
#include <vector>

#include "ui/Event.h"
#include "ui/Pictures.h"
#include "ui/Types.h"

namespace ui {

class Form;
class Control;

enum class Kind {
  Label,
  Image,
  Line,
  Shape,
  PictureBox,
  TextBox,
  CommandButton,
  Slider,
  Timer,
  Switch,      // SafeSwitch
  ProgButton,  // ProgButton
};

// Whether the backend gives the control a window of its own; the rest are painted by their
// container and always lie behind its windowed controls.
bool isWindowed(Kind kind);

enum class Property {
  Place,
  Visible,
  Enabled,
  Text,
  Colours,
  Font,
  Picture,
  Value,  // slider value, switch frame, timer interval, progress value ...
  Range,
  Look,  // anything else that only changes what is drawn
  ZOrder,
  AccessName,  // the name assistive technology reads changed
};

// What a control is to assistive technology.
enum class Role {
  None,  // not exposed (timers)
  StaticText,
  Graphic,
  PushButton,
  CheckButton,
  ProgressBar,
  Text,  // an editable box
  Slider,
  Pane,
};

// A view may outlive its control, and a control its view: whichever goes first unlinks the pair,
// so neither ever touches the other once it is gone.
class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual void update(Property property) = 0;
  // The control is going away: the view must not touch it from now on.
  virtual void controlGone() {}
};

class Control {
 public:
  Control(Kind kind, std::string name, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }
  Form* form() const { return form_; }
  Control* container() const { return container_; }
  const std::vector<Control*>& children() const { return children_; }

  const Rect& place() const { return place_; }
  virtual void setPlace(Rect place) { assign(place_, place, Property::Place); }
  void setLeft(int left) { setPlace({left, place_.top, place_.width, place_.height}); }
  void setTop(int top) { setPlace({place_.left, top, place_.width, place_.height}); }
  void setWidth(int width) { setPlace({place_.left, place_.top, width, place_.height}); }

  bool visible() const { return visible_; }
  void setVisible(bool visible) {
    if (visible == visible_) return;
    assign(visible_, visible, Property::Visible);
    VisibleChange();
  }
  // Visible itself and inside visible containers; shown: on a visible form as well.
  bool visibleInContainers() const;
  bool shown() const;
  // At least partly inside its container's (or form's) area: wholly outside, it is never seen.
  bool insideContainer() const;

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { assign(enabled_, enabled, Property::Enabled); }

  // Caption of labels and buttons, text of text boxes (UTF-8).
  const std::string& text() const { return text_; }
  void setText(std::string text) { assign(text_, std::move(text), Property::Text); }

  Colour foreColour() const { return fore_; }
  void setForeColour(Colour colour) { assign(fore_, colour, Property::Colours); }
  Colour backColour() const { return back_; }
  void setBackColour(Colour colour) { assign(back_, colour, Property::Colours); }
  // Labels without a background of their own.
  bool transparent() const { return transparent_; }
  void setTransparent(bool transparent) { assign(transparent_, transparent, Property::Colours); }

  const Font& font() const { return font_; }
  void setFont(Font font) { assign(font_, std::move(font), Property::Font); }
  Align align() const { return align_; }
  void setAlign(Align align) { assign(align_, align, Property::Look); }

  Picture picture() const { return picture_; }
  // An image that does not stretch takes the picture's size.
  void setPicture(Picture picture);
  bool stretch() const { return stretch_; }
  void setStretch(bool stretch) { assign(stretch_, stretch, Property::Look); }

  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string tip) { toolTip_ = std::move(tip); }

  // What assistive technology reads: the name given, else the caption.
  const std::string& accessName() const { return hasAccessName_ ? accessName_ : text_; }
  void setAccessName(std::string name);
  virtual Role role() const;
  virtual bool checked() const { return false; }
  // A value read beside the name (a progress bar's percentage, a box's text).
  virtual std::string accessValue() const;
  // Space, Enter or a screen reader's default action: false when the control does not act.
  virtual bool activate();

  // Reached with Tab, in the order the form gives, while it is shown and enabled.
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool stop) { tabStop_ = stop; }
  bool focusable() const { return tabStop_ && shown() && enabled(); }

  // A container that keeps Tab among its own controls while it is shown, with the controls
  // Enter and Esc click (either may be null).
  bool keyPanel() const { return keyPanel_; }
  void setKeyPanel(Control* enter, Control* escape);
  Control* enterControl() const { return enter_; }
  Control* escapeControl() const { return escape_; }

  Event<> Click;
  Event<> DblClick;
  Event<const MouseArgs&> MouseDown;
  Event<const MouseArgs&> MouseUp;
  Event<const MouseArgs&> MouseMove;
  Event<> VisibleChange;  // after Visible changed, whoever changed it

  ControlView* view() const { return view_; }
  void attachView(ControlView* view) { view_ = view; }

 protected:
  void changed(Property property);
  // Stores a new value and tells the view; assigning the value already held does nothing.
  template <class T>
  void assign(T& field, T value, Property property) {
    if (value == field) return;
    field = std::move(value);
    changed(property);
  }

 private:
  friend class Form;

  Kind kind_;
  std::string name_;
  int index_;
  Form* form_ = nullptr;
  Control* container_ = nullptr;
  std::vector<Control*> children_;
  Rect place_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  Colour fore_ = kSystemWindowText;
  Colour back_ = kSystemButtonFace;
  bool transparent_ = false;
  Font font_;
  Align align_ = Align::Left;
  Picture picture_ = Picture::None;
  bool stretch_ = false;
  std::string toolTip_;
  std::string accessName_;
  bool hasAccessName_ = false;
  bool tabStop_ = false;
  bool keyPanel_ = false;
  Control* enter_ = nullptr;
  Control* escape_ = nullptr;
  ControlView* view_ = nullptr;
};

// A control that only its kind sets apart.
template <Kind K>
class Plain : public Control {
 public:
  explicit Plain(std::string name, int index = -1) : Control(K, std::move(name), index) {}
};

using Label = Plain<Kind::Label>;
using Image = Plain<Kind::Image>;

// A straight line between two points; place holds (x1, y1) and the extent to (x2, y2).
using Line = Plain<Kind::Line>;

// A rectangle outline.
using Shape = Plain<Kind::Shape>;
// A container with a window of its own.
using PictureBox = Plain<Kind::PictureBox>;

class TextBox : public Control {
 public:
  explicit TextBox(std::string name, int index = -1)
      : Control(Kind::TextBox, std::move(name), index) {}
  // Text typed by the user: stored like text set by code, then Change is raised.
  void userTyped(std::string text);
  Event<> Change;
};

// Hidden or placed outside the window; its Click serves as a callable operation.
using CommandButton = Plain<Kind::CommandButton>;

// A horizontal trackbar. Change is raised for every change of the value, by the user or by code,
// and never for an assignment of the value it already holds.
class Slider : public Control {
 public:
  explicit Slider(std::string name, int index = -1)
      : Control(Kind::Slider, std::move(name), index) {}

  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  // Moves the value into the new range when needed, which raises Change.
  void setRange(int min, int max);
  // Clamped into the range.
  void setValue(int value);
  std::string accessValue() const override { return std::to_string(value_); }

  Event<> Change;

 private:
  int min_ = 0;
  int max_ = 10;
  int value_ = 0;
};

// A message-loop timer; the backend ticks it while it is enabled and its interval is above 0.
class Timer : public Control {
 public:
  explicit Timer(std::string name, int index = -1) : Control(Kind::Timer, std::move(name), index) {
    setVisible(false);
  }
  int interval() const { return interval_; }
  void setInterval(int milliseconds) { assign(interval_, milliseconds, ui::Property::Value); }
  bool running() const { return enabled() && interval_ > 0; }

  Event<> Tick;

 private:
  int interval_ = 0;
};

// The topmost shown control under a point (twips, in the container's coordinates) among the
// container's windowless children, or null. Later children lie in front of earlier ones.
Control* windowlessAt(const std::vector<Control*>& children, Point at);

// The shown windowless children a container paints, back to front: design order, behind every
// windowed control whatever its place in that order.
std::vector<Control*> paintOrder(const std::vector<Control*>& children);

}  // namespace ui
