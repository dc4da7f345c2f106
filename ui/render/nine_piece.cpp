#include "ui/render/nine_piece.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "ui/core/gdi_handles.h"
#include "ui/core/geometry.h"
#include "ui/render/blend_fallback.h"
#include "ui/render/dib_section.h"
#include "ui/render/image_decoder.h"
#include "ui/render/imaging_library.h"
#include "ui/render/paint_memo.h"

namespace SkinUI {

namespace {

struct Piece {
  int x, y, width, height;
};

bool Intersects(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

int CeilDivide(int value, int divisor) {
  return (value + divisor - 1) / divisor;
}

class PiecePainter {
 public:
  PiecePainter(HDC dc, HDC source, const TNinePieceRequest& request)
      : destination(dc), sourceDC(source), spec(request) {
    blending = request.hasAlpha || request.fade != 255;
    alphaBlend = PlatformAlphaBlend();
    if (alphaBlend == nullptr) alphaBlend = BlendFallback;
  }

  bool Blending() const { return blending; }

  // Draws one piece when its destination touches the paint rectangle; the
  // piece is drawn whole, not cut to the paint rectangle.
  void DrawIfVisible(const Piece& dest, const Piece& src) {
    const RECT area = {dest.x, dest.y, dest.x + dest.width, dest.y + dest.height};
    if (!Intersects(area, spec.paint)) return;
    Draw(dest, src);
  }

  // Degenerate sizes are skipped: the platform would mirror a negative size.
  void Draw(const Piece& dest, const Piece& src) {
    if (dest.width <= 0 || dest.height <= 0 || src.width <= 0 || src.height <= 0) return;
    if (blending) {
      RECT interior;
      if (FindCopiedInterior(dest, src, interior)) {
        DrawAroundInterior(dest, src, interior);
      } else {
        Blend(dest, src);
      }
    } else if (dest.width == src.width && dest.height == src.height) {
      BitBlt(destination, dest.x, dest.y, dest.width, dest.height, sourceDC, src.x, src.y, SRCCOPY);
    } else {
      StretchBlt(destination, dest.x, dest.y, dest.width, dest.height, sourceDC, src.x, src.y,
                 src.width, src.height, SRCCOPY);
    }
  }

 private:
  void Blend(const Piece& dest, const Piece& src) {
    if (dest.width <= 0 || dest.height <= 0) return;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, spec.fade, AC_SRC_ALPHA};
    alphaBlend(destination, dest.x, dest.y, dest.width, dest.height, sourceDC, src.x, src.y,
               src.width, src.height, blend);
  }

  // Blending a fully opaque pixel at full strength gives that pixel, so the
  // opaque part of a piece drawn at its own size can be copied. Only where
  // the platform's blend would draw the piece at all (its source inside the
  // bitmap), and only when the copied part is large enough to pay for the
  // extra calls.
  bool FindCopiedInterior(const Piece& dest, const Piece& src, RECT& interior) const {
    constexpr LONG kMinCopiedArea = 1024;
    if (spec.fade != 255 || alphaBlend == BlendFallback) return false;
    if (dest.width != src.width || dest.height != src.height) return false;
    if (src.x < 0 || src.y < 0 || src.x + src.width > spec.bitmapWidth ||
        src.y + src.height > spec.bitmapHeight) {
      return false;
    }
    const RECT area = {src.x, src.y, src.x + src.width, src.y + src.height};
    if (!IntersectRect(&interior, &area, &spec.opaqueInterior)) return false;
    return (interior.right - interior.left) * (interior.bottom - interior.top) >= kMinCopiedArea;
  }

  // The rim above, below, left and right of the interior is blended, the
  // interior copied; every pixel is drawn once, as by one blend of the piece.
  void DrawAroundInterior(const Piece& dest, const Piece& src, const RECT& interior) {
    const int dx = dest.x - src.x;
    const int dy = dest.y - src.y;
    const auto part = [&](LONG left, LONG top, LONG right, LONG bottom) {
      return std::pair<Piece, Piece>(
          Piece{left + dx, top + dy, static_cast<int>(right - left),
                static_cast<int>(bottom - top)},
          Piece{left, top, static_cast<int>(right - left), static_cast<int>(bottom - top)});
    };
    const LONG right = src.x + src.width;
    const LONG bottom = src.y + src.height;
    const std::pair<Piece, Piece> rim[] = {
        part(src.x, src.y, right, interior.top),
        part(src.x, interior.top, interior.left, interior.bottom),
        part(interior.right, interior.top, right, interior.bottom),
        part(src.x, interior.bottom, right, bottom),
    };
    for (const auto& [to, from] : rim) Blend(to, from);
    const auto [to, from] = part(interior.left, interior.top, interior.right, interior.bottom);
    BitBlt(destination, to.x, to.y, to.width, to.height, sourceDC, from.x, from.y, SRCCOPY);
  }

  HDC destination;
  HDC sourceDC;
  const TNinePieceRequest& spec;
  bool blending = false;
  AlphaBlendProc alphaBlend = nullptr;
};

class NinePieceLayout {
 public:
  NinePieceLayout(const TNinePieceRequest& request, PiecePainter& painter)
      : rc(request.dest),
        sourceRect(request.source),
        k(request.corners),
        spec(request),
        pieces(painter) {
    srcWidth = sourceRect.right - sourceRect.left;
    srcHeight = sourceRect.bottom - sourceRect.top;
    tileWidth = srcWidth - k.left - k.right;
    tileHeight = srcHeight - k.top - k.bottom;
  }

