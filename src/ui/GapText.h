#pragma once
// A sentence whose runs of blanks leave room for controls laid over it ("Rest ___ minutes
// every ___ minutes"). The blanks only fit those controls in the font the window was designed
// with, so the pieces between the runs are placed around the controls instead.
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

}  // namespace ui
