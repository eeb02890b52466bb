#include "ui/idle_list.h"

CIdleEntry::CIdleEntry() {
  InitializeCriticalSection(&m_lock);
}

CIdleEntry::~CIdleEntry() {
  DeleteCriticalSection(&m_lock);
}

void CIdleEntry::Finish(DWORD tick) {
  EnterCriticalSection(&m_lock);
  m_state = State::kFinished;
  m_finishedAt = tick;
  LeaveCriticalSection(&m_lock);
}

bool CIdleEntry::HasExpired(DWORD now, DWORD expiryMs) {
  EnterCriticalSection(&m_lock);
  // Unsigned difference: correct across the tick counter's wrap-around.
  const bool expired = m_state == State::kFinished && now - m_finishedAt > expiryMs;
  LeaveCriticalSection(&m_lock);
  return expired;
}

IdleList& IdleList::Instance() {
  static IdleList list;
  return list;
}

IdleList::IdleList() {
  InitializeCriticalSection(&m_lock);
}

IdleList::~IdleList() {
  Clear();
  DeleteCriticalSection(&m_lock);
}

void IdleList::Add(CIdleEntry* entry) {
  if (!entry) return;
  EnterCriticalSection(&m_lock);
  m_entries.push_back(entry);
  LeaveCriticalSection(&m_lock);
}

int IdleList::Pass(DWORD now) {
  std::vector<CIdleEntry*> expired;
  EnterCriticalSection(&m_lock);
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
  LeaveCriticalSection(&m_lock);
  // Released outside the list's lock: an entry's destruction may take time or touch the list.
  for (CIdleEntry* entry : expired) entry->Release();
  return static_cast<int>(expired.size());
}

void IdleList::Clear() {
  EnterCriticalSection(&m_lock);
  std::vector<CIdleEntry*> all;
  all.swap(m_entries);
  LeaveCriticalSection(&m_lock);
  for (CIdleEntry* entry : all) entry->Release();
}

size_t IdleList::Count() {
  EnterCriticalSection(&m_lock);
  const size_t count = m_entries.size();
  LeaveCriticalSection(&m_lock);
  return count;
}
