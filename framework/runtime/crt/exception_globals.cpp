// The per-thread exception records on the thread keys of
// thread_primitives.h rather than on compiler-managed thread-local storage,
// whose emulation would bring its own run-time.
#include <bits/c++config.h>
#undef _GLIBCXX_HAVE_TLS
#include "eh_globals.cc"
