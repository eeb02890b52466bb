// Run-time binding of external functions: a static table of library and function names whose addresses
// are filled when the program starts. Callers call through the filled addresses.
#pragma once

#include "runtime/byte_buffer.h"

struct ExternalFunctionEntry {
  // A non-empty name starts a new library; an empty text means the library of the entry before; null ends
  // the table.
  const wchar_t* libraryName;
  // The exported name, or '@' followed by the decimal ordinal.
  const char* functionName;
  void* address;
};

// Positions in the program's table: the CNG functions of Bcrypt.dll, then the directory listing of
// Kernel32.dll.
enum ExternalFunction : int {
  kBCryptDestroyHash,
  kBCryptHashData,
  kBCryptFinishHash,
  kBCryptGetProperty,
  kBCryptCreateHash,
  kBCryptCloseAlgorithmProvider,
  kBCryptOpenAlgorithmProvider,
  kFindFirstFileW,
  kFindNextFileW,
  kFindClose,
};

// The program's table (ends with a null library name).
ExternalFunctionEntry* ProgramBindingTable();

// Binds the program's table. Returns true, or throws CVolException (code -1) naming the library that
// could not be loaded or the function that was not found; entries before the failure stay bound.
bool BindExternalFunctions();
// Binds any table the same way (used by tests).
bool BindExternalFunctions(ExternalFunctionEntry* table);

// Frees every module loaded by the binder and empties the loaded-module list (at application exit).
void FreeExternalModules();

// The module handles loaded so far, 8 bytes each, in load order.
const CVolMem& LoadedExternalModules();

// The bound address of one of the program's functions, as its function type.
template <typename Function>
Function BoundFunction(ExternalFunction which) {
  return reinterpret_cast<Function>(ProgramBindingTable()[which].address);
}
