// The show's sixteen pictures: fourteen raw picture files read from a folder
// (normally the working directory) and the embedded border mask expanded twice.
//
// Contract: made once by the show's start-up on the main thread and read by
// the layers every frame; each Image32 owns its buffer. A missing or short
// file is named on stderr and its picture stays transparent (the unread
// pixels are 0, weight 0), so the show goes on without it.
#pragma once
#include <string>

#include "raster/image32.h"

struct Pictures {
  Image32 tecken;       // 500x25, scroller strip
  Image32 greet;        // 500x240, scene-3 scroller
  Image32 kanterDark;   // 320x240 border mask in 0x555555
  Image32 kanterLight;  // the same mask in 0xFFFFFF
  Image32 kludd;        // 320x240
  Image32 sidolinjer1;  // 50x250 vertical strip
  Image32 linje1;       // 50x250
  Image32 linje2;       // 50x250
  Image32 veldra;       // 320x240
  Image32 link;         // 320x240
  Image32 kollademos;   // 320x240
  Image32 link2;        // 320x240
  Image32 blabak;       // 320x240
  Image32 grabak1;      // 320x240
  Image32 grabak2;      // 320x240
  Image32 grabak3;      // 320x240

  Pictures() = default;
  Pictures(const Pictures&) = delete;  // an Image32 copy would share its buffer
  Pictures& operator=(const Pictures&) = delete;

  // Makes all sixteen in the fixed start-up order. `folder` is prefixed to
  // each file name ("" reads the working directory; otherwise it should end
  // with '/'). Returns the number of files that were missing or short.
  int Load(const std::string& folder);
};
