/* The C++ headers look for the thread interface here. */
#include "../gthr-default.h"
