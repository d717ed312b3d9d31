#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <typeinfo>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::Concat;

namespace {

// Parses a list body (its length is the whole of `body`).
template <typename List = CSwfDoAction>
std::unique_ptr<List> Parse(const std::vector<u8>& body, u8 version = 6) {
  CSwfBitWriter writer(version);
  writer.AppendBytes(body);
  CSwfReader reader;
  EXPECT_TRUE(reader.LoadFromWriter(writer));
  auto list = std::make_unique<List>();
  const u32 consumed = list->Read(reader);
  EXPECT_EQ(consumed, reader.GetPosition());
  return list;
}

// The body of a list as embedded in another record.
std::vector<u8> Body(CSwfDoAction& list) {
  CSwfBitWriter writer(6);
  list.WriteBody(writer, false);
  return writer.GetBytes();
}

template <typename Record>
std::vector<u8> Written(Record& record) {
  CSwfBitWriter writer(6);
  record.Write(writer);
  return writer.GetBytes();
}

std::vector<s16> Offsets(const CSwfDoAction& list) {
  std::vector<s16> offsets;
  for (const auto& action : list.GetActions()) {
    if (auto* branch = dynamic_cast<CSwfActionJump*>(action.get())) offsets.push_back(branch->GetOffset());
  }
  return offsets;
}

}  // namespace

