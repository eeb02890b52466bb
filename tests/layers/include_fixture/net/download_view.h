// A network header that reaches up into the window layer: the check must name this line.
#pragma once

#include "runtime/wide_string.h"
#include "ui/win_form.h"
