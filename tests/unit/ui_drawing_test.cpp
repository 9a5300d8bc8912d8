// Sentences with controls laid over their runs of blanks, picture decoding and smooth scaling.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ui/Decode.h"
#include "ui/Form.h"
#include "ui/GapText.h"
#include "ui/MouseRouter.h"
#include "ui/Resample.h"
#include "ui/RowLayout.h"

namespace {

using ui::Span;

TEST(GapText, SplitsAtRunsOfBlanksOnly) {
  EXPECT_EQ(ui::splitAtGaps("Rest       minutes every        minutes"),
            (std::vector<std::string>{"Rest", "minutes every", "minutes"}));
  // A single blank (the trailing one of "brightness ") is part of the text, not a gap.
  EXPECT_EQ(ui::splitAtGaps("brightness "), (std::vector<std::string>{"brightness "}));
  EXPECT_EQ(ui::splitAtGaps("  a  "), (std::vector<std::string>{"", "a", ""}));
  EXPECT_EQ(ui::splitAtGaps(""), (std::vector<std::string>{""}));
}

TEST(GapText, PiecesSitAroundTheCovers) {
  // "Rest" 24 px, "minutes every" 70 px, "minutes" 43 px; numbers at 367-400 and 476-509.
  auto left = ui::placePieces({24, 70, 43}, {{367, 400}, {476, 509}}, 3);
  ASSERT_TRUE(left);
  EXPECT_EQ(*left, (std::vector<int>{340, 403, 512}));
  // Whatever the widths, no piece reaches into the cover after it when there is room.
  for (int w : {10, 20, 40}) {
    auto l = ui::placePieces({w, 30, w}, {{100, 130}, {200, 230}}, 4);
    ASSERT_TRUE(l);
    EXPECT_EQ((*l)[0] + w, 96);
    EXPECT_EQ((*l)[1], 134);
    EXPECT_LE((*l)[1] + 30, 200);
    EXPECT_EQ((*l)[2], 234);
  }
}

TEST(GapText, APieceWithoutRoomForBothMarginsIsCentredBetweenItsCovers) {
  // 150 px between covers 162 px apart: 6 px either side rather than 6 and 0.
  auto left = ui::placePieces({40, 150, 60}, {{300, 362}, {524, 577}}, 6);
  ASSERT_TRUE(left);
  EXPECT_EQ(*left, (std::vector<int>{254, 368, 583}));
  // Wider than the room: it overhangs both covers equally.
  auto wide = ui::placePieces({40, 170, 60}, {{300, 362}, {524, 577}}, 6);
  ASSERT_TRUE(wide);
  EXPECT_EQ((*wide)[1], 358);
}

TEST(GapText, CountsThatDoNotMatchLeaveThePlainText) {
  EXPECT_FALSE(ui::placePieces({24, 75, 43}, {{367, 400}}, 3));
  EXPECT_FALSE(ui::placePieces({24}, {}, 3));
  EXPECT_FALSE(ui::placePieces({}, {}, 3));
}

// "Rest ___ minutes" with a box over the gap, a shape behind the label, a picture box in front of
// it whatever the order, and controls that do not count: hidden, past the label's line or width.
struct CoverForm : ui::Form {
  ui::Shape behind{"behind"};
  ui::PictureBox windowedBefore{"windowedBefore"};
  ui::Label label{"label"};
  ui::Image after{"after"};
  ui::Image hidden{"hidden"};
  ui::Image below{"below"};
  ui::Image wider{"wider"};
  ui::Timer timer{"timer"};
  CoverForm() : ui::Form("f", nullptr) {
    label.setPlace({0, 0, 3000, 300});
    behind.setPlace({150, 0, 300, 300});
    windowedBefore.setPlace({1500, 0, 300, 300});
    after.setPlace({600, 0, 300, 300});
    hidden.setPlace({900, 0, 150, 150});
    hidden.setVisible(false);
    below.setPlace({1200, 300, 150, 150});
    wider.setPlace({2850, 0, 300, 300});
    for (ui::Control* c :
         {static_cast<ui::Control*>(&behind), static_cast<ui::Control*>(&windowedBefore),
          static_cast<ui::Control*>(&label), static_cast<ui::Control*>(&after),
          static_cast<ui::Control*>(&hidden), static_cast<ui::Control*>(&below),
          static_cast<ui::Control*>(&wider), static_cast<ui::Control*>(&timer)})
      add(*c);
  }
};

TEST(GapText, ControlsInFrontOfTheLabelsFirstLineCoverIt) {
  CoverForm f;
  auto px = [](int twips) { return twips / 15; };
  EXPECT_EQ(ui::labelCovers(f.label, f.controls(), 20, px),
            (std::vector<Span>{{40, 60}, {100, 120}}));
  // A shorter line: what starts below it no longer counts (the box at 300 twips never did).
  EXPECT_EQ(ui::labelCovers(f.label, f.controls(), 1, px).size(), 2u);
}

TEST(Container, PaintsShownWindowlessControlsBackToFront) {
  CoverForm f;
  EXPECT_EQ(ui::paintOrder(f.controls()),
            (std::vector<ui::Control*>{&f.behind, &f.label, &f.after, &f.below, &f.wider}));
}

// Presses, moves and releases as a container receives them, and what the controls hear.
TEST(MouseRouter, APressKeepsItsControlAndALeftReleaseOverItClicks) {
  struct Step {
    ui::MouseAct act;
    int button;
    ui::Point at;
  };
  using A = ui::MouseAct;
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> heard;
  } cases[] = {
      {"click",
       {{A::Down, 1, {10, 10}}, {A::Up, 1, {20, 20}}},
       {"capture", "a down 10,10", "release", "a up 20,20", "a click"}},
      {"slid off: moves and the release stay with the press, no click",
       {{A::Down, 1, {10, 10}},
        {A::Move, 1, {900, 10}},
        {A::Up, 1, {900, 10}},
        {A::Move, 0, {900, 10}}},
       {"capture", "a down 10,10", "a move 900,10", "release", "a up 900,10", "form move"}},
      {"slid on: a press on the form clicks nothing",
       {{A::Down, 1, {900, 10}}, {A::Up, 1, {10, 10}}},
       {"capture", "release"}},
      {"right button: no click",
       {{A::Down, 2, {10, 10}}, {A::Up, 2, {10, 10}}},
       {"capture", "a down 10,10", "release", "a up 10,10"}},
      {"double click goes to the control under the pointer",
       {{A::DoubleClick, 1, {510, 10}}},
       {"b dblclick"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Form form("f", nullptr);
    ui::Label a("a"), b("b");
    a.setPlace({0, 0, 300, 300});
    b.setPlace({500, 0, 300, 300});
    form.add(a);
    form.add(b);
    std::vector<std::string> heard;
    auto where = [](const ui::MouseArgs& m) {
      return std::to_string(m.at.x) + "," + std::to_string(m.at.y);
    };
    for (ui::Label* l : {&a, &b}) {
      std::string n = l->name();
      l->MouseDown = [&, n](const ui::MouseArgs& m) { heard.push_back(n + " down " + where(m)); };
      l->MouseUp = [&, n](const ui::MouseArgs& m) { heard.push_back(n + " up " + where(m)); };
      l->MouseMove = [&, n](const ui::MouseArgs& m) { heard.push_back(n + " move " + where(m)); };
      l->Click = [&, n] { heard.push_back(n + " click"); };
      l->DblClick = [&, n] { heard.push_back(n + " dblclick"); };
    }
    form.MouseMove = [&](const ui::MouseArgs&) { heard.push_back("form move"); };
    ui::MouseRouter router;
    router.capture = [&](bool take) { heard.push_back(take ? "capture" : "release"); };
    for (const Step& s : c.steps)
      router.route(s.act, s.button, 0, s.at, form.controls(), nullptr, form);
    EXPECT_EQ(heard, c.heard);
  }
}

ui::PixelImage image(int w, int h, std::vector<std::uint32_t> pixels) {
  return {w, h, std::move(pixels)};
}

std::uint32_t grey(int v) {
  auto c = static_cast<std::uint32_t>(v);
  return 0xFF000000u | c << 16 | c << 8 | c;
}

TEST(RowLayout, LabelsInTheirColumnCellsInOrderEachCentredOnItsRow) {
  ui::Label label{"label"}, caption{"caption"}, status{"status"}, next{"next"};
  ui::Slider slider{"slider"};
  ui::TextBox box{"box"};
  const ui::RowLayout rows{.left = 400, .top = 1000, .right = 8000, .labelWidth = 1600};
  // A tall cell sets the row's height; a row without a label starts at the column's edge, and a
  // width of 0 runs to the right edge; rows are rowGap apart.
  const int bottom = rows.place({{&label, {{&slider, 3000, 345, 0}, {&caption, 600, 255}}},
                                 {nullptr, {{&status, 0, 510, 0}}},
                                 {&next, {{&box, 615, 270, 30}}}});
  const std::pair<const ui::Control*, ui::Rect> expected[] = {
      {&label, {400, 1045, 1600, 255}},   {&slider, {2000, 1000, 3000, 345}},
      {&caption, {5090, 1045, 600, 255}}, {&status, {400, 1450, 7600, 510}},
      {&next, {400, 2072, 1600, 255}},    {&box, {2030, 2065, 615, 270}}};
  for (const auto& [control, place] : expected)
    EXPECT_EQ(control->place(), place) << control->name();
  EXPECT_EQ(bottom, 2335);
}

TEST(Resample, SameSizeIsExactAndBadInputGivesNothing) {
  auto src = image(2, 2, {grey(1), grey(2), grey(3), grey(4)});
  EXPECT_EQ(ui::resample(src, 2, 2).pixels, src.pixels);
  EXPECT_TRUE(ui::resample(src, 0, 5).pixels.empty());
  EXPECT_TRUE(ui::resample(image(2, 2, {grey(1)}), 4, 4).pixels.empty());
  EXPECT_TRUE(ui::resample(image(0, 0, {}), 4, 4).pixels.empty());
}

TEST(Resample, EnlargingBlendsInsteadOfRepeating) {
  // Black to white over two pixels, enlarged to three: the middle one is grey, not a copy.
  auto out = ui::resample(image(2, 1, {grey(0), grey(255)}), 3, 1);
  ASSERT_EQ(out.pixels.size(), 3u);
  EXPECT_EQ(out.pixels[0], grey(0));
  EXPECT_EQ(out.pixels[1], grey(128));
  EXPECT_EQ(out.pixels[2], grey(255));
  // A flat picture stays flat at any size, edges included.
  auto flat = ui::resample(image(3, 3, std::vector<std::uint32_t>(9, 0xFF336699u)), 7, 5);
  for (auto p : flat.pixels) EXPECT_EQ(p, 0xFF336699u);
}

TEST(Resample, ShrinkingAveragesTheCoveredArea) {
  // Two by two blocks average to one pixel; premultiplied alpha averages like any byte, so a
  // half-transparent result carries half the colour.
  auto out = ui::resample(image(2, 2, {0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0}), 1, 1);
  ASSERT_EQ(out.pixels.size(), 1u);
  EXPECT_EQ(out.pixels[0], 0x80808080u);
  // 48 columns into 45: every column weight sums to one, so a flat row stays flat.
  auto row = ui::resample(image(48, 1, std::vector<std::uint32_t>(48, grey(200))), 45, 1);
  for (auto p : row.pixels) EXPECT_EQ(p, grey(200));
}

TEST(Pictures, DecodeToPremultipliedPixelsWithTheirTransparentGround) {
  struct Row {
    const char* file;
    int width, height;
    std::uint32_t corner, centre;  // 0xAARRGGBB; JPEG pixels within a few levels
  };
  for (const Row& row :
       {Row{"back.jpg", 48, 48, 0xFFF3F8FB, 0xFFD8F1DC},
        Row{"close.jpg", 48, 19, 0xFFE04847, 0xFFFFFDFF}, Row{"hide.gif", 48, 20, 0, 0},
        Row{"ok.gif", 48, 48, 0, 0xFF69C18A}, Row{"pencil.gif", 20, 20, 0, 0xFF3E8FC4}}) {
    SCOPED_TRACE(row.file);
    std::ifstream in(std::string(LUMORA_PICTURES_DIR "/") + row.file, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    const ui::PixelImage image = ui::decodePicture(bytes);
    ASSERT_EQ(image.width, row.width);
    ASSERT_EQ(image.height, row.height);
    const auto near = [](std::uint32_t a, std::uint32_t b) {
      for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 6) return false;
      return true;
    };
    EXPECT_PRED2(near, image.pixels[0], row.corner);
    EXPECT_PRED2(near, image.pixels[(row.height / 2) * row.width + row.width / 2], row.centre);
  }
  EXPECT_TRUE(ui::decodePicture({}).pixels.empty());
  const unsigned char notAPicture[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_TRUE(ui::decodePicture(notAPicture).pixels.empty());
}

}  // namespace
