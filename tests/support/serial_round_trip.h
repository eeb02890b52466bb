// Saving an object into a memory stream and loading it into a fresh object of the same class.
#pragma once

#include "runtime/serial_stream.h"

// The loaded copy; `good` receives whether the stream reported no error.
template <typename T>
T SavedAndLoaded(const T& object, bool* good = nullptr) {
  MemorySerialStream stream;
  object.Save(stream);
  MemorySerialStream reader(stream.Data());
  T loaded;
  loaded.Load(reader);
  if (good) *good = reader.Good();
  return loaded;
}
