// WAV output: RIFF header, one fmt chunk, one data chunk.
#include "wav_writer.h"

#include <bit>
#include <cstring>

namespace {
void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void MakeHeader(unsigned char* h, int rate, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 2);  // channels
  Put32(h + 24, static_cast<uint32_t>(rate));
  Put32(h + 28, static_cast<uint32_t>(rate) * 4);
  Put16(h + 32, 4);   // bytes per frame
  Put16(h + 34, 16);  // bits per sample
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
}
}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WavWriter::Open(const std::string& path, int rate) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  // Callers hand over whole blocks of samples: each goes to the file in one
  // write, without passing through the stream's buffer.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  rate_ = rate;
  unsigned char header[44];
  MakeHeader(header, rate, 0);
  failed_ = std::fwrite(header, 1, sizeof header, file_) != sizeof header;
  return !failed_;
}

bool WavWriter::Write(const int16_t* samples, uint32_t frames) {
  if (file_ == nullptr || failed_) return false;
  // The RIFF sizes are 32-bit: refuse to write a file whose header could not
  // say how long it is (about 6.7 hours at 44,100 Hz).
  if (dataBytes_ + static_cast<uint64_t>(frames) * 4 > kMaxDataBytes) {
    failed_ = true;
    return false;
  }
  const size_t values = 2 * static_cast<size_t>(frames);
  if constexpr (std::endian::native == std::endian::little) {
    // The samples are already in the file's byte order: one write.
    if (std::fwrite(samples, sizeof(int16_t), values, file_) != values) failed_ = true;
  } else {
    unsigned char buffer[4096];
    size_t fill = 0;
    for (size_t i = 0; i < values; ++i) {
      Put16(buffer + fill, static_cast<uint16_t>(samples[i]));
      fill += 2;
      if (fill == sizeof buffer || i + 1 == values) {
        if (std::fwrite(buffer, 1, fill, file_) != fill) failed_ = true;
        fill = 0;
      }
    }
  }
  dataBytes_ += static_cast<uint64_t>(frames) * 4;
  return !failed_;
}

bool WavWriter::Close() {
  if (file_ == nullptr) return false;
  unsigned char header[44];
  MakeHeader(header, rate_, static_cast<uint32_t>(dataBytes_));
  bool ok = !failed_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, file_) == sizeof header;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}
