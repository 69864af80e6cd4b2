/* The shared library's own translation unit: all code comes from the static engine library,
   linked whole so that every export is kept. */
#include "engine.h"
