// The browser cache limit and the clean-up of the browser cache and Flash Player data.
#pragma once

namespace zarn {

bool SetCacheLimit();

} // namespace zarn
