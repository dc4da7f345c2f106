#include "ui/render/image_prefetch.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/markup/skin_resources.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"
#include "ui/render/scaled_image.h"

namespace SkinUI {

namespace {

enum class SlotState { Waiting, Decoding, Decoded, Failed, HandedOut };

struct TSlot {
  int entry = 0;
  DWORD size = 0;
  SlotState state = SlotState::Waiting;
  TDecodedPixels pixels;
};

constexpr wchar_t kPngExtension[] = L".png";
constexpr size_t kPngExtensionLength = 4;

bool IsPngName(const std::wstring& name) {
  return name.size() > kPngExtensionLength &&
         _wcsicmp(name.c_str() + name.size() - kPngExtensionLength, kPngExtension) == 0;
}

// The image an entry is a drawing of ("a.png" for "a@2x.png", in lower case)
// and the scale it was drawn for.
std::wstring ImageOfEntry(std::wstring name, int& dpi) {
  dpi = CDpiScaleUI::kBaseDpi;
  const size_t stem = name.size() - kPngExtensionLength;
  for (const TImageVariant& variant : kImageVariants) {
    const size_t suffix = wcslen(variant.suffix);
    if (suffix == 0 || stem <= suffix) continue;
    if (_wcsnicmp(name.c_str() + stem - suffix, variant.suffix, suffix) != 0) continue;
    name.erase(stem - suffix, suffix);
    dpi = variant.dpi;
    break;
  }
  for (wchar_t& ch : name) ch = static_cast<wchar_t>(towlower(ch));
  return name;
}

// Where a drawing for dpi stands in the lookup's order at scale.
int LookupRank(const std::vector<TImageVariant>& order, int dpi) {
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i].dpi == dpi) return static_cast<int>(i);
  }
  return static_cast<int>(order.size());
}

