// A folder on a file system that is full, for tests of writes that must fail and keep
// the old file. Where the test may mount (root, as CI and sessions run), a small tmpfs
// is mounted on the folder, the old files are written, and Fill() takes the rest of
// it: every later write there fails with ENOSPC. Without root, writes are made to fail
// by a file-size limit instead (EFBIG), set in the process that writes with SIGXFSZ
// ignored, so the write fails rather than ending that process.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

class FullDisk {
 public:
  explicit FullDisk(const std::string& folder) : folder_(folder) {
    std::filesystem::create_directories(folder);
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, kMountOptions) == 0;
  }
  ~FullDisk() {
    // Detached, so a file a failed test left open cannot keep the mount.
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Folder() const { return folder_; }

  // Takes what is left of the tmpfs, to its last byte; nothing to do without one.
  bool Fill() const {
    if (!mounted_) return true;
    const int fd = ::open((folder_ + "/" + kFiller).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    char block[kBlock] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    while (::write(fd, block, 1) > 0) {
    }
    const int error = errno;
    ::close(fd);
    return error == ENOSPC;
  }

  // What a write into the folder fails with.
  int Error() const { return mounted_ ? ENOSPC : EFBIG; }

  // The limit of the fallback, small enough for any file the tests write; for a child
  // process (before it runs the program) or, through FileSizeLimit, around a step of
  // the test's own process.
  static void LimitWrites() {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = kLimitBytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }

  static constexpr const char* kFiller = "filler";

 private:
  static constexpr const char* kMountOptions = "size=256k,mode=0755";
  static constexpr int kBlock = 4096;
  static constexpr rlim_t kLimitBytes = 16;

  std::string folder_;
  bool mounted_ = false;
};

// The fallback's limit in the test's own process while it lives, unless the folder is
// a full tmpfs; the old limit and SIGXFSZ's old handling come back at its end.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(const FullDisk& disk) : active_(!disk.Mounted()) {
    if (!active_) return;
    ::getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    FullDisk::LimitWrites();
  }
  ~FileSizeLimit() {
    if (!active_) return;
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  bool active_;
  rlimit old_{};
  void (*old_handler_)(int) = SIG_DFL;
};
