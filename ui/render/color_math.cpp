#include "ui/render/color_math.h"

#include <algorithm>

namespace SkinUI {

namespace {

constexpr float kOneThird = 1.0f / 3.0f;
constexpr float kTwoThirds = 2.0f / 3.0f;
constexpr short kNeutralHue = 180;
constexpr short kNeutralPercent = 100;

float HueToChannel(float p, float q, float t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0f / 6.0f) return p + (q - p) * 6 * t;
  if (t < 0.5f) return q;
  if (t < kTwoThirds) return p + (q - p) * (kTwoThirds - t) * 6;
  return p;
}

DWORD ChannelByte(float value) {
  const int scaled = static_cast<int>(value * 255);
  return static_cast<DWORD>(std::clamp(scaled, 0, 255));
}

}  // namespace

THslColor RgbToHsl(DWORD argb) {
  const float r = RedOf(argb) / 255.0f;
  const float g = GreenOf(argb) / 255.0f;
  const float b = BlueOf(argb) / 255.0f;
  const float high = std::max({r, g, b});
  const float low = std::min({r, g, b});
  THslColor hsl;
  hsl.lightness = (high + low) / 2;
  if (high == low) return hsl;

  const float range = high - low;
  hsl.saturation = hsl.lightness <= 0.5f ? range / (high + low) : range / (2 - high - low);
  float sector = 0;
  if (high == r) {
    sector = (g - b) / range + (g < b ? 6 : 0);
  } else if (high == g) {
    sector = (b - r) / range + 2;
  } else {
    sector = (r - g) / range + 4;
  }
  hsl.hue = sector * 60;
  return hsl;
}

DWORD HslToRgb(const THslColor& hsl) {
  const float l = hsl.lightness;
  const float s = hsl.saturation;
  if (s == 0) {
    const DWORD grey = ChannelByte(l);
    return (grey << 16) | (grey << 8) | grey;
  }
  const float q = l < 0.5f ? l * (1 + s) : l + s - l * s;
  const float p = 2 * l - q;
  const float h = hsl.hue / 360.0f;
  const DWORD red = ChannelByte(HueToChannel(p, q, h + kOneThird));
  const DWORD green = ChannelByte(HueToChannel(p, q, h));
  const DWORD blue = ChannelByte(HueToChannel(p, q, h - kOneThird));
  return (red << 16) | (green << 8) | blue;
}

DWORD ShiftColor(DWORD argb, short hue, short saturation, short lightness) {
  if (hue == kNeutralHue && saturation == kNeutralPercent && lightness == kNeutralPercent) {
    return argb;
  }
  THslColor hsl = RgbToHsl(argb);
  hsl.hue += hue - kNeutralHue;
  if (hsl.hue <= 0) hsl.hue += 360;
  hsl.saturation = hsl.saturation * saturation / kNeutralPercent;
  hsl.lightness = hsl.lightness * lightness / kNeutralPercent;
  return (argb & 0xFF000000) | HslToRgb(hsl);
}

}  // namespace SkinUI
