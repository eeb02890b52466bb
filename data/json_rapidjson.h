// The parts of RapidJSON the JSON layer uses, included with the library's own deprecation warnings
// (std::iterator in its member iterator) silenced: they concern the library, not this code.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <rapidjson/document.h>
#include <rapidjson/internal/dtoa.h>
#include <rapidjson/internal/itoa.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#pragma GCC diagnostic pop
