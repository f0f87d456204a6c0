// veldraflimmer: the self-running show. No argument is read.
#include "display/ptc.h"
#include "show.h"
#include "show_state.h"

int main() {
  if (ptc_open("VELDRAFLIMMER", 320, 240) == 0) return 1;
  // Escape or closing the window ends the process from inside ptc_update;
  // the display layer closes itself, then this frees the music.
  ptc_set_shutdown(StopMusic);
  Show show;
  show.Start();
  while (running) show.Frame();
  show.Finish();
  return 0;
}