TEST(SwfActions, EachClassReadsAndWritesItsOwnLayout) {
  struct Case {
    const char* name;
    std::vector<u8> bytes;
    const std::type_info& type;
    std::shared_ptr<CSwfAction> made;  // the same action built by its constructors
  };
  auto withName = [] {
    auto with = std::make_shared<CSwfActionWith>("obj");
    with->blockSize = 9;
    return with;
  };
  auto pool = [] {
    auto made = std::make_shared<CSwfActionConstantPool>("a");
    made->InsertString("bc");
    return made;
  };
  auto gotoWithBias = [] {
    auto go = std::make_shared<CSwfActionGotoFrame2>(3);
    go->sceneBias = 0x105;
    return go;
  };
  const Case cases[] = {
      {"SetVariable", Bytes({0x1D}), typeid(CSwfActionSetVariable),
       std::make_shared<CSwfActionSetVariable>()},
      {"GotoFrame", Bytes({0x81, 2, 0, 0x34, 0x12}), typeid(CSwfActionGotoFrame),
       std::make_shared<CSwfActionGotoFrame>(0x1234)},
      {"GetURL", Bytes({0x83, 6, 0, 'u', 'r', 'l', 0, 't', 0}), typeid(CSwfActionGetURL),
       std::make_shared<CSwfActionGetURL>("url", "t")},
      {"GetURL without texts", Bytes({0x83, 2, 0, 0, 0}), typeid(CSwfActionGetURL),
       std::make_shared<CSwfActionGetURL>()},
      {"StoreRegister", Bytes({0x87, 1, 0, 3}), typeid(CSwfActionStoreRegister),
       std::make_shared<CSwfActionStoreRegister>(3)},
      {"ConstantPool", Bytes({0x88, 7, 0, 2, 0, 'a', 0, 'b', 'c', 0}),
       typeid(CSwfActionConstantPool), pool()},
      {"WaitForFrame", Bytes({0x8A, 3, 0, 10, 0, 2}), typeid(CSwfActionWaitForFrame),
       std::make_shared<CSwfActionWaitForFrame>(10, 2)},
      {"SetTarget", Bytes({0x8B, 3, 0, '/', 'a', 0}), typeid(CSwfActionSetTarget),
       std::make_shared<CSwfActionSetTarget>("/a")},
      {"GoToLabel", Bytes({0x8C, 4, 0, 'e', 'n', 'd', 0}), typeid(CSwfActionGoToLabel),
       std::make_shared<CSwfActionGoToLabel>("end")},
      {"WaitForFrame2", Bytes({0x8D, 1, 0, 4}), typeid(CSwfActionWaitForFrame2),
       std::make_shared<CSwfActionWaitForFrame2>(4)},
      {"With without a name", Bytes({0x94, 2, 0, 0, 0}), typeid(CSwfActionWith),
       std::make_shared<CSwfActionWith>()},
      {"With a name", Bytes({0x94, 6, 0, 9, 0, 'o', 'b', 'j', 0}), typeid(CSwfActionWith),
       withName()},
      {"Push", Bytes({0x96, 7, 0, 7, 0xFF, 0xFF, 0xFF, 0xFF, 8, 3}), typeid(CSwfActionPush),
       [] {
         auto push = std::make_shared<CSwfActionPush>(-1);
         push->AddConstant8(3);
         return push;
       }()},
      {"Jump", Bytes({0x99, 2, 0, 0, 0}), typeid(CSwfActionJump),
       std::make_shared<CSwfActionJump>()},
      {"GetURL2", Bytes({0x9A, 1, 0, 0x42}), typeid(CSwfActionGetURL2),
       std::make_shared<CSwfActionGetURL2>(0x42)},
      {"If", Bytes({0x9D, 2, 0, 0, 0}), typeid(CSwfActionIf), std::make_shared<CSwfActionIf>()},
      {"GotoFrame2", Bytes({0x9F, 1, 0, 1}), typeid(CSwfActionGotoFrame2),
       std::make_shared<CSwfActionGotoFrame2>(1)},
      {"GotoFrame2 with a scene bias", Bytes({0x9F, 3, 0, 3, 5, 1}), typeid(CSwfActionGotoFrame2),
       gotoWithBias()},
      {"Stop, kept raw", Bytes({0x07}), typeid(CSwfGenericAction),
       std::make_shared<CSwfGenericAction>(0x07)},
      {"DefineFunction, kept raw", Bytes({0x9B, 8, 0, 'f', 0, 1, 0, 'x', 0, 0, 0}),
       typeid(CSwfGenericAction), nullptr},
      {"an unknown long opcode, kept raw", Bytes({0xC4, 2, 0, 0xAB, 0xCD}),
       typeid(CSwfGenericAction),
       std::make_shared<CSwfGenericAction>(0xC4, Bytes({0xAB, 0xCD}))},
      {"a long opcode without payload", Bytes({0xC5, 0, 0}), typeid(CSwfGenericAction),
       std::make_shared<CSwfGenericAction>(0xC5, Bytes({}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Parse(Concat(c.bytes, {0}));
    ASSERT_EQ(list->GetActions().size(), 1u);
    CSwfAction* action = list->GetActions()[0].get();
    EXPECT_EQ(typeid(*action), c.type);
    EXPECT_EQ(action->GetOpcode(), c.bytes[0]);
    EXPECT_EQ(Written(*action), c.bytes);
    EXPECT_EQ(action->GetEncodedSize(), c.bytes.size());
    EXPECT_EQ(action->AsAction(), action);
    if (!c.made) continue;
    EXPECT_EQ(Written(*c.made), c.bytes) << "constructed";
    EXPECT_EQ(c.made->GetEncodedSize(), c.bytes.size()) << "constructed";
  }
}

TEST(SwfActions, PayloadsThatSayMoreOrLessThanTheirClassReadKeepTheListInStep) {
  // A GotoFrame that declares 4 bytes, a GetURL whose target runs past its
  // declared 3 bytes, then a Stop: each action reads inside its own length.
  auto list = Parse(Bytes({0x81, 4, 0, 7, 0, 0xEE, 0xEE, 0x83, 3, 0, 'a', 0, 'b', 0x07, 0}));
  ASSERT_EQ(list->GetActions().size(), 3u);
  EXPECT_EQ(static_cast<CSwfActionGotoFrame*>(list->GetActions()[0].get())->frame, 7);
  auto* url = static_cast<CSwfActionGetURL*>(list->GetActions()[1].get());
  EXPECT_EQ(url->url, "a");
  EXPECT_EQ(url->target, "b") << "cut at the declared end";
  EXPECT_EQ(list->GetActions()[2]->GetOpcode(), 0x07);

  // A raw payload cut short by the end of the body writes what it holds, and
  // its size says so.
  auto cut = Parse(Bytes({0xC4, 9, 0, 1, 2}));
  ASSERT_EQ(cut->GetActions().size(), 1u);
  EXPECT_EQ(Written(*cut->GetActions()[0]), Bytes({0xC4, 2, 0, 1, 2}));
  EXPECT_EQ(cut->GetActions()[0]->GetEncodedSize(), 5u);
}

TEST(SwfActions, PushValuesOfEveryType) {
  CSwfActionPush push;
  EXPECT_EQ(push.AddString("ab"), 4u);
  EXPECT_EQ(push.AddFloat(0x3F800000), 5u);
  EXPECT_EQ(push.AddNull(), 1u);
  EXPECT_EQ(push.AddUndefined(), 1u);
  EXPECT_EQ(push.AddRegister(2), 2u);
  EXPECT_EQ(push.AddBoolean(1), 2u);
  EXPECT_EQ(push.AddDouble(1.0), 9u);
  EXPECT_EQ(push.AddInteger(0x01020304), 5u);
  EXPECT_EQ(push.AddConstant8(7), 2u);
  EXPECT_EQ(push.AddConstant16(0x0102), 3u);
  EXPECT_EQ(push.AddString(std::string("z"), 0), 3u) << "inserted first";
  const std::vector<u8> payload = Bytes({
      0, 'z', 0,                                    // string, inserted at 0
      0, 'a', 'b', 0,                               // string
      1, 0x00, 0x00, 0x80, 0x3F,                    // float bits
      2, 3,                                         // null, undefined
      4, 2, 5, 1,                                   // register, boolean
      6, 0x00, 0x00, 0xF0, 0x3F, 0, 0, 0, 0,        // double: high word first
      7, 4, 3, 2, 1,                                // integer
      8, 7, 9, 2, 1,                                // constants
  });
  const std::vector<u8> bytes = Concat(Bytes({0x96, u8(payload.size()), 0}), payload);
  EXPECT_EQ(Written(push), bytes);
  EXPECT_EQ(push.GetEncodedSize(), bytes.size());

  auto list = Parse(Concat(bytes, {0}));
  ASSERT_EQ(list->GetActions().size(), 1u);
  EXPECT_EQ(Written(*list->GetActions()[0]), bytes);
  const auto& values = static_cast<CSwfActionPush*>(list->GetActions()[0].get())->GetValues();
  ASSERT_EQ(values.size(), 11u);
  EXPECT_EQ(values[7].type, CSwfPushValue::kDouble);
  EXPECT_EQ(values[7].bits, 0x3FF0000000000000u);

  CSwfActionPush copy;
  copy = push;
  EXPECT_EQ(Written(copy), bytes);
  copy.Clear();
  EXPECT_EQ(Written(copy), Bytes({0x96, 0, 0}));

  // The one-value constructors.
  EXPECT_EQ(Written(*std::unique_ptr<CSwfActionPush>(CSwfActionPush::FromFloatBits(1))),
            Bytes({0x96, 5, 0, 1, 1, 0, 0, 0}));
  CSwfActionPush truth(true), reg(u16(3), CSwfPushValue::kRegister),
      wide(u16(0x0203), CSwfPushValue::kConstant16), none(u16(5), CSwfPushValue::kString);
  EXPECT_EQ(Written(truth), Bytes({0x96, 2, 0, 5, 1}));
  EXPECT_EQ(Written(reg), Bytes({0x96, 2, 0, 4, 3}));
  EXPECT_EQ(Written(wide), Bytes({0x96, 3, 0, 9, 3, 2}));
  EXPECT_EQ(Written(none), Bytes({0x96, 0, 0}));
}

TEST(SwfActions, PushReadsOddPayloadsWithoutLosingTheNextAction) {
  struct Case {
    const char* name;
    std::vector<u8> body;
    std::vector<u8> written;  // the Push as written back
    u8 nextOpcode;            // the action after it
  };
  const Case cases[] = {
      // The declared 2 bytes end inside the string: nothing is read past
      // them, and the cut value is written back as it was.
      {"a string longer than the declared length", Bytes({0x96, 2, 0, 0, 'a', 0x06, 0}),
       Bytes({0x96, 2, 0, 0, 'a'}), 0x06},
      {"type 12 is a null without data", Bytes({0x96, 2, 0, 12, 3, 0x06, 0}),
       Bytes({0x96, 2, 0, 2, 3}), 0x06},
      {"a double cut by the declared length", Bytes({0x96, 3, 0, 6, 1, 2, 0x06, 0}),
       Bytes({0x96, 3, 0, 6, 1, 2}), 0x06},
      {"whole values before the cut one", Bytes({0x96, 5, 0, 5, 1, 7, 1, 2, 0x06, 0}),
       Bytes({0x96, 5, 0, 5, 1, 7, 1, 2}), 0x06},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Parse(c.body);
    ASSERT_EQ(list->GetActions().size(), 2u);
    EXPECT_EQ(Written(*list->GetActions()[0]), c.written);
    EXPECT_EQ(list->GetActions()[0]->GetEncodedSize(), c.written.size());
    EXPECT_EQ(list->GetActions()[1]->GetOpcode(), c.nextOpcode);
    auto again = Parse(Concat(c.written, {0}));
    ASSERT_EQ(again->GetActions().size(), 1u);
    EXPECT_EQ(Written(*again->GetActions()[0]), c.written) << "read back the same";
  }
}

// Found by the movie reader's fuzz target: a Push declaring 0xFFFF bytes
// whose last value ran past them was kept with the bytes behind it, and its
// length word wrapped when it was written (65539 bytes under a length of 3).
TEST(SwfActions, APushOfTheLongestLengthWhoseLastValueRunsPastItRewritesToItself) {
  std::vector<u8> body = Bytes({0x96, 0xFF, 0xFF, 5, 1, 0});  // a boolean, then a string...
  body.insert(body.end(), 0xFFFF - 3, 'a');                  // ...cut by the declared end
  body.insert(body.end(), {'b', 0x07, 0});                    // read before as its rest
  const std::vector<u8> movie = swftest::BuildMovie({{12, body, true}, {0, {}}});

  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  ASSERT_EQ(reader.GetTags().size(), 2u);
  auto* list = dynamic_cast<CSwfDoAction*>(reader.GetTags()[0]);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetActions().size(), 3u) << "the Push, then 'b' and Stop behind its declared end";
  auto* push = static_cast<CSwfActionPush*>(list->GetActions()[0].get());
  EXPECT_EQ(push->GetValues().size(), 1u);
  EXPECT_EQ(push->GetTail().size(), 0xFFFFu - 2);
  EXPECT_EQ(push->GetEncodedSize(), 0xFFFFu + 3);

  CSwfBitWriter writer(reader.GetVersion());
  EXPECT_GT(reader.WriteMovie(writer), 0u);
  reader.DeleteTags(true);
  EXPECT_EQ(writer.GetBytes(), movie);
}

TEST(SwfActions, PayloadsALengthWordCannotHoldAreSplitOrLeftOut) {
  // A Push of more than 0xFFFF bytes becomes several, each value whole.
  CSwfActionPush push;
  EXPECT_EQ(push.AddString(std::string(40000, 'x')), 40002u);
  EXPECT_EQ(push.AddInteger(7), 5u);
  EXPECT_EQ(push.AddString(std::string(30000, 'y')), 30002u);
  EXPECT_EQ(push.AddString(std::string(0xFFFF, 'z')), 0u) << "no Push holds it";
  EXPECT_EQ(push.GetValues().size(), 3u);
  const std::vector<u8> split = Written(push);
  EXPECT_EQ(split.size(), push.GetEncodedSize());
  auto list = Parse(Concat(split, {0}));
  ASSERT_EQ(list->GetActions().size(), 2u);
  auto* first = static_cast<CSwfActionPush*>(list->GetActions()[0].get());
  auto* second = static_cast<CSwfActionPush*>(list->GetActions()[1].get());
  ASSERT_EQ(first->GetValues().size(), 2u);
  EXPECT_EQ(first->GetValues()[1].bits, 7u);
  ASSERT_EQ(second->GetValues().size(), 1u);
  EXPECT_EQ(second->GetValues()[0].text, std::string(30000, 'y'));

  // A string that the path prefix grows past any Push is left out.
  CSwfActionPush grown;
  grown.AddString("/" + std::string(0xFFFF - 3, 'p'));
  grown.AddBoolean(1);
  grown.SetPathPrefix("/clip");
  EXPECT_EQ(Written(grown), Bytes({0x96, 2, 0, 5, 1}));
  EXPECT_EQ(grown.GetEncodedSize(), 5u);

  // Actions that cannot be split write nothing, and a branch over them
  // counts nothing for them.
  CSwfDoAction script;
  script.AddAction(new CSwfActionIf(0));
  script.AddAction(new CSwfActionGetURL(std::string(0xFFFF, 'u'), ""));
  script.AddAction(new CSwfActionGoToLabel(std::string(0xFFFF, 'l')));
  script.AddAction(new CSwfActionSetTarget(std::string(0xFFFF, 't')));
  script.AddAction(new CSwfActionWith(std::string(0xFFFD, 'w')));
  script.AddAction(new CSwfActionDefineFunction(std::string(0xFFFB, 'f')));
  auto* pool = new CSwfActionConstantPool;
  for (int i = 0; i < 0x8000; ++i) pool->InsertString("c");
  script.AddAction(pool);
  script.AddAction(new CSwfGenericAction(0xC0, std::vector<u8>(0x10000, 1)));
  script.AddAction(new CSwfGenericAction(0x07));
  script.CloseBranch();
  for (size_t i = 1; i + 1 < script.GetActions().size(); ++i)
    EXPECT_EQ(script.GetActions()[i]->GetEncodedSize(), 0u) << i;
  EXPECT_EQ(Body(script), Bytes({0x9D, 2, 0, 1, 0, 0x07, 0}));
}

TEST(SwfActions, PathPrefixRelocatesAbsolutePaths) {
  CSwfActionPush push;
  push.AddString("/a/b");
  push.AddString("_root");
  push.AddString("x");
  push.AddInteger(1);
  const u32 plain = push.GetEncodedSize();
  push.SetPathPrefix("/clip");
  EXPECT_EQ(push.GetEncodedSize(), plain + 10);
  const std::vector<u8> relocated = Written(push);
  EXPECT_EQ(relocated.size(), push.GetEncodedSize());
  const std::string text(relocated.begin(), relocated.end());
  EXPECT_NE(text.find(std::string("/clip/a/b\0", 10)), std::string::npos);
  EXPECT_NE(text.find(std::string("_root.clip\0", 11)), std::string::npos);
  EXPECT_NE(text.find(std::string("\0x\0", 3)), std::string::npos);
  // A value added after the prefix is relocated too, and the size follows.
  push.AddString("/c");
  EXPECT_EQ(Written(push).size(), push.GetEncodedSize());
  push.SetPathPrefix(static_cast<const char*>(nullptr));
  EXPECT_EQ(push.GetPrefixBytes(), 0u);
  EXPECT_TRUE(push.SetPathPrefix(L"/clip"));
  EXPECT_EQ(push.GetPathPrefix(), "/clip");
  EXPECT_FALSE(push.SetPathPrefix(L"/\u4E00")) << "no Mac Roman form";
  EXPECT_EQ(push.GetPathPrefix(), "/clip");

  CSwfActionSetTarget absolute("/a"), relative("a"), empty;
  for (CSwfActionSetTarget* target : {&absolute, &relative, &empty}) target->SetPathPrefix("/clip");
  EXPECT_EQ(Written(absolute), Bytes({0x8B, 8, 0, '/', 'c', 'l', 'i', 'p', '/', 'a', 0}));
  EXPECT_EQ(absolute.GetEncodedSize(), 11u);
  EXPECT_EQ(Written(relative), Bytes({0x8B, 2, 0, 'a', 0}));
  EXPECT_EQ(Written(empty), Bytes({0x8B, 1, 0, 0}));

  CSwfActionConstantPool pool;
  for (const char* entry : {"_root", "/a", "b"}) pool.InsertString(entry);
  pool.SetPathPrefix("/m");
  const std::vector<u8> written = Written(pool);
  EXPECT_EQ(written, Concat(Bytes({0x88, 17, 0, 3, 0}),
                            Bytes({'_', 'r', 'o', 'o', 't', '.', 'm', 0, '/', 'm', '/', 'a', 0,
                                   'b', 0})));
  EXPECT_EQ(pool.GetEncodedSize(), written.size());
}

TEST(SwfActions, ConstantPoolEdits) {
  CSwfActionConstantPool pool("a");
  pool.AddUniqueString("a");
  pool.AddUniqueString("b");
  pool.InsertString("a", 0);
  pool.InsertString("c", 99);
  EXPECT_EQ(pool.strings, (std::vector<std::string>{"a", "a", "b", "c"}));
  EXPECT_EQ(pool.IndexOf("b"), 2);
  EXPECT_EQ(pool.IndexOf("z"), -1);
  EXPECT_EQ(pool.IndexOf(nullptr), -1);
  EXPECT_EQ(pool.GetString(1), "a");
  EXPECT_EQ(pool.GetString(4), "c") << "past the end: the last string";
  EXPECT_EQ(pool.GetString(-1), "c");
  EXPECT_FALSE(pool.RemoveString(4));
  EXPECT_TRUE(pool.RemoveString(0));
  EXPECT_EQ(pool.GetCount(), 3u);
  pool.SetPathPrefix("/p");
  pool.Clear();
  EXPECT_EQ(pool.GetString(0), "") << "an empty pool";
  EXPECT_TRUE(pool.pathPrefix.empty());

  // The count word is not trusted: the declared length tells.
  auto list = Parse(Bytes({0x88, 6, 0, 9, 0, 'x', 0, 'y', 0, 0}));
  ASSERT_EQ(list->GetActions().size(), 1u);
  EXPECT_EQ(static_cast<CSwfActionConstantPool*>(list->GetActions()[0].get())->strings,
            (std::vector<std::string>{"x", "y"}));
}

TEST(SwfActions, GotoFrame2PadBytes) {
  struct Case {
    const char* name;
    std::vector<u8> body;
    std::vector<u8> written;
    size_t actions;
  };
  const Case cases[] = {
      {"a 0 inside the body is a pad", Bytes({0x9F, 1, 0, 1, 0, 0x07, 0}),
       Bytes({0x9F, 2, 0, 1, 0}), 2},
      {"the last 0 of the body ends the list", Bytes({0x9F, 1, 0, 1, 0}), Bytes({0x9F, 1, 0, 1}),
       1},
      {"a pad inside the declared length", Bytes({0x9F, 2, 0, 0, 0, 0x07, 0}),
       Bytes({0x9F, 2, 0, 0, 0}), 2},
      {"a bias and a pad", Bytes({0x9F, 4, 0, 2, 1, 0, 0, 0x07, 0}),
       Bytes({0x9F, 4, 0, 2, 1, 0, 0}), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto list = Parse(c.body);
    ASSERT_EQ(list->GetActions().size(), c.actions);
    EXPECT_EQ(Written(*list->GetActions()[0]), c.written);
    EXPECT_EQ(list->GetActions()[0]->GetEncodedSize(), c.written.size());
  }

  // Without the hint the list ends at the first 0.
  CSwfBitWriter writer(6);
  writer.AppendBytes(Bytes({0x9F, 1, 0, 1, 0, 0x07, 0}));
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  CSwfDoAction list;
  list.SetGotoFrame2Hint(false);
  list.Read(reader);
  EXPECT_EQ(list.GetActions().size(), 1u);

  // An init-action list gets the hint too, so nothing behind the pad is lost.
  auto init = Parse<CSwfDoInitAction>(Bytes({1, 0, 0x9F, 1, 0, 1, 0, 0x07, 0}));
  EXPECT_EQ(init->GetActions().size(), 2u);
}

TEST(SwfActions, FunctionDefinitionsAndWithBlocks) {
  CSwfActionDefineFunction function("f");
  CSwfBitWriter raw(6);
  raw.AppendBytes(Bytes({7 + 5, 0, 'f', 0, 2, 0, 'a', 0, 'b', 'c', 0, 0x10, 0}));
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(raw));
  function.Read(reader);
  EXPECT_EQ(function.name, "f");
  EXPECT_EQ(function.params, (std::vector<std::string>{"a", "bc"}));
  EXPECT_EQ(function.codeSize, 0x10);
  EXPECT_TRUE(function.SetParam(1, "z"));
  EXPECT_FALSE(function.SetParam(2, "y"));
  EXPECT_FALSE(function.RemoveParam(2));
  EXPECT_TRUE(function.RemoveParam(0));
  EXPECT_EQ(Written(function), Bytes({0x9B, 8, 0, 'f', 0, 1, 0, 'z', 0, 0x10, 0}));
  EXPECT_EQ(function.GetEncodedSize(), 11u);
  CSwfActionDefineFunction copy;
  copy = function;
  EXPECT_EQ(Written(copy), Written(function));
  function.Clear();
  EXPECT_EQ(Written(function), Bytes({0x9B, 5, 0, 0, 0, 0, 0, 0}));

  // A With without a name is five bytes.
  CSwfActionWith with;
  with.blockSize = 0x0203;
  EXPECT_EQ(Written(with), Bytes({0x94, 2, 0, 3, 2}));
}

TEST(SwfActionList, EmptyListsAndTheStopOnlyScript) {
  // A DoAction tag holding only the end byte reads as empty and is not written.
  std::vector<u8> movie = swftest::BuildMovie({{12, Bytes({0})}, {1, {}}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  auto* empty = dynamic_cast<CSwfDoAction*>(reader.GetTags()[0]);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->GetActions().empty());
  EXPECT_TRUE(Written(*empty).empty());
  EXPECT_EQ(Body(*empty), Bytes({0})) << "an embedded empty list keeps its end byte";
  empty->SetNoHeader(true);
  EXPECT_EQ(Written(*empty), Bytes({0}));
  reader.DeleteTags(true);

  CSwfDoAction stop;
  stop.AddAction(new CSwfGenericAction(0x07));
  EXPECT_EQ(Written(stop), Bytes({0x3F, 0x03, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00}))
      << "the long header whatever the length";
  EXPECT_EQ(stop.GetCode(), 12);
  stop.SetNoHeader(true);
  EXPECT_EQ(Written(stop), Bytes({0x07, 0x00}));
  stop.Reset();
  EXPECT_TRUE(stop.GetActions().empty());

  CSwfDoInitAction init;
  init.SetSpriteId(0x0102);
  EXPECT_EQ(Written(init), Bytes({0xFF, 0x0E, 3, 0, 0, 0, 0x02, 0x01, 0x00}))
      << "an init action is written even without actions";
}

TEST(SwfActionList, ParsingStopsAtTheEndByteOrTheEndOfTheBody) {
  auto ended = Parse(Bytes({0x06, 0x00, 0x07, 0x07}));
  EXPECT_EQ(ended->GetActions().size(), 1u) << "bytes behind the end byte are not actions";
  EXPECT_EQ(ended->GetTail(), Bytes({0x07, 0x07}));
  EXPECT_EQ(Body(*ended), Bytes({0x06, 0x00, 0x07, 0x07})) << "but they are written back";
  auto open = Parse(Bytes({0x06, 0x07}));
  EXPECT_EQ(open->GetActions().size(), 2u);
  EXPECT_EQ(Body(*open), Bytes({0x06, 0x07, 0x00})) << "written with its end byte";

  // A list embedded in a longer body reads no further than its own length.
  CSwfBitWriter writer(6);
  writer.AppendBytes(Bytes({0x06, 0x07, 0x04, 0x05}));
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  reader.SetTagLength(2);
  CSwfDoAction list;
  EXPECT_EQ(list.Read(reader), 2u);
  EXPECT_EQ(list.GetActions().size(), 2u);
  EXPECT_EQ(reader.ReadU8(), 0x04);
}

TEST(SwfActionList, BytesBehindTheEndByteStayWhereBranchesFindThem) {
  // A Jump over the end byte lands in code that only a branch reaches.
  const std::vector<u8> script = Bytes({0x99, 2, 0, 1, 0, 0x00, 0x07, 0x00});
  auto list = Parse(script);
  ASSERT_EQ(list->GetActions().size(), 1u);
  EXPECT_EQ(list->GetTail(), Bytes({0x07, 0x00}));
  EXPECT_EQ(Body(*list), script);
  CSwfDoAction copy;
  copy.CopyFrom(*list);
  EXPECT_EQ(Body(copy), script);

  // A DoAction tag of an end byte and a tail is kept; the tail goes with
  // the actions when they are deleted.
  auto tailOnly = Parse(Bytes({0x00, 0x07}));
  EXPECT_EQ(Written(*tailOnly), Bytes({0x3F, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x07}));
  tailOnly->DeleteActions();
  EXPECT_TRUE(Written(*tailOnly).empty());

  auto init = Parse<CSwfDoInitAction>(Bytes({0x05, 0x00, 0x07, 0x00, 0x06}));
  EXPECT_EQ(init->GetTail(), Bytes({0x06}));
  EXPECT_EQ(Written(*init), Bytes({0xFF, 0x0E, 5, 0, 0, 0, 0x05, 0x00, 0x07, 0x00, 0x06}));
}

TEST(SwfActionList, OpenBranchesGrowOverAddedActions) {
  CSwfDoAction list;
  list.AddAction(new CSwfActionIf(0));
  EXPECT_EQ(list.AddAction(new CSwfActionGotoFrame(3)), 5u);
  EXPECT_EQ(list.AddAction(new CSwfGenericAction(0x07)), 1u);
  EXPECT_EQ(Offsets(list), (std::vector<s16>{6}));
  list.CloseBranch();
  list.AddAction(new CSwfGenericAction(0x06));
  EXPECT_EQ(Offsets(list), (std::vector<s16>{6})) << "a closed branch stays";
  auto* branch = static_cast<CSwfActionJump*>(list.GetActions()[0].get());
  EXPECT_EQ(branch->GetSpanLength(), 2u);

  // if / else: If, then-block, Jump, else-block, and both closed.
  CSwfDoAction ifElse;
  ifElse.AddAction(new CSwfActionPush(1));      // the condition
  ifElse.AddAction(new CSwfActionIf(0));        // to the else-block
  ifElse.AddAction(new CSwfActionGotoFrame(1));  // then
  ifElse.AddAction(new CSwfActionJump(0));      // over the else-block
  ifElse.AddAction(new CSwfActionGotoFrame(2));  // else
  ifElse.AddAction(new CSwfGenericAction(0x07));
  ifElse.CloseBranch();
  ifElse.CloseBranch();
  ifElse.AddAction(new CSwfGenericAction(0x06));  // after both: no branch grows
  EXPECT_EQ(Offsets(ifElse), (std::vector<s16>{10, 6}));
  EXPECT_EQ(Body(ifElse), Bytes({0x96, 5, 0, 7, 1, 0, 0, 0, 0x9D, 2, 0, 10, 0, 0x81, 2, 0, 1, 0,
                                 0x99, 2, 0, 6, 0, 0x81, 2, 0, 2, 0, 0x07, 0x06, 0x00}));

  // With tracking off nothing grows; forgetting drops the open branches.
  CSwfDoAction raw;
  raw.AddAction(new CSwfActionJump(0));
  raw.SetBranchTracking(false, false);
  raw.AddAction(new CSwfGenericAction(0x07));
  raw.SetBranchTracking(true, true);
  raw.AddAction(new CSwfGenericAction(0x07));
  EXPECT_EQ(Offsets(raw), (std::vector<s16>{0}));
}

TEST(SwfActionList, BranchesStayOnTargetWhenSpannedActionsChangeSize) {
  // If over a Push of an absolute path and a Stop; a backward Jump to the
  // start over all of it.
  const std::vector<u8> body = Bytes({0x96, 4, 0, 0, '/', 'a', 0,  // Push "/a"
                                      0x9D, 2, 0, 8, 0,           // If +8
                                      0x96, 4, 0, 0, '/', 'b', 0,  // Push "/b"
                                      0x07,                       // Stop
                                      0x99, 2, 0, 0xE7, 0xFF,      // Jump -25
                                      0x00});
  auto list = Parse(body);
  ASSERT_EQ(list->GetActions().size(), 5u);
  EXPECT_EQ(Body(*list), body);
  EXPECT_EQ(Offsets(*list), (std::vector<s16>{8, -25}));

  list->ApplyPathPrefix("/clip");
  EXPECT_EQ(Offsets(*list), (std::vector<s16>{13, -35})) << "each Push grew by 5";
  list->ResolveBranches();
  EXPECT_EQ(Offsets(*list), (std::vector<s16>{13, -35})) << "resolving again keeps them";
  const std::vector<u8> relocated = Body(*list);
  auto again = Parse(relocated);
  EXPECT_EQ(Offsets(*again), (std::vector<s16>{13, -35}));
  EXPECT_EQ(Body(*again), relocated);

  list->ApplyPathPrefix(nullptr);
  EXPECT_EQ(Body(*list), body);

  // An offset that ends inside an action, or past the list, is kept as it is.
  auto odd = Parse(Bytes({0x99, 2, 0, 3, 0, 0x81, 2, 0, 1, 0, 0x99, 2, 0, 0x40, 0, 0}));
  EXPECT_EQ(Offsets(*odd), (std::vector<s16>{3, 64}));
  EXPECT_FALSE(static_cast<CSwfActionJump*>(odd->GetActions()[0].get())->IsSpanExact());
}

// A branch reaches 32767 bytes forward at most: a list whose branch spans
// more, built or grown by an edit, is not written with a wrapped offset.
TEST(SwfActionList, BranchesThatOutgrowTheirOffsetAreRefused) {
  // Jump over one Push of a string: a span of the string's length + 5 bytes.
  auto jumpOver = [](const std::string& text) {
    auto list = std::make_unique<CSwfDoAction>();
    list->AddAction(new CSwfActionJump(0));
    list->AddAction(new CSwfActionPush(text.c_str()));
    list->CloseBranch();
    return list;
  };
  auto isOutOfReach = [](const CSwfDoAction& list) {
    return static_cast<const CSwfActionJump&>(*list.GetActions()[0]).IsOutOfReach();
  };
  auto reaching = jumpOver(std::string(32762, 'x'));
  CSwfBitWriter writer(6);
  EXPECT_GT(reaching->Write(writer), 0u);
  EXPECT_EQ(Offsets(*reaching), (std::vector<s16>{32767}));
  EXPECT_FALSE(isOutOfReach(*reaching));

  auto beyond = jumpOver(std::string(32763, 'x'));
  EXPECT_TRUE(isOutOfReach(*beyond));
  CSwfBitWriter refused(6);
  EXPECT_EQ(beyond->Write(refused), 0u);
  CSwfBitWriter body(6);
  EXPECT_EQ(beyond->WriteBody(body, false), 0u);

  // Read from a movie, a branch that reaches as far as it may, over a path
  // that an edit makes longer.
  auto relocated = Parse(Body(*jumpOver("/" + std::string(32761, 'x'))));
  EXPECT_EQ(Offsets(*relocated), (std::vector<s16>{32767}));
  relocated->ApplyPathPrefix("/clip");
  EXPECT_TRUE(isOutOfReach(*relocated));
  CSwfBitWriter grown(6);
  EXPECT_EQ(relocated->Write(grown), 0u) << "the branch no longer reaches past the grown Push";
}

TEST(SwfActionList, CopiesAreIndependentAndWriteTheSame) {
  const std::vector<u8> body = Bytes({0x88, 5, 0, 1, 0, '/', 'x', 0,  // ConstantPool "/x"
                                      0x96, 2, 0, 8, 0,               // Push constant 0
                                      0x9D, 2, 0, 5, 0,               // If +5
                                      0x81, 2, 0, 4, 0,               // GotoFrame 4
                                      0x9F, 1, 0, 1, 0,               // GotoFrame2, padded
                                      0x07, 0x00});
  auto source = Parse(body);
  source->ApplyPathPrefix("/c");
  CSwfDoAction copy;
  copy.CopyFrom(*source);
  EXPECT_EQ(Written(copy), Written(*source));
  ASSERT_EQ(copy.GetActions().size(), source->GetActions().size());
  for (size_t i = 0; i < copy.GetActions().size(); ++i)
    EXPECT_NE(copy.GetActions()[i], source->GetActions()[i]);

  copy.OffsetIds(0, 0, 10);
  EXPECT_EQ(static_cast<CSwfActionGotoFrame*>(copy.GetActions()[3].get())->frame, 14);
  EXPECT_EQ(static_cast<CSwfActionGotoFrame*>(source->GetActions()[3].get())->frame, 4);
  const std::vector<u8> copied = Written(copy);
  source.reset();
  EXPECT_EQ(Written(copy), copied) << "the copy outlives its source";

  // The copy takes the no-header and branch-tracking settings.
  CSwfDoAction embedded;
  embedded.SetNoHeader(true);
  embedded.SetBranchTracking(false, false);
  CSwfDoAction other;
  other.CopyFrom(embedded);
  EXPECT_EQ(Written(other), Bytes({0}));
  other.AddAction(new CSwfActionJump(0));
  other.AddAction(new CSwfGenericAction(0x07));
  EXPECT_EQ(Offsets(other), (std::vector<s16>{0}));
}

TEST(SwfActionList, FramesShiftAndInitActionsKeepPushRaw) {
  CSwfDoAction list;
  list.AddAction(new CSwfActionGotoFrame(65535));
  list.AddAction(new CSwfActionWaitForFrame(1, 2));
  list.AddAction(new CSwfActionGotoFrame2(0));
  list.OffsetIds(5, 5, 2);
  EXPECT_EQ(static_cast<CSwfActionGotoFrame*>(list.GetActions()[0].get())->frame, 1) << "16-bit";
  EXPECT_EQ(static_cast<CSwfActionWaitForFrame*>(list.GetActions()[1].get())->frame, 3);

  // A Push of odd value types inside an init action comes back as it was.
  const std::vector<u8> body =
      Bytes({7, 0, 0x96, 5, 0, 12, 0, 'a', 0, 6, 0x96, 1, 0, 2, 0x1D, 0x00});
  auto init = Parse<CSwfDoInitAction>(body);
  EXPECT_EQ(init->GetSpriteId(), 7);
  ASSERT_EQ(init->GetActions().size(), 3u);
  const CSwfAction& first = *init->GetActions()[0];
  EXPECT_EQ(typeid(first), typeid(CSwfGenericAction));
  CSwfBitWriter writer(6);
  init->Write(writer);
  EXPECT_EQ(writer.GetBytes(), Concat(Bytes({0xFF, 0x0E, u8(body.size()), 0, 0, 0}), body));
  init->OffsetIds(3, 9, 9);
  EXPECT_EQ(init->GetSpriteId(), 10);
  init->Reset();
  EXPECT_TRUE(init->GetActions().empty());
  EXPECT_EQ(init->GetSpriteId(), 0);
}

TEST(SwfActionList, RandomBodiesParseToListsThatWriteWhatTheyRead) {
  // Whatever a body holds, a parsed list writes a body that parses back to
  // the same list, and every action's size is what it writes.
  std::mt19937 random(7);
  const u8 opcodes[] = {0x1D, 0x81, 0x83, 0x87, 0x88, 0x8A, 0x8B, 0x8C, 0x8D, 0x94,
                        0x96, 0x99, 0x9A, 0x9D, 0x9F, 0x07, 0xC0, 0x00};
  for (int round = 0; round < 2000; ++round) {
    std::vector<u8> body;
    const size_t length = random() % 64;
    for (size_t i = 0; i < length; ++i)
      body.push_back(random() % 3 == 0 ? opcodes[random() % std::size(opcodes)] : u8(random() % 12));
    auto list = Parse(body);
    for (const auto& action : list->GetActions())
      ASSERT_EQ(Written(*action).size(), action->GetEncodedSize()) << "round " << round;
    const std::vector<u8> written = Body(*list);
    auto again = Parse(written);
    ASSERT_EQ(Body(*again), written) << "round " << round;
    ASSERT_EQ(Offsets(*again), Offsets(*list)) << "round " << round;
  }
}

TEST(SwfActionList, ManyLongBranchesResolveWithoutWalkingTheirSpans) {
  // 100000 Jumps, each over the next 6553 (32765 bytes): the span of each is
  // found by its position, not by walking and storing the actions it covers.
  std::vector<u8> body;
  for (int i = 0; i < 100000; ++i) body.insert(body.end(), {0x99, 2, 0, 0xFD, 0x7F});
  body.push_back(0);
  auto list = Parse(body);
  ASSERT_EQ(list->GetActions().size(), 100000u);
  auto* first = static_cast<CSwfActionJump*>(list->GetActions()[0].get());
  EXPECT_EQ(first->GetSpanLength(), 6553u);
  EXPECT_FALSE(static_cast<CSwfActionJump*>(list->GetActions().back().get())->IsSpanExact());
  EXPECT_EQ(Body(*list), body);
}
