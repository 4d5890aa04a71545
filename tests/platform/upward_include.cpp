// Built only by the layering test, which passes when this fails to compile: the platform
// layer must not see the engine's headers.
#include "engine/walk.h"
