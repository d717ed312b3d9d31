#include "swf/swf_action_list.h"

#include <algorithm>

#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// A new action of the class, default-initialised as the class's
// constructor leaves it: scripts hold hundreds of thousands of actions, and
// value-initialising would clear each one before its constructor runs.
template <typename Action>
std::unique_ptr<CSwfAction> NewAction() {
  return std::make_unique_for_overwrite<Action>();
}

}  // namespace

std::unique_ptr<CSwfAction> CreateAction(u8 opcode, bool forInitAction) {
  switch (opcode) {
    case kActionSetVariable:
      return NewAction<CSwfActionSetVariable>();
    case kActionGotoFrame:
      return NewAction<CSwfActionGotoFrame>();
    case kActionGetURL:
      return NewAction<CSwfActionGetURL>();
    case kActionStoreRegister:
      return NewAction<CSwfActionStoreRegister>();
    case kActionConstantPool:
      return NewAction<CSwfActionConstantPool>();
    case kActionWaitForFrame:
      return NewAction<CSwfActionWaitForFrame>();
    case kActionSetTarget:
      return NewAction<CSwfActionSetTarget>();
    case kActionGoToLabel:
      return NewAction<CSwfActionGoToLabel>();
    case kActionWaitForFrame2:
      return NewAction<CSwfActionWaitForFrame2>();
    case kActionWith:
      return NewAction<CSwfActionWith>();
    case kActionPush:
      if (forInitAction) break;
      return NewAction<CSwfActionPush>();
    case kActionJump:
      return NewAction<CSwfActionJump>();
    case kActionGetURL2:
      return NewAction<CSwfActionGetURL2>();
    case kActionIf:
      return NewAction<CSwfActionIf>();
    case kActionGotoFrame2:
      return NewAction<CSwfActionGotoFrame2>();
    default:
      break;
  }
  return std::make_unique<CSwfGenericAction>(opcode);
}

