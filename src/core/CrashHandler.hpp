#pragma once

namespace crv {

/** Installs, once, handlers for fatal signals that write crash.txt and re-raise. True if this call
    installed them. */
bool InstallCrashHandler();

} // namespace crv
