#include "builders/unheld_texts.h"

#include "foundation/path_name.h"
#include "platform/text_encoding.h"

CHeldText CHeldText::Read(std::string held, std::string written, bool lost) {
  CHeldText text(std::move(held));
  // A text that lost a character always has one more in its written form.
  if (lost) text.written_ = std::move(written);
  return text;
}

std::string CHeldText::GetHostText() const { return LosesCharacters() ? written_ : plat::MacRomanToUtf8(text_); }

CHeldText operator+(const CHeldText& text, const std::string& after) {
  CHeldText joined(text.text_ + after);
  if (text.LosesCharacters()) joined.written_ = text.written_ + plat::MacRomanToUtf8(after);
  return joined;
}

CHeldText operator+(const std::string& before, const CHeldText& text) {
  CHeldText joined(before + text.text_);
  if (text.LosesCharacters()) joined.written_ = plat::MacRomanToUtf8(before) + text.written_;
  return joined;
}

CHeldText HeldItemNameOf(const CPathName& path) {
  const std::string name = GetItemName(path);
  if (!path.LosesCharacters()) return CHeldText(name);
  std::string written = WrittenAbsoluteText(path);
  while (written.size() > 1 && written.back() == '/') written.pop_back();
  return CHeldText::Read(name, written.substr(written.rfind('/') + 1), true);
}
