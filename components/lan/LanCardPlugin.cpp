#include "LanCardPlugin.h"