namespace {

// The branch an action is, or null; only Jump and If objects are, and the
// opcode is looked at first, which spares a type check of every action.
CSwfActionJump* AsBranch(CSwfAction* action) {
  const u8 opcode = action->GetOpcode();
  if (opcode != kActionJump && opcode != kActionIf) return nullptr;
  return dynamic_cast<CSwfActionJump*>(action);
}

// Reads the next action of a list body that ends at bodyEnd and appends it
// to the list; returns it, or null at the end byte or the end of the body.
// An action of fixed layout reads inside its declared length, and the reader
// goes on behind it, so that a payload that says more or less than the class
// reads never shifts the actions after it. Push bounds its values by its
// declared length itself, and GotoFrame2 may take a pad byte behind it.
// `pastBody` is set when the action's declared length runs past the body.
CSwfAction* ReadNextAction(CSwfReader& reader, u32 bodyEnd, bool forInitAction, bool hint,
                           CSwfActionList& actions, u8* read = nullptr, u8* pastBody = nullptr) {
  if (reader.GetPosition() >= bodyEnd) return nullptr;
  const u8 opcode = reader.ReadU8();
  if (read) *read = opcode;
  if (opcode == kActionEnd) return nullptr;
  if (pastBody && opcode >= 0x80) {
    const u8* length = reader.PeekBytes(2);
    if (!length || u64(reader.GetPosition()) + 2 + (length[0] | (length[1] << 8)) > bodyEnd) *pastBody = 1;
  }
  // The list owns the action from the start.
  CSwfAction* action = EmplaceCharged(actions, CreateAction(opcode, forInitAction)).get();
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

// About how many actions the bytes of a list body hold (opcodes below 0x80
// are one byte, the others three and their payload), so that the list is
// allocated once.
u32 CountActions(const u8* body, u32 length) {
  u32 count = 0;
  for (u32 at = 0; at < length && body[at] != kActionEnd; ++count)
    at += body[at] < 0x80 || length - at < 3 ? 1 : 3u + (body[at + 1] | (body[at + 2] << 8));
  return count;
}

// Reserves room for the actions of the body ahead of the reader (counted
// against the reader's bound, as the list's growth is).
void ReserveActions(CSwfReader& reader, u32 bodyEnd, CSwfActionList& actions) {
  constexpr u32 kLooked = 1u << 16;
  const u32 length = bodyEnd > reader.GetPosition() ? bodyEnd - reader.GetPosition() : 0;
  const u32 looked = std::min(length, kLooked);
  const u8* body = looked ? reader.PeekBytes(looked) : nullptr;
  if (!body) return;
  // A longer body is taken to go on as its start does.
  const u64 count = u64(CountActions(body, looked)) * length / looked;
  ReserveCharged(actions, actions.size() + size_t(count));
}

// Where a list body that starts at the reader's position ends.
u32 BodyEnd(const CSwfReader& reader) {
  return reader.GetPosition() + std::min(reader.GetTagLength(), reader.GetRemaining());
}

// The actions, the end byte and the tail behind it.
void WriteActions(const CSwfActionList& actions, const std::vector<u8>& tail, CSwfBitWriter& writer) {
  for (const auto& action : actions) action->Write(writer);
  writer.WriteU8(kActionEnd);
  writer.AppendBytes(tail);
}

// What is left of a list body behind its end byte.
void ReadTail(CSwfReader& reader, u32 bodyEnd, std::vector<u8>& tail) {
  tail.clear();
  const u32 position = reader.GetPosition();
  if (position < bodyEnd) reader.ReadBytes(tail, bodyEnd - position);
}

// Where each action of a list starts and which of them are branches, found
// while the list is read or written. A list being read has one of its own,
// counted against the reader's bound (so that what a movie's reading is
// charged does not depend on what the thread read before); writing uses a
// buffer of the thread's, so that long scripts do not take fresh memory
// for it each time.
struct ListLayout {
  std::vector<u64> starts;
  std::vector<u32> branches;

  void Clear(size_t actions) {
    starts.clear();
    branches.clear();
    ReserveCharged(starts, actions + 1);
  }
};

ListLayout& WriteLayout() {
  thread_local ListLayout layout;
  return layout;
}

}  // namespace

// ---- DoAction ----

CSwfDoAction::~CSwfDoAction() = default;

u32 CSwfDoAction::Read(CSwfReader& reader) {
  reader.AlignByte();
  const u32 start = reader.GetPosition();
  const u32 bodyEnd = BodyEnd(reader);
  // The actions are kept as read (no open branch grows over them); the
  // branches among them are resolved once the list is whole.
  const bool appending = !m_actions.empty();
  ReserveActions(reader, bodyEnd, m_actions);
  ListLayout layout;
  layout.Clear(m_actions.capacity());
  u64 position = 0;
  u8 opcode = 0;
  const bool hint = m_gotoFrame2Hint != 0;
  m_actionPastBody = 0;
  const CSwfReader::LenientReads lenient(reader);
  while (CSwfAction* action = ReadNextAction(reader, bodyEnd, false, hint, m_actions, &opcode, &m_actionPastBody)) {
    if (opcode == kActionJump || opcode == kActionIf) EmplaceCharged(layout.branches, u32(m_actions.size() - 1));
    // Sizes are taken while each action is at hand.
    EmplaceCharged(layout.starts, position);
    position += action->GetEncodedSize();
  }
  EmplaceCharged(layout.starts, position);
  ReadTail(reader, bodyEnd, m_tail);
  if (appending) {
    ResolveBranches();
  } else {
    // What ResolveBranches does, with the starts found above.
    for (u32 index : layout.branches) {
      auto* branch = static_cast<CSwfActionJump*>(m_actions[index].get());
      branch->SyncOffset(layout.starts);
      branch->ResolveSpan(layout.starts, index);
    }
  }
  return reader.GetPosition() - start;
}

u32 CSwfDoAction::Write(CSwfBitWriter& writer) { return WriteBody(writer, true); }

u32 CSwfDoAction::WriteBody(CSwfBitWriter& writer, bool withHeader) {
  const bool asTag = withHeader && !m_noHeader;
  if (asTag && m_actions.empty() && m_tail.empty()) return 0;
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  const u32 mark = asTag ? writer.BeginTag() : 0;
  // The actions go out in one pass that notes where each starts (every
  // action writes as many bytes as its encoded size); the branch offsets
  // are then brought up to the present sizes, as SyncBranchOffsets does,
  // and patched into what was written.
  const u32 body = writer.GetByteCount();
  ListLayout& layout = WriteLayout();
  layout.Clear(m_actions.size());
  for (size_t i = 0; i < m_actions.size(); ++i) {
    CSwfAction* action = m_actions[i].get();
    layout.starts.push_back(writer.GetByteCount() - body);
    if (AsBranch(action)) layout.branches.push_back(u32(i));
    action->Write(writer);
  }
  layout.starts.push_back(writer.GetByteCount() - body);
  writer.WriteU8(kActionEnd);
  writer.AppendBytes(m_tail);
  bool patched = true;
  for (u32 index : layout.branches) {
    auto* branch = static_cast<CSwfActionJump*>(m_actions[index].get());
    const s16 written = branch->GetOffset();
    branch->SyncOffset(layout.starts);
    // A branch whose span its offset cannot hold would land elsewhere.
    if (branch->IsOutOfReach()) patched = false;
    // The offset follows the opcode and the length word.
    if (branch->GetOffset() != written)
      patched = writer.PatchU16(u32(body + layout.starts[index] + 3), u16(branch->GetOffset())) && patched;
  }
  const u32 count = asTag ? writer.EndTag(*this, mark, true) : writer.GetByteCount() - before;
  // A branch that could not be patched, or does not reach, is off its
  // target: the list is not counted as written.
  return patched ? count : 0;
}

void CSwfDoAction::Reset() { DeleteActions(); }

void CSwfDoAction::OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta) {
  for (const auto& action : m_actions) action->ShiftFrames(idDelta, depthDelta, frameDelta);
}

