// Includes only what is below: not reported.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"
