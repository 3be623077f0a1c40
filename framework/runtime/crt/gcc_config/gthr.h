/* The unwinder includes this by name. */
#include "gthr-default.h"
