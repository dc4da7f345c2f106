#include "ui/render/image_prefetch.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "ui/markup/skin_resources.h"
#include "ui/markup/skin_xml.h"
#include "ui/markup/zip_archive.h"
#include "ui/render/image_decoder.h"
#include "ui/render/png_rows.h"
#include "ui/render/scaled_image.h"

namespace SkinUI {

namespace {

enum class SlotState { Waiting, Decoding, Decoded, Failed, HandedOut };

struct TSlot {
  int entry = 0;
  uint64_t pixels = 0;  // decoding cost, largest first
  SlotState state = SlotState::Waiting;
  std::unique_ptr<ImageRecord> image;  // stored without a mask
};

constexpr wchar_t kPngExtension[] = L".png";
constexpr size_t kPngExtensionLength = 4;

// The next ".png" from position on, in any case.
size_t FindPngSuffix(const std::wstring& text, size_t position) {
  for (; position + kPngExtensionLength <= text.size(); ++position) {
    if (text[position] == L'.' &&
        _wcsnicmp(text.c_str() + position, kPngExtension, kPngExtensionLength) == 0) {
      return position;
    }
  }
  return std::wstring::npos;
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

bool EndsWith(const std::wstring& name, const wchar_t* suffix) {
  const size_t length = wcslen(suffix);
  return name.size() > length && _wcsicmp(name.c_str() + name.size() - length, suffix) == 0;
}

// Every image an attribute value names, whole (bkimage="bg.png") or inside
// an image description (normalimage="file='button.png' corner='4,4,4,4'").
void AddImagesIn(const std::wstring& value, std::set<std::wstring>& images) {
  constexpr wchar_t kNameEnds[] = L"\"'= \t\r\n";
  for (size_t found = 0; (found = FindPngSuffix(value, found)) != std::wstring::npos;) {
    const size_t end = found + kPngExtensionLength;
    const size_t start = value.find_last_of(kNameEnds, found);
    const size_t first = start == std::wstring::npos ? 0 : start + 1;
    int dpi = 0;
    std::wstring name = value.substr(first, end - first);
    std::replace(name.begin(), name.end(), L'\\', L'/');
    if (name.size() > kPngExtensionLength) images.insert(ImageOfEntry(name, dpi));
    found = end;
  }
}

// The images a skin file's attribute values name; the file is read as the
// builder reads skins.
void AddNamedImages(const std::vector<unsigned char>& bytes, std::set<std::wstring>& images) {
  CSkinXml document;
  if (!document.LoadBytes(bytes.data(), static_cast<DWORD>(bytes.size()))) return;
  std::vector<CSkinXmlNode> pending = {document.GetRoot()};
  while (!pending.empty()) {
    CSkinXmlNode node = pending.back();
    pending.pop_back();
    if (!node.IsValid()) continue;
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      AddImagesIn(node.GetAttributeValue(i), images);
    }
    pending.push_back(node.GetNextSibling());
    pending.push_back(node.GetFirstChild());
  }
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

  // No handle of the thread is kept, so that none outlives its work; this
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
    if ((!listed && !listing) || registration != this->registration || scale.Dpi() != dpi) {
      // Images for another scale or archive are not wanted: the thread stops
      // after the image it is decoding.
      stopping = true;
      decoded.wait(lock, [this] { return !running; });
      stopping = false;
      slots.clear();
      listed = false;
      listing = true;  // the thread lists them first
      this->registration = registration;
      dpi = scale.Dpi();
    }
    bool waiting = listing;
    for (TSlot& slot : slots) {
      if (slot.state == SlotState::HandedOut) slot.state = SlotState::Waiting;
      waiting = waiting || slot.state == SlotState::Waiting;
    }
    // A thread still at work takes the images handed out again as well; with
    // nothing to decode, no thread is made.
    if (running || !waiting) return;
    running = true;
    if (!StartThread(static_cast<const unsigned char*>(block), length, scale)) {
      // Without a second thread every image is decoded when it is first drawn.
      running = false;
      listing = false;
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
    std::unique_ptr<ImageRecord> image;
    {
      std::unique_lock<std::mutex> lock(mutex);
      decoded.wait(lock, [this] { return !listing; });
      if (!listed || registration != this->registration) return nullptr;
      TSlot* slot = SlotOf(entry.index);
      if (slot == nullptr) return nullptr;
      DecodeWhileWaiting(lock, *slot, *shared);
      const bool ready = slot->state == SlotState::Decoded;
      // Waiting or failed: the caller's own lookup decodes it, or fails as this did.
      slot->state = SlotState::HandedOut;
      if (!ready) return nullptr;
      image = std::move(slot->image);
    }
    ApplyImageMask(*image, mask);
    return image;
  }

 private:
  // While the decoding thread is at the image a load waits for, the waiting
  // thread decodes the next waiting ones itself instead of sitting idle: a
  // first paint at a large scale waits for more than its background.
  void DecodeWhileWaiting(std::unique_lock<std::mutex>& lock, const TSlot& awaited,
                          CZipArchive& archive) {
    while (awaited.state == SlotState::Decoding) {
      TSlot* next = ClaimWaiting();
      if (next == nullptr) {
        decoded.wait(lock, [&awaited] { return awaited.state != SlotState::Decoding; });
        return;
      }
      lock.unlock();
      Finish(*next, DecodeEntry(archive, next->entry, DecodePace::Foreground));
      lock.lock();
    }
  }

  // Null when the entry cannot be read or decoded.
  static std::unique_ptr<ImageRecord> DecodeEntry(CZipArchive& archive, int index,
                                                  DecodePace pace) {
    try {
      std::vector<unsigned char> bytes;
      if (!ReadEntry(archive, index, bytes)) return nullptr;
      return DecodeBitmapImage(bytes.data(), bytes.size(), 0, pace);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  // Of every PNG image, the drawing the lookup at scale tries first among
  // those there are; largest in pixels first: the window's background is
  // the largest image and the first one painted.
  static bool ListImages(const std::vector<unsigned char>& block, CDpiScaleUI scale,
                         std::vector<TSlot>& slots) {
    CZipArchive archive;
    if (!archive.OpenArchive(block.data(), static_cast<DWORD>(block.size()), ZipSource::Memory)) {
      return false;
    }
    const std::vector<TImageVariant> order = ImageVariantsFor(scale);
    struct TDrawing {
      int rank;
      TSlot slot;
    };
    std::map<std::wstring, TDrawing> chosen;
    std::set<std::wstring> named;
    for (int index = 0; index < archive.GetEntryCount(); ++index) {
      TZipEntry entry;
      if (!archive.GetEntry(index, entry) || entry.uncompressedSize == 0) continue;
      const std::wstring name = entry.name;
      if (EndsWith(name, L".xml")) {
        std::vector<unsigned char> bytes;
        if (ReadEntry(archive, index, bytes)) AddNamedImages(bytes, named);
        continue;
      }
      if (!EndsWith(name, kPngExtension)) continue;
      int drawnFor = 0;
      const std::wstring image = ImageOfEntry(name, drawnFor);
      const int rank = LookupRank(order, drawnFor);
      auto found = chosen.find(image);
      if (found != chosen.end() && found->second.rank <= rank) continue;
      TSlot slot;
      slot.entry = index;
      chosen[image] = TDrawing{rank, std::move(slot)};
    }
    // Images no skin file names (an icon kept in the archive, a picture the
    // program shows later) are decoded when first drawn; an archive whose
    // files name none is decoded whole.
    for (auto& [image, drawing] : chosen) {
      if (!named.empty() && named.count(image) == 0) continue;
      drawing.slot.pixels = PixelCount(archive, drawing.slot.entry);
      slots.push_back(std::move(drawing.slot));
    }
    std::stable_sort(slots.begin(), slots.end(),
                     [](const TSlot& a, const TSlot& b) { return a.pixels > b.pixels; });
    return true;
  }

  // What a drawing costs to decode: its width times its height, read from
  // the start of the file; 0 when that is not a PNG header.
  static uint64_t PixelCount(CZipArchive& archive, int index) {
    constexpr DWORD kHeaderBytes = 24;
    unsigned char header[kHeaderBytes] = {};
    uint32_t width = 0;
    uint32_t height = 0;
    if (archive.ReadEntry(index, header, kHeaderBytes) == ZipReadResult::Failed ||
        !ReadPngSize(header, kHeaderBytes, width, height)) {
      return 0;
    }
    return uint64_t{width} * height;
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

  struct TThreadStart {
    CImagePrefetch* prefetch;
    std::vector<unsigned char> archive;
    CDpiScaleUI scale;
  };

  // A thread of the platform's own: the standard library's threads wait
  // here until the new thread runs, which costs the window's thread more
  // than making the thread.
  bool StartThread(const unsigned char* block, DWORD length, CDpiScaleUI scale) {
    std::unique_ptr<TThreadStart> start;
    try {
      start.reset(new TThreadStart{this, std::vector<unsigned char>(block, block + length), scale});
    } catch (const std::bad_alloc&) {
      return false;
    }
    const HANDLE thread = CreateThread(nullptr, 0, &ThreadMain, start.get(), 0, nullptr);
    if (thread == nullptr) return false;
    start.release();
    CloseHandle(thread);
    return true;
  }

  static DWORD WINAPI ThreadMain(LPVOID parameter) {
    const std::unique_ptr<TThreadStart> start(static_cast<TThreadStart*>(parameter));
    start->prefetch->Run(start->archive, start->scale);
    return 0;
  }

  void Run(const std::vector<unsigned char>& block, CDpiScaleUI scale) {
    if (!ListAhead(block, scale)) return;
    DecodeAll(block);
  }

  // The list is made on this thread, so that the window's thread does not
  // read the skin files for it; loads wait for it. False when it ended the
  // thread.
  bool ListAhead(const std::vector<unsigned char>& block, CDpiScaleUI scale) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!listing) return true;
    }
    std::vector<TSlot> listedSlots;
    bool ok = false;
    try {
      ok = ListImages(block, scale, listedSlots);
    } catch (...) {
      ok = false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    listing = false;
    listed = ok;
    if (ok) slots = std::move(listedSlots);
    if (!ok) running = false;
    decoded.notify_all();
    return ok;
  }

  void DecodeAll(const std::vector<unsigned char>& block) {
    try {
      CZipArchive archive;
      const bool open =
          archive.OpenArchive(block.data(), static_cast<DWORD>(block.size()), ZipSource::Memory);
      for (;;) {
        // Between images too, the window's thread goes first.
        SwitchToThread();
        TSlot* slot = NextWaiting();
        if (slot == nullptr) return;
        // Stored here too: a large bitmap's first touch of its memory costs
        // the painting thread as much as decoding a small image.
        Finish(*slot, open ? DecodeEntry(archive, slot->entry, DecodePace::Background) : nullptr);
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
    if (TSlot* slot = ClaimWaiting()) return slot;
    running = false;
    decoded.notify_all();
    return nullptr;
  }

  // The largest image still waiting, now marked as being decoded; called
  // under the lock.
  TSlot* ClaimWaiting() {
    if (stopping) return nullptr;
    for (TSlot& slot : slots) {
      if (slot.state != SlotState::Waiting) continue;
      slot.state = SlotState::Decoding;
      return &slot;
    }
    return nullptr;
  }

  void Finish(TSlot& slot, std::unique_ptr<ImageRecord> image) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      slot.state = image ? SlotState::Decoded : SlotState::Failed;
      slot.image = std::move(image);
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
  bool listing = false;
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
