// The embedded song: a compact song stream and the replayed file positions.
//
// Generated at build time by songembed from veldraflimmer.xm (the definitions
// live in <build>/generated/song_data.cpp, library `songdata`). `musData`
// holds exactly the bytes the song loader reads from the full file, in the
// order it reads them, followed by 4 zero bytes; `musDataSize` counts them
// all, so the loader consumes musDataSize - 4. `musTell` lists, call by call,
// what the file position query answered while the loader read the full file.
// Read-only data: safe from any thread.
#pragma once

extern const unsigned char musData[];
extern const unsigned int musDataSize;
extern const int musTell[];
extern const int musTellCount;
