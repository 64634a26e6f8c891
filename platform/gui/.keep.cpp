// Keeps the window-system library non-empty until its first real file lands.