// The decoding thread reads its copy of the block through an archive of its
// own: the shared one keeps a read position and belongs to the UI thread.
class CImagePrefetch {
 public:
  // At exit the thread stops after the image it is decoding.
  ~CImagePrefetch() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    Join();
  }

  // The thread is detached, so that no handle of it outlives its work; this
  // waits for the end of that work instead.
  void Join() {
    std::unique_lock<std::mutex> lock(mutex);
    decoded.wait(lock, [this] { return !running; });
  }

  void Start(CDpiScaleUI scale) {
    const void* block = nullptr;
    DWORD length = 0;
    unsigned registration = 0;
    if (!KeptArchiveMemory(block, length, registration)) return;
    std::unique_lock<std::mutex> lock(mutex);
    if (!listed || registration != this->registration || scale.Dpi() != dpi) {
      decoded.wait(lock, [this] { return !running; });
      slots.clear();
      this->registration = registration;
      dpi = scale.Dpi();
      listed = ListImages(block, length, scale);
      if (!listed) return;
    }
    for (TSlot& slot : slots) {
      if (slot.state == SlotState::HandedOut) slot.state = SlotState::Waiting;
    }
    // A thread still at work takes the images handed out again as well.
    if (running) return;
    running = true;
    try {
      auto copy = std::make_shared<const std::vector<unsigned char>>(
          static_cast<const unsigned char*>(block),
          static_cast<const unsigned char*>(block) + length);
      std::thread([this, copy] { DecodeAll(*copy); }).detach();
    } catch (...) {
      // Without a second thread every image is decoded when it is first drawn.
      running = false;
    }
  }

  std::unique_ptr<ImageRecord> Take(const wchar_t* name, DWORD mask) {
    const void* block = nullptr;
    DWORD length = 0;
    unsigned registration = 0;
    TZipEntry entry;
    CZipArchive* shared = KeptArchive();
    if (!KeptArchiveMemory(block, length, registration) || shared == nullptr) return nullptr;
    if (!shared->FindEntry(name, true, entry)) return nullptr;
    TDecodedPixels pixels;
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (!listed || registration != this->registration) return nullptr;
      TSlot* slot = SlotOf(entry.index);
      if (slot == nullptr) return nullptr;
      decoded.wait(lock, [slot] { return slot->state != SlotState::Decoding; });
      const bool ready = slot->state == SlotState::Decoded;
      // Waiting or failed: the caller's own lookup decodes it, or fails as this did.
      slot->state = SlotState::HandedOut;
      if (!ready) return nullptr;
      pixels = std::move(slot->pixels);
    }
    return StoreDecodedPixels(std::move(pixels), mask);
  }

 private:
  // Of every PNG image, the drawing the lookup at scale tries first among
  // those there are; largest first: the window's background is the largest
  // image and the first one painted.
  bool ListImages(const void* block, DWORD length, CDpiScaleUI scale) {
    CZipArchive archive;
    if (!archive.OpenArchive(block, length, ZipSource::Memory)) return false;
    const std::vector<TImageVariant> order = ImageVariantsFor(scale);
    struct TDrawing {
      int rank;
      TSlot slot;
    };
    std::map<std::wstring, TDrawing> chosen;
    for (int index = 0; index < archive.GetEntryCount(); ++index) {
      TZipEntry entry;
      if (!archive.GetEntry(index, entry) || entry.uncompressedSize == 0) continue;
      const std::wstring name = entry.name;
      if (!IsPngName(name)) continue;
      int drawnFor = 0;
      const std::wstring image = ImageOfEntry(name, drawnFor);
      const int rank = LookupRank(order, drawnFor);
      auto found = chosen.find(image);
      if (found != chosen.end() && found->second.rank <= rank) continue;
      TSlot slot;
      slot.entry = index;
      slot.size = entry.uncompressedSize;
      chosen[image] = TDrawing{rank, std::move(slot)};
    }
    for (auto& drawing : chosen) slots.push_back(std::move(drawing.second.slot));
    std::stable_sort(slots.begin(), slots.end(),
                     [](const TSlot& a, const TSlot& b) { return a.size > b.size; });
    return true;
  }

  TSlot* SlotOf(int entry) {
    for (TSlot& slot : slots) {
      if (slot.entry == entry) return &slot;
    }
    return nullptr;
  }

  // As the lookup reads an entry: a damaged size or a failed read gives no
  // bytes, a short read the bytes there are.
  static bool ReadEntry(CZipArchive& archive, int index, std::vector<unsigned char>& bytes) {
    TZipEntry entry;
    if (!archive.GetEntry(index, entry) || !archive.IsEntrySizePlausible(index)) return false;
    bytes.resize(entry.uncompressedSize);
    return archive.ReadEntry(index, bytes.data(), entry.uncompressedSize) != ZipReadResult::Failed;
  }

  void DecodeAll(const std::vector<unsigned char>& block) {
    try {
      CZipArchive archive;
      const bool open =
          archive.OpenArchive(block.data(), static_cast<DWORD>(block.size()), ZipSource::Memory);
      for (;;) {
        TSlot* slot = NextWaiting();
        if (slot == nullptr) return;
        std::vector<unsigned char> bytes;
        TDecodedPixels pixels;
        if (open && ReadEntry(archive, slot->entry, bytes)) {
          pixels = DecodeImagePixels(bytes.data(), bytes.size());
        }
        Finish(*slot, std::move(pixels));
      }
    } catch (...) {
      FailRemaining();
    }
  }

  // Null (and the thread counts as ended) once nothing waits. The end is
  // announced under the lock: once a waiter sees it, the thread no longer
  // touches this object.
  TSlot* NextWaiting() {
    std::lock_guard<std::mutex> lock(mutex);
    for (TSlot& slot : slots) {
      if (stopping) break;
      if (slot.state != SlotState::Waiting) continue;
      slot.state = SlotState::Decoding;
      return &slot;
    }
    running = false;
    decoded.notify_all();
    return nullptr;
  }

  void Finish(TSlot& slot, TDecodedPixels pixels) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      slot.state = pixels ? SlotState::Decoded : SlotState::Failed;
      slot.pixels = std::move(pixels);
    }
    decoded.notify_all();
  }

  void FailRemaining() {
    std::lock_guard<std::mutex> lock(mutex);
    for (TSlot& slot : slots) {
      if (slot.state == SlotState::Decoding) slot.state = SlotState::Failed;
    }
    running = false;
    decoded.notify_all();
  }

  std::mutex mutex;
  std::condition_variable decoded;
  bool running = false;
  bool stopping = false;
  bool listed = false;
  int dpi = 0;
  unsigned registration = 0;
  std::vector<TSlot> slots;
};

CImagePrefetch& Prefetch() {
  static CImagePrefetch prefetch;
  return prefetch;
}

}  // namespace

void StartImagePrefetch(CDpiScaleUI scale) {
  Prefetch().Start(scale);
}

void WaitForImagePrefetch() {
  Prefetch().Join();
}

std::unique_ptr<ImageRecord> TakePrefetchedImage(const wchar_t* name, DWORD mask) {
  return Prefetch().Take(name, mask);
}

}  // namespace SkinUI
