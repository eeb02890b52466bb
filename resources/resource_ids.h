// Identifiers of the resources embedded in the installer executable.
#pragma once

// The installer's pictures (PNG, RCDATA), drawn by the installer window.
#define IDR_PICTURE_CLOSE_NORMAL 500
#define IDR_PICTURE_CLOSE_HOVER 501
#define IDR_PICTURE_CLOSE_PRESSED 502
#define IDR_PICTURE_INSTALL_NORMAL 503
#define IDR_PICTURE_INSTALL_HOVER 504
#define IDR_PICTURE_DOWNLOADING 505
#define IDR_PICTURE_INSTALLING 506
#define IDR_PICTURE_LAUNCH 507
#define IDR_PICTURE_PROGRESS_FILL 508
#define IDR_PICTURE_PROGRESS_TRACK 509
#define IDR_PICTURE_BACKGROUND 510
#define IDR_PICTURE_CHECKBOX_OFF 511
#define IDR_PICTURE_CHECKBOX_ON 512

// The 7-Zip codec library (7z.dll), RCDATA, written beside the executable at start-up.
#define IDR_CODEC_LIBRARY 513
