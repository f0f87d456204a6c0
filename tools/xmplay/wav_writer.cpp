// WAV output of xmplay. The file is little-endian on any host: header fields
// are written byte by byte, samples copied as they are on little-endian hosts.
#include "wav_writer.h"

#include <bit>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::vector<uint8_t> Header(int rate, uint32_t frames) {
  const uint32_t dataBytes = frames * 4;
  std::vector<uint8_t> h;
  for (char c : {'R', 'I', 'F', 'F'}) h.push_back(static_cast<uint8_t>(c));
  Put32(h, 36 + dataBytes);
  for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) h.push_back(static_cast<uint8_t>(c));
  Put32(h, 16);
  Put16(h, 1);  // PCM
  Put16(h, 2);  // channels
  Put32(h, static_cast<uint32_t>(rate));
  Put32(h, static_cast<uint32_t>(rate) * 4);
  Put16(h, 4);   // block align
  Put16(h, 16);  // bits per sample
  for (char c : {'d', 'a', 't', 'a'}) h.push_back(static_cast<uint8_t>(c));
  Put32(h, dataBytes);
  return h;
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WavWriter::Open(const std::string& path, int rate) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  rate_ = rate;
  const std::vector<uint8_t> h = Header(rate, 0);
  ok_ = std::fwrite(h.data(), 1, h.size(), file_) == h.size();
  return ok_;
}

bool WavWriter::Write(const int16_t* frames, uint32_t count) {
  if (file_ == nullptr) return false;
  const size_t size = static_cast<size_t>(count) * 4;
  if constexpr (std::endian::native == std::endian::little) {
    ok_ = ok_ && std::fwrite(frames, 1, size, file_) == size;
  } else {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < 2 * static_cast<size_t>(count); ++i) {
      const uint16_t v = static_cast<uint16_t>(frames[i]);
      bytes[2 * i] = static_cast<uint8_t>(v);
      bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    ok_ = ok_ && std::fwrite(bytes.data(), 1, size, file_) == size;
  }
  frames_ += count;
  return ok_;
}

bool WavWriter::Finish() {
  if (file_ == nullptr) return false;
  const std::vector<uint8_t> h = Header(rate_, frames_);
  ok_ = ok_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
        std::fwrite(h.data(), 1, h.size(), file_) == h.size();
  ok_ = std::fclose(file_) == 0 && ok_;
  file_ = nullptr;
  return ok_;
}
