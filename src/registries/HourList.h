// The working-hours texts: the padded professional items of the hours form and the check of a
// typed list of slot start times.
#pragma once

#include <QString>

namespace vtx::HourList {

/// Width to which a professional's and a specialty's names are padded or cut in the items.
constexpr int kNameWidth = 45;

/// "name|specialty|place|specialty code|professional code", both names padded or cut to 45.
QString professionalItem(const QString& name, const QString& specialty, const QString& place,
                         const QString& specialtyCode, const QString& professionalCode);

/// The entry that stands for the home-care service as a whole.
QString homeItem();

/// Whether every "/"-separated time of the list is an hour 0..23 and, after ":", minutes
/// 0..59, each digits only with blanks around allowed; empty pieces and parts after the
/// minutes are not looked at.
bool isValid(const QString& list);

} // namespace vtx::HourList
