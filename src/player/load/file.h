// File-callback layer: the player never opens files itself. The host installs
// five callbacks (open, close, read, seek, tell) once, before FSOUND_Init, and
// the loader reads every byte of song data through the thin wrappers below.
// Sizes and positions are passed through untouched: each callback set is
// responsible for its own bounds. Used only by the thread that loads a song.
#pragma once

// open returns a nonzero handle, or 0 on failure.
using FSOUND_OpenCallback = unsigned int (*)(const char* name);
using FSOUND_CloseCallback = void (*)(unsigned int handle);
// read returns the number of bytes copied into buffer.
using FSOUND_ReadCallback = int (*)(void* buffer, int size, unsigned int handle);
// mode 0: from the start; 1: from the current position.
using FSOUND_SeekCallback = int (*)(unsigned int handle, int pos, signed char mode);
using FSOUND_TellCallback = int (*)(unsigned int handle);

extern FSOUND_OpenCallback FSOUND_File_OpenCallback;
extern FSOUND_CloseCallback FSOUND_File_CloseCallback;
extern FSOUND_ReadCallback FSOUND_File_ReadCallback;
extern FSOUND_SeekCallback FSOUND_File_SeekCallback;
extern FSOUND_TellCallback FSOUND_File_TellCallback;

// The record the loader passes around: the callback's handle and the two
// further integers given to FSOUND_File_Open (stored, without effect).
struct FileHandle {
  unsigned int handle;
  int a;
  int b;
};

// Installs all five when none is null; any null argument clears all five.
void FSOUND_File_SetCallbacks(FSOUND_OpenCallback open, FSOUND_CloseCallback close,
                              FSOUND_ReadCallback read, FSOUND_SeekCallback seek,
                              FSOUND_TellCallback tell);
// True when all five callbacks are installed.
bool FSOUND_File_CallbacksSet();

FileHandle* FSOUND_File_Open(const char* name, int a, int b);        // null on failure
void FSOUND_File_Close(FileHandle* file);                            // null: nothing
int FSOUND_File_Read(void* buffer, int size, FileHandle* file);      // null: 0
void FSOUND_File_Seek(FileHandle* file, int pos, signed char mode);  // null: nothing
int FSOUND_File_Tell(FileHandle* file);                              // null: 0
