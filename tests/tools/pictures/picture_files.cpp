// The show's picture list for the picture tool tests.
#include "picture_files.h"

const PictureFile kShowPictures[14] = {
    {"tecken.raw", 500, 25},      {"greet.raw", 500, 240},   {"kludd.raw", 320, 240},
    {"sidolinjer1.raw", 50, 250}, {"linje1.raw", 50, 250},   {"linje2.raw", 50, 250},
    {"veldra.raw", 320, 240},     {"link.raw", 320, 240},    {"kollademos.raw", 320, 240},
    {"link2.raw", 320, 240},      {"blabak.raw", 320, 240},  {"grabak1.raw", 320, 240},
    {"grabak2.raw", 320, 240},    {"grabak3.raw", 320, 240},
};
