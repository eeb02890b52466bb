// The runtime's idle list: background entries (each with its own lock, a state and a time stamp) that are
// tidied up while the user-interface thread is idle. At most once per check interval, entries that have
// been finished for longer than the expiry time are removed and released; at exit the whole list is
// released. Nothing in the installer adds entries; the list is there for runtime work that outlives the
// call that started it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "runtime/lock.h"
#include "runtime/ref_object.h"

class CIdleEntry : public CRefObject {
 public:
  enum class State { kRunning, kFinished };

  CIdleEntry() = default;

  // Marks the entry finished at `tick` (GetTickCount).
  void Finish(DWORD tick = GetTickCount());
  // True when the entry has been finished for more than `expiryMs` at `now`.
  bool HasExpired(DWORD now, DWORD expiryMs);

 private:
  Lock m_lock;
  State m_state = State::kRunning;
  DWORD m_finishedAt = 0;
};

class IdleList {
 public:
  static constexpr DWORD kCheckIntervalMs = 1000;
  static constexpr DWORD kExpiryMs = 5000;

  // The process's list.
  static IdleList& Instance();

  IdleList() = default;
  ~IdleList();
  IdleList(const IdleList&) = delete;
  IdleList& operator=(const IdleList&) = delete;

  // Takes over the caller's reference.
  void Add(CIdleEntry* entry);
  // The idle pass: at most once per check interval, releases expired entries. Returns how many went.
  int Pass(DWORD now = GetTickCount());
  // Releases every entry.
  void Clear();
  size_t Count();

 private:
  Lock m_lock;
  std::vector<CIdleEntry*> m_entries;
  DWORD m_lastPass = 0;
  bool m_passedOnce = false;
};