  // An opaque image copied at its own size without borders needs only the
  // part inside the paint rectangle.
  bool TryCopyVisiblePart(HDC dc, HDC source) {
    if (pieces.Blending() || spec.hole) return false;
    if (k.left != 0 || k.top != 0 || k.right != 0 || k.bottom != 0) return false;
    if (rc.right - rc.left != srcWidth || rc.bottom - rc.top != srcHeight) return false;
    RECT visible;
    if (IntersectRect(&visible, &rc, &spec.paint)) {
      BitBlt(dc, visible.left, visible.top, visible.right - visible.left,
             visible.bottom - visible.top, source, sourceRect.left + (visible.left - rc.left),
             sourceRect.top + (visible.top - rc.top), SRCCOPY);
    }
    return true;
  }

  void DrawAll() {
    if (!spec.hole) DrawMiddle();
    if (k.left > 0 && k.top > 0) {
      Draw({rc.left, rc.top, k.left, k.top}, {sourceRect.left, sourceRect.top, k.left, k.top});
    }
    if (k.top > 0) {
      Draw({rc.left + k.left, rc.top, MiddleWidth(), k.top},
           {sourceRect.left + k.left, sourceRect.top, tileWidth, k.top});
    }
    if (k.right > 0 && k.top > 0) {
      Draw({rc.right - k.right, rc.top, k.right, k.top},
           {sourceRect.right - k.right, sourceRect.top, k.right, k.top});
    }
    if (k.left > 0) {
      Draw({rc.left, rc.top + k.top, k.left, MiddleHeight()},
           {sourceRect.left, sourceRect.top + k.top, k.left, tileHeight});
    }
    if (k.right > 0) {
      Draw({rc.right - k.right, rc.top + k.top, k.right, MiddleHeight()},
           {sourceRect.right - k.right, sourceRect.top + k.top, k.right, tileHeight});
    }
    if (k.left > 0 && k.bottom > 0) {
      Draw({rc.left, rc.bottom - k.bottom, k.left, k.bottom},
           {sourceRect.left, sourceRect.bottom - k.bottom, k.left, k.bottom});
    }
    if (k.bottom > 0) {
      Draw({rc.left + k.left, rc.bottom - k.bottom, MiddleWidth(), k.bottom},
           {sourceRect.left + k.left, sourceRect.bottom - k.bottom, tileWidth, k.bottom});
    }
    if (k.right > 0 && k.bottom > 0) {
      Draw({rc.right - k.right, rc.bottom - k.bottom, k.right, k.bottom},
           {sourceRect.right - k.right, sourceRect.bottom - k.bottom, k.right, k.bottom});
    }
  }

