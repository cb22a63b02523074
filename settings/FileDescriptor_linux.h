#pragma once

// Moved to base/; this name stays until its last includer changes.
#include "base/FileDescriptor_linux.h"
