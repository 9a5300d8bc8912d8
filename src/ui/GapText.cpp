#include "ui/GapText.h"

#include <algorithm>

#include "ui/Control.h"

namespace ui {

std::vector<std::string> splitAtGaps(std::string_view text) {
  std::vector<std::string> pieces(1);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t run = 0;
    while (i + run < text.size() && text[i + run] == ' ') ++run;
    if (run >= 2) {
      pieces.emplace_back();
      i += run;
    } else {
      pieces.back() += text[i++];  // a single blank stays inside its piece
    }
  }
  return pieces;
}

std::optional<std::vector<int>> placePieces(const std::vector<int>& widths,
                                            const std::vector<Span>& covers, int margin) {
  if (covers.empty() || widths.size() != covers.size() + 1) return std::nullopt;
  std::vector<int> left(widths.size());
  left[0] = covers[0].left - margin - widths[0];
  for (std::size_t k = 1; k < widths.size(); ++k) {
    left[k] = covers[k - 1].right + margin;
    // A piece between two covers that has no room for a margin on both sides is centred
    // between them, so it keeps an equal distance from each.
    if (k < covers.size() && left[k] + widths[k] + margin > covers[k].left)
      left[k] = covers[k - 1].right + (covers[k].left - covers[k - 1].right - widths[k]) / 2;
  }
  return left;
}

std::vector<Span> labelCovers(const Control& label, const std::vector<Control*>& siblings,
                              int lineHeight, const std::function<int(int)>& toPixels) {
  const Rect& l = label.place();
  const int top = toPixels(l.top);
  const int left = toPixels(l.left);
  const int right = toPixels(l.right());
  std::vector<Span> covers;
  bool inFront = false;
  for (const Control* c : siblings) {
    if (c == &label) {
      inFront = true;
      continue;
    }
    if (!c->visible() || (!inFront && !isWindowed(c->kind()))) continue;
    const Rect& p = c->place();
    Span span{toPixels(p.left), toPixels(p.right())};
    if (toPixels(p.top) < top + lineHeight && toPixels(p.bottom()) > top && span.left >= left &&
        span.right <= right && span.right > span.left)
      covers.push_back(span);
  }
  std::sort(covers.begin(), covers.end(),
            [](const Span& a, const Span& b) { return a.left < b.left; });
  return covers;
}

}  // namespace ui
