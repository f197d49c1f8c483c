// Runs a call into foreign code so that a processor fault inside it (an
// access violation, a division by zero...) ends the call instead of the
// process.
#pragma once

// Calls call(context). Returns false when a processor fault stopped it, or
// when the guard could not be set up (then call is not made). call must not
// let a C++ exception escape.
bool CallWithFaultGuard(void (*call)(void* context), void* context);
