#include "ui/idle_list.h"

void CIdleEntry::Finish(DWORD tick) {
  LockGuard guard(m_lock);
  m_state = State::kFinished;
  m_finishedAt = tick;
}

bool CIdleEntry::HasExpired(DWORD now, DWORD expiryMs) {
  LockGuard guard(m_lock);
  // Unsigned difference: correct across the tick counter's wrap-around.
  return m_state == State::kFinished && now - m_finishedAt > expiryMs;
}

IdleList& IdleList::Instance() {
  static IdleList list;
  return list;
}

IdleList::~IdleList() {
  Clear();
}

void IdleList::Add(CIdleEntry* entry) {
  if (!entry) return;
  LockGuard guard(m_lock);
  m_entries.push_back(entry);
}

int IdleList::Pass(DWORD now) {
  std::vector<CIdleEntry*> expired;
  {
    LockGuard guard(m_lock);
    if (!m_passedOnce || now - m_lastPass >= kCheckIntervalMs) {
      m_passedOnce = true;
      m_lastPass = now;
      for (auto it = m_entries.begin(); it != m_entries.end();) {
        if ((*it)->HasExpired(now, kExpiryMs)) {
          expired.push_back(*it);
          it = m_entries.erase(it);
        } else {
          ++it;
        }
      }
    }
  }
  // Released outside the list's lock: an entry's destruction may take time or touch the list.
  for (CIdleEntry* entry : expired) entry->Release();
  return static_cast<int>(expired.size());
}

void IdleList::Clear() {
  std::vector<CIdleEntry*> all;
  {
    LockGuard guard(m_lock);
    all.swap(m_entries);
  }
  for (CIdleEntry* entry : all) entry->Release();
}

size_t IdleList::Count() {
  LockGuard guard(m_lock);
  return m_entries.size();
}
