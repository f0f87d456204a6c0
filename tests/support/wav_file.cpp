// Reading WAV files through libsndfile.
#include "wav_file.h"

#include <sndfile.h>

#include <algorithm>

namespace {
// The sound of `path` as `info` describes or finds it; channels 0 when it
// cannot be read.
WavSound Read(const std::string& path, SF_INFO info) {
  WavSound wav;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return wav;
  // libsndfile reads past a size it finds wrong, noting the correction in its
  // log ("should be ...") or giving up on the chunks after it ("***").
  char log[4096] = "";
  sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
  const std::string notes = log;
  wav.exact =
      notes.find("should be") == std::string::npos && notes.find("***") == std::string::npos;
  wav.pcm16 = info.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  wav.rate = info.samplerate;
  wav.samples.resize(static_cast<size_t>(info.frames) * info.channels);
  const sf_count_t read = sf_readf_short(file, wav.samples.data(), info.frames);
  wav.samples.resize(static_cast<size_t>(read) * info.channels);
  wav.channels = info.channels;
  sf_close(file);
  return wav;
}
}  // namespace

WavSound ReadWav(const std::string& path) {
  return Read(path, SF_INFO{});
}

std::vector<int16_t> ReadRawSound(const std::string& path) {
  SF_INFO info{};
  info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
  info.channels = 2;
  info.samplerate = 44100;
  return Read(path, info).samples;
}

std::vector<int16_t> AfterSilence(const std::vector<int16_t>& values) {
  const auto first = std::find_if(values.begin(), values.end(), [](int16_t v) { return v != 0; });
  return {values.begin() + ((first - values.begin()) & ~1), values.end()};
}

bool IsCdWav(const WavSound& wav) {
  return wav.exact && wav.pcm16 && wav.rate == 44100 && wav.channels == 2;
}