 private:
  int MiddleWidth() const { return (rc.right - k.right) - (rc.left + k.left); }
  int MiddleHeight() const { return (rc.bottom - k.bottom) - (rc.top + k.top); }

  void Draw(const Piece& dest, const Piece& src) { pieces.DrawIfVisible(dest, src); }

  void DrawMiddle() {
    const Piece middle = {rc.left + k.left, rc.top + k.top, MiddleWidth(), MiddleHeight()};
    const Piece source = {sourceRect.left + k.left, sourceRect.top + k.top, tileWidth, tileHeight};
    const bool tiled = spec.xtiled || spec.ytiled;
    // Borders as large as the source leave no tile to repeat: stretch instead.
    if (!tiled || tileWidth <= 0 || tileHeight <= 0) {
      Draw(middle, source);
      return;
    }
    const RECT area = {middle.x, middle.y, middle.x + middle.width, middle.y + middle.height};
    if (middle.width <= 0 || middle.height <= 0 || !Intersects(area, spec.paint)) return;
    if (spec.xtiled && spec.ytiled) {
      TileBothWays(middle, source);
    } else if (spec.xtiled) {
      TileAcross(middle, source);
    } else {
      TileDown(middle, source);
    }
  }

  // The last tile takes only the matching left part of the source.
  void TileAcross(const Piece& middle, const Piece& source) {
    const int columns = CeilDivide(middle.width, tileWidth);
    for (int i = 0; i < columns; ++i) {
      const int x = middle.x + i * tileWidth;
      const int width = std::min(tileWidth, middle.x + middle.width - x);
      pieces.Draw({x, middle.y, width, middle.height}, {source.x, source.y, width, source.height});
    }
  }

  void TileDown(const Piece& middle, const Piece& source) {
    const int rows = CeilDivide(middle.height, tileHeight);
    for (int i = 0; i < rows; ++i) {
      const int y = middle.y + i * tileHeight;
      const int height = std::min(tileHeight, middle.y + middle.height - y);
      pieces.Draw({middle.x, y, middle.width, height}, {source.x, source.y, source.width, height});
    }
  }

  void TileBothWays(const Piece& middle, const Piece& source) {
    const int rows = CeilDivide(middle.height, tileHeight);
    const int columns = CeilDivide(middle.width, tileWidth);
    for (int row = 0; row < rows; ++row) {
      const int y = middle.y + row * tileHeight;
      const int height = std::min(tileHeight, middle.y + middle.height - y);
      for (int column = 0; column < columns; ++column) {
        const int x = middle.x + column * tileWidth;
        const int width = std::min(tileWidth, middle.x + middle.width - x);
        pieces.Draw({x, y, width, height}, {source.x, source.y, width, height});
      }
    }
  }

  const RECT rc;
  const RECT sourceRect;
  const RECT k;
  const TNinePieceRequest& spec;
  PiecePainter& pieces;
  int srcWidth = 0;
  int srcHeight = 0;
  int tileWidth = 0;
  int tileHeight = 0;
};

// The memory DC that holds the bitmap while it is drawn. Making and deleting
// one for every image cost about as much as drawing a small image, so each
// thread keeps one; a draw that finds it in use gets a DC of its own.
class SourceDCLease {
 public:
  explicit SourceDCLease(HDC compatibleWith) {
    UniqueMemoryDC& kept = KeptDC();
    if (!InUse()) {
      if (!kept) kept.reset(CreateCompatibleDC(nullptr));
      if (kept) {
        InUse() = true;
        leased = true;
        leasedDC = kept.get();
        return;
      }
    }
    own.reset(CreateCompatibleDC(compatibleWith));
    leasedDC = own.get();
  }
  SourceDCLease(const SourceDCLease&) = delete;
  SourceDCLease& operator=(const SourceDCLease&) = delete;
  ~SourceDCLease() {
    if (leased) InUse() = false;
  }

