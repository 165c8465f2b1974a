#include "probe/CProbeEngine.h"
