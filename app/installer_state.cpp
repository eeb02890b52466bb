#include "app/installer_state.h"

InstallerState& TheInstallerState() {
  static InstallerState state;
  return state;
}

WindowSnapshot SnapshotForPainting(InstallerState& state, const SlideKey* decoded) {
  WindowSnapshot snapshot;
  LockGuard guard(state.lock);
  snapshot.phase = state.phase;
  snapshot.agreed = state.agreed;
  snapshot.installButtonState = state.installButtonState;
  snapshot.closeButtonState = state.closeButtonState;
  const std::vector<CVolMem>& slides = SlideList(state, state.phase);
  // After a phase change the index may point past a shorter list until the next slide tick.
  if (state.slideIndex >= 1 && static_cast<size_t>(state.slideIndex) <= slides.size()) {
    snapshot.builtInBackground = false;
    snapshot.slide = SlideKey{state.phase == InstallPhase::Ready, state.slideIndex};
    if (!decoded || *decoded != snapshot.slide) {
      snapshot.slidePicture = slides[static_cast<size_t>(state.slideIndex) - 1];
    }
  }
  snapshot.statusText = state.statusText;
  snapshot.progressPercent = state.progressPercent;
  return snapshot;
}
