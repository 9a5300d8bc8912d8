#pragma once
// A sentence whose runs of blanks leave room for controls laid over it ("Rest ___ minutes
// every ___ minutes"). The blanks only fit those controls in the font the window was designed
// with, so the pieces between the runs are placed around the controls instead.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The text between its runs of two or more blanks, in order; a run at either end leaves an
// empty piece. Single blanks stay inside their piece.
std::vector<std::string> splitAtGaps(std::string_view text);

// A horizontal extent in pixels, [left, right).
struct Span {
  int left = 0;
  int right = 0;
  friend bool operator==(const Span&, const Span&) = default;
};

// The left edge of every piece, given each piece's width and the controls lying over the runs
// (sorted left to right, one per run): the first piece ends `margin` before the first control,
// every later piece starts `margin` after the control before it, except that a piece too wide
// for that between two controls is centred between them. Nothing when the counts do not match,
// so a label without such controls is drawn as plain text.
std::optional<std::vector<int>> placePieces(const std::vector<int>& widths,
                                            const std::vector<Span>& covers, int margin);

class Control;

// Where controls lie over a one-line label's first line of `lineHeight` pixels, sorted left to
// right, as pixel spans (`toPixels` turns twips into the container's pixels). A control counts
// when it is shown, lies within the label's width and is in front of it: windowed controls
// always are, windowless ones only when they come after the label among its `siblings`.
std::vector<Span> labelCovers(const Control& label, const std::vector<Control*>& siblings,
                              int lineHeight, const std::function<int(int)>& toPixels);

}  // namespace ui
