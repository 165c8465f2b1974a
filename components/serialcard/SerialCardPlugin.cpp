#include "SerialCardPlugin.h"
