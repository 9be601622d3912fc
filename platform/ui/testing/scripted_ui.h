// A Ui for tests that answers from a script. Each prompt the logic raises
// (message box, input line, chooser, dialog) must be the next one the test
// expected, or the test fails and the prompt is answered as cancelled; an
// expected prompt that never came fails the test when the fake goes away.
// Everything else (beeps, cursors, help, progress, posted work) is recorded.
#pragma once

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/testing/fake_sheet.h"
#include "platform/ui/testing/fake_surface.h"
#include "platform/ui/ui.h"

namespace orv::ui::testing {

// Plays one dialog: the surface was already set up by the logic; the
// script presses controls and returns, and the dialog's result is the
// surface's (or kAnswerCancel when the script never ended it).
using DialogScript = std::function<void(FakeSurface&, DialogLogic&)>;
// Plays one property sheet: its first page is already shown; the script
// selects tabs, presses controls and presses OK or Cancel.
using SheetScript = std::function<void(FakeSheet&)>;

class ScriptedUi : public Ui {
 public:
  ~ScriptedUi() override {
    for (const auto& e : expected_) ADD_FAILURE() << "expected prompt never came: " << e.what;
  }

  // The next prompt is a message box whose text contains textPart.
  void expectMessage(std::string textPart, int answer) {
    push(Kind::message, std::move(textPart)).answer = answer;
  }
  // The next prompt is an input line whose prompt contains promptPart.
  void expectInput(std::string promptPart, std::optional<std::string> answer) {
    push(Kind::input, std::move(promptPart)).text = std::move(answer);
  }
  void expectFiles(std::string captionPart, std::vector<std::string> answer) {
    push(Kind::files, std::move(captionPart)).files = std::move(answer);
  }
  void expectDirectory(std::string captionPart, std::optional<std::string> answer) {
    push(Kind::directory, std::move(captionPart)).text = std::move(answer);
  }
  void expectDialog(int dialogId, DialogScript script) {
    push(Kind::dialog, std::to_string(dialogId)).script = std::move(script);
  }

  // The next prompt is a property sheet whose title contains titlePart.
  void expectSheet(std::string titlePart, SheetScript script) {
    push(Kind::sheet, std::move(titlePart)).sheetScript = std::move(script);
  }

  int messageBox(const MessageRequest& request) override {
    messages.push_back(request);
    auto e = take(Kind::message, request.text);
    return e ? e->answer : kAnswerCancel;
  }
  std::optional<std::string> inputLine(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
    inputs.push_back({caption, prompt, initial});
    auto e = take(Kind::input, prompt);
    return e ? e->text : std::nullopt;
  }
  std::vector<std::string> chooseFiles(const FileRequest& request) override {
    auto e = take(Kind::files, request.caption);
    return e ? e->files : std::vector<std::string>{};
  }
  std::optional<std::string> chooseDirectory(const std::string& caption,
                                             const std::string&) override {
    auto e = take(Kind::directory, caption);
    return e ? e->text : std::nullopt;
  }
  void showProgress(const ProgressView& view) override {
    progress.push_back(view);
    progressShown = true;
  }
  void hideProgress() override { progressShown = false; }
  void pumpEvents() override {
    ++pumps;
    if (onPump) onPump();
  }
  void beep() override { ++beeps; }
  void pushBusyCursor() override { ++cursorDepth; }
  void popCursor() override { --cursorDepth; }
  void showHelp(int context) override { helpContexts.push_back(context); }
  int runDialog(const DialogDescription& description, DialogLogic& logic) override {
    dialogs.push_back(description.id);
    auto e = take(Kind::dialog, std::to_string(description.id));
    if (!e) return kAnswerCancel;
    FakeSurface surface;
    logic.setUp(surface);
    e->script(surface, logic);
    return surface.ended() ? surface.result() : kAnswerCancel;
  }
  int runSheet(SheetController& sheet) override {
    sheets.push_back(sheet.title());
    auto e = take(Kind::sheet, sheet.title());
    if (!e) return kAnswerCancel;
    FakeSheet fake(sheet);
    e->sheetScript(fake);
    return fake.result();
  }
  void post(std::function<void()> work) override { posted.push_back(std::move(work)); }

  // Runs posted work in order, including work posted meanwhile; the count.
  int runPosted() {
    int n = 0;
    while (!posted.empty()) {
      auto work = std::move(posted.front());
      posted.pop_front();
      work();
      ++n;
    }
    return n;
  }

  struct Input {
    std::string caption, prompt, initial;
  };
  std::vector<MessageRequest> messages;
  std::vector<Input> inputs;
  std::vector<ProgressView> progress;
  bool progressShown = false;
  int pumps = 0;
  std::function<void()> onPump;  // runs inside pumpEvents (a nested request)
  int beeps = 0;
  int cursorDepth = 0;
  std::vector<int> helpContexts;
  std::vector<int> dialogs;
  std::vector<std::string> sheets;
  std::deque<std::function<void()>> posted;

 private:
  enum class Kind { message, input, files, directory, dialog, sheet };
  struct Expected {
    Kind kind;
    std::string what;
    int answer = kAnswerCancel;
    std::optional<std::string> text;
    std::vector<std::string> files;
    DialogScript script;
    SheetScript sheetScript;
  };

  Expected& push(Kind kind, std::string what) {
    expected_.push_back(Expected{kind, std::move(what)});
    return expected_.back();
  }
  // The expectation matching this prompt, taken off the script; nothing
  // (and a failure) when the prompt was not the next one expected.
  std::optional<Expected> take(Kind kind, const std::string& seen) {
    if (expected_.empty() || expected_.front().kind != kind ||
        seen.find(expected_.front().what) == std::string::npos) {
      ADD_FAILURE() << "unexpected prompt: " << seen;
      return std::nullopt;
    }
    Expected e = std::move(expected_.front());
    expected_.pop_front();
    return e;
  }

  std::deque<Expected> expected_;
};

}  // namespace orv::ui::testing
