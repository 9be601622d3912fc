// Splitting a member's rules text ("name=value,name,...") into its fields,
// in place; the exported vcRuleSplit is this function.
#pragma once

namespace vc {

// Splits text at commas into at most maxCount fields and each field at its
// first "=" into a name and a value (null when there is no "="). A double
// quote turns quoting on or off, so a quoted part may hold commas and "=";
// inside quotes a doubled quote stands for one. The quotes are removed and
// every name and value is ended in text itself; text after the last field
// taken is cut off. values may be null. The number of fields; 0 for a null
// or empty text, null names or maxCount below 1.
int splitRules(char* text, char** names, char** values, int maxCount);

}  // namespace vc
