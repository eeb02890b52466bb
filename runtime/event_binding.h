// Event bindings: how events of controls and of non-window objects (workers, downloads, extraction) reach
// the handler of the object that receives them.
//
// A receiving object owns one CVolEventObjectPointer (its "holder") whose target is the receiver itself.
// Every binding of an event to that receiver holds a counted reference to the holder, so the holder may
// outlive the receiver. Firing enters the holder (refused once the receiver is being destroyed), calls the
// handler with (receiver, sender, extra value, event arguments...) and leaves it; destroying the receiver
// waits until handler calls in progress on other threads have returned, then clears the target, so no
// handler runs for a receiver that is gone. Every binding has its own lock, so a worker thread may rebind
// while another thread fires.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "runtime/object.h"
#include "runtime/ref_object.h"
#include "runtime/lock.h"

// The receiver holder of one receiving object.
class CVolEventObjectPointer : public CRefObject {
 public:
  explicit CVolEventObjectPointer(CVolObject* target);
  ~CVolEventObjectPointer() override;

  static const CVolClassInfo* ClassInfo();
  const CVolClassInfo* GetClassRecord() const override { return ClassInfo(); }
  bool IsKindOf(const CVolClassInfo* record) const override {
    return IsSameClass(record, ClassInfo()) || CRefObject::IsKindOf(record);
  }

  // Starts a handler call: returns the target, or null when the event must be dropped (the receiver is gone
  // or being destroyed). A non-null result must be paired with LeaveHandler on the same thread.
  CVolObject* EnterHandler();
  void LeaveHandler();

  // Receiver destruction: refuses further handler calls, waits for calls running on other threads to
  // return, then clears the target. A handler that destroys its own receiver does not wait for itself.
  void DetachTarget();

  CVolObject* Target();
  int64_t BusyCount();

 private:
  Lock m_stateLock;
  CONDITION_VARIABLE m_idle = CONDITION_VARIABLE_INIT;
  int64_t m_busy = 0;
  bool m_detaching = false;
  CVolObject* m_target;
};

// One handler call: entered on construction, left when the scope ends (also when the handler throws).
// Target() is null when the event must be dropped.
class HandlerCall {
 public:
  explicit HandlerCall(CVolEventObjectPointer* holder) : m_holder(holder), m_target(holder->EnterHandler()) {}
  ~HandlerCall() {
    if (m_target) m_holder->LeaveHandler();
  }
  HandlerCall(const HandlerCall&) = delete;
  HandlerCall& operator=(const HandlerCall&) = delete;

  CVolObject* Target() const { return m_target; }

 private:
  CVolEventObjectPointer* m_holder;
  CVolObject* m_target;
};

// The holder a receiving object creates for itself: constructed with the receiver, detached and released
// when the receiver is destroyed (call Detach() first thing in the receiver's destructor, so no handler runs
// while the receiver's members are being torn down).
class EventReceiver {
 public:
  explicit EventReceiver(CVolObject* receiver) : m_receiver(receiver), m_holder(new CVolEventObjectPointer(receiver)) {}
  ~EventReceiver() { Detach(); }
  EventReceiver(const EventReceiver&) = delete;
  EventReceiver& operator=(const EventReceiver&) = delete;

  CVolEventObjectPointer* Holder() const { return m_holder; }

  // Marks the receiver as being destroyed, waits for running handlers, clears the target and drops the
  // receiver's reference to its holder. Idempotent.
  void Detach();

 private:
  CVolObject* m_receiver;
  CVolEventObjectPointer* m_holder;
};

// One event's binding: handler stub, counted holder and extra value under the binding's lock.
class EventBinding {
 public:
  // Handlers are stored type-erased; Fire casts back to the signature the event defines.
  using GenericHandler = void (*)();

  EventBinding() = default;
  ~EventBinding();
  EventBinding(const EventBinding&) = delete;
  EventBinding& operator=(const EventBinding&) = delete;

  // Stores handler and extra value; takes a reference on a new holder and drops the old one.
  // The owning control then attaches its listener.
  void Bind(GenericHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0);
  template <typename Result, typename... Args>
  void Bind(Result (*handler)(CVolObject*, CVolObject*, int32_t, Args...), CVolEventObjectPointer* holder,
            int32_t extra = 0) {
    Bind(reinterpret_cast<GenericHandler>(handler), holder, extra);
  }
  void Unbind();
  bool IsBound();

  // Calls the bound handler as Result(receiver, sender, extra, args...). Returns `defaultResult` when nothing
  // is bound or the receiver is gone or being destroyed.
  template <typename Result, typename... Args>
  Result Fire(CVolObject* sender, Result defaultResult, Args... args) {
    GenericHandler handler;
    CVolEventObjectPointer* holder;
    int32_t extra;
    if (!Snapshot(handler, holder, extra)) return defaultResult;
    const RefHeld<CVolEventObjectPointer> reference(holder);
    const HandlerCall call(holder);
    if (!call.Target()) return defaultResult;
    using Typed = Result (*)(CVolObject*, CVolObject*, int32_t, Args...);
    return reinterpret_cast<Typed>(handler)(call.Target(), sender, extra, args...);
  }

 private:
  // Reads the binding under its lock and takes a reference on the holder; false when unbound.
  bool Snapshot(GenericHandler& handler, CVolEventObjectPointer*& holder, int32_t& extra);

  Lock m_lock;
  GenericHandler m_handler = nullptr;
  CVolEventObjectPointer* m_holder = nullptr;
  int32_t m_extra = 0;
};