  HDC get() const { return leasedDC; }

 private:
  static UniqueMemoryDC& KeptDC() {
    thread_local UniqueMemoryDC dc;
    return dc;
  }
  static bool& InUse() {
    thread_local bool inUse = false;
    return inUse;
  }

  UniqueMemoryDC own;
  HDC leasedDC = nullptr;
  bool leased = false;
};

// Every piece of the request lies inside its place, which lies inside the
// paint rectangle (each piece touching that rectangle is drawn whole), so
// the draw changes its place and nothing else; and the place is small enough
// to keep a copy of.
bool DrawnWholeAndSmall(const TNinePieceRequest& request) {
  constexpr LONG kMaxArea = 256 * 256;
  const RECT& k = request.corners;
  const RECT& dest = request.dest;
  const LONG width = dest.right - dest.left;
  const LONG height = dest.bottom - dest.top;
  if (width <= 0 || height <= 0 || width * height > kMaxArea) return false;
  if (k.left < 0 || k.top < 0 || k.right < 0 || k.bottom < 0) return false;
  if (width < k.left + k.right || height < k.top + k.bottom) return false;
  return CRectUI(request.paint).Contains(dest);
}

// A blended image drawn again and again at one size (a skin's buttons) is
// put together once: blending its pieces onto a transparent bitmap of that
// size leaves exactly the pixels each piece brings, and pieces that do not
// overlap make one picture whose single blend gives what blending the pieces
// one by one gives. Only the second draw at a size puts it together, so an
// image drawn once costs nothing more.
class CComposedPieces {
 public:
  struct TArrangement {
    RECT source;
    RECT corners;
    LONG width;
    LONG height;
    bool hole;
    DibSection picture;
    RECT interior;  // copied, not blended, when the picture is drawn

    bool Matches(const TNinePieceRequest& request) const {
      return EqualRect(&source, &request.source) && EqualRect(&corners, &request.corners) &&
             width == request.dest.right - request.dest.left &&
             height == request.dest.bottom - request.dest.top && hole == request.hole;
    }
  };

  // The picture for the request once it has been asked for twice; null
  // while the pieces are to be drawn one by one.
  const TArrangement* PictureFor(const TNinePieceRequest& request) {
    for (TArrangement& arrangement : arrangements) {
      if (!arrangement.Matches(request)) continue;
      if (!arrangement.picture) {
        arrangement.picture = Compose(request);
        if (arrangement.picture) arrangement.interior = FindOpaqueInterior(arrangement.picture);
      }
      return &arrangement;
    }
    Remember(request);
    return nullptr;
  }

  // Requests for which the one picture draws what the pieces draw, and
  // saves enough to be worth keeping.
  static bool Suits(const TNinePieceRequest& request) {
    const RECT& k = request.corners;
    if (!request.hasAlpha || request.fade != 255 || request.xtiled || request.ytiled) return false;
    return k.left + k.top + k.right + k.bottom != 0 && DrawnWholeAndSmall(request);
  }

 private:
  // A few sizes per image; the oldest gives way.
  void Remember(const TNinePieceRequest& request) {
    constexpr size_t kKeptSizes = 4;
    TArrangement arrangement = {request.source,
                                request.corners,
                                request.dest.right - request.dest.left,
                                request.dest.bottom - request.dest.top,
                                request.hole,
                                {},
                                {}};
    if (arrangements.size() < kKeptSizes) {
      arrangements.push_back(std::move(arrangement));
      return;
    }
    arrangements[replaced] = std::move(arrangement);
    replaced = (replaced + 1) % kKeptSizes;
  }

