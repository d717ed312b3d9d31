#include "ui/replace_dialog.h"

#include "foundation/string_buffer.h"

namespace {

enum {
  kQuestionString = 7020,
  kReplaceString = 7021,
  kReplaceAllString = 7022,
  kSkipString = 7023,
  kSkipAllString = 7024,
  kCancelString = 10027,
};

constexpr short kWidth = 390;
constexpr short kHeight = 131;

struct Button {
  UInt32 command;
  int title;
  SInt32 answer;
  bool multiOnly;
};

constexpr Button kButtons[5] = {
    {kReplaceCommand, kReplaceString, kReplaceYes, false},
    {kReplaceAllCommand, kReplaceAllString, kReplaceYesToAll, true},
    {kSkipCommand, kSkipString, kReplaceNo, true},
    {kSkipAllCommand, kSkipAllString, kReplaceNoToAll, true},
    {kReplaceCancelCommand, kCancelString, kReplaceCancel, false},
};

}  // namespace

CReplaceDialog::CReplaceDialog(const CPathName& item, bool multiFile) : multiFile_(multiFile) {
  // The name is put in after the text was loaded, so that a '%' in it stays.
  std::string text = CStringBuffer(kQuestionString).GetText();
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, item.GetName(false));
  question_ = text;
}

SInt32 CReplaceDialog::Ask(WindowRef parent) {
  const bool sheet = plat::IsLiveWindow(parent);
  const UInt32 flags = sheet ? kDialogSheet : kDialogMovableModal;
  // A dialog without its question or buttons is not shown: the answer is cancel.
  if (!Create(100, 100, kWidth, kHeight, flags, sheet ? parent : nullptr) || !built_) {
    Destroy();
    return kReplaceCancel;
  }
  const SInt32 result = RunModal();
  return result >= kReplaceYes && result <= kReplaceCancel ? result : kReplaceCancel;
}

bool CReplaceDialog::OnInit() {
  Rect textBounds = MakeRect(20, 16, kWidth - 20, 64);
  built_ = text_.Create(this, FourCC("sRpl"), &textBounds, question_.c_str());
  short right = kWidth - 12;
  for (int i = 4; i >= 0; --i) {
    const Button& button = kButtons[i];
    if (button.multiOnly && !multiFile_) continue;
    Rect bounds = MakeRect(short(right - 70), short(kHeight - 36), right, short(kHeight - 16));
    built_ = buttons_[i].Create(this, button.command, &bounds, CStringBuffer(button.title).GetText()) && built_;
    right = short(right - 76);
  }
  return true;
}

bool CReplaceDialog::OnCommand(UInt32 command, EventRef*) {
  for (const Button& button : kButtons) {
    if (button.command != command || (button.multiOnly && !multiFile_)) continue;
    // A dialog that cannot end cleanly ends unanswered (its result is then -1).
    static_cast<void>(EndDialog(button.answer));
    return true;
  }
  return false;
}
