// Start-up, the frame, and the end of the show; the show's global state.
#include "show.h"

#include "display/ptc.h"
#include "figure.h"
#include "music.h"
#include "player/load/song.h"
#include "player/output/output.h"
#include "show_state.h"
#include "sync.h"

// Defined in this order so that Screen is created first and destroyed last.
Image32 Screen(340, 260);
Image32 Out(320, 240);

uint8_t running = 1;
int32_t bg = 0;
float t1 = 0.0f;
float t2 = 0.0f;
float t3 = 0.0f;
float flash = 0.0f;
uint8_t k = 0;
float ms = 0.0f;
Song* mod = nullptr;

void ResetShowState() {
  running = 1;
  bg = 0;
  t1 = t2 = t3 = flash = 0.0f;
  k = 0;
  ms = 0.0f;
  mod = nullptr;
  SyncRewind();
}

int32_t FrameStep(int32_t now, int32_t previous) {
  // The difference wraps rather than overflows; the shift is arithmetic.
  return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(previous)) >> 2;
}

void StopMusic() {
  if (mod != nullptr) FMUSIC_FreeSong(mod);
  mod = nullptr;
  FSOUND_Close();
}

Show::~Show() {
  delete[] edges;
}

void Show::Start() {
  prevTime = 0;
  motor = std::make_unique<TDMotor>(Screen.width, Screen.height);
  // From here on the renderer clears and draws Screen itself.
  motor->Borrow(Screen.pixels);
  t1 = t2 = t3 = flash = 0.0f;
  missingPictures = pictures.Load(pictureFolder);
  anim = Animation();
  bg = 0;
  edges = MakeEdges();
  anim.azimuthStep = 1.0f;
  anim.polarStep = 1.0f;
  StartMusic(mixRate);
}

void Show::Frame() {
  const int32_t now = MusicTime();
  // The remainder of the step is dropped, not carried.
  dt = FrameStep(now, prevTime);
  prevTime = now;
  demo::sync();

  motor->Clear();
  Screen.Fill(0xFFAAAAAAu);
  alpha = 1;
  AA = 1;
  LayerContext context{Screen, *motor, pictures, anim, edges};
  DrawLayers(context, dt);

  // Screen's colours go to Out unchanged; the weight bytes are scaled by 34/256.
  Out.Fill(0);
  alpha = 0;
  Screen.Blit(Out, 0, 0, 0, 0, 320, 240, 0x22);
  if (flash > 0) {
    Out.Fill(0xFFFFFFFFu);
    flash = static_cast<float>(flash - 0.1 * dt);
  }
  ptc_update(Out.pixels);
}

void Show::Finish() {
  ptc_close();
  StopMusic();
}
