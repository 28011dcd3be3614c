#pragma once

#include <string>

namespace vx {

// mkostemp(pattern, O_CLOEXEC) for a file that a kill by SIGTERM, SIGINT or SIGHUP removes
// before the process ends as the signal would end it. One at a time: a later one replaces
// the earlier in that duty. The descriptor, or -1 with errno set.
int MakeTemporary(std::string& pattern);

// The temporary has been renamed or removed: a kill leaves it alone from now on.
void ForgetTemporary();

}  // namespace vx
