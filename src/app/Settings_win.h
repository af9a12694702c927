// The update throttle in the registry: the day of the last successful update and the three weekdays
// on which the automatic check never runs.
#pragma once

namespace zarn {

bool IsUpdateCheckDue();
bool IsDisabledWeekday(unsigned weekday);
bool WriteUpdateTime();
bool ChooseDisabledDays();

} // namespace zarn
