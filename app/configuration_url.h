// Where the installer fetches its configuration: http://<host>:8888/down/<token>.json. Host and token are
// chosen when the installer is built (CMake cache settings TONVEXA_CONFIG_HOST and TONVEXA_CONFIG_TOKEN).
#pragma once

#include "runtime/wide_string.h"

CWString ConfigurationUrl();
