// CReplaceDialog: asks whether an existing item may be replaced.
//
// The multi-file form, for a run over several items, answers Replace,
// Replace All, Skip, Skip All or Cancel; the single form only Replace or
// Cancel. The dialog is a sheet on the parent window (an application-modal
// window when there is none). Anything but a button, the window closed
// included, is Cancel.
#pragma once

#include <string>

#include "foundation/path_name.h"
#include "ui/dialog_window.h"
#include "ui/static_text.h"
#include "ui/buttons.h"

enum : SInt32 {
  kReplaceYes = 1000,
  kReplaceYesToAll = 1001,
  kReplaceNo = 1002,
  kReplaceNoToAll = 1003,
  kReplaceCancel = 1004,
};

// The buttons' commands.
constexpr UInt32 kReplaceCommand = FourCC("ok  ");
constexpr UInt32 kReplaceAllCommand = FourCC("rpAl");
constexpr UInt32 kSkipCommand = FourCC("skip");
constexpr UInt32 kSkipAllCommand = FourCC("skAl");
constexpr UInt32 kReplaceCancelCommand = FourCC("not!");

class CReplaceDialog : public CDialogWindow {
 public:
  CReplaceDialog(const CPathName& item, bool multiFile);

  // Shows the question and waits for the answer: one of kReplaceYes to
  // kReplaceCancel.
  SInt32 Ask(WindowRef parent);

  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;

  // The question as shown.
  const std::string& GetQuestion() const { return question_; }

 private:
  std::string question_;
  bool multiFile_;
  bool built_ = false;  // OnInit made every control
  CStaticText text_;
  CPushButton buttons_[5];
};
