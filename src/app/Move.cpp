#include "app/Move.h"

namespace app {

bool StartWindowDrag(ui::Form& form, const ui::MouseArgs& mouse, bool maximised) {
  if (maximised) return false;
  if ((mouse.button & ui::kLeftButton) == 0) return false;
  form.startDrag();
  return true;
}

}  // namespace app
