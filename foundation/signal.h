// A list of listeners notified with one argument.
//
// A slot is a record the owner keeps alive while it is connected: a plain
// function, or a bound member function (the target object and a dispatcher
// that calls the member on it). Slots are called in the order they were
// connected. Emitting is guarded against re-entry: a listener that emits the
// same signal again from inside its call gets false and no second pass.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

template <typename Argument>
struct CSignalSlot {
  void (*function)(Argument) = nullptr;
  void* target = nullptr;  // the binding word: 0 for a plain function
  void (*dispatcher)(CSignalSlot*, Argument) = nullptr;

  static CSignalSlot Plain(void (*plain)(Argument)) {
    CSignalSlot slot;
    slot.function = plain;
    return slot;
  }

  // A slot calling (object->*Member)(argument).
  template <typename Target, void (Target::*Member)(Argument)>
  static CSignalSlot Bound(Target* object) {
    CSignalSlot slot;
    slot.target = object;
    slot.dispatcher = [](CSignalSlot* self, Argument argument) {
      (static_cast<Target*>(self->target)->*Member)(argument);
    };
    return slot;
  }

  void Call(Argument argument) {
    if (!target) {
      if (function) function(argument);
    } else if (dispatcher) {
      dispatcher(this, argument);
    }
  }
};

template <typename Argument>
class CSignal {
 public:
  using Slot = CSignalSlot<Argument>;

  CSignal() = default;
  virtual ~CSignal() = default;
  CSignal(const CSignal&) = delete;
  CSignal& operator=(const CSignal&) = delete;

  // Calls every slot with the argument; false, calling no one, when the signal
  // is already firing, disabled or has no slots. Slots connected during the
  // call wait for the next one; slots disconnected during it are not called.
  bool Emit(Argument argument) {
    if (firing_ || !enabled_ || ConnectedCount() == 0) return false;
    firing_ = 1;
    const size_t count = slots_.size();
    for (size_t i = 0; i < count; ++i)
      if (Slot* slot = slots_[i]) slot->Call(argument);
    firing_ = 0;
    slots_.erase(std::remove(slots_.begin(), slots_.end(), nullptr), slots_.end());
    return true;
  }

  // Adds a slot at the end (a slot already connected is not added twice).
  void Connect(Slot* slot) {
    if (slot && std::find(slots_.begin(), slots_.end(), slot) == slots_.end())
      slots_.push_back(slot);
  }

  // Removes a slot; safe from inside a call of this signal.
  void Disconnect(Slot* slot) {
    auto at = std::find(slots_.begin(), slots_.end(), slot);
    if (at == slots_.end() || !slot) return;
    if (firing_)
      *at = nullptr;
    else
      slots_.erase(at);
  }

  void DisconnectAll() {
    if (firing_)
      std::fill(slots_.begin(), slots_.end(), nullptr);
    else
      slots_.clear();
  }

  size_t ConnectedCount() const {
    return size_t(std::count_if(slots_.begin(), slots_.end(), [](Slot* s) { return s != nullptr; }));
  }

  [[nodiscard]] bool IsEnabled() const { return enabled_ != 0; }
  void SetEnabled(bool enabled) { enabled_ = enabled ? 1 : 0; }
  [[nodiscard]] bool IsFiring() const { return firing_ != 0; }

 private:
  u8 firing_ = 0;
  u8 enabled_ = 1;
  std::vector<Slot*> slots_;
};
