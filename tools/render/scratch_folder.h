// A private folder for veldraflimmer-render's intermediate files (the video
// before muxing, the sound when only --out asks for it), made under the
// system's temporary folder ($TMPDIR or /tmp) so that nothing is ever written
// beside the user's output, and removed with its contents by the destructor.
#pragma once
#include <string>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // False when the folder could not be made; Error() says why.
  bool Made() const { return !path_.empty(); }
  const std::string& Error() const { return error_; }
  // The path of `name` inside the folder.
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string error_;
};
