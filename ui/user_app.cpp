#include "ui/user_app.h"

#include <atomic>

#include "runtime/boxed_scalars.h"

namespace {

std::atomic<CVolUserApp*> g_runningUserApp{nullptr};

}  // namespace

CVolUserApp::CVolUserApp() {
  g_runningUserApp = this;
}

CVolUserApp::~CVolUserApp() {
  CVolUserApp* self = this;
  g_runningUserApp.compare_exchange_strong(self, nullptr);
}

CVolUserApp* RunningUserApp() {
  return g_runningUserApp;
}

const CVolClassInfo* const* CVolClassListApp::ValueClassList(int* count) const {
  static const CVolClassInfo* const classes[] = {
      CVolBoxedInt8::ClassInfo(),  CVolBoxedInt16::ClassInfo(),    CVolBoxedChar::ClassInfo(),
      CVolBoxedInt32::ClassInfo(), CVolBoxedInt32Alt::ClassInfo(), CVolBoxedInt64::ClassInfo(),
      CVolBoxedInt64Alt::ClassInfo(), CVolBoxedFloat::ClassInfo(), CVolBoxedDouble::ClassInfo(),
  };
  if (count) *count = static_cast<int>(sizeof classes / sizeof classes[0]);
  return classes;
}
