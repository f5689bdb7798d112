// Fuzz input as a file: an in-memory file reached through its /proc path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("fuzz", 0)) {
    for (std::size_t done = 0; fd_ >= 0 && done < size;) {
      const ssize_t n = write(fd_, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::wstring path() const { return L"/proc/self/fd/" + std::to_wstring(fd_); }

 private:
  int fd_;
};
