// Where the fields of an XM file stand: the offsets and sizes the loader
// reads at, for whoever looks at a file's header besides it (xmplay --info).
#pragma once

namespace xm {

inline constexpr char kSignature[] = "Extended Module: ";
inline constexpr int kSignatureSize = 17;
// Text fields of the file header, padded with blanks or zeros.
inline constexpr int kNameOffset = 17;
inline constexpr int kNameSize = 20;
inline constexpr int kTrackerOffset = 38;
inline constexpr int kTrackerSize = 20;
// The format version (two bytes: minor, major), then the song header: its size
// (counted from its own offset), then song length, restart, channels,
// patterns, instruments, flags, speed, tempo and the order table.
inline constexpr int kVersionOffset = 58;
inline constexpr int kSongHeaderOffset = 60;
inline constexpr int kPatternCountOffset = 70;
// Everything up to the end of the order table in the usual layout.
inline constexpr int kFileHeaderSize = 336;

}  // namespace xm
