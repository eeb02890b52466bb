// InstallerState: everything the installer knows during one run, in one process-wide record: the
// configuration it read, what the window shows, and the install flow's counters.
//
// Access: the window thread, the verification, download and extraction workers all use it, so every read
// and write of a field (except backgroundImage, see there) happens while holding `lock`:
//
//     InstallerState& state = TheInstallerState();
//     {
//       LockGuard guard(state.lock);
//       state.statusText = CWString(L"...");
//     }
//
// Never hold the lock across a network transfer, a hash, a message box or any other wait, and never take
// it again while holding it (it is not recursive). Painting copies what it draws with SnapshotForPainting
// and draws outside the lock.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/byte_buffer.h"
#include "runtime/lock.h"
#include "runtime/wide_string.h"
#include "ui/picture.h"

// What the window shows and which clicks act. Moves Ready -> Downloading -> Installing -> Done, and from
// Installing back to Downloading when a part must be fetched again; never back to Ready.
enum class InstallPhase : int32_t { Ready = 0, Downloading = 1, Installing = 2, Done = 3 };

// Face of a drawn button. The install button uses Normal and Hover only.
enum class ButtonState : int32_t { Normal = 1, Hover = 2, Pressed = 3 };

struct InstallerState {
  InstallerState() = default;
  InstallerState(const InstallerState&) = delete;
  InstallerState& operator=(const InstallerState&) = delete;

  Lock lock;

  // --- Configuration (written by each application of the configuration) ---
  CWString configText;            // the document as first fetched; empty until a fetch gave text
  CWString licenceUrl;
  CWString licenceText;           // fetched again at every application
  bool chineseDirAllowed = false;
  int32_t downloadThreadLimit = 0;
  CWString runFileName;           // relative to installDir; empty: nothing to launch
  CWString shortcutName;          // without ".lnk"; empty: no shortcut
  // Undecoded picture bytes (an entry stays empty when its picture could not be fetched). Lists only grow:
  // every application appends.
  std::vector<CVolMem> startImages;    // shown in Ready
  std::vector<CVolMem> installImages;  // shown in every later phase
  // The package parts, aligned by index. Every application appends the configured parts; the local check
  // removes single entries (from all three lists at once).
  std::vector<CWString> partNames;
  std::vector<CWString> partUrls;
  std::vector<CWString> partMd5s;     // upper-case hexadecimal MD5, compared exactly

  // --- Window ---
  InstallPhase phase = InstallPhase::Ready;
  bool agreed = true;                                   // licence box ticked
  ButtonState installButtonState = ButtonState::Normal;
  ButtonState closeButtonState = ButtonState::Normal;
  int32_t slideIndex = 0;      // 0: built-in picture; k >= 1: k-th picture of the phase's list
  CWString installDir;         // always ends with a backslash once the window is laid out
  CWString statusText;
  int32_t progressPercent = 0;  // 0 to 100
  // The picture last drawn as background. Used by the window thread only (painting), so it needs no lock.
  CVolPicture backgroundImage;

  // --- Install flow ---
  bool verifying = true;              // the local check has not finished
  int64_t byteCounter = 0;            // bytes received, behind the speed display
  int64_t byteCounterAtLastTick = 0;
  int32_t startedDownloads = 0;       // 1-based index of the part started last
  int32_t activeDownloads = 0;
  int32_t completedDownloads = 0;
  bool redownloading = false;         // a damaged part is being fetched again; its end is not counted
  CWString speedText;
};

// The process-wide state, made on first use.
InstallerState& TheInstallerState();

// The picture list shown as background in `phase`.
inline std::vector<CVolMem>& SlideList(InstallerState& state, InstallPhase phase) {
  return phase == InstallPhase::Ready ? state.startImages : state.installImages;
}

// Which picture the background is: the built-in one ({true, 0}; also for an index beyond the phase's list),
// or entry `index` (1-based) of the start or the install list. Entries never change once appended, so a key
// names the same bytes for the whole run.
struct SlideKey {
  bool startList = true;
  int32_t index = 0;
  bool operator==(const SlideKey& o) const { return startList == o.startList && index == o.index; }
  bool operator!=(const SlideKey& o) const { return !(*this == o); }
};

// What the window draws, copied under the lock.
struct WindowSnapshot {
  InstallPhase phase = InstallPhase::Ready;
  bool agreed = true;
  ButtonState installButtonState = ButtonState::Normal;
  ButtonState closeButtonState = ButtonState::Normal;
  // True when the background is the built-in picture: slideIndex is 0, or beyond the phase's list.
  bool builtInBackground = true;
  SlideKey slide;        // the background picture
  CVolMem slidePicture;  // the slide's bytes when not builtInBackground and not already decoded
  CWString statusText;
  int32_t progressPercent = 0;
};

// Takes the lock, copies what painting needs and releases it. The slide's bytes are left out when the slide
// is `decoded` (the caller still holds its picture).
WindowSnapshot SnapshotForPainting(InstallerState& state, const SlideKey* decoded = nullptr);
