#include "swf/swf_action_list.h"

#include <algorithm>

#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

CSwfAction* CreateAction(u8 opcode, bool forInitAction) {
  switch (opcode) {
    case kActionSetVariable:
      return new CSwfActionSetVariable;
    case kActionGotoFrame:
      return new CSwfActionGotoFrame;
    case kActionGetURL:
      return new CSwfActionGetURL;
    case kActionStoreRegister:
      return new CSwfActionStoreRegister;
    case kActionConstantPool:
      return new CSwfActionConstantPool;
    case kActionWaitForFrame:
      return new CSwfActionWaitForFrame;
    case kActionSetTarget:
      return new CSwfActionSetTarget;
    case kActionGoToLabel:
      return new CSwfActionGoToLabel;
    case kActionWaitForFrame2:
      return new CSwfActionWaitForFrame2;
    case kActionWith:
      return new CSwfActionWith;
    case kActionPush:
      if (forInitAction) break;
      return new CSwfActionPush;
    case kActionJump:
      return new CSwfActionJump;
    case kActionGetURL2:
      return new CSwfActionGetURL2;
    case kActionIf:
      return new CSwfActionIf;
    case kActionGotoFrame2:
      return new CSwfActionGotoFrame2;
    default:
      break;
  }
  return new CSwfGenericAction(opcode);
}

namespace {

// The branch an action is, or null; only Jump and If objects are, and the
// opcode is looked at first, which spares a type check of every action.
CSwfActionJump* AsBranch(CSwfAction* action) {
  const u8 opcode = action->GetOpcode();
  if (opcode != kActionJump && opcode != kActionIf) return nullptr;
  return dynamic_cast<CSwfActionJump*>(action);
}

// The next action of a list body that ends at bodyEnd; null at the end byte
// or the end of the body. An action of fixed layout reads inside its
// declared length, and the reader goes on behind it, so that a payload that
// says more or less than the class reads never shifts the actions after it.
// Push bounds its values by its declared length itself, and GotoFrame2 may
// take a pad byte behind it.
CSwfAction* ReadNextAction(CSwfReader& reader, u32 bodyEnd, bool forInitAction, bool hint) {
  if (reader.GetPosition() >= bodyEnd) return nullptr;
  const u8 opcode = reader.ReadU8();
  if (opcode == kActionEnd) return nullptr;
  CSwfAction* action = CreateAction(opcode, forInitAction);
  if (opcode == kActionGotoFrame2) {
    if (hint) static_cast<CSwfActionGotoFrame2*>(action)->SetBodyEnd(bodyEnd);
    action->Read(reader);
  } else if (opcode < 0x80 || opcode == kActionPush) {
    action->Read(reader);
  } else {
    const u32 at = reader.GetPosition();
    const u16 length = reader.ReadU16();
    reader.Seek(at);
    const CSwfReader::Body body = reader.BeginBody(2u + length);
    action->Read(reader);
    reader.EndBody(body);
  }
  return action;
}

// Where a list body that starts at the reader's position ends.
u32 BodyEnd(const CSwfReader& reader) {
  return reader.GetPosition() + std::min(reader.GetTagLength(), reader.GetRemaining());
}

// The actions and the end byte.
void WriteActions(const std::vector<CSwfAction*>& actions, CSwfBitWriter& writer) {
  for (CSwfAction* action : actions) action->Write(writer);
  writer.WriteU8(kActionEnd);
}

}  // namespace

// ---- DoAction ----

CSwfDoAction::~CSwfDoAction() { DeleteActions(); }

u32 CSwfDoAction::Read(CSwfReader& reader) {
  reader.AlignByte();
  const u8 savedRawAdd = m_rawAdd;
  m_rawAdd = 1;
  const u32 start = reader.GetPosition();
  const u32 bodyEnd = BodyEnd(reader);
  while (CSwfAction* action = ReadNextAction(reader, bodyEnd, false, m_gotoFrame2Hint != 0))
    AddAction(action);
  m_rawAdd = savedRawAdd;
  ResolveBranches();
  return reader.GetPosition() - start;
}

u32 CSwfDoAction::Write(CSwfBitWriter& writer) { return WriteBody(writer, true); }

u32 CSwfDoAction::WriteBody(CSwfBitWriter& writer, bool withHeader) {
  const bool asTag = withHeader && !m_noHeader;
  if (asTag && m_actions.empty()) return 0;
  SyncBranchOffsets();
  CSwfBitWriter scratch(4);
  WriteActions(m_actions, scratch);
  if (asTag) return writer.WriteTag(*this, scratch, true);
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.AppendWriter(scratch);
  return writer.GetByteCount() - before;
}

void CSwfDoAction::Reset() { DeleteActions(); }

void CSwfDoAction::OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta) {
  for (CSwfAction* action : m_actions) action->ShiftFrames(idDelta, depthDelta, frameDelta);
}

