// The greetings picture, 500x240, that scrolls left over the blue background in scene 3: a
// heading and invented group names on three staggered lines between the border bands.
#include <string>
#include <vector>

#include "pictures.h"

Canvas MakeGreet(Fonts& fonts) {
  Canvas c(500, 240);
  TextStyle heading;
  heading.fill = kOrange;
  heading.outline = 2.0f;
  heading.shadow_dx = 2;
  heading.shadow_dy = 2;
  DrawText(c, fonts.Get(kSerifBoldItalic, 26), 8, 72, "hälsningar till", heading);

  const std::vector<std::vector<std::string>> lines = {
      {"Kvastfabriken", "Nollpunkt", "Rasterkatt", "Blåbärsverket"},
      {"Gruskod", "Nattfilm", "Kopparbit", "Dimslöjan", "Sågspån"},
      {"Tidsraket", "Ljudgrottan", "Pixelmjölk", "Hyllvärmarna"},
  };
  const int baselines[] = {108, 140, 172};
  const int starts[] = {10, 40, 20};
  const Rgb colours[] = {kWhite, Hex(0xDDDDDD), kWhite};
  TextStyle name;
  name.outline = 1.5f;
  name.shadow_dx = 2;
  name.shadow_dy = 2;
  for (size_t row = 0; row < lines.size(); ++row) {
    // Spread the names of a line evenly over the picture's width.
    const Font& font = fonts.Get(row == 1 ? kSansCondensedBold : kSansBold, row == 1 ? 19 : 17);
    int total = 0;
    for (const auto& n : lines[row]) total += font.Measure(n);
    const int space = (490 - starts[row] - total) / static_cast<int>(lines[row].size() - 1);
    int x = starts[row];
    for (size_t i = 0; i < lines[row].size(); ++i) {
      name.fill = i % 3 == 2 ? Hex(0xFF9A40) : colours[row];
      DrawText(c, font, x, baselines[row], lines[row][i], name);
      x += font.Measure(lines[row][i]) + space;
    }
  }
  TextStyle footer;
  footer.fill = Hex(0xBBCCFF);
  footer.outline = 1.5f;
  const std::string last = "... och alla som fortfarande kollar demos";
  const Font& small = fonts.Get(kSansCondensedBold, 15);
  DrawText(c, small, 490 - small.Measure(last), 194, last, footer);
  return c;
}
