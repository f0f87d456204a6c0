// Parsing the renderer's command line.
#include "options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <utility>

#include "version.h"

namespace {
// A whole number from lo to hi, checked before CLI11 converts it.
CLI::Validator Whole(long lo, long hi) {
  const std::string message =
      "takes a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
  return CLI::Validator(
      [=](std::string& text) {
        long v = 0;
        return CLI::detail::lexical_cast(text, v) && v >= lo && v <= hi ? "" : message;
      },
      "");
}

// The first pair of options that cannot go together, or nothing to do, as a
// one-line reason; empty when there is none.
std::string Conflict(const RenderOptions& o, bool pngDirGiven) {
  const std::pair<bool, const char*> nullWith[] = {
      {!o.out.empty(), "--out"},  {!o.wav.empty(), "--wav"}, {!o.pngAt.empty(), "--png-at"},
      {pngDirGiven, "--png-dir"}, {o.scale != 0, "--scale"},
  };
  for (const auto& [given, name] : nullWith) {
    if (o.null && given) return std::string("--null writes no file: it cannot go with ") + name;
  }
  if (o.scale != 0 && o.out.empty()) return "--scale sizes the video: it needs --out";
  if (pngDirGiven && o.pngAt.empty())
    return "--png-dir is the folder of --png-at: it needs --png-at";
  if (!o.out.empty() && o.out == o.wav) return "--out and --wav name the same file";
  if (o.until >= 0 && !o.pngAt.empty() && o.pngAt.back() > o.until) {
    return "--until " + std::to_string(o.until) + " stops before --png-at " +
           std::to_string(o.pngAt.back());
  }
  if (o.out.empty() && o.wav.empty() && o.pngAt.empty() && !o.events && !o.null) {
    return "nothing to do: give --out, --wav, --png-at, --events or --null";
  }
  return "";
}
}  // namespace

std::optional<int> ParseRenderOptions(int argc, char** argv, RenderOptions* o) {
  CLI::App app(
      "Renders the show offline and deterministically: the display is kept in\n"
      "memory and the sound device is stepped by the video clock.",
      "veldraflimmer-render");
  app.get_formatter()->label("Usage", "usage");
  app.get_formatter()->label("OPTIONS", "options");
  app.get_formatter()->column_width(20);
  app.footer(
      "With only --png-at the rendering stops after the last picture; otherwise it\n"
      "runs to the show's own end. Running it twice gives identical files. Progress\n"
      "is a bar on a terminal and a line every tenth of the show elsewhere.\n"
      "Exit status: 0 done, 1 a failure (said in one line), 2 a usage error.");
  app.set_help_flag("-h,--help", "this text");
  app.set_version_flag("--version", std::string("veldraflimmer-render ") + VF_VERSION,
                       "the version");
  app.add_option("--out", o->out, "encode video and sound with ffmpeg (H.264 + AAC)")
      ->option_text("FILE.mp4");
  app.add_option("--scale", o->scale,
                 "enlarge the video N times with hard pixel edges (1 to 8,\n"
                 "default 4: 1280x960); even N keep single-pixel colour")
      ->option_text("N")
      ->check(Whole(1, kMaxScale));
  app.add_option("--wav", o->wav, "write the sound (16-bit stereo, 44,100 Hz)")
      ->option_text("FILE.wav");
  app.add_option("--png-at", o->pngAt,
                 "for each song time T (ms), write the first frame whose\n"
                 "song clock has reached T as at-T.png (320x240)")
      ->option_text("T1,T2..")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->check(Whole(0, 100000000));
  auto* pngDir = app.add_option("--png-dir", o->pngDir,
                                "folder for the PNG files (default: the working directory)");
  pngDir->option_text("DIR");
  app.add_flag("--events", o->events,
               "print each fired synchronisation record on stdout as\n"
               "'frame song_ms order row command' (order and row as heard)");
  app.add_flag("--null", o->null, "render the whole show and write no file (speed check)");
  app.add_option("--fps", o->fps, "video frames per second (default 60)")
      ->option_text("N")
      ->check(Whole(1, 1000));
  app.add_option("--until", o->until, "stop after the first frame whose song clock reaches T (ms)")
      ->option_text("T")
      ->check(Whole(0, 100000000));
  app.add_option("--pictures", o->pictures,
                 "folder of the raw pictures (default: the working directory)")
      ->option_text("DIR");
  app.add_flag("--quiet", o->quiet, "no progress on stderr");
  app.failure_message([](const CLI::App* app, const CLI::Error& e) {
    std::string message = e.what();
    // A check's message follows its option's name: "--fps takes ...".
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr)
      message.replace(message.find(": "), 2, " ");
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
      message = "unknown option " + app->remaining().front() + " (see --help)";
    }
    return "veldraflimmer-render: " + message + "\n";
  });
  try {
    app.parse(argc, argv);
    std::sort(o->pngAt.begin(), o->pngAt.end());
    o->pngAt.erase(std::unique(o->pngAt.begin(), o->pngAt.end()), o->pngAt.end());
    const std::string conflict = Conflict(*o, pngDir->count() > 0);
    if (!conflict.empty()) throw CLI::ParseError(conflict, 2);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (!o->out.empty() && o->scale == 0) o->scale = kDefaultScale;
  if (!o->pictures.empty() && o->pictures.back() != '/') o->pictures += '/';
  return std::nullopt;
}
