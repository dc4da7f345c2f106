namespace SkinUI { int FrameProbe() { return 42; } }