u32 CSwfDoAction::AddAction(CSwfAction* action) { return AddAction(std::unique_ptr<CSwfAction>(action)); }

u32 CSwfDoAction::AddAction(std::unique_ptr<CSwfAction> action) {
  if (!action) return 0;
  const u32 size = action->GetEncodedSize();
  if (!m_rawAdd) {
    if (!m_openBranches.empty()) m_openBranches.back()->GrowOffset(size);
    if (CSwfActionJump* branch = AsBranch(action.get())) m_openBranches.push_back(branch);
  }
  m_actions.push_back(std::move(action));
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

const std::vector<u64>& CSwfDoAction::ActionStarts() const {
  // One buffer serves every list: long scripts would otherwise take fresh
  // pages for it on every read and write.
  thread_local std::vector<u64> starts;
  starts.clear();
  starts.reserve(m_actions.size() + 1);
  u64 position = 0;
  for (const auto& action : m_actions) {
    starts.push_back(position);
    position += action->GetEncodedSize();
  }
  starts.push_back(position);
  return starts;
}

bool CSwfDoAction::HasBranches() const {
  return std::any_of(m_actions.begin(), m_actions.end(),
                     [](const std::unique_ptr<CSwfAction>& a) { return AsBranch(a.get()) != nullptr; });
}

void CSwfDoAction::SyncBranchOffsets() {
  if (!HasBranches()) return;
  const std::vector<u64>& starts = ActionStarts();
  for (const auto& action : m_actions) {
    if (CSwfActionJump* branch = AsBranch(action.get())) branch->SyncOffset(starts);
  }
}

void CSwfDoAction::ResolveBranches() {
  const std::vector<u64>& starts = ActionStarts();
  for (size_t i = 0; i < m_actions.size(); ++i) {
    CSwfActionJump* branch = AsBranch(m_actions[i].get());
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
    if (action) m_actions.emplace_back(action);
  }
  ResolveBranches();
}

void CSwfDoAction::DeleteActions() {
  m_openBranches.clear();
  m_actions.clear();
  m_tail.clear();
}

void CSwfDoAction::ApplyPathPrefix(const char* prefix) {
  for (const auto& action : m_actions) {
    const u8 opcode = action->GetOpcode();
    if (opcode == kActionSetTarget) {
      if (auto* target = dynamic_cast<CSwfActionSetTarget*>(action.get())) target->SetPathPrefix(prefix);
    } else if (opcode == kActionPush) {
      if (auto* push = dynamic_cast<CSwfActionPush*>(action.get())) push->SetPathPrefix(prefix);
    } else if (opcode == kActionConstantPool) {
      if (auto* pool = dynamic_cast<CSwfActionConstantPool*>(action.get())) pool->SetPathPrefix(prefix);
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
  if (reader.LoadFromWriter(scratch)) Read(reader);
}

// ---- DoInitAction ----

CSwfDoInitAction::~CSwfDoInitAction() = default;

u32 CSwfDoInitAction::Read(CSwfReader& reader) {
  reader.AlignByte();
  const u32 start = reader.GetPosition();
  const u32 bodyEnd = BodyEnd(reader);
  m_spriteId = reader.ReadU16();
  ReserveActions(reader, bodyEnd, m_actions);
  // Each action read goes into the list.
  const CSwfReader::LenientReads lenient(reader);
  while (ReadNextAction(reader, bodyEnd, true, true, m_actions)) continue;
  ReadTail(reader, bodyEnd, m_tail);
  return reader.GetPosition() - start;
}

u32 CSwfDoInitAction::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_spriteId);
  WriteActions(m_actions, m_tail, writer);
  return writer.EndTag(*this, mark, true);
}

void CSwfDoInitAction::Reset() {
  DeleteActions();
  m_spriteId = 0;
}

void CSwfDoInitAction::OffsetIds(u16 idDelta, u16, u16) { m_spriteId = u16(m_spriteId + idDelta); }

void CSwfDoInitAction::AddAction(CSwfAction* action) { AddAction(std::unique_ptr<CSwfAction>(action)); }

void CSwfDoInitAction::AddAction(std::unique_ptr<CSwfAction> action) {
  if (action) m_actions.push_back(std::move(action));
}

void CSwfDoInitAction::DeleteActions() {
  m_actions.clear();
  m_tail.clear();
}

bool SwfTagWritesNothing(const CSwfTag& tag) {
  if (tag.GetCode() != kSwfDoActionCode) return false;
  const auto* script = dynamic_cast<const CSwfDoAction*>(&tag);
  return script && !script->GetNoHeader() && script->GetActions().empty() && script->GetTail().empty();
}

bool WriteSwfTag(CSwfTag& tag, CSwfBitWriter& writer) { return tag.Write(writer) != 0 || SwfTagWritesNothing(tag); }
