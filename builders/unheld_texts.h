// Names and paths of a project file that the application-wide encoding
// (Mac Roman) cannot hold. The XML reader gives a '?' for every character
// that has no Mac Roman form; the value read keeps the text as the file
// wrote it beside what the application holds of it (a name as a
// CHeldText, a path in its written form, CPathName::GetWrittenForm), so
// that a save writes it back as the file had it, and the check before a
// build refuses it rather than build outputs under other names or from
// other files. A value set anew holds no such text.
#pragma once

#include <string>

class CPathName;

// A name of a project (the saver's name, an output file name, a window
// title): the text as the application holds it and, when the document it
// was read from wrote characters the application's encoding cannot hold,
// the text as that document wrote it.
class CHeldText {
 public:
  CHeldText() = default;
  CHeldText(const char* text) : text_(text ? text : "") {}
  CHeldText(std::string text) : text_(std::move(text)) {}

  // A text read from a document: `held` is what the application holds of
  // it (a '?' for each character lost), `written` the text as the
  // document wrote it (UTF-8), kept only when characters were lost.
  static CHeldText Read(std::string held, std::string written, bool lost);

  const std::string& GetText() const { return text_; }
  [[nodiscard]] bool IsEmpty() const { return text_.empty(); }
  // Whether the text lost characters when it was read.
  [[nodiscard]] bool LosesCharacters() const { return !written_.empty(); }
  // The text as its document wrote it (UTF-8) when it lost characters;
  // empty otherwise.
  const std::string& GetWritten() const { return written_; }
  // The text as the terminal shows it (UTF-8): as its document wrote it, or
  // the text converted.
  std::string GetHostText() const;

  // The text with a plain text after (or before) it: a text derived from
  // this one, whose written form (when it has one) is derived alike.
  friend CHeldText operator+(const CHeldText& text, const std::string& after);
  friend CHeldText operator+(const std::string& before, const CHeldText& text);

  // Equal in the text and in the written form: a text set anew differs from
  // one read with lost characters, even when both read alike.
  bool operator==(const CHeldText& other) const = default;

 private:
  std::string text_;
  std::string written_;
};

// The name (with its extension) of the item a path names, as GetItemName
// gives it, with the name its written form gives when the path lost
// characters.
CHeldText HeldItemNameOf(const CPathName& path);
