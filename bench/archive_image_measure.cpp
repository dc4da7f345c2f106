// Skin archive: the bytes of bg.png through the image lookup of the
// in-memory skin archive, against inflating the same entry's raw deflate
// stream with zlib in one call.

#include <zlib.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "ui/markup/skin_resources.h"

namespace SkinUIBench {

namespace {

constexpr wchar_t kEntryName[] = L"bg.png";
constexpr size_t kLocalHeaderSize = 30;

uint32_t Read16(const unsigned char* p) {
  return p[0] | (p[1] << 8);
}
uint32_t Read32(const unsigned char* p) {
  return Read16(p) | (Read16(p + 2) << 16);
}

class CArchiveImageMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "archive-image-lookup"; }
  TBenchTarget Target() const override { return {TargetKind::SpeedAtLeast, 0.9}; }
  int Batch() const override { return 8; }

  bool Prepare(std::string& error) override {
    archive_ = SkinArchive(&layout_);
    SkinUI::SetArchiveFromMemory(archive_.data(), static_cast<DWORD>(archive_.size()));
    if (SkinUI::KeptArchive() == nullptr) {
      error = "the skin archive did not open";
      return false;
    }
    return FindEntryData(error);
  }

  // Each side frees its bytes before the next call, as the image loader
  // does, so both take the same block from the heap every time and neither
  // pays for memory the other keeps.
  void Figure() override {
    std::vector<unsigned char> bytes;
    found_ = SkinUI::ReadImageBytes(kEntryName, nullptr, bytes);
    figureSize_ = bytes.size();
  }

  void Reference() override {
    std::unique_ptr<unsigned char[]> out;
    inflated_ = Inflate(out);
  }

  bool Verify(std::string& error) override {
    const SkinUITest::Bytes& png = BackgroundPng();
    std::vector<unsigned char> bytes;
    if (!found_ || figureSize_ != png.size() ||
        !SkinUI::ReadImageBytes(kEntryName, nullptr, bytes) || bytes != png) {
      error = "the lookup gave other bytes";
    }
    std::unique_ptr<unsigned char[]> out;
    if (inflated_ != png.size() || Inflate(out) != png.size() ||
        std::memcmp(out.get(), png.data(), png.size()) != 0) {
      error = "the inflate gave other bytes";
    }
    return error.empty();
  }

 private:
  uLong Inflate(std::unique_ptr<unsigned char[]>& out) const {
    out.reset(new unsigned char[size_]);
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return 0;
    stream.next_in = const_cast<Bytef*>(compressed_);
    stream.avail_in = compressedSize_;
    stream.next_out = out.get();
    stream.avail_out = size_;
    const uLong inflated = inflate(&stream, Z_FINISH) == Z_STREAM_END ? stream.total_out : 0;
    inflateEnd(&stream);
    return inflated;
  }

  // The entry's deflated bytes, found through the local header the writer
  // placed for it.
  bool FindEntryData(std::string& error) {
    for (size_t header : layout_.localHeaders) {
      const unsigned char* h = archive_.data() + header;
      const uint32_t nameLength = Read16(h + 26);
      const std::string name(reinterpret_cast<const char*>(h + kLocalHeaderSize), nameLength);
      if (name != "bg.png") continue;
      compressedSize_ = Read32(h + 18);
      size_ = Read32(h + 22);
      compressed_ = h + kLocalHeaderSize + nameLength + Read16(h + 28);
      return true;
    }
    error = "bg.png is not in the archive";
    return false;
  }

  SkinUITest::Bytes archive_;
  SkinUITest::TestZipLayout layout_;
  const unsigned char* compressed_ = nullptr;
  uInt compressedSize_ = 0;
  uInt size_ = 0;
  bool found_ = false;
  size_t figureSize_ = 0;
  uLong inflated_ = 0;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeArchiveImageMeasure() {
  return std::make_unique<CArchiveImageMeasure>();
}

}  // namespace SkinUIBench
