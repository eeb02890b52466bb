// The installer program's entry: the application object (made during static initialisation) and what
// wWinMain runs. Programs built from the installer (the installer itself, test builds) call RunInstaller
// from their wWinMain.
#pragma once

#include <windows.h>

int RunInstaller(HINSTANCE instance, PWSTR commandLine, int showCommand);
