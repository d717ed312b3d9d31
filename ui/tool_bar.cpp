#include "ui/tool_bar.h"

#include "foundation/cf_string_holder.h"
#include "platform/carbon_strings.h"
#include "ui/dialog_window.h"

namespace {

class CToolButton : public CControl {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override {
    if (!CControl::Create(owner, id, bounds, title) || !owner || !bounds) return false;
    CCFString text(title ? title : "");
    OSStatus status = CreateBevelButtonControl(owner->GetWindowRef(), bounds, text.GetRef(), &control_);
    if (status != noErr) {
      status_ = status;
      control_ = nullptr;
      return false;
    }
    return FinishCreate(owner, id);
  }
  int GetClassConstant1() override { return 17; }
};

}  // namespace

CToolBar::CToolBar() = default;
CToolBar::~CToolBar() = default;

bool CToolBar::Init(CDialogWindow* owner, UInt32 hostSignature) {
  if (!owner) return false;
  ControlID id{hostSignature, owner->GetUserValue()};
  ControlRef bar = nullptr;
  if (GetControlByID(owner->GetWindowRef(), &id, &bar) != noErr || !bar) return false;
  owner_ = owner;
  bar_ = bar;
  next_ = spacing_;
  return true;
}

void CToolBar::SetItemMetrics(int spacing, int width) {
  if (items_.empty()) next_ = spacing;
  spacing_ = spacing;
  width_ = width;
}

int CToolBar::AddIcon(SInt16 resourceNumber, OSType code) {
  icons_.push_back(Icon{resourceNumber, code});
  return int(icons_.size()) - 1;
}

bool CToolBar::AddItem(UInt32 command, int icon, const char* text) {
  if (!owner_ || !plat::IsLiveControl(bar_)) return false;
  Rect barBounds;
  GetControlBounds(bar_, &barBounds);
  const short left = short(barBounds.left + next_);
  Rect bounds = MakeRect(left, short(barBounds.top + 4), short(left + width_ / 3), short(barBounds.bottom - 4));
  auto button = std::make_unique<CToolButton>();
  if (!button->Create(owner_, command, &bounds, text) || !button->EmbedIn(bar_)) return false;
  items_.push_back(Item{command, icon, std::move(button)});
  next_ += width_ / 3 + spacing_;
  return true;
}

void CToolBar::AddSeparator() { next_ += spacing_; }

UInt32 CToolBar::GetItemCommand(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[size_t(index)].command : 0;
}

ControlRef CToolBar::GetItemControl(int index) const {
  return index >= 0 && index < GetItemCount() ? items_[size_t(index)].button->GetControlRef() : nullptr;
}
