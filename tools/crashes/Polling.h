#pragma once

#include <functional>

// The cells wait for things outside them (files, the site's counts, other
// processes) by looking often: a millisecond apart unless told otherwise, so that a kill lands
// close to the moment it was meant for. Events are processed meanwhile.
namespace Polling {

// False when `done` was still false after `limitMs`. A `done` that costs
// (reading a long file) asks to be called less often.
bool until(const std::function<bool()> &done, int limitMs, int stepMs = 1);
void pause(int ms);

} // namespace Polling
