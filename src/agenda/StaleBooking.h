// What the appointment book says of a booking that another workstation attended, deleted or
// changed since this one loaded it.
#pragma once

namespace vtx {

enum class StaleBooking {
    Attended, ///< its status is "2" now
    Gone,     ///< it was cancelled (deleted)
    Changed,  ///< its day, hour, patient or professional is another now
};

/// Tells the user why the loaded booking was left as it is.
void reportStale(StaleBooking why);

} // namespace vtx
