#include "UsbtmcCardPlugin.h"
