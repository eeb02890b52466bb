// GDI+ for the whole process: started on first use (picture decoding), shut down once by the application
// at exit. Both run under one process-wide lock, so threads that decode at the same time start it once.
#pragma once

// Starts GDI+ unless it is running. False when GdiplusStartup failed; the next call tries again.
bool EnsureGdiplusStarted();

// Shuts GDI+ down when it was started and forgets the token. Call once no GDI+ object is left, at exit.
void ShutdownGdiplus();

bool IsGdiplusStarted();
