// Keeps the library non-empty until its first real file lands.
