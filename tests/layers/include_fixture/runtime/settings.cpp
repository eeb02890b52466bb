// The runtime reaching sideways into a layer above it.
#include "data/json_document.h"
