// Test support: a field-by-field comparison of two loaded songs, for the tests
// that load one song in two ways (full file and compact stream, a song and its
// reload) and expect the same record.
#pragma once

#include "player/load/song.h"

namespace songtest {

// Adds a test failure for every field in which the two samples differ,
// including their data and spare values.
void ExpectSamplesEqual(const SongSample& a, const SongSample& b);
// Adds a test failure for every field in which the two songs differ: header,
// order table, every pattern's cells, every instrument and sample.
void ExpectSongsEqual(const Song& a, const Song& b);

}  // namespace songtest
