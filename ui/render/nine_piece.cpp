#include "ui/render/nine_piece.h"

#include <algorithm>
#include <utility>

#include "ui/core/gdi_handles.h"
#include "ui/render/blend_fallback.h"
#include "ui/render/imaging_library.h"

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
      : dc_(dc), source_(source), request_(request) {
    blending_ = request.hasAlpha || request.fade != 255;
    alphaBlend_ = PlatformAlphaBlend();
    if (alphaBlend_ == nullptr) alphaBlend_ = BlendFallback;
  }

  bool Blending() const { return blending_; }

  // Draws one piece when its destination touches the paint rectangle; the
  // piece is drawn whole, not cut to the paint rectangle.
  void DrawIfVisible(const Piece& dest, const Piece& src) {
    const RECT area = {dest.x, dest.y, dest.x + dest.width, dest.y + dest.height};
    if (!Intersects(area, request_.paint)) return;
    Draw(dest, src);
  }

  // Degenerate sizes are skipped: the platform would mirror a negative size.
  void Draw(const Piece& dest, const Piece& src) {
    if (dest.width <= 0 || dest.height <= 0 || src.width <= 0 || src.height <= 0) return;
    if (blending_) {
      RECT interior;
      if (FindCopiedInterior(dest, src, interior)) {
        DrawAroundInterior(dest, src, interior);
      } else {
        Blend(dest, src);
      }
    } else if (dest.width == src.width && dest.height == src.height) {
      BitBlt(dc_, dest.x, dest.y, dest.width, dest.height, source_, src.x, src.y, SRCCOPY);
    } else {
      StretchBlt(dc_, dest.x, dest.y, dest.width, dest.height, source_, src.x, src.y, src.width,
                 src.height, SRCCOPY);
    }
  }

 private:
  void Blend(const Piece& dest, const Piece& src) {
    if (dest.width <= 0 || dest.height <= 0) return;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, request_.fade, AC_SRC_ALPHA};
    alphaBlend_(dc_, dest.x, dest.y, dest.width, dest.height, source_, src.x, src.y, src.width,
                src.height, blend);
  }

  // Blending a fully opaque pixel at full strength gives that pixel, so the
  // opaque part of a piece drawn at its own size can be copied. Only where
  // the platform's blend would draw the piece at all (its source inside the
  // bitmap), and only when the copied part is large enough to pay for the
  // extra calls.
  bool FindCopiedInterior(const Piece& dest, const Piece& src, RECT& interior) const {
    constexpr LONG kMinCopiedArea = 4096;
    if (request_.fade != 255 || alphaBlend_ == BlendFallback) return false;
    if (dest.width != src.width || dest.height != src.height) return false;
    if (src.x < 0 || src.y < 0 || src.x + src.width > request_.bitmapWidth ||
        src.y + src.height > request_.bitmapHeight) {
      return false;
    }
    const RECT area = {src.x, src.y, src.x + src.width, src.y + src.height};
    if (!IntersectRect(&interior, &area, &request_.opaqueInterior)) return false;
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
    BitBlt(dc_, to.x, to.y, to.width, to.height, source_, from.x, from.y, SRCCOPY);
  }

  HDC dc_;
  HDC source_;
  const TNinePieceRequest& request_;
  bool blending_ = false;
  AlphaBlendProc alphaBlend_ = nullptr;
};

class NinePieceLayout {
 public:
  NinePieceLayout(const TNinePieceRequest& request, PiecePainter& painter)
      : rc_(request.dest),
        src_(request.source),
        k_(request.corners),
        request_(request),
        painter_(painter) {
    srcWidth_ = src_.right - src_.left;
    srcHeight_ = src_.bottom - src_.top;
    tileWidth_ = srcWidth_ - k_.left - k_.right;
    tileHeight_ = srcHeight_ - k_.top - k_.bottom;
  }

  // An opaque image copied at its own size without borders needs only the
  // part inside the paint rectangle.
  bool TryCopyVisiblePart(HDC dc, HDC source) {
    if (painter_.Blending() || request_.hole) return false;
    if (k_.left != 0 || k_.top != 0 || k_.right != 0 || k_.bottom != 0) return false;
    if (rc_.right - rc_.left != srcWidth_ || rc_.bottom - rc_.top != srcHeight_) return false;
    RECT visible;
    if (IntersectRect(&visible, &rc_, &request_.paint)) {
      BitBlt(dc, visible.left, visible.top, visible.right - visible.left,
             visible.bottom - visible.top, source, src_.left + (visible.left - rc_.left),
             src_.top + (visible.top - rc_.top), SRCCOPY);
    }
    return true;
  }

