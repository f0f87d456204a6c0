// Renders the show once for all the renderer's tests of a test run (the CTest
// fixture "render_once"): the test pictures, the events of a --null run, then
// the frames at the shot times and the sound, into the folder given.
//
//   render_once <folder>     (run in the folder holding veldraflimmer-render)
#include <cstdio>
#include <filesystem>
#include <string>

#include "render_helpers.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_once FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string pictures = folder + "/pictures";
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  if (!std::filesystem::create_directories(pictures, error)) {
    std::fprintf(stderr, "render_once: cannot make %s\n", pictures.c_str());
    return 1;
  }
  WriteTestPictures(pictures);

  const RunResult events =
      RunCommand(Renderer() + " --quiet --null --events --pictures " + pictures);
  if (events.status != 0 || !WriteFile(folder + "/events.txt", events.out)) {
    std::fprintf(stderr, "render_once: the event run failed: %s", events.err.c_str());
    return 1;
  }
  const std::string list = ShotList(ShotTimes(ParseEvents(events.out)));
  const RunResult frames =
      RunCommand(Renderer() + " --quiet --pictures " + pictures + " --png-dir " + folder +
                 " --png-at " + list + " --wav " + folder + "/s.wav");
  if (frames.status != 0) {
    std::fprintf(stderr, "render_once: the picture run failed: %s", frames.err.c_str());
    return 1;
  }
  return 0;
}
