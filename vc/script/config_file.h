// Reading and writing configuration files (ORVRCS.RC and the `read`
// statement's files).
#pragma once

#include "vc/config/option_state.h"
#include "vc/instance/instance.h"

#include <cstdint>
#include <string>

namespace vc {

// Longest line (without its line end) that a configuration file may hold:
// room for a mapping of two long paths with every character escaped.
inline constexpr std::size_t kMaxConfigLine = 4096;
// Longest value an option line gives back whole: values are expanded into
// a 500-byte buffer that keeps three bytes spare.
inline constexpr std::size_t kMaxConfigValue = 497;

// Reads path line by line through the line processor into target with
// flags (VC_OPTION_SAVED is always added). 0; VC_E_DONE after `return` (extra
// error = value); VC_E_BAD_CONFIG_FILE_LINE for a line too long or unreadable
// (extra error = line number); VC_E_BAD_OPTION_LINE after a script error;
// VC_E_CANNOT_OPEN_CONFIG when the file cannot be opened (extra error = errno).
// sharedSource: the file is read on behalf of a project file or a policy
// statement, so it may not start programs or end the process either.
int readConfigFile(VcInstance& inst, const std::string& path, VcOptionList& target,
                   std::uint32_t flags, bool sharedSource = false);

// The text vcWriteConfig writes for a list, or a code: 27 (extra = line
// number) when a line would be longer than the reader accepts or its value
// longer than the reader gives back.
int configText(VcInstance& inst, const VcOptionList& list, std::string& out);

// The written form of a value: "#", "$" and '"' escaped so that the reader
// gives the value back unchanged; quoted when blanks or a quote would be lost.
std::string escapeConfigValue(const std::string& value);

// The option line that reads back as option o: "Enforce" and "No" before the
// name, "=value" after it when the value is not empty. A name whose leading
// letters make a statement keyword ("echo", "if1", "end_x") is written after
// "set", so the line is read as that option, never run as the statement.
// Shared by the configuration-file and the project-file writers.
std::string optionLineText(const VcOption& o);

// True when the leading letters of text, in lower case, make a statement
// keyword: an option line so named can only be written after "set", and the
// reader keeps the option it sets as saved.
bool namesStatementOption(const std::string& text);

}  // namespace vc
