// The rules text of a project member split into name=value fields, in the
// caller's own buffer: every field only ever gets shorter (quotes removed,
// doubled quotes halved), so it is rewritten over itself.
#include "vc/project/rule_split.h"

#include "vc/include/vc.h"
#include "vc/instance/instance.h"

namespace vc {

int splitRules(char* text, char** names, char** values, int maxCount) {
  if (!text || !names || maxCount < 1 || *text == '\0') return 0;
  char* read = text;
  char* write = text;
  int count = 0;
  while (count < maxCount) {
    char* name = write;
    char* value = nullptr;
    bool quoted = false;
    while (*read != '\0') {
      const char c = *read;
      if (c == '"') {
        if (quoted && read[1] == '"') {
          *write++ = '"';
          read += 2;
        } else {
          quoted = !quoted;
          ++read;
        }
        continue;
      }
      if (!quoted && c == ',') break;
      if (!quoted && c == '=' && !value) {
        *write++ = '\0';
        value = write;
        ++read;
        continue;
      }
      *write++ = *read++;
    }
    const char end = *read;
    *write++ = '\0';
    names[count] = name;
    if (values) values[count] = value;
    ++count;
    if (end == '\0') break;
    ++read;  // the comma
  }
  return count;
}

}  // namespace vc

extern "C" {

VC_API int vcRuleSplit(char* text, char** names, char** values, int maxCount) {
  return vc::guarded([&] { return vc::splitRules(text, names, values, maxCount); });
}

}  // extern "C"