  void DrawAll() {
    if (!request_.hole) DrawMiddle();
    if (k_.left > 0 && k_.top > 0) {
      Draw({rc_.left, rc_.top, k_.left, k_.top}, {src_.left, src_.top, k_.left, k_.top});
    }
    if (k_.top > 0) {
      Draw({rc_.left + k_.left, rc_.top, MiddleWidth(), k_.top},
           {src_.left + k_.left, src_.top, tileWidth_, k_.top});
    }
    if (k_.right > 0 && k_.top > 0) {
      Draw({rc_.right - k_.right, rc_.top, k_.right, k_.top},
           {src_.right - k_.right, src_.top, k_.right, k_.top});
    }
    if (k_.left > 0) {
      Draw({rc_.left, rc_.top + k_.top, k_.left, MiddleHeight()},
           {src_.left, src_.top + k_.top, k_.left, tileHeight_});
    }
    if (k_.right > 0) {
      Draw({rc_.right - k_.right, rc_.top + k_.top, k_.right, MiddleHeight()},
           {src_.right - k_.right, src_.top + k_.top, k_.right, tileHeight_});
    }
    if (k_.left > 0 && k_.bottom > 0) {
      Draw({rc_.left, rc_.bottom - k_.bottom, k_.left, k_.bottom},
           {src_.left, src_.bottom - k_.bottom, k_.left, k_.bottom});
    }
    if (k_.bottom > 0) {
      Draw({rc_.left + k_.left, rc_.bottom - k_.bottom, MiddleWidth(), k_.bottom},
           {src_.left + k_.left, src_.bottom - k_.bottom, tileWidth_, k_.bottom});
    }
    if (k_.right > 0 && k_.bottom > 0) {
      Draw({rc_.right - k_.right, rc_.bottom - k_.bottom, k_.right, k_.bottom},
           {src_.right - k_.right, src_.bottom - k_.bottom, k_.right, k_.bottom});
    }
  }

 private:
  int MiddleWidth() const { return (rc_.right - k_.right) - (rc_.left + k_.left); }
  int MiddleHeight() const { return (rc_.bottom - k_.bottom) - (rc_.top + k_.top); }

  void Draw(const Piece& dest, const Piece& src) { painter_.DrawIfVisible(dest, src); }

  void DrawMiddle() {
    const Piece middle = {rc_.left + k_.left, rc_.top + k_.top, MiddleWidth(), MiddleHeight()};
    const Piece source = {src_.left + k_.left, src_.top + k_.top, tileWidth_, tileHeight_};
    const bool tiled = request_.xtiled || request_.ytiled;
    // Borders as large as the source leave no tile to repeat: stretch instead.
    if (!tiled || tileWidth_ <= 0 || tileHeight_ <= 0) {
      Draw(middle, source);
      return;
    }
    const RECT area = {middle.x, middle.y, middle.x + middle.width, middle.y + middle.height};
    if (middle.width <= 0 || middle.height <= 0 || !Intersects(area, request_.paint)) return;
    if (request_.xtiled && request_.ytiled) {
      TileBothWays(middle, source);
    } else if (request_.xtiled) {
      TileAcross(middle, source);
    } else {
      TileDown(middle, source);
    }
  }

  // The last tile takes only the matching left part of the source.
  void TileAcross(const Piece& middle, const Piece& source) {
    const int columns = CeilDivide(middle.width, tileWidth_);
    for (int i = 0; i < columns; ++i) {
      const int x = middle.x + i * tileWidth_;
      const int width = std::min(tileWidth_, middle.x + middle.width - x);
      painter_.Draw({x, middle.y, width, middle.height},
                    {source.x, source.y, width, source.height});
    }
  }

  void TileDown(const Piece& middle, const Piece& source) {
    const int rows = CeilDivide(middle.height, tileHeight_);
    for (int i = 0; i < rows; ++i) {
      const int y = middle.y + i * tileHeight_;
      const int height = std::min(tileHeight_, middle.y + middle.height - y);
      painter_.Draw({middle.x, y, middle.width, height},
                    {source.x, source.y, source.width, height});
    }
  }

  void TileBothWays(const Piece& middle, const Piece& source) {
    const int rows = CeilDivide(middle.height, tileHeight_);
    const int columns = CeilDivide(middle.width, tileWidth_);
    for (int row = 0; row < rows; ++row) {
      const int y = middle.y + row * tileHeight_;
      const int height = std::min(tileHeight_, middle.y + middle.height - y);
      for (int column = 0; column < columns; ++column) {
        const int x = middle.x + column * tileWidth_;
        const int width = std::min(tileWidth_, middle.x + middle.width - x);
        painter_.Draw({x, y, width, height}, {source.x, source.y, width, height});
      }
    }
  }

  const RECT rc_;
  const RECT src_;
  const RECT k_;
  const TNinePieceRequest& request_;
  PiecePainter& painter_;
  int srcWidth_ = 0;
  int srcHeight_ = 0;
  int tileWidth_ = 0;
  int tileHeight_ = 0;
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
        leased_ = true;
        dc_ = kept.get();
        return;
      }
    }
    own_.reset(CreateCompatibleDC(compatibleWith));
    dc_ = own_.get();
  }
  SourceDCLease(const SourceDCLease&) = delete;
  SourceDCLease& operator=(const SourceDCLease&) = delete;
  ~SourceDCLease() {
    if (leased_) InUse() = false;
  }

  HDC get() const { return dc_; }

 private:
  static UniqueMemoryDC& KeptDC() {
    thread_local UniqueMemoryDC dc;
    return dc;
  }
  static bool& InUse() {
    thread_local bool inUse = false;
    return inUse;
  }

  UniqueMemoryDC own_;
  HDC dc_ = nullptr;
  bool leased_ = false;
};

}  // namespace

void DrawNinePieces(HDC dc, const TNinePieceRequest& request) {
  if (dc == nullptr || request.bitmap == nullptr) return;
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

}  // namespace SkinUI
