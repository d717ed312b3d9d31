#include "builders/build_status.h"

#include "foundation/string_buffer.h"
#include "ui/static_text.h"

std::string FormatBuildMessage(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  CStringBuffer format(messageNumber);
  CStringBuffer text;
  if (!text.Format(format.GetText(), a.c_str(), b.c_str(), c.c_str())) text.SetText(format.GetText());
  return text.GetText();
}

void CBuildStatus::Begin(CStaticText* statusText) {
  sink = statusText;
  log.clear();
  failed = false;
}

void CBuildStatus::Say(const std::string& text) {
  log.push_back(text);
  // The text is in the log either way; a status text that refuses it only
  // shows the one before.
  if (sink) static_cast<void>(sink->SetText(text.c_str(), true));
}

void CBuildStatus::Note(int messageNumber, const std::string& a, const std::string& b) {
  Say(FormatBuildMessage(messageNumber, a, b));
}

bool CBuildStatus::Fail(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  if (!failed) Say(FormatBuildMessage(messageNumber, a, b, c));
  failed = true;
  return false;
}

bool CBuildStatus::FailWithText(const std::string& text) {
  if (!failed) Say(text);
  failed = true;
  return false;
}
