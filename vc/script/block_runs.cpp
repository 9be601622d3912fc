// Running named blocks: vcRunBlock and the `call` statement.
//
// A block's lines are copied before they run, so a block that redefines
// itself (or reads a file that does) never pulls its lines from under the
// run. Each run has a context of its own, so a nested run from inside a
// callback shares nothing with the run that called out.
#include "vc/error_codes.h"
#include "vc/config/option_lookup.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"

namespace vc {
namespace {

struct BlockJob {
  std::vector<std::string> lines;
  VcOptionList* target;
};

std::string trimmedName(const std::string& name) {
  std::size_t b = 0, e = name.size();
  while (b < e && (name[b] == ' ' || name[b] == '\t')) ++b;
  while (e > b && (name[e - 1] == ' ' || name[e - 1] == '\t')) --e;
  return asciiLower(name.substr(b, e - b));
}

}  // namespace

int runBlock(VcInstance& inst, const VcListSet& lists, const std::string& name, bool all,
             bool sharedSource) {
  const std::string lower = trimmedName(name);
  std::vector<BlockJob> jobs;
  if (!all) {
    BlockHit hit = lookupBlock(lists, lower);
    if (hit.block) jobs.push_back({hit.block->lines, hit.from});
  } else {
    for (VcOptionList* list : {lists.global, lists.archive, lists.project[0], lists.project[1],
                               lists.project[2], lists.local}) {
      if (!list) continue;
      for (const VcBlock& b : list->blocks)
        if (b.name == lower) jobs.push_back({b.lines, list});
    }
  }
  if (jobs.empty()) return fail(inst, err::kUnknownOption);
  ScriptNesting nesting;

  for (BlockJob& job : jobs) {
    VcScriptContext ctx;
    ctx.instance = &inst;
    ctx.sourceName = "none";
    ctx.target = job.target;
    ctx.lists = lists;
    ctx.sharedSource = sharedSource;
    try {
      if (nesting.tooDeep()) throw ScriptError(kNestedTooDeep);
      for (const std::string& line : job.lines) {
        processLine(ctx, line);
        ++ctx.lineNumber;
      }
    } catch (const ScriptError& e) {
      reportScriptError(ctx, e.what());
      attachDefinedBlocks(ctx);
      return fail(inst, err::kBadOptionLine);
    } catch (const ScriptReturn& r) {
      attachDefinedBlocks(ctx);
      inst.extraError = r.value;
      inst.lastError = err::kDone;
      return err::kDone;
    }
    attachDefinedBlocks(ctx);
  }
  return 0;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcRunBlock(const char* blockName, int all) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!blockName) return err::kBadArgument;
    return runBlock(*inst, currentLists(*inst), blockName, all != 0, false);
  });
}

}  // extern "C"
