// The expression language inside the script language: conditions of `if`
// and `elseif`, the values of `trace` and `return`, and vcExpression. The
// script context is the expression's environment: names are looked up as
// script variables and string tokens go through text expansion.
#include "vc/error_codes.h"
#include "vc/script/script_context.h"
#include "vc/script/expression/expression.h"
#include "vc/config/option_state.h"

namespace vc {
namespace {

class ScriptEnvironment : public vc::ExpressionEnvironment {
 public:
  explicit ScriptEnvironment(VcScriptContext& ctx) : ctx_(ctx) {}

  std::optional<std::string> variableValue(std::string_view name) override {
    std::string storage;
    const std::string* value = vc::variableValue(ctx_, std::string(name), storage);
    if (!value) return std::nullopt;
    return *value;
  }

  std::string expandString(std::string_view token) override {
    return expandText(ctx_, std::string(token), kExpansionSize);
  }

 private:
  VcScriptContext& ctx_;
};

}  // namespace

bool expressionTruth(VcScriptContext& ctx, const std::string& text) {
  ScriptEnvironment environment(ctx);
  return vc::evaluateExpressionTruth(text, environment);
}

int expressionInteger(VcScriptContext& ctx, const std::string& text) {
  ScriptEnvironment environment(ctx);
  return vc::evaluateExpressionInteger(text, environment);
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcExpression(const char* expression, const char* parameters) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!expression) return err::kBadArgument;
    VcScriptContext ctx;
    ctx.instance = inst;
    ctx.sourceName = "expression";
    ctx.target = &optionsOf(*inst).local;
    ctx.lists = currentLists(*inst);
    ctx.parameters = parameters ? parameters : "";
    try {
      inst->extraError = expressionInteger(ctx, expression);
      return 0;
    } catch (const ScriptError& e) {
      reportScriptError(ctx, e.what());
    } catch (const ScriptReturn&) {
      // `return` belongs to blocks and files; an expression has no value
      // to give back through it.
    }
    inst->extraError = 0;
    return fail(*inst, err::kDone);
  });
}

}  // extern "C"
