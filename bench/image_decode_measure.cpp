// Image decoding: the 650 x 400 background through the program's decoder
// (decode, premultiply, the bitmap and its opaque interior), against the
// decoder library alone on the same bytes.

#include "bench/measure_registry.h"
#include "bench/sample_skin.h"
#include "stb/stb_image.h"
#include "ui/render/image_decoder.h"

namespace SkinUIBench {

namespace {

class CImageDecodeMeasure : public CBenchMeasure {
 public:
  const char* Name() const override { return "png-decode-650x400"; }
  TBenchTarget Target() const override { return {TargetKind::SlowdownAtMost, 1.2}; }

  bool Prepare(std::string&) override { return true; }

  void Figure() override {
    const SkinUITest::Bytes& png = BackgroundPng();
    image_ = SkinUI::DecodeBitmapImage(png.data(), png.size(), 0);
  }

  // The pixels are freed as the program's decoder frees them.
  void Reference() override {
    const SkinUITest::Bytes& png = BackgroundPng();
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width_,
                                            &height_, &channels, 4);
    decoded_ = pixels != nullptr;
    stbi_image_free(pixels);
  }

  bool Verify(std::string& error) override {
    if (!decoded_) error = "the library did not decode the background";
    if (!image_ || image_->width != width_ || image_->height != height_) {
      error = "the decoder gave no image of the background's size";
    }
    return error.empty();
  }

 private:
  std::unique_ptr<SkinUI::ImageRecord> image_;
  int width_ = 0;
  int height_ = 0;
  bool decoded_ = false;
};

}  // namespace

std::unique_ptr<CBenchMeasure> MakeImageDecodeMeasure() {
  return std::make_unique<CImageDecodeMeasure>();
}

}  // namespace SkinUIBench
