// Song control and the real-time engine: the output ring of 16-bit stereo
// blocks, the block fill that runs the sequencer and the mixer, the poll that
// refills every block the device has played, the mixing thread, and the block
// time table that the queries read without a lock.
//
// Ownership: the 16-bit ring and the float mix ring belong to this file from
// FMUSIC_PlaySong to FMUSIC_StopSong; the device borrows the 16-bit ring from
// Start until Reset. The fill state (fill block, the rings, the song's
// playback fields) is touched by one thread at a time: the caller's during the
// first fill, then the mixing thread, or the owner of a virtual device.
#include "output.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "output_thread.h"
#include "player/load/file.h"
#include "player/load/loader.h"
#include "player/mix/mixer.h"
#include "player/play/sequencer.h"
#include "wave_out.h"

int FSOUND_BlockSize = 0;
int FSOUND_BufferSizeMs = 1000;
int FSOUND_BufferSize = 0;
std::atomic<Song*> FMUSIC_PlayingSong{nullptr};
std::atomic<uint8_t> FSOUND_Software_UpdateMutex{0};

namespace {

// Mix rates accepted: below the lowest a block or a ramp would be empty; the
// highest keeps the size arithmetic far from overflow.
constexpr int kMinMixRate = 1000;
constexpr int kMaxMixRate = 384000;
// Most blocks in the ring (the time table is allocated once at this size so a
// query can never read a released table).
constexpr int kMaxBlocks = 1000;

int g_blocks = 0;                               // blocks in the ring (100)
int FSOUND_Software_FillBlock = 0;              // next block to mix
std::atomic<int> FSOUND_Software_RealBlock{0};  // the block being heard
std::unique_ptr<int16_t[]> FSOUND_MixBlock;     // the 16-bit ring the device plays
std::unique_ptr<float[]> FSOUND_MixBuffer;      // one float block the mixer adds into

// One entry per block: order (bits 0-7), row (bits 8-15) and time in
// milliseconds (bits 16-47) at the end of the block, packed so a reader sees
// one block's three values together.
std::array<std::atomic<uint64_t>, kMaxBlocks> FMUSIC_TimeInfo;

std::thread FSOUND_Software_hThread;            // the mixing thread, when one runs
std::atomic<bool> FSOUND_Software_Exit{false};  // asks the mixing thread to end

// A program may end with its song still playing (the show does). Destroyed
// before the buffers above, this ends the mixing thread and closes the device
// first; a joinable std::thread destroyed at exit would terminate the process.
struct StopAtExit {
  ~StopAtExit() { FSOUND_Close(); }
} g_stopAtExit;

uint64_t PackTimeInfo(const Song& song) {
  return static_cast<uint64_t>(song.order & 0xFF) | static_cast<uint64_t>(song.row & 0xFF) << 8 |
         static_cast<uint64_t>(static_cast<uint32_t>(song.time)) << 16;
}

uint64_t HeardTimeInfo() {
  if (FMUSIC_PlayingSong.load(std::memory_order_acquire) == nullptr) return 0;
  // The poll moves the reported block on before it refills the one before:
  // if the reported block is still the same after reading its entry, the
  // entry was not one being rewritten with a later block's values.
  for (;;) {
    const int block = FSOUND_Software_RealBlock.load(std::memory_order_acquire);
    const uint64_t entry = FMUSIC_TimeInfo[block].load(std::memory_order_acquire);
    if (FSOUND_Software_RealBlock.load(std::memory_order_acquire) == block) return entry;
  }
}

void FSOUND_Software_DoubleBufferThread() {
  FSOUND_RaiseThreadPriority();
  while (!FSOUND_Software_Exit.load(std::memory_order_acquire)) {
    FSOUND_Software_Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Voices of an earlier song may still point at its (maybe released) samples.
void ResetVoices() {
  for (int i = 0; i < MIX_VOICES; ++i) {
    FSOUND_Channel[i] = MixChannel{};
    FSOUND_Channel[i].index = i;
    FSOUND_Channel[i].stepInteger = 1;
  }
}

}  // namespace

bool FSOUND_Init(int mixRate, int /*flags*/) {
  if (!FSOUND_File_CallbacksSet()) return false;
  FSOUND_Close();
  if (mixRate < kMinMixRate || mixRate > kMaxMixRate) return false;
  const int blockSize = (mixRate * 20 / 1000 + 3) & ~3;
  const int blocks = FSOUND_BufferSizeMs / 20 * 2;
  if (blocks < 2 || blocks > kMaxBlocks) return false;
  if (!FSOUND_OpenWaveOut(mixRate)) return false;

  FSOUND_MixRate = mixRate;
  FSOUND_OOMixRate = 1.0f / static_cast<float>(mixRate);
  FSOUND_BlockSize = blockSize;
  FSOUND_BufferSize = blocks * blockSize;
  g_blocks = blocks;
  mix_volumerampsteps = mixRate * 128 / 44100;
  mix_1overvolumerampsteps = 1.0f / static_cast<float>(mix_volumerampsteps);
  ResetVoices();
  return true;
}

void FSOUND_Close() {
  // The mixing thread polls the device: it must end before the device goes.
  if (Song* playing = FMUSIC_PlayingSong.load()) FMUSIC_StopSong(playing);
  FSOUND_CloseWaveOut();
}

bool FMUSIC_SetStartState(Song* song) {
  if (song == nullptr || song->channelCount < 0 || song->channelCount > MAX_CHANNELS) return false;
  song->nextOrder = -1;
  song->nextRow = -1;
  song->order = 0;
  song->row = 0;
  song->tick = 0;
  song->samplesLeftInTick = 0;
  song->time = 0;
  song->globalVolume = song->defaultGlobalVolume;
  song->speed = song->defaultSpeed;
  FMUSIC_SetBPM(song, song->defaultBPM);
  FMUSIC_ResetEffectState(song);
  ResetVoices();
  for (int i = 0; i < song->channelCount; ++i) {
    FMUSIC_Channel[i] = MusicChannel{};
    FMUSIC_Channel[i].voice = &FSOUND_Channel[i];
  }
  return true;
}

bool FMUSIC_PlaySong(Song* song) {
  if (song == nullptr) return false;
  FMUSIC_StopSong(song);
  WaveOut* device = FSOUND_GetWaveOut();
  if (device == nullptr || FSOUND_BlockSize <= 0) return false;
  if (!FMUSIC_SetStartState(song)) return false;

  for (auto& entry : FMUSIC_TimeInfo) entry.store(0, std::memory_order_relaxed);
  const size_t values = 2 * static_cast<size_t>(FSOUND_BufferSize);
  FSOUND_MixBlock = std::make_unique<int16_t[]>(values);
  FSOUND_MixBuffer = std::make_unique<float[]>(2 * static_cast<size_t>(FSOUND_BlockSize));
  FSOUND_Software_FillBlock = 0;
  FSOUND_Software_RealBlock.store(0, std::memory_order_relaxed);
  FMUSIC_PlayingSong.store(song, std::memory_order_release);

  // The whole ring is mixed before the device starts.
  do {
    FSOUND_Software_Fill();
  } while (FSOUND_Software_FillBlock != 0);

  device->Start(FSOUND_MixBlock.get(), static_cast<uint32_t>(values * sizeof(int16_t)));
  FSOUND_Software_Exit.store(false, std::memory_order_release);
  if (device->RealTime()) {
    FSOUND_Software_hThread = std::thread(FSOUND_Software_DoubleBufferThread);
  }
  return true;
}

bool FMUSIC_StopSong(Song* song) {
  if (song == nullptr) return false;
  FSOUND_Software_Exit.store(true, std::memory_order_release);
  while (FSOUND_Software_UpdateMutex.load(std::memory_order_acquire) != 0) {
    std::this_thread::yield();
  }
  if (FSOUND_Software_hThread.joinable()) FSOUND_Software_hThread.join();
  // Silence first: the device must let go of the ring before it is released.
  if (WaveOut* device = FSOUND_GetWaveOut()) device->Reset();
  FMUSIC_PlayingSong.store(nullptr, std::memory_order_release);
  FSOUND_MixBuffer.reset();
  FSOUND_MixBlock.reset();
  return true;
}

bool FMUSIC_FreeSong(Song* song) {
  if (!song) return false;
  while (FSOUND_Software_UpdateMutex.load()) {
  }
  // Only the song being played has a mixing thread to stop; freeing another
  // (for instance one that failed to load) leaves the playing one alone.
  if (FMUSIC_PlayingSong.load() == song) FMUSIC_StopSong(song);
  FMUSIC_ReleaseSong(song);
  return true;
}

int FMUSIC_GetOrder(Song* song) {
  if (song == nullptr) return 0;
  return static_cast<int>(HeardTimeInfo() & 0xFF);
}

int FMUSIC_GetRow(Song* song) {
  if (song == nullptr) return 0;
  return static_cast<int>(HeardTimeInfo() >> 8 & 0xFF);
}

int FMUSIC_GetTime(Song* song) {
  if (song == nullptr) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(HeardTimeInfo() >> 16));
}

void FSOUND_Software_Fill() {
  Song* song = FMUSIC_PlayingSong.load(std::memory_order_acquire);
  if (song == nullptr || !FSOUND_MixBuffer) return;
  const int block = FSOUND_Software_FillBlock;
  const int blockSize = FSOUND_BlockSize;
  float* mix = FSOUND_MixBuffer.get();
  std::memset(mix, 0, 2 * static_cast<size_t>(blockSize) * sizeof(float));

  int mixed = 0;
  while (mixed < blockSize) {
    if (song->samplesLeftInTick <= 0) {
      if (song->tickOperation != nullptr) song->tickOperation(song);
      song->samplesLeftInTick = song->samplesPerTick;
    }
    int n = std::min(song->samplesLeftInTick, blockSize - mixed);
    if (n <= 0) {
      // No tempo: mix the rest of the block and tick again next block rather
      // than spin here.
      n = blockSize - mixed;
      song->samplesLeftInTick = n;
    }
    FSOUND_Mixer_FPU_Ramp(mix + 2 * static_cast<size_t>(mixed), n);
    mixed += n;
    song->samplesLeftInTick -= n;
    song->time += static_cast<int32_t>(static_cast<double>(n) * FSOUND_OOMixRate * 1000.0);
  }

  FMUSIC_TimeInfo[block].store(PackTimeInfo(*song), std::memory_order_release);
  FSOUND_MixerClipCopy_Float32(FSOUND_MixBlock.get() + 2 * static_cast<size_t>(block) * blockSize,
                               mix, blockSize);
  FSOUND_Software_FillBlock = block + 1 == g_blocks ? 0 : block + 1;
}

void FSOUND_Software_Poll() {
  WaveOut* device = FSOUND_GetWaveOut();
  if (device == nullptr || !FSOUND_MixBuffer) return;
  const uint64_t frames = device->Position() / 4;
  const int playing = static_cast<int>(frames % static_cast<uint64_t>(FSOUND_BufferSize) /
                                       static_cast<uint64_t>(FSOUND_BlockSize));
  bool wrote = false;
  while (FSOUND_Software_FillBlock != playing) {
    FSOUND_Software_UpdateMutex.store(1, std::memory_order_release);
    // The reported block moves on before its predecessor is refilled, so a
    // query never reads the entry of the block being rewritten.
    const int next = FSOUND_Software_RealBlock.load(std::memory_order_relaxed) + 1;
    FSOUND_Software_RealBlock.store(next == g_blocks ? 0 : next, std::memory_order_release);
    FSOUND_Software_Fill();
    FSOUND_Software_UpdateMutex.store(0, std::memory_order_release);
    wrote = true;
  }
  if (wrote) device->RingWritten();
}