u32 CSwfDoAction::AddAction(CSwfAction* action) {
  if (!action) return 0;
  const u32 size = action->GetEncodedSize();
  if (!m_rawAdd) {
    if (!m_openBranches.empty()) m_openBranches.back()->GrowOffset(size);
    if (CSwfActionJump* branch = AsBranch(action)) m_openBranches.push_back(branch);
  }
  m_actions.push_back(action);
  return size;
}

void CSwfDoAction::SetBranchTracking(bool on, bool forgetOpen) {
  m_rawAdd = on ? 0 : 1;
  if (forgetOpen) m_openBranches.clear();
}

void CSwfDoAction::CloseBranch() {
  if (!m_openBranches.empty()) m_openBranches.pop_back();
  ResolveBranches();
}

std::vector<u64> CSwfDoAction::ActionStarts() const {
  std::vector<u64> starts;
  starts.reserve(m_actions.size() + 1);
  u64 position = 0;
  for (const CSwfAction* action : m_actions) {
    starts.push_back(position);
    position += action->GetEncodedSize();
  }
  starts.push_back(position);
  return starts;
}

void CSwfDoAction::SyncBranchOffsets() {
  if (std::none_of(m_actions.begin(), m_actions.end(), [](CSwfAction* a) { return AsBranch(a); }))
    return;
  const std::vector<u64> starts = ActionStarts();
  for (CSwfAction* action : m_actions) {
    if (CSwfActionJump* branch = AsBranch(action)) branch->SyncOffset(starts);
  }
}

void CSwfDoAction::ResolveBranches() {
  const std::vector<u64> starts = ActionStarts();
  for (size_t i = 0; i < m_actions.size(); ++i) {
    CSwfActionJump* branch = AsBranch(m_actions[i]);
    if (!branch) continue;
    // The offset as the present sizes make it is the one the new span is
    // found from.
    branch->SyncOffset(starts);
    branch->ResolveSpan(starts, u32(i));
  }
}

void CSwfDoAction::SetActions(const std::vector<CSwfAction*>& actions) {
  DeleteActions();
  for (CSwfAction* action : actions) {
    if (action) m_actions.push_back(action);
  }
  ResolveBranches();
}

void CSwfDoAction::DeleteActions() {
  m_openBranches.clear();
  for (CSwfAction* action : m_actions) delete action;
  m_actions.clear();
}

void CSwfDoAction::ApplyPathPrefix(const char* prefix) {
  for (CSwfAction* action : m_actions) {
    const u8 opcode = action->GetOpcode();
    if (opcode == kActionSetTarget) {
      if (auto* target = dynamic_cast<CSwfActionSetTarget*>(action)) target->SetPathPrefix(prefix);
    } else if (opcode == kActionPush) {
      if (auto* push = dynamic_cast<CSwfActionPush*>(action)) push->SetPathPrefix(prefix);
    } else if (opcode == kActionConstantPool) {
      if (auto* pool = dynamic_cast<CSwfActionConstantPool*>(action)) pool->SetPathPrefix(prefix);
    }
  }
  SyncBranchOffsets();
}

void CSwfDoAction::CopyFrom(const CSwfDoAction& source) {
  // Writing changes nothing in the source but bringing its branch offsets up
  // to date.
  CSwfBitWriter scratch(4);
  const_cast<CSwfDoAction&>(source).WriteBody(scratch, false);
  m_noHeader = source.m_noHeader;
  m_rawAdd = source.m_rawAdd;
  CSwfReader reader;
  reader.LoadFromWriter(scratch);
  Read(reader);
}

// ---- DoInitAction ----

CSwfDoInitAction::~CSwfDoInitAction() { DeleteActions(); }

u32 CSwfDoInitAction::Read(CSwfReader& reader) {
  reader.AlignByte();
  const u32 start = reader.GetPosition();
  const u32 bodyEnd = BodyEnd(reader);
  m_spriteId = reader.ReadU16();
  while (CSwfAction* action = ReadNextAction(reader, bodyEnd, true, true)) AddAction(action);
  return reader.GetPosition() - start;
}

u32 CSwfDoInitAction::Write(CSwfBitWriter& writer) {
  CSwfBitWriter scratch(4);
  scratch.WriteU16(m_spriteId);
  WriteActions(m_actions, scratch);
  return writer.WriteTag(*this, scratch, true);
}

void CSwfDoInitAction::Reset() {
  DeleteActions();
  m_spriteId = 0;
}

void CSwfDoInitAction::OffsetIds(u16 idDelta, u16, u16) { m_spriteId = u16(m_spriteId + idDelta); }

void CSwfDoInitAction::AddAction(CSwfAction* action) {
  if (action) m_actions.push_back(action);
}

void CSwfDoInitAction::DeleteActions() {
  for (CSwfAction* action : m_actions) delete action;
  m_actions.clear();
}
