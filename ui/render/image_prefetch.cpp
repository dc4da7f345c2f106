#include "ui/render/image_prefetch.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/markup/skin_resources.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"

namespace SkinUI {

namespace {

enum class SlotState { Waiting, Decoding, Decoded, Failed, HandedOut };

struct TSlot {
  int entry = 0;
  DWORD size = 0;
  SlotState state = SlotState::Waiting;
  TDecodedPixels pixels;
};

bool IsPngName(const wchar_t* name) {
  const size_t length = wcslen(name);
  return length > 4 && _wcsicmp(name + length - 4, L".png") == 0;
}

// The decoding thread reads the block through an archive of its own: the
// shared one keeps a read position and belongs to the UI thread.
class CImagePrefetch {
 public:
  ~CImagePrefetch() { Join(); }

  // The thread is detached, so that no handle of it outlives its work; this
  // waits for the end of that work instead.
  void Join() {
    std::unique_lock<std::mutex> lock(mutex);
    decoded.wait(lock, [this] { return !running; });
  }

  void Start() {
    const void* block = nullptr;
    DWORD length = 0;
    unsigned registration = 0;
    if (!KeptArchiveMemory(block, length, registration)) return;
    std::unique_lock<std::mutex> lock(mutex);
    if (!listed || registration != this->registration) {
      decoded.wait(lock, [this] { return !running; });
      slots.clear();
      this->block = block;
      this->length = length;
      this->registration = registration;
      listed = ListImages();
      if (!listed) return;
    }
    for (TSlot& slot : slots) {
      if (slot.state == SlotState::HandedOut) slot.state = SlotState::Waiting;
    }
    // A thread still at work takes the images handed out again as well.
    if (running) return;
    running = true;
    try {
      std::thread([this] { DecodeAll(); }).detach();
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
  // Every PNG entry, largest first: the window's background is the largest
  // image and the first one painted.
  bool ListImages() {
    CZipArchive archive;
    if (!archive.OpenArchive(block, length, ZipSource::Memory)) return false;
    for (int index = 0; index < archive.GetEntryCount(); ++index) {
      TZipEntry entry;
      if (!archive.GetEntry(index, entry) || entry.uncompressedSize == 0) continue;
      if (!IsPngName(entry.name)) continue;
      TSlot slot;
      slot.entry = index;
      slot.size = entry.uncompressedSize;
      slots.push_back(std::move(slot));
    }
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

  void DecodeAll() {
    try {
      CZipArchive archive;
      const bool open = archive.OpenArchive(block, length, ZipSource::Memory);
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
  bool listed = false;
  const void* block = nullptr;
  DWORD length = 0;
  unsigned registration = 0;
  std::vector<TSlot> slots;
};

CImagePrefetch& Prefetch() {
  static CImagePrefetch prefetch;
  return prefetch;
}

}  // namespace

void StartImagePrefetch() {
  Prefetch().Start();
}

void WaitForImagePrefetch() {
  Prefetch().Join();
}

std::unique_ptr<ImageRecord> TakePrefetchedImage(const wchar_t* name, DWORD mask) {
  return Prefetch().Take(name, mask);
}

}  // namespace SkinUI
