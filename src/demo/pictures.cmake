# The show's fourteen raw pictures, in the order it loads them: file name,
# width and height. The one list the builds (drawing, copying and packing the
# pictures), the picture maker and the tests read; the show's own table of
# what it loads stays in pictures.cpp.
set(VF_PICTURES
  tecken.raw 500 25
  greet.raw 500 240
  kludd.raw 320 240
  sidolinjer1.raw 50 250
  linje1.raw 50 250
  linje2.raw 50 250
  veldra.raw 320 240
  link.raw 320 240
  kollademos.raw 320 240
  link2.raw 320 240
  blabak.raw 320 240
  grabak1.raw 320 240
  grabak2.raw 320 240
  grabak3.raw 320 240)

set(VF_PICTURE_FILES "")
set(entries "")
list(LENGTH VF_PICTURES count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 3)
  math(EXPR w "${i} + 1")
  math(EXPR h "${i} + 2")
  list(GET VF_PICTURES ${i} file)
  list(GET VF_PICTURES ${w} width)
  list(GET VF_PICTURES ${h} height)
  list(APPEND VF_PICTURE_FILES ${file})
  string(APPEND entries "    {\"${file}\", ${width}, ${height}},\n")
endforeach()

# The same list for C++ (library `picture_list`, header picture_list.h).
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/picture_list.h CONTENT
"// Generated from src/demo/pictures.cmake. Do not edit.
// The show's raw pictures, in the order it loads them.
#pragma once

struct PictureListEntry {
  const char* file;
  int width;
  int height;
};

inline constexpr PictureListEntry kPictureList[] = {
${entries}};
")
add_library(picture_list INTERFACE)
target_include_directories(picture_list INTERFACE ${CMAKE_BINARY_DIR}/generated)
