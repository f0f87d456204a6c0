// The file-callback layer: all-or-nothing installation, null records, and
// arguments and results passed through untouched in both directions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/load/file.h"

namespace {

struct Call {
  std::string what;
  unsigned int handle;
  int a, b;
};
std::vector<Call> gCalls;
unsigned int gOpenResult = 42;

unsigned int Open(const char* name) {
  gCalls.push_back({std::string("open ") + name, 0, 0, 0});
  return gOpenResult;
}
void Close(unsigned int h) {
  gCalls.push_back({"close", h, 0, 0});
}
int Read(void* buffer, int size, unsigned int h) {
  gCalls.push_back({"read", h, size, buffer != nullptr});
  return size * 3;  // deliberately not a plausible count: it must come back unchanged
}
int Seek(unsigned int h, int pos, signed char mode) {
  gCalls.push_back({"seek", h, pos, mode});
  return 0;
}
int Tell(unsigned int h) {
  gCalls.push_back({"tell", h, 0, 0});
  return -17;
}

class FileLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    gCalls.clear();
    gOpenResult = 42;
    FSOUND_File_SetCallbacks(Open, Close, Read, Seek, Tell);
  }
  void TearDown() override {
    FSOUND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  }
};

TEST_F(FileLayer, AnyNullArgumentClearsAllFive) {
  ASSERT_TRUE(FSOUND_File_CallbacksSet());
  FSOUND_File_SetCallbacks(Open, Close, Read, nullptr, Tell);
  EXPECT_FALSE(FSOUND_File_CallbacksSet());
  EXPECT_EQ(FSOUND_File_OpenCallback, nullptr);
  EXPECT_EQ(FSOUND_File_CloseCallback, nullptr);
  EXPECT_EQ(FSOUND_File_ReadCallback, nullptr);
  EXPECT_EQ(FSOUND_File_TellCallback, nullptr);
  EXPECT_EQ(FSOUND_File_Open("song", 0, 0), nullptr);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(FileLayer, NullRecordIsHarmless) {
  char buffer[4];
  EXPECT_EQ(FSOUND_File_Read(buffer, 4, nullptr), 0);
  EXPECT_EQ(FSOUND_File_Tell(nullptr), 0);
  FSOUND_File_Seek(nullptr, 10, 0);
  FSOUND_File_Close(nullptr);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(FileLayer, OpenFailureGivesNull) {
  gOpenResult = 0;
  EXPECT_EQ(FSOUND_File_Open("missing", 0, 0), nullptr);
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].what, "open missing");
}

TEST_F(FileLayer, CallsReachTheCallbacksUntouched) {
  FileHandle* f = FSOUND_File_Open("song.xm", 5, 6);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->handle, 42u);
  EXPECT_EQ(f->a, 5);
  EXPECT_EQ(f->b, 6);
  char buffer[8];
  EXPECT_EQ(FSOUND_File_Read(buffer, 8, f), 24);
  EXPECT_EQ(FSOUND_File_Read(buffer, -3, f), -9);  // sizes are the callback's to check
  FSOUND_File_Seek(f, -100, 1);
  EXPECT_EQ(FSOUND_File_Tell(f), -17);
  FSOUND_File_Close(f);
  ASSERT_EQ(gCalls.size(), 6u);
  EXPECT_EQ(gCalls[1].what, "read");
  EXPECT_EQ(gCalls[1].handle, 42u);
  EXPECT_EQ(gCalls[1].a, 8);
  EXPECT_EQ(gCalls[2].a, -3);
  EXPECT_EQ(gCalls[3].what, "seek");
  EXPECT_EQ(gCalls[3].a, -100);
  EXPECT_EQ(gCalls[3].b, 1);
  EXPECT_EQ(gCalls[4].what, "tell");
  EXPECT_EQ(gCalls[5].what, "close");
  EXPECT_EQ(gCalls[5].handle, 42u);
}

}  // namespace
