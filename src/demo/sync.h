// The synchronisation table: song positions (order, row) that fire scene
// events, walked once over the show.
//
// Contract: sync() is called by the frame loop on the main thread, once per
// frame, right after the clock is read. It asks the player for the heard row
// and order (no lock: the mixing thread publishes them) and fires at most one
// record, which writes the show state of show_state.h. The cursor only moves
// forward; SyncRewind exists for tests that replay the table.
#pragma once
#include <cstdint>

constexpr int kSyncRecords = 113;
constexpr int kSyncWords = kSyncRecords * 3;

// Records of (order, row, command), in firing order; the last one stops the show.
extern const int32_t sync_data[kSyncWords];

// Commands of a record.
enum SyncCommand : int32_t {
  kSyncStop = 0,        // running = 0
  kSyncVeldra = 1,      // t1 = 8.0
  kSyncLink = 2,        // t2 = 8.0, t3 += 1.0
  kSyncFlash = 3,       // flash = 2.0
  kSyncNextScene = 4,   // bg += 1
  kSyncBorder = 5,      // k ^= 1
  kSyncFigureNear = 6,  // ms = 10.0
};

// Fires the next record once the heard row and then the heard order have
// reached it. Row and order are compared separately, not as one position.
// In a namespace because the C library already declares a global sync()
// (flush file systems), which any standard header may bring in.
namespace demo {
void sync();
}  // namespace demo

// The same test against a given position: fires the next record of the
// show's table if `row` and `order` both reach it. True when a record fired.
bool SyncAt(int order, int row);

// The walk over any table of `words` words (three per record) with its own
// cursor: the record at *cursor fires if `row` and `order` reach it; the
// cursor then moves on by 3 whatever the command. True when a record fired.
bool SyncStep(const int32_t* table, int words, int* cursor, int order, int row);

// Applies one command; values outside 0..6 change nothing.
void ApplySyncCommand(int32_t command);

// Word index of the next record: 0, 3, 6, ... up to kSyncWords after the stop.
int SyncCursor();
void SyncRewind();
