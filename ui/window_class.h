// Registration of the runtime's window classes ("VolWindow", "VolContainer", "VolPainter", "VolDummyWnd"):
// class styles CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, DefWindowProcW as the class procedure (each window is
// subclassed by its framework object), the arrow cursor and no background brush.
#pragma once

constexpr const wchar_t* kFormWindowClass = L"VolWindow";
constexpr const wchar_t* kContainerWindowClass = L"VolContainer";
constexpr const wchar_t* kPainterWindowClass = L"VolPainter";
constexpr const wchar_t* kDummyWindowClass = L"VolDummyWnd";

// Registers `className` (null = "VolWindow") unless the system already knows it. False on failure.
bool RegisterRuntimeWindowClass(const wchar_t* className);
