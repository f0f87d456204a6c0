// The synchronisation table and its walk.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "demo/show_state.h"
#include "demo/sync.h"

namespace {
struct Fired {
  int order, row, command;
};

// Walks the song's arrangement (rows per order position) calling the walk a
// few times per row, as frames do, and lists which record fired where.
std::vector<Fired> WalkSong(int callsPerRow) {
  const int rowsPerOrder[8] = {64, 64, 64, 67, 64, 64, 64, 64};
  std::vector<Fired> fired;
  for (int order = 0; order < 8 && running; ++order) {
    for (int row = 0; row < rowsPerOrder[order] && running; ++row) {
      for (int call = 0; call < callsPerRow && running; ++call) {
        const int before = SyncCursor();
        if (SyncAt(order, row)) fired.push_back({order, row, sync_data[before + 2]});
      }
    }
  }
  return fired;
}
}  // namespace

TEST(SyncTable, HoldsItsRecordsInFiringOrderEndingWithTheStop) {
  int stops = 0;
  for (int i = 0; i < kSyncRecords; ++i) {
    const int32_t* r = sync_data + 3 * i;
    EXPECT_GE(r[2], 0);
    EXPECT_LE(r[2], 6);
    stops += r[2] == kSyncStop;
    if (i > 0) {
      const int32_t* p = r - 3;
      EXPECT_TRUE(r[0] > p[0] || (r[0] == p[0] && r[1] >= p[1])) << "record " << i + 1;
    }
  }
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(sync_data[kSyncWords - 3], 7);
  EXPECT_EQ(sync_data[kSyncWords - 2], 62);
  EXPECT_EQ(sync_data[kSyncWords - 1], kSyncStop);
}

TEST(SyncWalk, EveryRecordFiresAtItsOwnPositionOnceAndTheStopEndsIt) {
  ResetShowState();
  const std::vector<Fired> fired = WalkSong(4);
  ASSERT_EQ(fired.size(), static_cast<size_t>(kSyncRecords));
  for (int i = 0; i < kSyncRecords; ++i) {
    EXPECT_EQ(fired[i].order, sync_data[3 * i]) << "record " << i + 1;
    EXPECT_EQ(fired[i].row, sync_data[3 * i + 1]) << "record " << i + 1;
  }
  EXPECT_EQ(running, 0);
  EXPECT_EQ(SyncCursor(), kSyncWords);
  EXPECT_FALSE(SyncAt(99, 99));  // nothing is read past the table
  EXPECT_EQ(t3, 4.0f);
}

TEST(SyncWalk, AtOrderOneRowZeroTheSceneChangesOneCallBeforeTheLinkOverlay) {
  ResetShowState();
  for (int row : {0, 12, 32, 44}) ASSERT_TRUE(SyncAt(0, row));
  EXPECT_EQ(t1, 8.0f);
  ASSERT_TRUE(SyncAt(1, 0));
  EXPECT_EQ(bg, 1);
  EXPECT_EQ(t2, 0.0f);
  EXPECT_EQ(t3, 0.0f);
  ASSERT_TRUE(SyncAt(1, 0));
  EXPECT_EQ(t2, 8.0f);
  EXPECT_EQ(t3, 1.0f);
  EXPECT_FALSE(SyncAt(1, 0));
}

TEST(SyncWalk, RowAndOrderAreComparedSeparately) {
  ResetShowState();
  // Fire everything up to record 31, (2, 61); record 32 is (3, 4).
  while (SyncCursor() < 31 * 3) ASSERT_TRUE(SyncAt(2, 63));
  ASSERT_EQ(sync_data[SyncCursor()], 3);
  ASSERT_EQ(sync_data[SyncCursor() + 1], 4);
  const uint8_t border = k;
  EXPECT_FALSE(SyncAt(2, 62));  // row passes, order does not
  EXPECT_FALSE(SyncAt(3, 0));   // order passes, row does not
  EXPECT_FALSE(SyncAt(3, 3));
  EXPECT_TRUE(SyncAt(3, 4));
  EXPECT_EQ(k, border ^ 1);
}

TEST(SyncWalk, ALateClockFiresOneRecordPerCallInTableOrder) {
  ResetShowState();
  // A position far ahead makes every record due: still one per call.
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(SyncAt(7, 63));
    EXPECT_EQ(SyncCursor(), 3 * (i + 1));
  }
  EXPECT_EQ(bg, 1);  // records 1-4 set t1, record 5 raised bg
}

TEST(SyncCommands, UnknownCommandsAreConsumedAndChangeNothing) {
  ResetShowState();
  const int32_t table[] = {0, 0, 7, 0, 0, -1, 0, 0, 4};
  int cursor = 0;
  ASSERT_TRUE(SyncStep(table, 9, &cursor, 0, 0));
  EXPECT_EQ(cursor, 3);
  ASSERT_TRUE(SyncStep(table, 9, &cursor, 0, 0));
  EXPECT_EQ(cursor, 6);
  EXPECT_EQ(running, 1);
  EXPECT_EQ(bg, 0);
  EXPECT_EQ(t1 + t2 + t3 + flash + ms, 0.0f);
  EXPECT_EQ(k, 0);
  ASSERT_TRUE(SyncStep(table, 9, &cursor, 0, 0));
  EXPECT_EQ(bg, 1);
  EXPECT_FALSE(SyncStep(table, 9, &cursor, 5, 5));  // end of that table
}

TEST(SyncWithoutSong, OnlyTheFirstRecordEverFires) {
  ResetShowState();
  ASSERT_EQ(mod, nullptr);
  for (int i = 0; i < 50; ++i) demo::sync();
  EXPECT_EQ(SyncCursor(), 3);
  EXPECT_EQ(t1, 8.0f);
  EXPECT_EQ(bg, 0);
  EXPECT_EQ(running, 1);
}
