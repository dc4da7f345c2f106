#pragma once
// Measures how much stack a piece of work needs. RunWithStack runs the work
// on a thread of its own with a stack of a chosen size; inside it, a
// CStackGauge fills the free stack below the caller with a pattern, and the
// deepest byte that no longer holds the pattern tells how far the calls made
// since then reached.

#include <cstddef>
#include <functional>

namespace SkinUITest {

// Runs work on a new thread with a stack of stackBytes and waits for it.
// Work that runs out of stack ends the program.
void RunWithStack(const std::function<void()>& work, size_t stackBytes);

// Made on a RunWithStack thread; measures the calls made after it from the
// same frame.
class CStackGauge {
 public:
  CStackGauge();
  // The most stack used below this gauge's frame since it was made (or reset).
  size_t Peak() const;
  void Reset();

 private:
  unsigned char* top_ = nullptr;
  unsigned char* painted_ = nullptr;
  size_t paintedBytes_ = 0;
};

}  // namespace SkinUITest
