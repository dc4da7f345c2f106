#pragma once
// The images the skin files of the archive registered in memory name (all
// of them when the files name none), decoded on a second thread while the
// window is built, largest (in pixels) first, so that its first paint finds them
// decoded: of each image, only the drawing its lookup at the window's scale
// takes first. Each decoded image is handed to the first load of its entry;
// a later start decodes again the ones handed out.

#include <memory>

#include "ui/core/dpi_scale.h"
#include "ui/core/resource_records.h"

namespace SkinUI {

// Nothing when no archive is registered in memory or image lookups do not
// read it. The thread reads a copy of the archive: the registered block may
// go before the thread ends.
// Started again for another scale or archive, it first stops the decoding
// for the former one.
void StartImagePrefetch(CDpiScaleUI scale = CDpiScaleUI());

// Returns once the thread has decoded every image (at once when none runs).
void WaitForImagePrefetch();

// The image the lookup of name would read, decoded ahead and stored with
// mask; null when it was not decoded ahead (the caller decodes it then).
// Waits while it is being decoded.
std::unique_ptr<ImageRecord> TakePrefetchedImage(const wchar_t* name, DWORD mask);

}  // namespace SkinUI
