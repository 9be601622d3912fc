// The ellipsis fitting of text_fit.h.
#include "workbench/app/text_fit.h"

namespace orv::workbench::app {

namespace {

// Where the head ends: at the first '/', or for "//server/..." at the '/'
// after the server name; npos when the head is the whole text.
std::size_t headEnd(std::string_view text) {
  std::size_t first = text.find('/');
  if (first == std::string_view::npos) return first;
  if (first + 1 < text.size() && text[first + 1] == '/') return text.find('/', first + 2);
  return first;
}

}  // namespace

FittedText fitTextWithEllipsis(std::string_view text, int width, const MeasureText& measure,
                               std::size_t maxBytes) {
  if (text.size() > maxBytes) return {};
  if (measure(text) <= width) return {std::string(text), true};
  std::size_t end = headEnd(text);
  if (end != std::string_view::npos) {
    std::string result = std::string(text.substr(0, end)) + "/...";
    std::string_view tail = text.substr(end);
    int headWidth = measure(result);
    while (!tail.empty() && headWidth + measure(tail) > width) {
      std::size_t next = tail.find('/', 1);
      tail = next == std::string_view::npos ? std::string_view{} : tail.substr(next);
    }
    if (!tail.empty()) return {result + std::string(tail), true};
  }
  std::size_t last = text.rfind('/');
  return {std::string(last == std::string_view::npos ? text : text.substr(last + 1)), false};
}

}  // namespace orv::workbench::app
