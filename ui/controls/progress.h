#pragma once
// A progress bar: a fore image over the part of the bar that the value
// covers, filling from the left or from the bottom, stretched or cut.

#include "ui/controls/label.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
 public:
  CProgressUI();

  const wchar_t* ClassName() const override;
  void* InterfaceFor(const wchar_t* name) override;
  void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
  // Corrects the range and value, then draws the covered part.
  void PaintStateImage(HDC dc) override;
  DWORD AccessibleRole() const override;
  // The share of the range the value covers, as "42%".
  CWideStringUI AccessibleValue() const override;

  bool IsHorizontal() const { return horizontal; }
  void SetHorizontal(bool on = true);
  // The range and value are taken as given; painting corrects them.
  int GetMinValue() const { return minValue; }
  void SetMinValue(int value);
  int GetMaxValue() const { return maxValue; }
  void SetMaxValue(int value);
  int GetValue() const { return value; }
  void SetValue(int value);
  // Stretched: the whole image is squeezed into the covered part; otherwise
  // the matching part of the image is cut out.
  bool IsStretchForeImage() const { return stretchForeImage; }
  void SetStretchForeImage(bool on = true);
  const CWideStringUI& GetForeImage() const { return foreImage; }
  void SetForeImage(const wchar_t* image);
  // The image modifier the last paint built.
  const CWideStringUI& ForeImageModifier() const { return foreModifier; }

 private:
  void CorrectRange();
  RECT CoveredPart() const;

  bool horizontal = true;
  bool stretchForeImage = true;
  int maxValue = 100;
  int minValue = 0;
  int value = 0;
  CWideStringUI foreImage;
  CWideStringUI foreModifier;
};

}  // namespace SkinUI
