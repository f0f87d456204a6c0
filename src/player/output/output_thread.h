// The mixing thread's platform service, provided by the back end
// (wave_out_sdl.cpp): called once by the mixing thread when it starts.
#pragma once

// Raises the calling thread to the highest priority the system grants it
// (real-time where allowed); quietly does nothing where it is not.
void FSOUND_RaiseThreadPriority();
