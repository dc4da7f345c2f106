// Placeholder until this library's first real source lands.
