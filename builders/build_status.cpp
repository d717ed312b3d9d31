#include "builders/build_status.h"

#include "foundation/string_buffer.h"
#include "platform/text_encoding.h"
#include "ui/static_text.h"

std::string FormatBuildMessage(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  CStringBuffer format(messageNumber);
  CStringBuffer text;
  if (!text.Format(format.GetText(), a.c_str(), b.c_str(), c.c_str())) text.SetText(format.GetText());
  return text.GetText();
}

std::string FormatHostBuildMessage(int messageNumber, const std::string& a, const std::string& b,
                                   const std::string& c) {
  std::string format = plat::MacRomanToUtf8(CStringBuffer(messageNumber).GetText());
  CStringBuffer text;
  if (!text.Format(format.c_str(), a.c_str(), b.c_str(), c.c_str())) return format;
  return text.GetText();
}

bool RefuseBuild(int messageNumber, const std::string& text, CStringBuffer* message, std::string* hostMessage,
                 const std::string* hostText) {
  if (message) message->SetText(FormatBuildMessage(messageNumber, text).c_str());
  if (hostMessage)
    *hostMessage = FormatHostBuildMessage(messageNumber, hostText ? *hostText : plat::MacRomanToUtf8(text));
  return false;
}

bool RefuseBuild(int messageNumber, const std::string& text, const std::string& other, CStringBuffer* message,
                 std::string* hostMessage) {
  if (message) message->SetText(FormatBuildMessage(messageNumber, text, other).c_str());
  if (hostMessage)
    *hostMessage =
        FormatHostBuildMessage(messageNumber, plat::MacRomanToUtf8(text), plat::MacRomanToUtf8(other));
  return false;
}

void CBuildStatus::Begin(CStaticText* statusText) {
  sink = statusText;
  log.clear();
  hostLog.clear();
  failed = false;
}

void CBuildStatus::Say(const std::string& text, const std::string* hostText) {
  log.push_back(text);
  hostLog.push_back(hostText ? *hostText : plat::MacRomanToUtf8(text));
  // The text is in the log either way; a status text that refuses it only
  // shows the one before.
  if (sink) static_cast<void>(sink->SetText(text.c_str(), hostLog.back(), true));
}

void CBuildStatus::Note(int messageNumber, const std::string& a, const std::string& b) {
  Say(FormatBuildMessage(messageNumber, a, b));
}

bool CBuildStatus::Fail(int messageNumber, const std::string& a, const std::string& b, const std::string& c) {
  if (!failed) Say(FormatBuildMessage(messageNumber, a, b, c));
  failed = true;
  return false;
}

bool CBuildStatus::FailWithText(const std::string& text, const std::string* hostText) {
  if (!failed) Say(text, hostText);
  failed = true;
  return false;
}
