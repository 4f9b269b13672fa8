/* Shared pieces of the end-to-end tests. */
#pragma once

#include "support/companion.h"
#include "support/registry.h"
#include "support/windows.h"
