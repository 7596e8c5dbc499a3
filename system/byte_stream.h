#ifndef VADRIMEL_SYSTEM_BYTE_STREAM_H_
#define VADRIMEL_SYSTEM_BYTE_STREAM_H_

#include <array>
#include <cstddef>

namespace vadrimel {

inline constexpr std::size_t IO_BUFFER_SIZE = std::size_t{128} * 1024;

/// One block of file data on its way in or out. Page-aligned, because the
/// kernel copies to and from a misaligned buffer at little more than half the
/// speed (measured: 0.22 s against 0.13 s for a 256 MiB listing). Left
/// uninitialised: only bytes already written to it are ever read.
struct alignas(4096) IoBuffer {
  std::array<char, IO_BUFFER_SIZE> bytes;
};

/// Where the listing's bytes come from: a file in the program, memory or a
/// failing stand-in in the tests.
class ByteSource {
public:
  ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  virtual ~ByteSource() = default;

  /// Reads up to `capacity` bytes into `buffer` and returns how many it read.
  /// 0 means the input has ended, or that reading failed; `failed()` tells
  /// the two apart.
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  [[nodiscard]] virtual bool failed() const = 0;

protected:
  ByteSource(ByteSource&&) = default;
  ByteSource& operator=(ByteSource&&) = default;
};

/// Where the converted bytes go.
class ByteSink {
public:
  ByteSink() = default;
  ByteSink(const ByteSink&) = delete;
  ByteSink& operator=(const ByteSink&) = delete;
  virtual ~ByteSink() = default;

  /// Writes all `size` bytes or reports failure; a partial write is a failure.
  virtual bool write(const char* bytes, std::size_t size) = 0;
  /// Hands everything written to its destination and releases it; false when
  /// that fails, which for a file is where a full disk often shows first.
  virtual bool close() = 0;

protected:
  ByteSink(ByteSink&&) = default;
  ByteSink& operator=(ByteSink&&) = default;
};

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_BYTE_STREAM_H_
