// The synchronisation table and its walk.
#include "sync.h"

#include "player/output/output.h"
#include "show_state.h"

// Firing order within an order position follows the rows; two records on the
// same row fire on consecutive frames, in this order. Each record: order,
// row, command.
// clang-format off
const int32_t sync_data[kSyncWords] = {
    // order 0
    0,  0,1, 0, 12,1, 0, 32,1, 0, 44,1,
    // order 1
    1,  0,4, 1,  0,2, 1, 12,2, 1, 32,2, 1, 44,2,
    // order 2
    2,  0,4, 2,  0,3, 2,  4,5, 2,  8,5, 2, 14,5, 2, 15,5, 2, 18,5, 2, 20,5, 2, 23,5, 2, 24,5,
    2, 26,5, 2, 30,5, 2, 36,5, 2, 38,5, 2, 44,5, 2, 45,5, 2, 46,5, 2, 48,5, 2, 54,5, 2, 58,5,
    2, 60,5, 2, 61,5,
    // order 3
    3,  4,5, 3,  8,5, 3, 14,5, 3, 15,5, 3, 18,5, 3, 20,5, 3, 23,5, 3, 24,5, 3, 26,5, 3, 30,5,
    3, 36,5, 3, 38,5, 3, 44,5, 3, 45,5, 3, 46,5, 3, 48,5, 3, 48,3, 3, 51,3, 3, 54,3,
    // order 4
    4,  0,4, 4,  0,3, 4, 32,3, 4, 34,3,
    // order 5
    5,  0,3, 5, 32,3, 5, 34,3,
    // order 6
    6,  0,4, 6,  0,6, 6,  2,6, 6,  8,6, 6, 10,6, 6, 12,4, 6, 12,6, 6, 15,6, 6, 16,6, 6, 20,6,
    6, 24,6, 6, 25,6, 6, 30,6, 6, 31,6, 6, 32,4, 6, 32,6, 6, 34,6, 6, 38,6, 6, 39,6, 6, 40,6,
    6, 42,6, 6, 44,4, 6, 45,6, 6, 48,6, 6, 50,6, 6, 58,6, 6, 61,6, 6, 63,6,
    // order 7
    7,  0,4, 7,  0,6, 7,  2,6, 7,  8,6, 7, 10,6, 7, 12,4, 7, 12,6, 7, 15,6, 7, 16,6, 7, 20,6,
    7, 24,6, 7, 25,6, 7, 30,6, 7, 31,6, 7, 32,4, 7, 32,6, 7, 34,6, 7, 38,6, 7, 39,6, 7, 40,6,
    7, 42,6, 7, 44,4, 7, 45,6, 7, 48,6, 7, 50,6, 7, 58,6, 7, 61,6, 7, 62,0,
};
// clang-format on

namespace {
int cur_pos = 0;
}  // namespace

void ApplySyncCommand(int32_t command) {
  switch (command) {
    case kSyncStop:
      running = 0;
      break;
    case kSyncVeldra:
      t1 = 8.0f;
      break;
    case kSyncLink:
      t2 = 8.0f;
      t3 = t3 + 1.0f;
      break;
    case kSyncFlash:
      flash = 2.0f;
      break;
    case kSyncNextScene:
      bg = bg + 1;
      break;
    case kSyncBorder:
      k ^= 1;
      break;
    case kSyncFigureNear:
      ms = 10.0f;
      break;
    default:
      break;
  }
}

bool SyncStep(const int32_t* table, int words, int* cursor, int order, int row) {
  // The show's stop record ends the loop before sync runs again; the guard
  // keeps a caller that steps on after the end inside the table.
  if (*cursor + 3 > words) return false;
  const int32_t* r = table + *cursor;
  if (r[1] > row) return false;
  if (r[0] > order) return false;
  ApplySyncCommand(r[2]);
  *cursor += 3;
  return true;
}

void demo::sync() {
  if (cur_pos + 3 > kSyncWords) return;
  // Row first, order second, as two separate queries: the order is asked
  // only when the row test has passed. Between the two the heard block can
  // change; nothing guards against that pairing.
  const int32_t* r = sync_data + cur_pos;
  if (r[1] > FMUSIC_GetRow(mod)) return;
  if (r[0] > FMUSIC_GetOrder(mod)) return;
  ApplySyncCommand(r[2]);
  cur_pos += 3;
}

bool SyncAt(int order, int row) {
  return SyncStep(sync_data, kSyncWords, &cur_pos, order, row);
}

int SyncCursor() {
  return cur_pos;
}

void SyncRewind() {
  cur_pos = 0;
}
