// The show's song as an in-memory XM model.
//
// Contract: ComposeSong builds the whole song (header, order list, patterns,
// synthesised instruments) deterministically: the same model, and so the same
// file bytes, on every call and every build. Called by the song maker's main
// on its only thread.
#pragma once

#include "xm_writer.h"

namespace songmaker {

XmSong ComposeSong();

}  // namespace songmaker
