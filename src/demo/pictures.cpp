// Loading the show's pictures.
#include "pictures.h"

#include <cstdio>

#include "kanter.h"

namespace {
// Reports a picture that could not be read whole; the show draws it
// transparent instead of stopping.
bool LoadOne(Image32& picture, const std::string& folder, const char* file, int w, int h) {
  const std::string path = folder + file;
  if (picture.LoadRaw(path.c_str(), w, h, 4)) return true;
  std::fprintf(stderr, "veldraflimmer: picture %s is missing or short; drawing it transparent\n",
               path.c_str());
  return false;
}
}  // namespace

int Pictures::Load(const std::string& folder) {
  int bad = 0;
  bad += !LoadOne(tecken, folder, "tecken.raw", 500, 25);
  bad += !LoadOne(greet, folder, "greet.raw", 500, 240);
  kanterDark.GenH(kanter_bit, 320, 240, 0x555555);
  kanterLight.GenH(kanter_bit, 320, 240, 0xFFFFFF);
  bad += !LoadOne(kludd, folder, "kludd.raw", 320, 240);
  bad += !LoadOne(sidolinjer1, folder, "sidolinjer1.raw", 50, 250);
  bad += !LoadOne(linje1, folder, "linje1.raw", 50, 250);
  bad += !LoadOne(linje2, folder, "linje2.raw", 50, 250);
  bad += !LoadOne(veldra, folder, "veldra.raw", 320, 240);
  bad += !LoadOne(link, folder, "link.raw", 320, 240);
  bad += !LoadOne(kollademos, folder, "kollademos.raw", 320, 240);
  bad += !LoadOne(link2, folder, "link2.raw", 320, 240);
  bad += !LoadOne(blabak, folder, "blabak.raw", 320, 240);
  bad += !LoadOne(grabak1, folder, "grabak1.raw", 320, 240);
  bad += !LoadOne(grabak2, folder, "grabak2.raw", 320, 240);
  bad += !LoadOne(grabak3, folder, "grabak3.raw", 320, 240);
  return bad;
}
