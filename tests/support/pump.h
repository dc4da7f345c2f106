#pragma once
// Runs the calling thread's messages while a test waits: until a condition
// holds, or for a time.

#include <windows.h>

#include <functional>

namespace SkinUITest {

// True once done answers true, false when timeoutMs have passed first. It
// also polls: a thread that ends sends no message.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
void PumpFor(DWORD milliseconds);

}  // namespace SkinUITest
