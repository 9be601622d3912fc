// The text of each result code of the security database.
#pragma once

namespace kel {

// The table's text for a code, or "impossible" for a code without one.
const char* resultText(int code);

}  // namespace kel
