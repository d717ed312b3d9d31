// Action lists: the DoAction tag, which also serves as the script of button
// conditions and clip actions, and the DoInitAction tag of a sprite.
//
// A list body is a run of actions closed by a 0 byte. Reading stops at that
// byte or at the end of the body, whichever comes first; bytes of the body
// behind the end byte are kept as the list's tail and written back behind
// it (a branch may jump there). An action whose payload the body cuts
// short keeps what there is (its reads past the body are not held against
// the tag). A DoAction tag without actions or tail is
// left out of the output; a list embedded in another record always writes
// its end byte.
//
// Building a script: add an If (or Jump) with offset 0, add the actions it
// skips (the last open branch grows over each one), then CloseBranch. For
// if/else: If, then-block, Jump, else-block, CloseBranch, CloseBranch.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_action.h"

class CSwfActionJump;

enum : u16 { kSwfDoActionCode = 12, kSwfDoInitActionCode = 59 };

// A new action object for an opcode read from a list body: one of the action
// classes, or a generic action that keeps the payload raw. Init-action
// lists keep Push as raw bytes.
[[nodiscard]] std::unique_ptr<CSwfAction> CreateAction(u8 opcode, bool forInitAction);

// The actions of a list, in order; they belong to the list.
using CSwfActionList = std::vector<std::unique_ptr<CSwfAction>>;

class CSwfDoAction : public CSwfTag {
 public:
  CSwfDoAction() = default;
  ~CSwfDoAction() override;
  CSwfDoAction(const CSwfDoAction&) = delete;
  CSwfDoAction& operator=(const CSwfDoAction&) = delete;

  // Parses a body of the reader's current tag length and appends its actions.
  u32 Read(CSwfReader& reader) override;
  // The tag (long header, actions, end byte); or, with the no-header
  // setting, the body alone.
  u32 Write(CSwfBitWriter& writer) override;
  // Deletes the actions.
  void Reset() override;
  u16 GetCode() const override { return kSwfDoActionCode; }
  // Shifts the frame numbers of the actions.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes ownership and appends; with branch tracking on, the last open
  // branch grows by the action's size and a new Jump or If becomes the last
  // open branch. Returns the action's encoded size (0 for a null action).
  u32 AddAction(CSwfAction* action);
  u32 AddAction(std::unique_ptr<CSwfAction> action);
  // With `on` false, added actions leave the open branches alone; with
  // forgetOpen the open branches are forgotten.
  void SetBranchTracking(bool on, bool forgetOpen);
  // Ends the last open branch and resolves every branch.
  void CloseBranch();
  // Resolves every Jump and If of the list against the actions around it.
  void ResolveBranches();
  // Deletes the present actions, takes the given ones (null ones are
  // skipped) and resolves branches.
  void SetActions(const std::vector<CSwfAction*>& actions);
  void DeleteActions();
  // Relocates absolute target paths of SetTarget, Push and ConstantPool
  // actions under the prefix (null removes it).
  void ApplyPathPrefix(const char* prefix);
  // The work of Write: with withHeader false (or the no-header setting), the
  // body alone, closed by its end byte even when there are no actions.
  u32 WriteBody(CSwfBitWriter& writer, bool withHeader);
  // Appends deep copies of the source's actions (through its written body)
  // and takes its no-header and branch-tracking settings.
  void CopyFrom(const CSwfDoAction& source);

  const CSwfActionList& GetActions() const { return m_actions; }
  // Whether the last Read met an action whose declared length runs past
  // the list's body (the body cut it short).
  bool ReadActionPastBody() const { return m_actionPastBody != 0; }
  // The bytes of the body behind the end byte, as read.
  const std::vector<u8>& GetTail() const { return m_tail; }
  void SetTail(const std::vector<u8>& tail) { m_tail = tail; }
  void SetNoHeader(bool noHeader) { m_noHeader = noHeader ? 1 : 0; }
  bool GetNoHeader() const { return m_noHeader != 0; }
  void SetGotoFrame2Hint(bool hint) { m_gotoFrame2Hint = hint ? 1 : 0; }

 private:
  // The byte position of each action in the body, and of the end byte, in
  // a buffer of the thread's that the next call fills anew.
  const std::vector<u64>& ActionStarts() const;
  // Whether a Jump or If is among the actions.
  bool HasBranches() const;
  // Brings every resolved branch's offset up to the present sizes of the
  // actions it spans.
  void SyncBranchOffsets();

  CSwfActionList m_actions;
  std::vector<u8> m_tail;
  std::vector<CSwfActionJump*> m_openBranches;  // actions of m_actions
  u8 m_noHeader = 0;
  u8 m_rawAdd = 0;
  u8 m_gotoFrame2Hint = 1;
  u8 m_actionPastBody = 0;
};

class CSwfDoInitAction : public CSwfTag {
 public:
  CSwfDoInitAction() = default;
  ~CSwfDoInitAction() override;
  CSwfDoInitAction(const CSwfDoInitAction&) = delete;
  CSwfDoInitAction& operator=(const CSwfDoInitAction&) = delete;

  // The sprite id, then the actions as they stand (no branch bookkeeping)
  // and the tail behind the end byte.
  u32 Read(CSwfReader& reader) override;
  // Always written, with the long header, even without actions.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDoInitActionCode; }
  // Shifts the sprite id; the actions stay as they are.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes ownership and appends (a null action is ignored).
  void AddAction(CSwfAction* action);
  void AddAction(std::unique_ptr<CSwfAction> action);
  void DeleteActions();

  const CSwfActionList& GetActions() const { return m_actions; }
  const std::vector<u8>& GetTail() const { return m_tail; }
  u16 GetSpriteId() const { return m_spriteId; }
  void SetSpriteId(u16 id) { m_spriteId = id; }

 private:
  CSwfActionList m_actions;
  std::vector<u8> m_tail;
  u16 m_spriteId = 0;
};

// Whether the tag writes nothing by design: a script without actions, which
// a movie does without. Any other tag that writes nothing has refused a
// value that no field can hold.
[[nodiscard]] bool SwfTagWritesNothing(const CSwfTag& tag);
// Writes the tag into the writer; false when it refused (wrote nothing
// though it had something to write), so that the movie it belongs in
// cannot be completed.
[[nodiscard]] bool WriteSwfTag(CSwfTag& tag, CSwfBitWriter& writer);
