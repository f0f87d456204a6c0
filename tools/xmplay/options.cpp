// Parsing of xmplay's command line.
#include "options.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "version.h"

namespace {

// A WAV file's sizes are 32-bit: at 44,100 Hz stereo 16-bit that is about
// 6.7 hours; the timeline and real-time play are capped at a day.
constexpr double kMaxWavSeconds = 6 * 3600.0;
constexpr double kMaxSeconds = 24 * 3600.0;

// The usage lines written out, as the options' grouping says more than a
// list; each option shown with the name of its value only.
struct Help : CLI::Formatter {
  std::string make_option_opts(const CLI::Option* o) const override {
    return o->get_option_text().empty() ? "" : " " + o->get_option_text();
  }
  std::string make_usage(const CLI::App*, std::string name) const override {
    return "usage: " + name +
           " FILE.xm [--wav OUT.wav | --timeline | --info] [--seconds N]\n"
           "       [--effects complete|show]\n";
  }
};

}  // namespace

std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
  CLI::App app(
      "Plays an XM module: with no option in real time through the audio device,\n"
      "showing the order, row and time being heard, until the song ends or Ctrl-C;\n"
      "a song ends where it first comes back to a row it has played (the rows a\n"
      "pattern loop repeats do not count).",
      "xmplay");
  const auto help = std::make_shared<Help>();
  help->column_width(19);
  app.formatter(help);
  app.footer("Exit status: 0 done, 1 the file cannot be played or written, 2 usage error.");
  app.set_help_flag("-h,--help", "show this text");
  app.set_version_flag("--version", std::string("xmplay ") + VF_VERSION, "show the version");
  app.add_option("FILE.xm", options.file, "the module")->required();
  auto* wav = app.add_option("--wav", options.wavPath,
                             "render offline to a 16-bit stereo 44,100 Hz WAV file");
  wav->option_text("OUT.wav");
  auto* timeline = app.add_flag("--timeline", options.timeline,
                                "print one line per tick, 'order row tick time_ms', from the\n"
                                "sequencer's own state");
  auto* seconds = app.add_option("--seconds", options.seconds,
                                 "stop after N seconds instead of where the song ends\n"
                                 "(without it, offline runs stop after 10 minutes at most)");
  seconds->option_text("N")->check(CLI::Validator(
      [](std::string& v) -> std::string {
        double s = 0;
        if (CLI::detail::lexical_cast(v, s) && s > 0 && s <= kMaxSeconds) return "";
        return "needs a positive number of seconds, not '" + v + "'";
      },
      ""));
  app.add_flag("--info", options.info,
               "print the song's name, tracker, channels, orders, patterns,\n"
               "instruments, samples, frequency table and length as played")
      ->excludes(wav)
      ->excludes(timeline)
      ->excludes(seconds);
  wav->excludes(timeline);
  std::string effects = "complete";
  app.add_option("--effects", effects,
                 "'complete' (default): every XM effect as trackers play it;\n"
                 "'show': only the effects the show's own song uses")
      ->option_text("SET")
      ->check(CLI::IsMember({"complete", "show"}));
  app.failure_message([help](const CLI::App* app, const CLI::Error& e) {
    std::string message = e.what();
    // A check's message follows its option's name: "--seconds needs ...".
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr)
      message.replace(message.find(": "), 2, " ");
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
      const std::string extra = app->remaining().front();
      message = extra[0] == '-' ? "unknown option '" + extra + "'" : "more than one file given";
    }
    return "xmplay: " + message + "\n" + help->make_usage(app, app->get_name());
  });
  try {
    app.parse(argc, argv);
    if (!options.wavPath.empty() && options.seconds > kMaxWavSeconds) {
      throw CLI::ValidationError("--seconds", "is too long for a WAV file (at most 21600)");
    }
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  options.effects = effects == "show" ? &kShowRules : &kCompleteRules;
  return std::nullopt;
}
