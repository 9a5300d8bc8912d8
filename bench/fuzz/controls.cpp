// The two user controls driven by any sequence of stored properties, property assignments,
// pointer and key input and repaints of any size: no crash, no undefined behaviour, and the
// states they show stay within their sets.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "controls/ProgButton.h"
#include "controls/SafeSwitch.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

template <class T>
std::optional<T> maybe(FuzzedDataProvider& in) {
  if (!in.ConsumeBool()) return std::nullopt;
  if constexpr (std::is_same_v<T, std::string>)
    return in.ConsumeRandomLengthString(64);
  else
    return in.ConsumeIntegral<T>();
}

ui::MouseArgs mouse(FuzzedDataProvider& in) {
  ui::MouseArgs args;
  args.button = in.ConsumeIntegralInRange(0, 4);
  args.shift = in.ConsumeIntegralInRange(0, 7);
  args.at = {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  controls::SafeSwitch sw{"SafeSwitch1"};
  controls::ProgButton button{"ProgButton1"};
  int clicks = 0;
  sw.Click = [&](bool) { ++clicks; };
  auto measure = [](const std::string& text) {
    return ui::Size{static_cast<int>(text.size()) * 7, 16};
  };
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 0:
        sw.loadStored(maybe<bool>(in), maybe<bool>(in), maybe<int>(in));
        break;
      case 1:
        sw.setValue(in.ConsumeBool());
        sw.setEnable(in.ConsumeBool());
        sw.setskin(in.ConsumeIntegral<int>());
        break;
      case 2:
        sw.poll(in.ConsumeBool());
        break;
      case 3: {
        int b = in.ConsumeIntegralInRange(0, 4);
        if (in.ConsumeBool())
          sw.buttonDown(b);
        else
          sw.buttonUp(b);
        break;
      }
      case 4:
        button.loadStored(maybe<int>(in), maybe<int>(in), maybe<int>(in), maybe<std::string>(in),
                          maybe<int>(in), maybe<int>(in));
        break;
      case 5:
        switch (in.ConsumeIntegralInRange(0, 5)) {
          case 0:
            button.setValue(in.ConsumeIntegral<int>());
            break;
          case 1:
            button.setMin(in.ConsumeIntegral<int>());
            break;
          case 2:
            button.setMax(in.ConsumeIntegral<int>());
            break;
          case 3:
            button.setCaption(in.ConsumeRandomLengthString(64));
            break;
          case 4:
            button.setStyle(in.ConsumeIntegral<int>());
            break;
          default:
            button.setColor(in.ConsumeIntegral<int>());
            break;
        }
        break;
      case 6:
        switch (in.ConsumeIntegralInRange(0, 2)) {
          case 0:
            button.mouseDown(mouse(in));
            break;
          case 1:
            button.mouseUp(mouse(in));
            break;
          default:
            button.MouseMove(mouse(in));
            break;
        }
        break;
      case 7:
        switch (in.ConsumeIntegralInRange(0, 5)) {
          case 0:
            button.click();
            break;
          case 1:
            button.dblClick();
            break;
          case 2:
            button.accessKeyPressed();
            break;
          case 3:
            button.keyDown(in.ConsumeIntegral<int>());
            break;
          case 4:
            button.focusGained();
            break;
          default:
            button.focusLost();
            break;
        }
        break;
      default: {
        int width = in.ConsumeIntegralInRange(-8, 1 << 15);
        int height = in.ConsumeIntegralInRange(-8, 1 << 15);
        std::string separator = in.ConsumeBool() ? "." : ",";
        controls::DrawPlan plan = button.redraw(width, height, measure, separator);
        check(plan.text.size() < 1024);
        break;
      }
    }
    check(sw.frameIndex() >= 0 && sw.frameIndex() < 8);
    check(sw.skinSet() >= 0 && sw.skinSet() <= 2);
  }
  return 0;
}