  static DibSection Compose(const TNinePieceRequest& request) {
    TNinePieceRequest alone = request;
    alone.dest = {0, 0, request.dest.right - request.dest.left,
                  request.dest.bottom - request.dest.top};
    alone.paint = alone.dest;
    alone.arrangements = nullptr;
    DibSection picture = CreateTopDownDib(alone.dest.right, alone.dest.bottom);
    UniqueMemoryDC target(nullptr);
    if (!picture || !target) return DibSection();
    std::fill_n(picture.pixels, static_cast<size_t>(picture.width) * picture.height, 0u);
    SelectObjectGuard select(target.get(), picture.bitmap.get());
    DrawNinePieces(target.get(), alone);
    GdiFlush();
    return picture;
  }

  std::vector<TArrangement> arrangements;
  size_t replaced = 0;
};

// True when the request was drawn from its image's composed picture, which
// is drawn as any image at its own size: its opaque part copied.
bool DrawComposed(HDC dc, const TNinePieceRequest& request) {
  if (request.arrangements == nullptr || PlatformAlphaBlend() == nullptr) return false;
  if (!CComposedPieces::Suits(request)) return false;
  std::shared_ptr<void>& kept = *request.arrangements;
  if (!kept) kept = std::make_shared<CComposedPieces>();
  const auto* arrangement = static_cast<CComposedPieces*>(kept.get())->PictureFor(request);
  if (arrangement == nullptr || !arrangement->picture) return false;
  TNinePieceRequest picture;
  picture.bitmap = arrangement->picture.bitmap.get();
  picture.dest = request.dest;
  picture.paint = request.paint;
  picture.source = {0, 0, arrangement->width, arrangement->height};
  picture.hasAlpha = true;
  picture.bitmapWidth = arrangement->width;
  picture.bitmapHeight = arrangement->height;
  picture.opaqueInterior = arrangement->interior;
  DrawNinePieces(dc, picture);
  return true;
}

// A blended image of a skin image record drawn whole within its place: what
// it draws is a matter of the request and the pixels below. Large images
// cost more to compare than to blend, and only a record's bitmap keeps its
// handle for as long as the memo does.
bool Rememberable(const TNinePieceRequest& request) {
  const bool blended = request.hasAlpha || request.fade != 255;
  return request.arrangements != nullptr && blended && DrawnWholeAndSmall(request);
}

// Everything the request is drawn with.
std::wstring RememberedKey(const TNinePieceRequest& request) {
  CMemoKey key(L'I');
  key.Add(reinterpret_cast<intptr_t>(request.bitmap))
      .Add(request.dest)
      .Add(request.source)
      .Add(request.corners)
      .Add(request.fade)
      .Add(request.hasAlpha)
      .Add(request.hole)
      .Add(request.xtiled)
      .Add(request.ytiled);
  return key.Take();
}

void DrawRequest(HDC dc, const TNinePieceRequest& request) {
  if (DrawComposed(dc, request)) return;
  SourceDCLease source(dc);
  if (source.get() == nullptr) return;
  // Selected only for this draw, so the bitmap is free again afterwards.
  SelectObjectGuard select(source.get(), request.bitmap);
  SetStretchBltMode(dc, COLORONCOLOR);

  PiecePainter painter(dc, source.get(), request);
  NinePieceLayout layout(request, painter);
  if (layout.TryCopyVisiblePart(dc, source.get())) return;
  layout.DrawAll();
}

}  // namespace

void DrawNinePieces(HDC dc, const TNinePieceRequest& request) {
  if (dc == nullptr || request.bitmap == nullptr) return;
  CMemoizedDraw memo(dc, request.dest);
  if (Rememberable(request) && memo.Replay([&] { return RememberedKey(request); })) return;
  DrawRequest(dc, request);
  memo.Record();
}

}  // namespace SkinUI
