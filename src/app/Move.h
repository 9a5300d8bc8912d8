#pragma once
// Dragging a borderless window by its title strip.
#include "ui/Form.h"
#include "ui/Types.h"

namespace app {

// Hands the window to the system's move loop, but only while the left button is held: a plain
// pointer move must never start it. A maximised window is not moved. True when a drag started.
bool StartWindowDrag(ui::Form& form, const ui::MouseArgs& mouse, bool maximised = false);

}  // namespace app
