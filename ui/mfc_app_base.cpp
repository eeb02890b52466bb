#include "ui/mfc_app_base.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "ui/pre_translate.h"

CVolMfcAppBase::~CVolMfcAppBase() {
  if (m_comInitialised) CoUninitialize();
  if (m_oleInitialised) OleUninitialize();
}

bool CVolMfcAppBase::InitInstance() {
  m_oleInitialised = SUCCEEDED(OleInitialize(nullptr));
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;  // 8
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
  FrameworkApp::InitInstance();
  m_comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  return true;
}

bool CVolMfcAppBase::PreTranslateMessage(MSG* message) {
  return FrameworkApp::PreTranslateMessage(message) || RelayRuntimePreTranslate(message);
}
