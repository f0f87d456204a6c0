// File-callback layer: the five installed callbacks and the wrappers through
// which the loader reads song data. Results are passed through untouched; the
// loader decides what a short read means.
#include "file.h"

#include <cstdlib>

FSOUND_OpenCallback FSOUND_File_OpenCallback = nullptr;
FSOUND_CloseCallback FSOUND_File_CloseCallback = nullptr;
FSOUND_ReadCallback FSOUND_File_ReadCallback = nullptr;
FSOUND_SeekCallback FSOUND_File_SeekCallback = nullptr;
FSOUND_TellCallback FSOUND_File_TellCallback = nullptr;

void FSOUND_File_SetCallbacks(FSOUND_OpenCallback open, FSOUND_CloseCallback close,
                              FSOUND_ReadCallback read, FSOUND_SeekCallback seek,
                              FSOUND_TellCallback tell) {
  // A partial set would leave the loader calling through a null pointer, so
  // it is all five or none.
  const bool complete = open && close && read && seek && tell;
  FSOUND_File_OpenCallback = complete ? open : nullptr;
  FSOUND_File_CloseCallback = complete ? close : nullptr;
  FSOUND_File_ReadCallback = complete ? read : nullptr;
  FSOUND_File_SeekCallback = complete ? seek : nullptr;
  FSOUND_File_TellCallback = complete ? tell : nullptr;
}

bool FSOUND_File_CallbacksSet() {
  return FSOUND_File_OpenCallback && FSOUND_File_CloseCallback && FSOUND_File_ReadCallback &&
         FSOUND_File_SeekCallback && FSOUND_File_TellCallback;
}

FileHandle* FSOUND_File_Open(const char* name, int a, int b) {
  if (!FSOUND_File_CallbacksSet()) return nullptr;
  auto* file = static_cast<FileHandle*>(std::calloc(1, sizeof(FileHandle)));
  if (!file) return nullptr;
  file->handle = FSOUND_File_OpenCallback(name);
  if (file->handle == 0) {
    std::free(file);
    return nullptr;
  }
  file->a = a;
  file->b = b;
  return file;
}

void FSOUND_File_Close(FileHandle* file) {
  if (!file) return;
  if (FSOUND_File_CloseCallback) FSOUND_File_CloseCallback(file->handle);
  std::free(file);
}

int FSOUND_File_Read(void* buffer, int size, FileHandle* file) {
  if (!file || !FSOUND_File_ReadCallback) return 0;
  return FSOUND_File_ReadCallback(buffer, size, file->handle);
}

void FSOUND_File_Seek(FileHandle* file, int pos, signed char mode) {
  if (!file || !FSOUND_File_SeekCallback) return;
  FSOUND_File_SeekCallback(file->handle, pos, mode);
}

int FSOUND_File_Tell(FileHandle* file) {
  if (!file || !FSOUND_File_TellCallback) return 0;
  return FSOUND_File_TellCallback(file->handle);
}
